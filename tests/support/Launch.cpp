// Launch.cpp: fork, exec and wait4, with pipes for the input, the answer and
// (when captured) standard error, served by one poll loop.
#include "support/Launch.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::vector<char*> PointersTo(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// VmHWM of a process: the peak resident size of the image it runs now.
long HighWaterMarkKiB(pid_t pid)
{
    FILE* status = std::fopen(("/proc/" + std::to_string(pid) + "/status").c_str(), "r");
    long peak = 0;
    char line[256];
    while (status != nullptr && std::fgets(line, sizeof line, status) != nullptr)
        if (std::sscanf(line, "VmHWM: %ld", &peak) == 1)
            break;
    if (status != nullptr)
        std::fclose(status);
    return peak;
}

double Now()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1e6 + now.tv_nsec / 1e3;
}

void CloseFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// Reads what is there on `fd` into `text`; closes it at the end of the stream.
void ReadSome(int& fd, std::string& text)
{
    char chunk[65536];
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n > 0)
        text.append(chunk, static_cast<size_t>(n));
    else if (n == 0 || (errno != EINTR && errno != EAGAIN))
        CloseFd(fd);
}

}  // namespace

// The parent's ends and the child's ends of the pipes of one run; -1 where a
// stream has no pipe.
struct Launch::Pipes {
    int inputWrite = -1, inputRead = -1;
    int outputRead = -1, outputWrite = -1;
    int errorsRead = -1, errorsWrite = -1;

    Pipes(bool input, bool errors)
    {
        Make(input, inputRead, inputWrite);
        Make(true, outputRead, outputWrite);
        Make(errors, errorsRead, errorsWrite);
        // The input is written in pieces between reads of the answer.
        if (inputWrite >= 0)
            ::fcntl(inputWrite, F_SETFL, O_NONBLOCK);
    }
    ~Pipes()
    {
        for (int* fd : {&inputWrite, &inputRead, &outputRead, &outputWrite, &errorsRead, &errorsWrite})
            CloseFd(*fd);
    }
    Pipes(const Pipes&) = delete;
    Pipes& operator=(const Pipes&) = delete;

    void CloseChildEnds()
    {
        CloseFd(inputRead);
        CloseFd(outputWrite);
        CloseFd(errorsWrite);
    }

private:
    static void Make(bool wanted, int& readEnd, int& writeEnd)
    {
        if (!wanted)
            return;
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0)
            throw std::runtime_error(std::string("pipe failed: ") + std::strerror(errno));
        readEnd = ends[0];
        writeEnd = ends[1];
    }
};

Launch::Launch(std::string program_, std::vector<std::string> argv_, std::vector<std::string> environment)
    : program(std::move(program_)), argvText(std::move(argv_)), envText(std::move(environment))
{
    argv = PointersTo(argvText);
    envp = PointersTo(envText);
    nullFd = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (nullFd < 0)
        throw std::runtime_error(std::string("cannot open /dev/null: ") + std::strerror(errno));
}

Launch::~Launch()
{
    CloseFd(inputFd);
    CloseFd(nullFd);
}

void Launch::SetInput(std::string bytes)
{
    CloseFd(inputFd);
    input = std::move(bytes);
    inputFromPipe = true;
}

void Launch::SetInputFile(const std::string& path)
{
    CloseFd(inputFd);
    inputFromPipe = false;
    inputFd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (inputFd < 0)
        throw std::runtime_error("cannot open " + path + ": " + std::strerror(errno));
}

void Launch::SetWorkingDir(std::string dir)
{
    workingDir = std::move(dir);
}

void Launch::CaptureErrors()
{
    captureErrors = true;
}

pid_t Launch::Start(const Pipes& pipes, bool traced) const
{
    int input = pipes.inputRead >= 0 ? pipes.inputRead : inputFd >= 0 ? inputFd : nullFd;
    if (inputFd >= 0 && pipes.inputRead < 0)
        ::lseek(inputFd, 0, SEEK_SET);  // the offset is shared with every child
    const int errors = pipes.errorsWrite >= 0 ? pipes.errorsWrite : nullFd;
    pid_t child = ::fork();
    if (child < 0)
        throw std::runtime_error(std::string("fork failed: ") + std::strerror(errno));
    if (child == 0) {
        // dup2 clears close-on-exec on the copies, so exactly 0, 1 and 2 stay open.
        ::dup2(input, STDIN_FILENO);
        ::dup2(pipes.outputWrite, STDOUT_FILENO);
        ::dup2(errors, STDERR_FILENO);
        // The caller may ignore SIGPIPE to write the input; the program starts
        // with the default, as under a web server.
        std::signal(SIGPIPE, SIG_DFL);
        if (!workingDir.empty() && ::chdir(workingDir.c_str()) != 0)
            ::_exit(126);
        if (traced)
            ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
        ::execve(program.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    return child;
}

Launch::Cost Launch::Run(ProgramAnswer& answer) const
{
    answer.output.clear();
    answer.errors.clear();
    const bool writeInput = inputFromPipe && !input.empty();
    if (writeInput)
        std::signal(SIGPIPE, SIG_IGN);  // a program may stop reading its input
    Pipes pipes(inputFromPipe, captureErrors);
    Cost cost;
    const double start = Now();
    const pid_t child = Start(pipes, false);
    pipes.CloseChildEnds();
    if (!writeInput)
        CloseFd(pipes.inputWrite);

    size_t written = 0;
    for (;;) {
        pollfd watched[3];
        nfds_t count = 0;
        for (auto [fd, events] : {std::pair{pipes.inputWrite, POLLOUT}, std::pair{pipes.outputRead, POLLIN},
                                  std::pair{pipes.errorsRead, POLLIN}}) {
            if (fd >= 0)
                watched[count++] = pollfd{fd, static_cast<short>(events), 0};
        }
        if (count == 0)
            break;
        if (::poll(watched, count, -1) < 0) {
            if (errno == EINTR)
                continue;
            throw std::runtime_error(std::string("poll failed: ") + std::strerror(errno));
        }
        for (nfds_t i = 0; i < count; ++i) {
            if (watched[i].revents == 0)
                continue;
            if (watched[i].fd == pipes.inputWrite) {
                const ssize_t n = ::write(pipes.inputWrite, input.data() + written, input.size() - written);
                if (n > 0)
                    written += static_cast<size_t>(n);
                // Done, or the program stopped reading: the rest stays unread.
                if (written == input.size() || (n < 0 && errno != EINTR && errno != EAGAIN))
                    CloseFd(pipes.inputWrite);
            } else if (watched[i].fd == pipes.outputRead) {
                ReadSome(pipes.outputRead, answer.output);
            } else {
                ReadSome(pipes.errorsRead, answer.errors);
            }
        }
    }

    int status = 0;
    rusage usage{};
    while (::wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    cost.microseconds = Now() - start;
    answer.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    cost.cpuMicroseconds = usage.ru_utime.tv_sec * 1e6 + usage.ru_utime.tv_usec +
                           usage.ru_stime.tv_sec * 1e6 + usage.ru_stime.tv_usec;
    cost.minorFaults = usage.ru_minflt;
    return cost;
}

long Launch::PeakRssKiB(ProgramAnswer& answer) const
{
    if (inputFromPipe && !input.empty())
        throw std::logic_error("PeakRssKiB takes its input from a file");
    answer.output.clear();
    answer.errors.clear();
    Pipes pipes(false, false);
    // The answer must fit the pipe: the program is held at its exit before
    // the pipe is read.
    ::fcntl(pipes.outputWrite, F_SETPIPE_SZ, 1 << 20);
    const pid_t child = Start(pipes, true);
    pipes.CloseChildEnds();
    long peak = 0;
    int status = 0;
    while (::waitpid(child, &status, 0) == child && WIFSTOPPED(status)) {
        int signal = 0;
        if (status >> 8 == (SIGTRAP | (PTRACE_EVENT_EXIT << 8))) {
            peak = HighWaterMarkKiB(child);  // the image it runs is still there
        } else if (WSTOPSIG(status) == SIGTRAP) {
            // The stop after execve: from here on, stop once more at the exit.
            ::ptrace(PTRACE_SETOPTIONS, child, nullptr,
                     reinterpret_cast<void*>(PTRACE_O_TRACEEXIT | PTRACE_O_EXITKILL));
        } else {
            signal = WSTOPSIG(status);
        }
        ::ptrace(PTRACE_CONT, child, nullptr, reinterpret_cast<void*>(static_cast<long>(signal)));
    }
    answer.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    while (pipes.outputRead >= 0)
        ReadSome(pipes.outputRead, answer.output);
    return peak;
}

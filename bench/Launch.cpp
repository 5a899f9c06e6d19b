// Launch.cpp: fork, exec and wait4 with the body file on standard input and a
// pipe on standard output.
#include "Launch.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <stdexcept>
#include <csignal>
#include <cstdio>
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

}  // namespace

Launch::Launch(std::string program_, std::vector<std::string> argv_,
               std::vector<std::string> environment, const std::string& bodyFile)
    : program(std::move(program_)), argvText(std::move(argv_)), envText(std::move(environment))
{
    argv = PointersTo(argvText);
    envp = PointersTo(envText);
    nullFd = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    bodyFd = bodyFile.empty() ? -1 : ::open(bodyFile.c_str(), O_RDONLY | O_CLOEXEC);
    if (nullFd < 0 || (!bodyFile.empty() && bodyFd < 0))
        throw std::runtime_error("cannot open " + bodyFile + ": " + std::strerror(errno));
}

Launch::~Launch()
{
    if (bodyFd >= 0)
        ::close(bodyFd);
    ::close(nullFd);
}

pid_t Launch::Start(int answerPipe, bool traced) const
{
    int input = bodyFd >= 0 ? bodyFd : nullFd;
    if (bodyFd >= 0)
        ::lseek(bodyFd, 0, SEEK_SET);  // the offset is shared with every child
    pid_t child = ::fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0) {
        // dup2 clears close-on-exec on the copies, so exactly 0, 1 and 2 stay open.
        ::dup2(input, STDIN_FILENO);
        ::dup2(answerPipe, STDOUT_FILENO);
        ::dup2(nullFd, STDERR_FILENO);
        if (traced)
            ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
        ::execve(program.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    return child;
}

Launch::Result Launch::Run(std::string& answer) const
{
    answer.clear();
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    Result result;
    double start = Now();
    pid_t child = Start(out[1], false);
    ::close(out[1]);
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(out[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        answer.append(buffer, static_cast<size_t>(n));
    }
    int status = 0;
    rusage usage{};
    while (::wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    result.microseconds = Now() - start;
    ::close(out[0]);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.cpuMicroseconds = usage.ru_utime.tv_sec * 1e6 + usage.ru_utime.tv_usec +
                             usage.ru_stime.tv_sec * 1e6 + usage.ru_stime.tv_usec;
    result.minorFaults = usage.ru_minflt;
    return result;
}

long Launch::PeakRssKiB(std::string& answer) const
{
    answer.clear();
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    // The answer must fit the pipe: the program is held at its exit before
    // the pipe is read.
    ::fcntl(out[1], F_SETPIPE_SZ, 1 << 20);
    pid_t child = Start(out[1], true);
    ::close(out[1]);
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
    char buffer[4096];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;)
        answer.append(buffer, static_cast<size_t>(n));
    ::close(out[0]);
    return peak;
}

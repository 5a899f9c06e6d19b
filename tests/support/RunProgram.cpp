// RunProgram.cpp: fork and exec of zephconf with pipes for its input and output.
#include "support/RunProgram.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

std::string ZephconfPath()
{
    return ZEPHCONF_PATH;
}

namespace {

void WriteAll(int fd, const std::string& data)
{
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;  // the program stopped reading: the rest stays unread
        done += static_cast<size_t>(n);
    }
}

}  // namespace

ProgramAnswer RunZephconf(const ProgramRun& run)
{
    int in[2], out[2];
    if (::pipe(in) != 0 || ::pipe(out) != 0)
        throw std::runtime_error("pipe failed");
    // Standard error goes to a file, read once the program has ended: no second
    // pipe that could fill up while the answer is being read.
    std::FILE* errors = std::tmpfile();
    if (errors == nullptr)
        throw std::runtime_error("tmpfile failed");

    std::vector<std::string> envText;
    for (const auto& [name, value] : run.environment)
        envText.push_back(name + "=" + value);
    std::vector<std::string> argText = run.wrapper;
    std::string program = ZephconfPath();
    // Without a wrapper, argv0 is only the name the program sees; a wrapper
    // starts the path it is given, so there argv0 must name the program (a copy).
    argText.push_back(run.argv0.empty() ? program : run.argv0);

    pid_t child = ::fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0) {
        ::dup2(in[0], STDIN_FILENO);
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(::fileno(errors), STDERR_FILENO);
        ::close(in[0]); ::close(in[1]); ::close(out[0]); ::close(out[1]);
        if (!run.workingDir.empty() && ::chdir(run.workingDir.c_str()) != 0)
            ::_exit(126);
        std::vector<char*> argv, envp;
        for (auto& a : argText) argv.push_back(a.data());
        argv.push_back(nullptr);
        for (auto& e : envText) envp.push_back(e.data());
        envp.push_back(nullptr);
        const char* file = run.wrapper.empty() ? program.c_str() : run.wrapper[0].c_str();
        ::execve(file, argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);

    // Feed the body while reading the answer, so neither pipe can fill up and stall.
    std::signal(SIGPIPE, SIG_IGN);
    pid_t feeder = -1;
    if (!run.body.empty()) {
        feeder = ::fork();
        if (feeder == 0) {
            ::close(out[0]);
            WriteAll(in[1], run.body);
            ::_exit(0);
        }
    }
    ::close(in[1]);

    ProgramAnswer answer;
    char chunk[65536];
    for (;;) {
        ssize_t n = ::read(out[0], chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        answer.output.append(chunk, static_cast<size_t>(n));
    }
    ::close(out[0]);

    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    if (feeder > 0) {
        ::kill(feeder, SIGKILL);
        while (::waitpid(feeder, nullptr, 0) < 0 && errno == EINTR) {}
    }
    answer.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::rewind(errors);
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, errors)) > 0;)
        answer.errors.append(chunk, n);
    std::fclose(errors);
    return answer;
}

ProgramAnswer RunGet(const std::string& query, const std::string& argv0, const std::string& workingDir)
{
    ProgramRun run;
    run.environment = {{"REQUEST_METHOD", "GET"}, {"QUERY_STRING", query}};
    run.argv0 = argv0;
    run.workingDir = workingDir;
    return RunZephconf(run);
}

ProgramAnswer RunPost(const std::string& body, const std::string& argv0, const std::string& workingDir,
                      const std::vector<std::string>& wrapper)
{
    ProgramRun run;
    run.environment = {{"REQUEST_METHOD", "POST"}, {"CONTENT_LENGTH", std::to_string(body.size())}};
    run.body = body;
    run.argv0 = argv0;
    run.workingDir = workingDir;
    run.wrapper = wrapper;
    return RunZephconf(run);
}

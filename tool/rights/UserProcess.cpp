// UserProcess.cpp: fork, become the user, work, send the result back.
#include "tool/rights/UserProcess.h"

#include "tool/CommandFailure.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// What the child sends: one byte saying how the work went, then its text
// (the result, or the failure's line) to the end of the pipe.
constexpr char Done = 'D';
constexpr char Failed = 'F';         // status 1
constexpr char Unconfirmed = 'U';    // ExitUnconfirmed

bool WriteAll(int fd, const std::string& bytes)
{
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        written += static_cast<size_t>(count);
    }
    return true;
}

[[noreturn]] void ChildWork(int result, const Account& account, const std::function<std::string()>& work)
{
    std::string message;
    try {
        if (::geteuid() == 0 && account.uid != 0)
            BecomeUser(account);
        message = Done + work();
    } catch (const CommandFailure& failure) {
        message = (failure.Status() == ExitUnconfirmed ? Unconfirmed : Failed) + std::string(failure.what());
    } catch (const std::exception& failure) {
        message = Failed + std::string(failure.what());
    }
    // Neither the parent's buffers nor its exit handlers are the child's.
    ::_exit(WriteAll(result, message) ? 0 : 1);
}

}  // namespace

std::string RunAsUser(const Account& account, const std::string& what, const std::function<std::string()>& work)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        throw CommandFailure("cannot start the process that " + what + ": pipe: " + std::strerror(errno));
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(ends[0]);
        ::close(ends[1]);
        throw CommandFailure("cannot start the process that " + what + ": fork: " + std::strerror(error));
    }
    if (child == 0) {
        ::close(ends[0]);
        ChildWork(ends[1], account, work);
    }
    ::close(ends[1]);
    std::string message;
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(ends[0], buffer, sizeof buffer);
        if (count > 0)
            message.append(buffer, static_cast<size_t>(count));
        else if (count == 0 || errno != EINTR)
            break;
    }
    ::close(ends[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    const bool ended = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!ended || message.empty()) {
        const std::string how = WIFSIGNALED(status) ? std::string("was killed by ") + ::strsignal(WTERMSIG(status))
                                                    : "ended without a word";
        throw CommandFailure("the process that " + what + " " + how);
    }
    const std::string text = message.substr(1);
    if (message[0] == Done)
        return text;
    throw CommandFailure(text, message[0] == Unconfirmed ? ExitUnconfirmed : ExitAsItWas);
}

// PasswordEntry.cpp: reading the new password, without echo on a terminal.
#include "tool/create/PasswordEntry.h"

#include "base/Output.h"
#include "files/DeferTermination.h"
#include "tool/CommandFailure.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <iterator>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The signals that stop the process from a terminal or a shell.
constexpr int StopSignals[] = {SIGTSTP, SIGTTIN, SIGTTOU};

// The terminal's settings before echo went off, and with it off, for the
// signal handlers.
struct termios echoing, quiet;

// Whether the terminal is ours to set: a process group in the background
// would be stopped for setting it, and the settings are the foreground's.
bool InForeground()
{
    return ::tcgetpgrp(STDIN_FILENO) == ::getpgrp();
}

// Lets `signal` take its default action now, from within its handler.
void ActAsByDefault(int signal)
{
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    sigemptyset(&byDefault.sa_mask);
    ::sigaction(signal, &byDefault, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(signal);
}

// A signal that ends the process: the echo back, the cursor on a new line,
// then the end the signal would have made.
void RestoreEchoAndEnd(int signal)
{
    if (InForeground())
        ::tcsetattr(STDIN_FILENO, TCSANOW, &echoing);
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, "\n", 1);
    ActAsByDefault(signal);
}

// A signal that stops the process: the echo back for the shell while it is
// stopped, and off again when it goes on (in the foreground; in the
// background the terminal is not its own).
void RestoreEchoAndStop(int signal)
{
    const int savedErrno = errno;
    if (InForeground())
        ::tcsetattr(STDIN_FILENO, TCSANOW, &echoing);
    struct sigaction handling {};
    ::sigaction(signal, nullptr, &handling);
    ActAsByDefault(signal);  // returns once the process is continued
    ::sigaction(signal, &handling, nullptr);
    if (InForeground())
        ::tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    errno = savedErrno;
}

// Echo off for as long as the object lives, also when a signal ends or
// stops the process meanwhile. Typed-ahead input is dropped first, so that
// nothing typed before the prompt is taken for the password.
class CEchoOff {
public:
    CEchoOff()
    {
        if (::tcgetattr(STDIN_FILENO, &echoing) != 0)
            throw CommandFailure(std::string("cannot read the terminal's settings: ") + std::strerror(errno));
        quiet = echoing;
        quiet.c_lflag &= ~ECHO;
        quiet.c_lflag |= ECHONL;  // the line feed still shows: the cursor moves on

        // One signal handled at a time; a read or terminal setting that a
        // stop interrupted goes on after it.
        struct sigaction handling {};
        handling.sa_flags = SA_RESTART;
        sigemptyset(&handling.sa_mask);
        for (int signal : TerminationSignals)
            sigaddset(&handling.sa_mask, signal);
        for (int signal : StopSignals)
            sigaddset(&handling.sa_mask, signal);
        size_t slot = 0;
        handling.sa_handler = RestoreEchoAndEnd;
        for (int signal : TerminationSignals)
            ::sigaction(signal, &handling, &previous[slot++]);
        handling.sa_handler = RestoreEchoAndStop;
        for (int signal : StopSignals)
            ::sigaction(signal, &handling, &previous[slot++]);

        if (::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) != 0) {
            const int error = errno;
            RestoreHandlers();
            throw CommandFailure(std::string("cannot turn the terminal's echo off: ") + std::strerror(error));
        }
    }
    ~CEchoOff()
    {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &echoing);
        RestoreHandlers();
    }
    CEchoOff(const CEchoOff&) = delete;
    CEchoOff& operator=(const CEchoOff&) = delete;

private:
    void RestoreHandlers()
    {
        size_t slot = 0;
        for (int signal : TerminationSignals)
            ::sigaction(signal, &previous[slot++], nullptr);
        for (int signal : StopSignals)
            ::sigaction(signal, &previous[slot++], nullptr);
    }

    struct sigaction previous[std::size(TerminationSignals) + std::size(StopSignals)];
};

// Reads one line from standard input: up to a line feed (kept), the end of
// the input, or more than `limit` bytes. A byte at a time, so that nothing
// after the line is taken from a script's input, and an input that stays
// open after the line (a terminal-less session) does not keep the tool
// waiting.
std::string ReadLine(size_t limit)
{
    std::string line;
    while (line.size() <= limit && (line.empty() || line.back() != '\n')) {
        char byte;
        const ssize_t count = ::read(STDIN_FILENO, &byte, 1);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            throw CommandFailure(std::string("cannot read the password: ") + std::strerror(errno));
        if (count == 0)
            break;
        line += byte;
    }
    return line;
}

std::string WithoutFinalLineFeed(std::string text)
{
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

std::string Checked(const std::string& password)
{
    const std::string refusal = PasswordRefusal(password);
    if (!refusal.empty())
        throw CommandFailure("refused: " + refusal);
    return password;
}

std::string AskAtTerminal(const char* prompt)
{
    WriteFully(STDERR_FILENO, prompt);
    return Checked(WithoutFinalLineFeed(ReadLine(MaxPasswordBytes + 1)));
}

}  // namespace

std::string PasswordRefusal(const std::string& password)
{
    if (password.empty())
        return "the password is empty";
    if (password.find_first_of("\r\n") != std::string::npos)
        return "the password holds a line break";
    if (password.find('\0') != std::string::npos)
        return "the password holds a NUL byte";
    if (password.size() > MaxPasswordBytes)
        return "the password is longer than " + std::to_string(MaxPasswordBytes) + " bytes";
    return std::string();
}

std::string ReadNewPassword()
{
    // What is typed must not end up in a core file, nor be read from this
    // process's memory by another of the same user.
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    if (!::isatty(STDIN_FILENO))
        return Checked(WithoutFinalLineFeed(ReadLine(MaxPasswordBytes + 1)));

    CEchoOff echoOff;
    const std::string first = AskAtTerminal("New administration password: ");
    const std::string second = AskAtTerminal("Retype the new administration password: ");
    if (first != second)
        throw CommandFailure("refused: the two entries differ");
    return first;
}

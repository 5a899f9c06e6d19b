// PasswordEntry.cpp: reading the new password, without echo on a terminal.
#include "tool/PasswordEntry.h"

#include "cgi/Output.h"
#include "tool/CommandFailure.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <iterator>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int TerminationSignals[] = {SIGHUP, SIGINT, SIGQUIT, SIGTERM};

// The terminal's settings before echo went off, for a signal that ends the
// process while a password is being typed.
struct termios echoing;

void RestoreEchoAndDie(int signal)
{
    ::tcsetattr(STDIN_FILENO, TCSANOW, &echoing);
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, "\n", 1);
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

// Echo off for as long as the object lives, also when a signal ends the
// process meanwhile. Typed-ahead input is dropped first, so that nothing
// typed before the prompt is taken for the password.
class CEchoOff {
public:
    CEchoOff()
    {
        if (::tcgetattr(STDIN_FILENO, &echoing) != 0)
            throw CommandFailure(std::string("cannot read the terminal's settings: ") + std::strerror(errno));
        struct sigaction restoring {};
        restoring.sa_handler = RestoreEchoAndDie;
        sigemptyset(&restoring.sa_mask);
        for (size_t i = 0; i < std::size(TerminationSignals); ++i)
            ::sigaction(TerminationSignals[i], &restoring, &previous[i]);
        struct termios quiet = echoing;
        quiet.c_lflag &= ~ECHO;
        quiet.c_lflag |= ECHONL;  // the line feed still shows: the cursor moves on
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    ~CEchoOff()
    {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &echoing);
        for (size_t i = 0; i < std::size(TerminationSignals); ++i)
            ::sigaction(TerminationSignals[i], &previous[i], nullptr);
    }
    CEchoOff(const CEchoOff&) = delete;
    CEchoOff& operator=(const CEchoOff&) = delete;

private:
    struct sigaction previous[std::size(TerminationSignals)];
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
    if (!::isatty(STDIN_FILENO))
        return Checked(WithoutFinalLineFeed(ReadLine(MaxPasswordBytes + 1)));

    CEchoOff echoOff;
    const std::string first = AskAtTerminal("New administration password: ");
    const std::string second = AskAtTerminal("Retype the new administration password: ");
    if (first != second)
        throw CommandFailure("refused: the two entries differ");
    return first;
}

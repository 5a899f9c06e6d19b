// On a terminal the password is asked twice without echo. Every signal that ends
// the tool gives it back before the end, which is the one the signal makes;
// every signal that stops the tool gives it back for the stop and turns it
// off again when the tool goes on. create asks the same way, before it makes
// anything.
#include "files/DeferTermination.h"
#include "files/LockWait.h"
#include "support/Fixture.h"
#include "support/IniText.h"
#include "support/Site.h"
#include "tool/ToolRun.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The tool on a new pseudo-terminal, in its foreground process group, as a
// job-control shell runs it: the session's leader is the tool's parent, so
// that a stop signal stops the tool (it would be ignored in an orphaned
// process group), and reports each change of the tool's state.
// The tool is silent for a lock wait at most: ten of them is a hang.
const int HangMs = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(10 * LockWait).count());

class TerminalSession {
public:
    explicit TerminalSession(const std::vector<std::string>& args)
    {
        int report[2];
        if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0 || ::pipe(report) != 0)
            return;
        std::vector<std::string> argvText = {"zephconf-admin"};
        argvText.insert(argvText.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& arg : argvText)
            argv.push_back(arg.data());
        argv.push_back(nullptr);

        leader = ::fork();
        if (leader == 0) {
            ::close(report[0]);
            ::close(master);
            if (::setsid() < 0 || ::ioctl(slave, TIOCSCTTY, 0) != 0)
                ::_exit(127);
            const pid_t child = ::fork();
            if (child == 0) {
                ::setpgid(0, 0);
                sigset_t quiet, all;
                sigemptyset(&quiet);
                sigaddset(&quiet, SIGTTOU);
                ::sigprocmask(SIG_BLOCK, &quiet, nullptr);
                ::tcsetpgrp(slave, ::getpid());
                sigemptyset(&all);
                ::sigprocmask(SIG_SETMASK, &all, nullptr);
                for (int signal = 1; signal < NSIG; ++signal)
                    std::signal(signal, SIG_DFL);
                ::dup2(slave, STDIN_FILENO);
                ::dup2(slave, STDOUT_FILENO);
                ::dup2(slave, STDERR_FILENO);
                ::close(slave);
                ::close(report[1]);
                ::execv(ZEPHCONF_ADMIN_PATH, argv.data());
                ::_exit(127);
            }
            ::setpgid(child, child);
            [[maybe_unused]] ssize_t written = ::write(report[1], &child, sizeof child);
            for (;;) {
                int status = 0;
                if (::waitpid(child, &status, WUNTRACED) < 0)
                    ::_exit(0);
                written = ::write(report[1], &status, sizeof status);
                if (!WIFSTOPPED(status))
                    ::_exit(0);
            }
        }
        ::close(report[1]);
        reports = report[0];
        if (!Next(&tool, sizeof tool))
            tool = -1;
    }
    ~TerminalSession()
    {
        if (tool > 0)
            ::kill(tool, SIGKILL);
        if (leader > 0) {
            ::waitpid(leader, nullptr, 0);
        }
        for (int fd : {master, slave, reports})
            if (fd >= 0)
                ::close(fd);
    }
    TerminalSession(const TerminalSession&) = delete;
    TerminalSession& operator=(const TerminalSession&) = delete;

    pid_t Tool() const { return tool; }

    // What the terminal showed until `text` appeared; false when nothing
    // more came for ten lock waits.
    bool WaitFor(const std::string& text)
    {
        while (screen.find(text) == std::string::npos) {
            pollfd ready {master, POLLIN, 0};
            if (::poll(&ready, 1, HangMs) <= 0)
                return false;
            char buffer[512];
            const ssize_t count = ::read(master, buffer, sizeof buffer);
            if (count <= 0)
                return false;
            screen.append(buffer, static_cast<size_t>(count));
        }
        return true;
    }

    void Type(const std::string& line)
    {
        const std::string typed = line + "\n";
        EXPECT_EQ(static_cast<ssize_t>(typed.size()), ::write(master, typed.data(), typed.size()));
    }

    bool Echo() const
    {
        termios settings {};
        EXPECT_EQ(0, ::tcgetattr(slave, &settings));
        return (settings.c_lflag & ECHO) != 0;
    }

    // Waits (ten lock waits at most) until the echo is `on`.
    bool EchoBecomes(bool on) const
    {
        for (int wait = 0; wait < HangMs; ++wait) {
            if (Echo() == on)
                return true;
            ::usleep(1000);
        }
        return false;
    }

    // The tool's next change of state, as waitpid gives it; -1 when none
    // came within ten lock waits.
    int NextStatus()
    {
        int status = -1;
        return Next(&status, sizeof status) ? status : -1;
    }

    std::string screen;

private:
    bool Next(void* into, size_t size)
    {
        pollfd ready {reports, POLLIN, 0};
        return ::poll(&ready, 1, HangMs) > 0 && ::read(reports, into, size) == static_cast<ssize_t>(size);
    }

    int master = -1, slave = -1, reports = -1;
    pid_t leader = -1, tool = -1;
};

const char* const Prompt = "New administration password: ";

TEST(PasswordPrompt, TerminalAsksTwiceWithoutEcho)
{
    struct Case {
        const char* what;
        std::vector<std::string> entries;
        int status;
        std::string said;
        bool webServers = false;  // root on the web server's folder: asked after the rights are dropped
    };
    const Case cases[] = {
        {"the same twice", {"Typed-pass-1", "Typed-pass-1"}, 0, "administration password set for "},
        {"two different entries", {"Typed-pass-1", "Typed-pass-2"}, 1, "zephconf-admin: refused: the two entries differ"},
        {"nothing typed", {""}, 1, "zephconf-admin: refused: the password is empty"},
        {"the same twice, root on the web server's folder", {"Typed-pass-1", "Typed-pass-1"}, 0,
         "administration password set for ", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.webServers && ::geteuid() != 0)
            continue;
        Site site(FixtureIni());
        if (c.webServers)
            GiveToWebServer(site);
        TerminalSession session({"set-password", site.folder});
        ASSERT_GT(session.Tool(), 0);
        ASSERT_TRUE(session.WaitFor(Prompt)) << session.screen;
        session.Type(c.entries[0]);
        if (c.entries.size() > 1) {
            ASSERT_TRUE(session.WaitFor("Retype the new administration password: ")) << session.screen;
            session.Type(c.entries[1]);
        }
        EXPECT_TRUE(session.WaitFor(c.said)) << session.screen;
        const int status = session.NextStatus();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == c.status) << "status " << status;
        EXPECT_EQ(std::string::npos, session.screen.find("Typed-pass")) << "echoed:\n" << session.screen;
        EXPECT_TRUE(session.Echo());
        const std::string expected = c.status == 0
            ? WithIniValue(FixtureIni(), "Administration", "Administration password", c.entries[0])
            : FixtureIni();
        EXPECT_EQ(expected, ReadFile(site.ini));
    }
}

TEST(PasswordPrompt, EverySignalThatEndsTheToolGivesTheEchoBack)
{
    for (int signal : TerminationSignals) {
        SCOPED_TRACE(strsignal(signal));
        Site site(FixtureIni());
        TerminalSession session({"set-password", site.folder});
        ASSERT_GT(session.Tool(), 0);
        ASSERT_TRUE(session.WaitFor(Prompt)) << session.screen;
        EXPECT_FALSE(session.Echo());
        ASSERT_EQ(0, ::kill(session.Tool(), signal));
        const int status = session.NextStatus();
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << "status " << status;
        EXPECT_TRUE(session.Echo());
        EXPECT_EQ(FixtureIni(), ReadFile(site.ini));
    }
}

TEST(PasswordPrompt, EverySignalThatStopsTheToolGivesTheEchoBackUntilItGoesOn)
{
    for (int signal : {SIGTSTP, SIGTTIN, SIGTTOU}) {
        SCOPED_TRACE(strsignal(signal));
        Site site(FixtureIni());
        TerminalSession session({"set-password", site.folder});
        ASSERT_GT(session.Tool(), 0);
        ASSERT_TRUE(session.WaitFor(Prompt)) << session.screen;
        ASSERT_EQ(0, ::kill(session.Tool(), signal));
        const int stopped = session.NextStatus();
        EXPECT_TRUE(WIFSTOPPED(stopped) && WSTOPSIG(stopped) == signal) << "status " << stopped;
        EXPECT_TRUE(session.Echo());

        ASSERT_EQ(0, ::kill(session.Tool(), SIGCONT));
        ASSERT_TRUE(session.EchoBecomes(false));
        session.Type("Typed-pass-1");
        ASSERT_TRUE(session.WaitFor("Retype")) << session.screen;
        session.Type("Typed-pass-1");
        ASSERT_TRUE(session.WaitFor("administration password set for ")) << session.screen;
        const int ended = session.NextStatus();
        EXPECT_TRUE(WIFEXITED(ended) && WEXITSTATUS(ended) == 0) << "status " << ended;
        EXPECT_EQ(std::string::npos, session.screen.find("Typed-pass")) << "echoed:\n" << session.screen;
        EXPECT_TRUE(session.Echo());
        EXPECT_EQ(WithIniValue(FixtureIni(), "Administration", "Administration password", "Typed-pass-1"),
                  ReadFile(site.ini));
    }
}

// create asks as set-password does, and only then makes the database; a
// signal at the prompt ends it with nothing made.
TEST(PasswordPrompt, CreateAsksBeforeItMakesAnything)
{
    for (const bool typed : {true, false}) {
        SCOPED_TRACE(typed ? "typed twice" : "SIGINT at the prompt");
        Site site(std::nullopt, "bazaar");
        std::filesystem::remove(site.folder);
        TerminalSession session({"create", "--owner", CurrentUserName(), "--from", FixturePath(), site.folder});
        ASSERT_GT(session.Tool(), 0);
        ASSERT_TRUE(session.WaitFor(Prompt)) << session.screen;
        EXPECT_EQ((std::vector<std::string> {"zephconf"}), FolderEntriesOf(site.dir.path()));
        if (typed) {
            session.Type("Typed-pass-1");
            ASSERT_TRUE(session.WaitFor("Retype the new administration password: ")) << session.screen;
            session.Type("Typed-pass-1");
            EXPECT_TRUE(session.WaitFor("created " + site.ini)) << session.screen;
        } else {
            ASSERT_EQ(0, ::kill(session.Tool(), SIGINT));
        }
        const int status = session.NextStatus();
        if (typed) {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
            EXPECT_EQ("Typed-pass-1", IniValue(ReadFile(site.ini), "Administration", "Administration password"));
        } else {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << "status " << status;
            EXPECT_EQ((std::vector<std::string> {"zephconf"}), FolderEntriesOf(site.dir.path()));
        }
        EXPECT_EQ(std::string::npos, session.screen.find("Typed-pass")) << "echoed:\n" << session.screen;
        EXPECT_TRUE(session.Echo());
    }
}

}  // namespace

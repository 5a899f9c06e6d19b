// The tool's exit status tells what the database's file holds: 0 what was
// asked, 1 as it was, 3 the change although it could not be reported or its
// folder synced; and what it says tells what it did to the file.
#include "reliability/Tools.h"
#include "support/Fixture.h"
#include "support/IniText.h"
#include "support/Site.h"
#include "tool/ToolRun.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Standard output for one run; -1 where it cannot be had.
struct Output {
    int fd = -1;
    ~Output()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

void FullDevice(Output& output)
{
    output.fd = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
}

// A pipe whose reading end is closed before the tool starts.
void ClosedPipe(Output& output)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return;
    ::close(ends[0]);
    output.fd = ends[1];
}

void DiscardedOutput(Output& output)
{
    output.fd = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
}

// strace in front of the tool, failing its Nth fsync. The first change of a
// file with line feeds syncs the version of what it replaces (1), the folder
// that now holds the history folder (2), the new file before the rename (3),
// the folder after it (4) and the history folder (5).
std::vector<std::string> FailingSync(int when)
{
    return Strace({"-o", "/dev/null", "-e", "trace=fsync", "-e",
                   "inject=fsync:error=EIO:when=" + std::to_string(when)});
}

TEST(ExitStatus, TellsWhatTheFileHolds)
{
    ASSERT_FALSE(ToolPath("strace").empty()) << "strace is missing";
    const std::string on = FixtureIni();
    const std::string off = WithIniValue(on, "Administration", "Enable Remote Administration", "0");
    struct Case {
        const char* what;
        const char* command;
        void (*output)(Output&);
        std::vector<std::string> wrapper;
        int status;
        bool changed;        // the file holds the change afterwards
        std::string error;   // standard error, {ini} for the file's path
    };
    const Case cases[] = {
        {"standard output a full device", "disable-remote", FullDevice, {}, 3, true,
         "{ini} holds what was asked, but standard output failed: No space left on device"},
        {"standard output a pipe nobody reads", "disable-remote", ClosedPipe, {}, 3, true,
         "{ini} holds what was asked, but standard output failed: Broken pipe"},
        {"nothing to change, standard output full", "enable-remote", FullDevice, {}, 3, false,
         "{ini} holds what was asked, but standard output failed: No space left on device"},
        {"status, standard output full", "status", FullDevice, {}, 1, false,
         "cannot write to standard output: No space left on device"},
        {"the folder's sync after the rename fails", "disable-remote", DiscardedOutput, FailingSync(4), 3, true,
         "the change is in {ini}, but its folder could not be synced (File flush: Input/output error): "
         "it may not survive a power cut"},
        {"the new file's sync before the rename fails", "disable-remote", DiscardedOutput, FailingSync(3), 1, false,
         "{ini}: File flush: Input/output error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Site site(on);
        Output output;
        c.output(output);
        ASSERT_GE(output.fd, 0);
        const ProgramAnswer answer = RunToolWritingTo(output.fd, {c.command, site.folder}, c.wrapper);
        std::string error = c.error;
        if (const size_t mark = error.find("{ini}"); mark != std::string::npos)
            error.replace(mark, 5, site.ini);
        EXPECT_EQ(c.status, answer.status);
        EXPECT_EQ("zephconf-admin: " + error + "\n", answer.errors);
        const bool asked = std::string(c.command) == "disable-remote";
        EXPECT_EQ(c.changed && asked ? off : on, ReadFile(site.ini));
        EXPECT_EQ(std::vector<std::string>{"shop.ini"}, site.FolderEntries());
    }
}

// A CR LF file that already holds the setting is rewritten with line feeds:
// the tool says so instead of "nothing changed".
TEST(ExitStatus, LineEndsRewrittenAloneAreSaid)
{
    struct Case {
        std::vector<std::string> args;
        std::string input, said;  // after "line ends of FILE rewritten from CR LF to LF; "
    };
    const Case cases[] = {
        {{"enable-remote"}, "", "remote administration already enabled"},
        {{"set-password"}, FixturePassword() + "\n", "it already had that administration password"},
    };
    for (const Case& c : cases) {
        Site site(WithCrLf(FixtureIni()));
        std::vector<std::string> args = c.args;
        args.push_back(site.folder);
        const ProgramAnswer answer = RunTool(args, c.input);
        EXPECT_EQ(0, answer.status) << answer.errors;
        EXPECT_EQ("line ends of " + site.ini + " rewritten from CR LF to LF; " + c.said + "\n", answer.output);
        EXPECT_EQ(FixtureIni(), ReadFile(site.ini));

        // Run again, the file already says so in every byte.
        const ProgramAnswer again = RunTool(args, c.input);
        EXPECT_EQ(0, again.status);
        EXPECT_EQ(0u, again.output.find("nothing changed: ")) << again.output;
    }
}

}  // namespace

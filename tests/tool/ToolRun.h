// ToolRun.h: starting the shell tool zephconf-admin in the tests, and a
// database folder owned by the web server's user as root finds one.
#pragma once

#include "support/Launch.h"
#include "support/Site.h"
#include "tool/CommandTable.h"

#include <filesystem>
#include <map>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

// The tool with `args`, standard input `input`, in `workingDir` (default: the
// test's own), with an empty environment; a wrapper command (strace, setpriv)
// goes in front. Standard output and standard error are captured.
ProgramAnswer RunTool(const std::vector<std::string>& args, const std::string& input = "",
                      const std::string& workingDir = "", const std::vector<std::string>& wrapper = {});

// The same with standard output on the descriptor `output` (a full device, a
// pipe nobody reads) and standard input empty; `output` in the answer stays
// empty. SIGPIPE has its default action, as a shell leaves it.
ProgramAnswer RunToolWritingTo(int output, const std::vector<std::string>& args,
                               const std::vector<std::string>& wrapper = {});

// The web server's user, as its folders are owned.
struct WebServerUser {
    uid_t uid;
    gid_t gid;
};
WebServerUser WebServer();

// The name of the user the tests run as.
std::string CurrentUserName();

// Gives the site's database folder (0700) and file (0600) to the web server's
// user, as the README lays a database out. Needs root.
void GiveToWebServer(const Site& site);

// setpriv in front of the tool: it runs as the user `name`, in the group of
// the same name, without other groups.
std::vector<std::string> RunAs(const std::string& name, const std::string& group);

// `text` with every mark of `marks` ("{folder}") replaced by its value,
// wherever it stands: a case table's arguments and messages made concrete.
std::string FillMarks(std::string text, const std::vector<std::pair<std::string, std::string>>& marks);

// Everything below `root`, links not followed: each path with its owner,
// mode and content (a link's target), to see that a refused run changed
// nothing.
std::map<std::string, std::string> Snapshot(const std::filesystem::path& root);

// The lines of a strace log, each blank run made one space (strace aligns
// the results).
std::vector<std::string> StraceLines(const std::string& file);

// The ordinal of the openat call (among all of a run's openat calls) that
// opens `name` for the `nth` time, from a run's strace log of openat alone;
// 0 when there is none. A wrapper with "inject=openat:...:when=N" then holds
// that call back in a run of the same steps.
int OpenCallNumber(const std::string& log, const std::string& name, int nth);

// The usage lines that follow a usage error on standard error, as the
// tool's command table writes them.
inline const std::string Usage = UsageText();

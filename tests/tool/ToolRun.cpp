// ToolRun.cpp
#include "tool/ToolRun.h"

#include "reliability/Tools.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::vector<std::string> CommandLine(const std::vector<std::string>& wrapper, const std::vector<std::string>& args)
{
    std::vector<std::string> argv = wrapper;
    argv.push_back(wrapper.empty() ? "zephconf-admin" : ZEPHCONF_ADMIN_PATH);
    argv.insert(argv.end(), args.begin(), args.end());
    return argv;
}

}  // namespace

ProgramAnswer RunTool(const std::vector<std::string>& args, const std::string& input,
                      const std::string& workingDir, const std::vector<std::string>& wrapper)
{
    const std::vector<std::string> argv = CommandLine(wrapper, args);
    Launch launch(wrapper.empty() ? ZEPHCONF_ADMIN_PATH : wrapper[0], argv, {});
    launch.SetInput(input);
    launch.SetWorkingDir(workingDir);
    launch.CaptureErrors();
    ProgramAnswer answer;
    launch.Run(answer);
    return answer;
}

ProgramAnswer RunToolWritingTo(int output, const std::vector<std::string>& args,
                               const std::vector<std::string>& wrapper)
{
    std::vector<std::string> argvText = CommandLine(wrapper, args);
    std::vector<char*> argv;
    for (std::string& arg : argvText)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const std::string program = wrapper.empty() ? ZEPHCONF_ADMIN_PATH : wrapper[0];
    char* const environment[] = {nullptr};

    ProgramAnswer answer;
    int errors[2];
    if (::pipe2(errors, O_CLOEXEC) != 0)
        return answer;
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGPIPE, SIG_DFL);
        const int empty = ::open("/dev/null", O_RDONLY);
        if (empty < 0 || ::dup2(empty, STDIN_FILENO) < 0 || ::dup2(output, STDOUT_FILENO) < 0
            || ::dup2(errors[1], STDERR_FILENO) < 0)
            ::_exit(127);
        ::execve(program.c_str(), argv.data(), environment);
        ::_exit(127);
    }
    ::close(errors[1]);
    char buffer[4096];
    for (ssize_t count; (count = ::read(errors[0], buffer, sizeof buffer)) != 0;)
        if (count > 0)
            answer.errors.append(buffer, static_cast<size_t>(count));
        else if (errno != EINTR)
            break;
    ::close(errors[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    answer.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return answer;
}

WebServerUser WebServer()
{
    const passwd* user = ::getpwnam("www-data");
    EXPECT_TRUE(user != nullptr) << "no user www-data";
    return user != nullptr ? WebServerUser {user->pw_uid, user->pw_gid} : WebServerUser {65534, 65534};
}

std::string CurrentUserName()
{
    const passwd* user = ::getpwuid(::geteuid());
    EXPECT_TRUE(user != nullptr) << "the tests' user has no name";
    return user != nullptr ? user->pw_name : "";
}

void GiveToWebServer(const Site& site)
{
    const WebServerUser user = WebServer();
    EXPECT_EQ(0, ::chown(site.folder.c_str(), user.uid, user.gid));
    EXPECT_EQ(0, ::chmod(site.folder.c_str(), 0700));
    EXPECT_EQ(0, ::chown(site.ini.c_str(), user.uid, user.gid));
    EXPECT_EQ(0, ::chmod(site.ini.c_str(), 0600));
}

std::vector<std::string> RunAs(const std::string& name, const std::string& group)
{
    return {ToolPath("setpriv"), "--reuid=" + name, "--regid=" + group, "--clear-groups"};
}

std::map<std::string, std::string> Snapshot(const std::filesystem::path& root)
{
    std::map<std::string, std::string> all;
    for (const std::filesystem::directory_entry& entry : std::filesystem::recursive_directory_iterator(root)) {
        struct stat status {};
        ::lstat(entry.path().c_str(), &status);
        std::string what = std::to_string(status.st_uid) + ":" + std::to_string(status.st_gid) + " " +
                           std::to_string(status.st_mode) + " ";
        if (S_ISLNK(status.st_mode))
            what += std::filesystem::read_symlink(entry.path()).string();
        else if (S_ISREG(status.st_mode))
            what += ReadFile(entry.path());
        all[entry.path().string()] = what;
    }
    return all;
}

std::vector<std::string> StraceLines(const std::string& file)
{
    std::vector<std::string> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        std::string plain;
        for (char c : line)
            if (c != ' ' || plain.empty() || plain.back() != ' ')
                plain += c;
        lines.push_back(plain);
    }
    return lines;
}

int OpenCallNumber(const std::string& log, const std::string& name, int nth)
{
    int call = 0, seen = 0;
    for (const std::string& line : StraceLines(log)) {
        if (line.rfind("openat(", 0) != 0)
            continue;
        ++call;
        if (line.find("\"" + name + "\"") != std::string::npos && ++seen == nth)
            return call;
    }
    return 0;
}

std::string FillMarks(std::string text, const std::vector<std::pair<std::string, std::string>>& marks)
{
    for (const auto& [mark, value] : marks)
        for (size_t at; (at = text.find(mark)) != std::string::npos;)
            text.replace(at, mark.size(), value);
    return text;
}

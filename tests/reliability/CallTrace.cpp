// CallTrace.cpp: counting a request's system calls with strace.
#include "reliability/CallTrace.h"

#include "reliability/Tools.h"
#include "support/Form.h"

#include <gtest/gtest.h>

#include <fstream>

const std::vector<std::string> FileChangingCalls = {"openat", "write", "pwrite64", "ftruncate", "fchown",
                                                    "fchmod", "fsetxattr", "fremovexattr", "fsync", "rename",
                                                    "renameat", "renameat2", "unlink", "unlinkat", "mkdirat",
                                                    "close"};

const std::vector<std::string> FileCalls = [] {
    std::vector<std::string> calls = FileChangingCalls;
    for (const char* call : {"read", "pread64", "lseek", "fstat", "newfstatat", "flock", "fcntl", "dup2", "dup3",
                             "flistxattr", "fgetxattr", "readlink", "getcwd", "getdents64"})
        calls.push_back(call);
    return calls;
}();

std::string CallList(const std::vector<std::string>& calls)
{
    std::string list;
    for (const std::string& call : calls)
        list += (list.empty() ? "" : ",") + call;
    return list;
}

std::map<std::string, int> CallCounts(const std::string& start, const std::string& body,
                                      const std::vector<std::string>& calls, void (*arrange)(Site&))
{
    Site site(start);
    if (arrange != nullptr)
        arrange(site);
    TempDir scratch;
    const std::string log = scratch / "calls";
    const ProgramAnswer answer = site.Post(body, Strace({"-o", log, "-e", "trace=" + CallList(calls)}));
    EXPECT_EQ(0, answer.status) << answer.output;
    // Each line reads "name(arguments) = result".
    std::map<std::string, int> counts;
    std::ifstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        const size_t parenthesis = line.find('(');
        const std::string name = line.substr(0, parenthesis);
        if (parenthesis != std::string::npos && !name.empty()
            && name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_") == std::string::npos)
            ++counts[name];
    }
    return counts;
}

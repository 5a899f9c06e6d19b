// Tools.h: locating the system commands that the reliability tests put in front
// of the program (timeout, prlimit, setpriv, flock, strace).
#pragma once

#include <cstdlib>
#include <string>
#include <vector>
#include <unistd.h>

// A sanitizer build: its runtime makes file calls of its own before main, and
// reserves far more address space than a limit for the program would allow.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool SanitizerBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool SanitizerBuild = true;
#else
constexpr bool SanitizerBuild = false;
#endif
#else
constexpr bool SanitizerBuild = false;
#endif

// The full path of a command found on PATH (the program is started with execve,
// which does not search); empty when there is none.
inline std::string ToolPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t colon = dirs.find(':', start);
        std::string dir = dirs.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    return "";
}

// strace in front of the program, with `options` ("-e", "trace=...", ...).
// The leak check of a sanitizer build cannot run under ptrace: it is switched
// off for the traced program (no other build reads the variable).
inline std::vector<std::string> Strace(const std::vector<std::string>& options)
{
    std::vector<std::string> command = {ToolPath("strace"), "-qq", "-E", "ASAN_OPTIONS=detect_leaks=0"};
    command.insert(command.end(), options.begin(), options.end());
    return command;
}

// setpriv in front of the program: it runs as the user nobody (the tests that
// use it need root).
inline std::vector<std::string> Unprivileged()
{
    return {ToolPath("setpriv"), "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
}

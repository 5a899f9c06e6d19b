// Site.cpp
#include "support/Site.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <regex>
#include <stdexcept>
#include <sys/file.h>
#include <unistd.h>

namespace fs = std::filesystem;

Site::Site(const std::optional<std::string>& content, const std::string& name)
{
    fs::permissions(dir.path(), fs::perms(0755));
    program = dir / "zephconf";
    fs::copy_file(ZephconfPath(), program);
    fs::permissions(program, fs::perms(0755));
    folder = dir / name;
    fs::create_directory(folder);
    fs::permissions(folder, fs::perms(0755));
    ini = folder + "/" + name + ".ini";
    if (content)
        WriteFile(ini, *content);
}

ProgramAnswer Site::Get(const std::string& query,
                        const std::vector<std::pair<std::string, std::string>>& extra) const
{
    ProgramRun run;
    run.environment = {{"REQUEST_METHOD", "GET"}, {"QUERY_STRING", query}};
    run.environment.insert(run.environment.end(), extra.begin(), extra.end());
    run.argv0 = program;
    return RunZephconf(run);
}

ProgramAnswer Site::Post(const std::string& body, const std::vector<std::string>& wrapper) const
{
    return RunPost(body, program, "", wrapper);
}

std::vector<std::string> Site::FolderEntries() const
{
    std::vector<std::string> names;
    const std::string fileName = fs::path(ini).filename().string();
    for (const std::string& name : FolderEntriesOf(folder)) {
        if (name != HistoryFolder || !fs::is_directory(fs::symlink_status(fs::path(folder) / name))) {
            names.push_back(name);
            continue;
        }
        for (const std::string& kept : FolderEntriesOf(fs::path(folder) / name))
            if (!IsVersionName(kept, fileName) || !fs::is_regular_file(fs::symlink_status(fs::path(folder) / name / kept)))
                names.push_back(name + "/" + kept);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> Site::Versions() const
{
    std::vector<std::string> contents;
    const fs::path history = fs::path(folder) / HistoryFolder;
    if (!fs::is_directory(fs::symlink_status(history)))
        return contents;
    const std::string fileName = fs::path(ini).filename().string();
    // (time, counter) -> name: the time stands right after "NAME.ini.", a
    // counter from 2 after it.
    std::map<std::pair<std::string, int>, std::string> versions;
    for (const std::string& name : FolderEntriesOf(history)) {
        if (!IsVersionName(name, fileName))
            continue;
        const std::string rest = name.substr(fileName.size() + 1);
        versions[{rest.substr(0, 16), rest[16] == '-' ? std::stoi(rest.substr(17)) : 1}] = name;
    }
    for (auto kept = versions.rbegin(); kept != versions.rend(); ++kept)
        contents.push_back(ReadFile(history / kept->second));
    return contents;
}

bool IsVersionName(const std::string& name, const std::string& fileName)
{
    static const std::regex shape(R"(\.\d{8}T\d{6}Z(-[1-9]\d*)?\.[0-9a-f]{16}\..+)");
    return name.compare(0, fileName.size(), fileName) == 0 && std::regex_match(name.substr(fileName.size()), shape);
}

std::vector<std::string> FolderEntriesOf(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

HeldLock::HeldLock(const std::string& path) : fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644))
{
    if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0)
        throw std::runtime_error("cannot lock " + path + ": " + std::strerror(errno));
}

void HeldLock::Release()
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

std::string WithCrLf(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

std::string Site::MoveBehindLink() const
{
    const fs::path real = dir.path() / "real";
    fs::create_directories(real);
    const fs::path file = real / fs::path(ini).filename();
    fs::rename(ini, file);
    fs::create_symlink(fs::path("../real") / file.filename(), ini);
    return file.string();
}

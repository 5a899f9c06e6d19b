// Site.cpp: the program copied into a fresh folder and started through the
// launcher.
#include "support/Site.h"

#include "files/SigninKey.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The folder open to every user, with the built program copied into it.
std::string CopyProgram(const TempDir& dir)
{
    fs::permissions(dir.path(), fs::perms(0755));
    const std::string program = dir / "zephconf";
    fs::copy_file(ZEPHCONF_PATH, program);
    fs::permissions(program, fs::perms(0755));
    return program;
}

}  // namespace

Site::Site(const std::optional<std::string>& content, const std::string& name) : program(CopyProgram(dir))
{
    folder = dir / name;
    fs::create_directory(folder);
    fs::permissions(folder, fs::perms(0755));
    ini = folder + "/" + name + ".ini";
    if (content)
        WriteFile(ini, *content);
}

Site::Site(const SiteFiles& files) : program(CopyProgram(dir))
{
    if (fs::exists(files.root))
        fs::copy(files.root, dir.path(), fs::copy_options::recursive);
}

ProgramAnswer Site::Run(const ProgramRun& run) const
{
    std::vector<std::string> environment;
    for (const auto& [name, value] : run.environment)
        environment.push_back(name + "=" + value);
    std::vector<std::string> argv = run.wrapper;
    argv.push_back(run.argv0.empty() ? program : run.argv0);

    Launch launch(run.wrapper.empty() ? program : run.wrapper[0], argv, environment);
    launch.SetInput(run.body);
    launch.SetWorkingDir(run.workingDir);
    launch.CaptureErrors();
    ProgramAnswer answer;
    launch.Run(answer);
    if (answer.status >= 128)
        std::fwrite(answer.errors.data(), 1, answer.errors.size(), stderr);
    return answer;
}

ProgramAnswer Site::Get(const std::string& query,
                        const std::vector<std::pair<std::string, std::string>>& extra) const
{
    ProgramRun run;
    run.environment = {{"REQUEST_METHOD", "GET"}, {"QUERY_STRING", query}};
    run.environment.insert(run.environment.end(), extra.begin(), extra.end());
    return Run(run);
}

ProgramAnswer Site::Post(const std::string& body, const std::vector<std::string>& wrapper) const
{
    ProgramRun run;
    run.environment = {{"REQUEST_METHOD", "POST"}, {"CONTENT_LENGTH", std::to_string(body.size())}};
    run.body = body;
    run.wrapper = wrapper;
    return Run(run);
}

std::vector<std::string> Site::FolderEntries() const
{
    std::vector<std::string> names;
    const std::string fileName = fs::path(ini).filename().string();
    for (const std::string& name : FolderEntriesOf(folder)) {
        const fs::path path = fs::path(folder) / name;
        // The sign-in key is the database's own, made by the first page that
        // signs its owner in; a leftover of its making is not.
        if (name == SigninKeyName && fs::is_regular_file(fs::symlink_status(path))
            && fs::file_size(path) == SigninKeyLength)
            continue;
        if (name != HistoryFolder || !fs::is_directory(fs::symlink_status(path))) {
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
    // The digest of the content after it, then (in names kept since it was
    // named) the digest of its own.
    static const std::regex shape(R"(\.\d{8}T\d{6}Z(-[1-9]\d*)?\.[0-9a-f]{16}(-[0-9a-f]{16})?\..+)");
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

bool HeldLock::Awaited() const
{
    return fd >= 0 && LockAwaited(fd);
}

bool LockAwaited(int fd)
{
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return false;
    // A waiting request's line: "N: -> FLOCK  ADVISORY  WRITE PID MAJ:MIN:INODE 0 EOF".
    const std::string inode = ":" + std::to_string(status.st_ino);
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
        std::istringstream words(line);
        std::vector<std::string> word{std::istream_iterator<std::string>(words), {}};
        if (word.size() > 6 && word[1] == "->" && word[2] == "FLOCK" && word[6].size() > inode.size()
            && word[6].compare(word[6].size() - inode.size(), inode.size(), inode) == 0)
            return true;
    }
    return false;
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

// Site.h: a database "shop" beside a copy of the program, as a web server's
// folder holds them; another request's lock; the file an update leaves.
#pragma once

#include "files/IniFile.h"
#include "reliability/Configuration.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace reliability {

inline bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

inline std::string WithCrLf(const std::string& text)
{
    std::string out;
    for (char c : text)
        out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

// `start` with the writes made, as a completed update leaves it.
inline std::string UpdatedFile(const std::string& start, const std::vector<Write>& writes)
{
    TempDir scratch;
    const std::string path = scratch / "db.ini";
    WriteFile(path, start);
    CIniFile file;
    EXPECT_TRUE(file.OpenFile(path.c_str(), OpenReadWrite));
    for (const Write& write : writes)
        file.WriteValue(write.section.c_str(), write.key.c_str(), write.value.c_str());
    return file.Content();
}

// A program copy with the database "shop" beside it, in folders that every
// user may enter, so that the program can also run as an unprivileged user.
struct Site {
    TempDir dir;
    std::string program, folder, ini;

    explicit Site(const std::string* content)
    {
        namespace fs = std::filesystem;
        fs::permissions(dir.path(), fs::perms(0755));
        program = dir / "zephconf";
        fs::copy_file(ZephconfPath(), program);
        fs::permissions(program, fs::perms(0755));
        folder = dir / "shop";
        fs::create_directory(folder);
        fs::permissions(folder, fs::perms(0755));
        ini = folder + "/shop.ini";
        if (content != nullptr)
            WriteFile(ini, *content);
    }

    ProgramAnswer Post(const std::string& body, const std::vector<std::string>& wrapper = {}) const
    {
        return RunPost(body, program, "", wrapper);
    }

    std::vector<std::string> FolderEntries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

// Holds an exclusive whole-file lock the way another request does.
struct HeldLock {
    int fd;
    explicit HeldLock(const std::string& path) : fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644))
    {
        EXPECT_EQ(0, ::flock(fd, LOCK_EX | LOCK_NB));
    }
    ~HeldLock() { Release(); }
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;
    void Release()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
};

}  // namespace reliability

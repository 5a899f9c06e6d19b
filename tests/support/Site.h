// Site.h: a database laid out beside a copy of the program the way a web
// server's CGI folder holds it, another request's lock on a file, and a file
// text with CR LF line ends.
#pragma once

#include "support/RunProgram.h"
#include "support/TempDir.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// A fresh folder holding a copy of the program (zephconf) and the database
// `name` beside it (name/name.ini). The folders may be entered by every user,
// so that the program can also run as an unprivileged one.
struct Site {
    TempDir dir;
    std::string program, folder, ini;

    // `content`: the initialisation file's bytes; nullopt: no file.
    explicit Site(const std::optional<std::string>& content, const std::string& name = "shop");

    // The request to the program copy, started by its absolute path; `extra`
    // CGI variables besides the method and query; a wrapper command (e.g.
    // setpriv ...) goes in front.
    ProgramAnswer Get(const std::string& query,
                      const std::vector<std::pair<std::string, std::string>>& extra = {}) const;
    ProgramAnswer Post(const std::string& body, const std::vector<std::string>& wrapper = {}) const;

    // The names in the database's folder, sorted.
    std::vector<std::string> FolderEntries() const;

    // Moves the database's file into the folder "real" beside the database's
    // folder and puts a symbolic link ("../real/NAME.ini") in its place.
    // Gives the file's new path.
    std::string MoveBehindLink() const;
};

// The names in a folder, sorted.
std::vector<std::string> FolderEntriesOf(const std::filesystem::path& folder);

// Holds an exclusive whole-file lock the way another request does, creating
// the file when it is missing.
struct HeldLock {
    int fd;
    explicit HeldLock(const std::string& path);
    ~HeldLock() { Release(); }
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;
    // Lets go of the lock before the end of the scope (idempotent).
    void Release();
    // True while another process waits for this lock.
    bool Awaited() const;
};

// True while another process waits for a whole-file lock on the file open at
// `fd` (the kernel lists the waiting request in /proc/locks). A test that lets
// go of its lock once it is awaited checks the wait whatever the machine's speed.
bool LockAwaited(int fd);

// The text with every line feed preceded by a carriage return.
std::string WithCrLf(const std::string& text);

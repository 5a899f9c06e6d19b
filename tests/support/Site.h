// Site.h: the one way the tests start zephconf: a site, a copy of the built
// program with database folders beside it as a web server's CGI folder holds
// them, and requests to that copy, started as a web server starts a CGI
// program (support/Launch.h): a clean environment holding only the CGI
// variables given, the body on standard input, the answer, standard error and
// the exit status collected. Also another request's lock on a file, and a
// file text with CR LF line ends.
#pragma once

#include "support/Launch.h"
#include "support/TempDir.h"

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// One run of the program.
struct ProgramRun {
    std::vector<std::pair<std::string, std::string>> environment;  // e.g. {"REQUEST_METHOD", "GET"}
    std::string body;                  // standard input
    std::string argv0;                 // empty: the site's program by its absolute path; the
                                       // program reads its folder and name from it
    std::string workingDir;            // empty: the test's own
    std::vector<std::string> wrapper;  // a command put in front (e.g. setpriv ...), which
                                       // starts argv0
};

// The files of a site given as a folder: copied as they are.
struct SiteFiles {
    std::filesystem::path root;
};

// A fresh folder holding a copy of the program (zephconf) and the database
// `name` beside it (name/name.ini). The folders may be entered by every user,
// so that the program can also run as an unprivileged one.
struct Site {
    TempDir dir;
    std::string program, folder, ini;

    // `content`: the initialisation file's bytes; nullopt: no file.
    explicit Site(const std::optional<std::string>& content, const std::string& name = "shop");
    // The program beside a copy of the files under `files` when that folder
    // exists (folder and ini are left empty).
    explicit Site(const SiteFiles& files);

    // Runs the program copy once. A run ended by a signal (a sanitizer's
    // report ends it with SIGABRT) also passes its standard error on to the
    // test's own, into the test log.
    ProgramAnswer Run(const ProgramRun& run) const;
    // A GET with `extra` CGI variables besides the method and query.
    ProgramAnswer Get(const std::string& query,
                      const std::vector<std::pair<std::string, std::string>>& extra = {}) const;
    // A POST of `body`, behind a wrapper command when one is given.
    ProgramAnswer Post(const std::string& body, const std::vector<std::string>& wrapper = {}) const;

    // The names in the database's folder, sorted, but for a whole sign-in
    // key (files/SigninKey.h); in place of its history folder, whatever that
    // holds besides whole versions (a leftover temporary file:
    // "zephconf-history/shop.initmp").
    std::vector<std::string> FolderEntries() const;

    // The contents of the versions kept in the history folder, newest first.
    std::vector<std::string> Versions() const;

    // Moves the database's file into the folder "real" beside the database's
    // folder and puts a symbolic link ("../real/NAME.ini") in its place.
    // Gives the file's new path.
    std::string MoveBehindLink() const;
};

// The names in a folder, sorted.
std::vector<std::string> FolderEntriesOf(const std::filesystem::path& folder);

// The history folder's name, and whether `name` there is the name of a kept
// version of the file `fileName` ("shop.ini.20261210T164132Z[-N].DIGEST-OWN.WHO", or .DIGEST.WHO as kept before).
inline const std::string HistoryFolder = "zephconf-history";
bool IsVersionName(const std::string& name, const std::string& fileName);

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

// Whatever stands at the temporary path before a request (a killed run's
// leftover, or something planted by whoever may write the folder) is removed,
// never written through and never taken over: the file, passwords included,
// goes only into a file the request created itself. A database file behind a
// symbolic link is replaced through the file the link names, and keeps its
// extended attributes and ACLs.
#include "reliability/Configuration.h"
#include "reliability/FileChecks.h"
#include "reliability/Tools.h"
#include "support/Site.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace reliability;

namespace {

const std::string Updated = "<h1>Your database configuration file has been updated!</h1>\n";
const std::string BadPassword = "<H1><font color=\"#ff0000\">Bad password. Operation aborted.</font></H1>\n";

bool Exists(const std::string& path)
{
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

// What a planter leaves at the temporary path. `held` is a descriptor the
// planter keeps open on it, or -1.
struct Plant {
    const char* what;
    int (*plant)(const std::string& temporary, const std::string& outside);
};

const Plant Plants[] = {
    {"a 0666 file held open",
     [](const std::string& temporary, const std::string&) {
         const int held = ::open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
         EXPECT_GE(held, 0);
         EXPECT_EQ(0, ::fchmod(held, 0666));
         return held;
     }},
    {"a symbolic link to a file elsewhere",
     [](const std::string& temporary, const std::string& outside) {
         fs::create_symlink(outside, temporary);
         return -1;
     }},
    // A link to the database file beside it is no way to the file: the file
    // is reached by its own name, and the link is cleared as any other.
    {"a symbolic link to the database file",
     [](const std::string& temporary, const std::string&) {
         const std::string name = fs::path(temporary).filename().string();
         fs::create_symlink(name.substr(0, name.size() - 3), temporary);  // NAME.initmp -> NAME.ini
         return -1;
     }},
    {"a dangling symbolic link",
     [](const std::string& temporary, const std::string& outside) {
         fs::create_symlink(outside + ".missing", temporary);
         return -1;
     }},
    {"a hard link to a file elsewhere",
     [](const std::string& temporary, const std::string& outside) {
         fs::create_hard_link(outside, temporary);
         return -1;
     }},
    {"a FIFO",
     [](const std::string& temporary, const std::string&) {
         EXPECT_EQ(0, ::mkfifo(temporary.c_str(), 0666));
         return -1;
     }},
};

// A wrong-password request on a CR LF file (which rewrites its line ends)
// and an update of a line-feed file, each with every plant.
TEST(PlantedFiles, TemporaryPathIsClearedAndNeverReceivesTheFile)
{
    const std::string start = StartingFile();
    const std::string body = FormBody(MakeSubmission(12).fields);
    const std::string updated = UpdatedFile(start, body);
    for (const Plant& plant : Plants) {
        for (bool crLf : {true, false}) {
            SCOPED_TRACE(std::string(plant.what) + (crLf ? ", CR LF wrong password" : ", update"));
            Site site(crLf ? WithCrLf(start) : start);
            ASSERT_EQ(0, ::chmod(site.folder.c_str(), 0777));
            const std::string outside = site.dir / "outside";
            WriteFile(outside, "outside\n");
            ASSERT_EQ(0, ::chmod(outside.c_str(), 0644));
            const std::string temporary = site.ini + "tmp";
            const int held = plant.plant(temporary, outside);
            const ino_t before = StatusOf(site.ini).st_ino;
            const int old = ::open(site.ini.c_str(), O_RDONLY | O_CLOEXEC);  // keeps its inode number unused

            const ProgramAnswer answer =
                crLf ? site.Get("DBName=shop&act=entrance&password=wrong") : site.Post(body);
            ::close(old);
            if (crLf) {
                EXPECT_EQ(1, answer.status);
                EXPECT_NE(std::string::npos, answer.output.find(BadPassword)) << answer.output;
                EXPECT_EQ(start, ReadFile(site.ini));
            } else {
                EXPECT_EQ(0, answer.status);
                EXPECT_NE(std::string::npos, answer.output.find(Updated)) << answer.output;
                EXPECT_EQ(updated, ReadFile(site.ini));
            }
            // Replaced through a rename, by a file of its own; nothing left
            // at the temporary path, nothing outside touched.
            EXPECT_NE(before, StatusOf(site.ini).st_ino);
            EXPECT_EQ(1u, StatusOf(site.ini).st_nlink);
            EXPECT_FALSE(Exists(temporary));
            EXPECT_EQ("outside\n", ReadFile(outside));
            EXPECT_EQ(0644u, StatusOf(outside).st_mode & 07777);
            EXPECT_FALSE(Exists(outside + ".missing"));
            if (held >= 0) {
                // The planter's descriptor saw nothing, and what it writes
                // now lands nowhere that matters.
                struct stat planted {};
                ASSERT_EQ(0, ::fstat(held, &planted));
                EXPECT_EQ(0, planted.st_size);
                EXPECT_NE(planted.st_ino, StatusOf(site.ini).st_ino);
                const std::string after = ReadFile(site.ini);
                EXPECT_EQ(4, ::pwrite(held, "evil", 4, 0));
                EXPECT_EQ(after, ReadFile(site.ini));
                ::close(held);
            }
        }
    }
}

// The database file behind a symbolic link (or a chain of them) in another
// folder: the file it names is replaced by rename, with its mode, and the
// link stays as it was; nothing is left in either folder.
TEST(LinkedFile, ReplacedThroughTheFileItNames)
{
    const std::string start = StartingFile();
    const std::string body = FormBody(MakeSubmission(14).fields);
    const std::string updated = UpdatedFile(start, body);
    for (bool chain : {false, true}) {
        for (bool crLf : {false, true}) {
            SCOPED_TRACE(std::string(chain ? "a chain of links" : "one link") + (crLf ? ", CR LF" : ", line feeds"));
            Site site(crLf ? WithCrLf(start) : start);
            const std::string target = site.MoveBehindLink();
            ASSERT_EQ(0, ::chmod(target.c_str(), 0640));
            if (chain) {
                fs::create_symlink("real/shop.ini", site.dir / "middle.ini");
                fs::remove(site.ini);
                fs::create_symlink("../middle.ini", site.ini);
            }
            const std::string link = fs::read_symlink(site.ini).string();
            const ino_t before = StatusOf(target).st_ino;
            const int old = ::open(target.c_str(), O_RDONLY | O_CLOEXEC);  // keeps its inode number unused

            const ProgramAnswer answer = site.Post(body);
            ::close(old);
            ASSERT_EQ(0, answer.status) << answer.output;
            EXPECT_NE(std::string::npos, answer.output.find(Updated));
            EXPECT_EQ(updated, ReadFile(target));
            EXPECT_NE(before, StatusOf(target).st_ino) << "not replaced";
            EXPECT_EQ(0640u, StatusOf(target).st_mode & 07777);
            EXPECT_TRUE(fs::is_symlink(site.ini));
            EXPECT_EQ(link, fs::read_symlink(site.ini).string());
            EXPECT_EQ(std::vector<std::string>{"shop.ini"}, site.FolderEntries());
            EXPECT_FALSE(Exists(target + "tmp"));
        }
    }
}

// A file at the temporary path that the program may not even open (another
// user's, mode 0): it cannot be a live temporary file, and is removed too.
TEST(PlantedFiles, UnreadableFileIsRemovedToo)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to plant another user's file and drop to an unprivileged user";
    const std::string start = StartingFile();
    Site site(WithCrLf(start));
    ASSERT_EQ(0, ::chmod(site.folder.c_str(), 0777));
    ASSERT_EQ(0, ::chmod(site.ini.c_str(), 0666));
    const std::string temporary = site.ini + "tmp";
    WriteFile(temporary, "");
    ASSERT_EQ(0, ::chmod(temporary.c_str(), 0));
    ASSERT_EQ(0, ::chown(temporary.c_str(), 1, 1));  // another user's
    ProgramRun run;
    run.environment = {{"REQUEST_METHOD", "GET"}, {"QUERY_STRING", "DBName=shop&act=entrance&password=wrong"}};
    run.wrapper = Unprivileged();
    const ProgramAnswer answer = site.Run(run);
    EXPECT_EQ(1, answer.status);
    EXPECT_NE(std::string::npos, answer.output.find(BadPassword)) << answer.output;
    EXPECT_EQ(start, ReadFile(site.ini));
    EXPECT_FALSE(Exists(temporary));
}

// The database file reached through a chain of links, one of which has the
// temporary file's name beside the file: that link is part of the way to the
// file and stays; the file is rewritten in place.
TEST(LinkedFile, LinkOnTheWayWithTheTemporaryNameStays)
{
    const std::string start = StartingFile();
    Site site(WithCrLf(start));
    const std::string target = site.MoveBehindLink();
    fs::remove(site.ini);
    fs::create_symlink("shop.ini", target + "tmp");
    fs::create_symlink("../real/shop.initmp", site.ini);
    const ProgramAnswer answer = site.Get("DBName=shop&act=entrance&password=wrong");
    EXPECT_EQ(1, answer.status);
    EXPECT_NE(std::string::npos, answer.output.find(BadPassword)) << answer.output;
    EXPECT_TRUE(fs::is_symlink(target + "tmp"));
    EXPECT_EQ(start, ReadFile(site.ini));
    EXPECT_EQ(start, ReadFile(target));
}

// The folder of the linked file swapped for a link to another folder while
// the program is on its way to it: strace holds the program at its open of the
// folder (the only call it traces), and the folder is swapped once the trace
// shows that call begun. Nothing is created, replaced or removed in the other
// folder.
TEST(LinkedFile, FolderSwappedMidwayIsNotWrittenIn)
{
    ASSERT_FALSE(ToolPath("strace").empty()) << "strace is missing";
    const std::string start = StartingFile();
    Site site(WithCrLf(start));
    const std::string target = site.MoveBehindLink();
    const std::string folder = fs::canonical(site.dir / "real");
    const std::string trace = site.dir / "trace";
    const std::string victim = site.dir / "victim";
    fs::create_directory(victim);
    WriteFile(victim + "/shop.ini", "victim\n");
    WriteFile(victim + "/shop.initmp", "victim's own\n");
    std::atomic<bool> ended = false;
    std::thread swap([&] {
        while (!ended && ReadFile(trace).find("openat(") == std::string::npos)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        fs::rename(site.dir / "real", site.dir / "real.moved");
        fs::create_symlink(victim, site.dir / "real");
    });
    const ProgramRun run = [&] {
        ProgramRun r;
        r.environment = {{"REQUEST_METHOD", "GET"}, {"QUERY_STRING", "DBName=shop&act=entrance&password=wrong"}};
        r.wrapper = Strace({"-o", trace, "-P", folder, "-e", "trace=openat", "-e",
                            "inject=openat:delay_enter=1500000:when=1"});
        return r;
    }();
    const ProgramAnswer answer = site.Run(run);
    ended = true;
    swap.join();
    EXPECT_NE(std::string::npos, ReadFile(trace).find("(DELAYED)")) << "the open of the folder was not held";
    EXPECT_EQ(1, answer.status);
    EXPECT_EQ("victim\n", ReadFile(victim + "/shop.ini"));
    EXPECT_EQ("victim's own\n", ReadFile(victim + "/shop.initmp"));
    const std::vector<std::string> victimEntries = {"shop.ini", "shop.initmp"};
    EXPECT_EQ(victimEntries, FolderEntriesOf(victim));
    const std::string moved = ReadFile(site.dir / "real.moved/shop.ini");
    EXPECT_TRUE(moved == start || moved == WithCrLf(start)) << moved;
}

// A linked file whose folder the program may not write (the file itself it
// may) is rewritten in place, line ends and update alike, never refused.
TEST(LinkedFile, InPlaceWhereItsFolderCannotTakeTheTemporaryFile)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to drop to an unprivileged user";
    const std::string start = StartingFile();
    const std::string body = FormBody(MakeSubmission(15).fields);
    for (bool crLf : {false, true}) {
        SCOPED_TRACE(crLf ? "CR LF" : "line feeds");
        Site site(crLf ? WithCrLf(start) : start);
        const std::string target = site.MoveBehindLink();
        ASSERT_EQ(0, ::chmod((site.dir / "real").c_str(), 0755));
        ASSERT_EQ(0, ::chmod(target.c_str(), 0666));
        ASSERT_EQ(0, ::chmod(site.folder.c_str(), 0777));
        const ino_t before = StatusOf(target).st_ino;
        const ProgramAnswer answer =
            site.Post(body, Unprivileged());
        ASSERT_EQ(0, answer.status) << answer.output;
        EXPECT_EQ(UpdatedFile(start, body), ReadFile(target));
        EXPECT_EQ(before, StatusOf(target).st_ino);
        EXPECT_TRUE(fs::is_symlink(site.ini));
    }
}

// An access ACL: the owner rw, the user nobody r, the group r, the mask r,
// others nothing, in the kernel's attribute format.
std::string AclGivingNobodyRead()
{
    std::string acl;
    const auto add32 = [&](uint32_t value) {
        for (int i = 0; i < 4; ++i)
            acl += static_cast<char>((value >> (8 * i)) & 0xff);
    };
    const auto entry = [&](uint16_t tag, uint16_t permissions, uint32_t id) {
        acl += static_cast<char>(tag & 0xff);
        acl += static_cast<char>(tag >> 8);
        acl += static_cast<char>(permissions & 0xff);
        acl += static_cast<char>(permissions >> 8);
        add32(id);
    };
    const uint32_t undefined = 0xffffffffu;
    add32(2);  // version
    entry(0x01, 6, undefined);  // owner
    entry(0x02, 4, 65534);      // user nobody
    entry(0x04, 4, undefined);  // group
    entry(0x10, 4, undefined);  // mask
    entry(0x20, 0, undefined);  // others
    return acl;
}

std::string Attribute(const std::string& path, const char* name)
{
    char value[512];
    const ssize_t size = ::getxattr(path.c_str(), name, value, sizeof value);
    return size < 0 ? std::string("(none)") : std::string(value, static_cast<size_t>(size));
}

// The file's attributes and ACL survive a Configure, and the version of the
// content it replaced has them too.
TEST(Attributes, ExtendedAttributesAndAclSurviveAConfigure)
{
    const std::string start = StartingFile();
    const std::string body = FormBody(MakeSubmission(16).fields);
    const std::string acl = AclGivingNobodyRead();
    for (bool crLf : {false, true}) {
        SCOPED_TRACE(crLf ? "CR LF" : "line feeds");
        Site site(crLf ? WithCrLf(start) : start);
        if (::setxattr(site.ini.c_str(), "user.zeph-note", "kept", 4, 0) != 0
            || ::setxattr(site.ini.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0)
            GTEST_SKIP() << "the test folder's file system holds no extended attributes or ACLs: "
                         << std::strerror(errno);
        const std::string aclSet = Attribute(site.ini, "system.posix_acl_access");
        const mode_t mode = StatusOf(site.ini).st_mode & 07777;
        const ino_t before = StatusOf(site.ini).st_ino;
        // Held open, the old file keeps its inode number from being reused.
        const int old = ::open(site.ini.c_str(), O_RDONLY | O_CLOEXEC);
        const ProgramAnswer answer = site.Post(body);
        ::close(old);
        ASSERT_EQ(0, answer.status) << answer.output;
        EXPECT_EQ(UpdatedFile(start, body), ReadFile(site.ini));
        EXPECT_NE(before, StatusOf(site.ini).st_ino) << "not replaced";
        EXPECT_EQ("kept", Attribute(site.ini, "user.zeph-note"));
        EXPECT_EQ(aclSet, Attribute(site.ini, "system.posix_acl_access"));
        EXPECT_EQ(mode, StatusOf(site.ini).st_mode & 07777);
        EXPECT_EQ(std::vector<std::string>{"shop.ini"}, site.FolderEntries());
        // So does the version of the content it replaced.
        const std::string history = site.folder + "/" + HistoryFolder;
        const std::vector<std::string> versions = FolderEntriesOf(history);
        ASSERT_EQ(1u, versions.size());
        const std::string version = history + "/" + versions[0];
        EXPECT_EQ(start, ReadFile(version));
        EXPECT_EQ("kept", Attribute(version, "user.zeph-note"));
        EXPECT_EQ(aclSet, Attribute(version, "system.posix_acl_access"));
        EXPECT_EQ(mode, StatusOf(version).st_mode & 07777);
    }
}

// An attribute the new file cannot be given: the update goes in place, and
// the file keeps every attribute.
TEST(Attributes, InPlaceWhenOneCannotBeGiven)
{
    ASSERT_FALSE(ToolPath("strace").empty()) << "strace is missing";
    const std::string start = StartingFile();
    const std::string body = FormBody(MakeSubmission(17).fields);
    Site site(start);
    if (::setxattr(site.ini.c_str(), "user.zeph-note", "kept", 4, 0) != 0)
        GTEST_SKIP() << "the test folder's file system holds no extended attributes: " << std::strerror(errno);
    const ino_t before = StatusOf(site.ini).st_ino;
    const ProgramAnswer answer =
        site.Post(body, Strace({"-o", "/dev/null", "-e", "trace=fsetxattr", "-e", "inject=fsetxattr:error=EOPNOTSUPP"}));
    ASSERT_EQ(0, answer.status) << answer.output;
    EXPECT_EQ(UpdatedFile(start, body), ReadFile(site.ini));
    EXPECT_EQ(before, StatusOf(site.ini).st_ino) << "replaced although an attribute could not be kept";
    EXPECT_EQ("kept", Attribute(site.ini, "user.zeph-note"));
    EXPECT_EQ(std::vector<std::string>{"shop.ini"}, site.FolderEntries());
}

}  // namespace

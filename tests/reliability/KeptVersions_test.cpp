// The version an update keeps of the content it replaces: with the file's
// owner, group, mode, extended attributes and ACL; also on the in-place path;
// and where it cannot be kept (a full disk, a folder or owner the program
// may not write or give), the update goes through whole or is refused whole,
// and its log line says that the previous configuration was not kept.
#include "reliability/Configuration.h"
#include "reliability/FileChecks.h"
#include "reliability/Tools.h"
#include "support/Site.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace reliability;

namespace {

const std::string Updated = "<h1>Your database configuration file has been updated!</h1>\n";
const std::string NotKept = " (previous configuration not kept: ";

// The path of the one kept version.
std::string OnlyVersionPath(const Site& site)
{
    std::vector<std::string> names;
    for (const std::string& name : FolderEntriesOf(site.folder + "/" + HistoryFolder))
        if (IsVersionName(name, "shop.ini"))
            names.push_back(name);
    EXPECT_EQ(1u, names.size());
    return names.empty() ? "" : site.folder + "/" + HistoryFolder + "/" + names[0];
}

std::string Attribute(const std::string& path, const char* name)
{
    char value[512];
    const ssize_t size = ::getxattr(path.c_str(), name, value, sizeof value);
    return size < 0 ? std::string("(none)") : std::string(value, static_cast<size_t>(size));
}

// An access ACL giving the user nobody read, in the kernel's format.
std::string AclGivingNobodyRead()
{
    std::string acl;
    const auto add = [&](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            acl += static_cast<char>((value >> (8 * i)) & 0xff);
    };
    add(2, 4);  // version
    for (const auto& [tag, permissions, id] : {std::tuple{0x01u, 6u, 0xffffffffu}, std::tuple{0x02u, 4u, 65534u},
                                               std::tuple{0x04u, 4u, 0xffffffffu}, std::tuple{0x10u, 4u, 0xffffffffu},
                                               std::tuple{0x20u, 0u, 0xffffffffu}}) {
        add(tag, 2);
        add(permissions, 2);
        add(id, 4);
    }
    return acl;
}

// The log line's end after a confirmed update: nothing more than the
// address when the version was kept, else the reason.
std::string LoggedEnd(const ProgramAnswer& answer)
{
    const std::string from = "\" from unknown";
    const size_t at = answer.errors.find(from);
    return at == std::string::npos ? answer.errors : answer.errors.substr(at + from.size());
}

TEST(KeptVersions, OwnerGroupModeAttributesAndAclOfTheFile)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give the file to another user";
    const passwd* nobody = ::getpwnam("nobody");
    const group* nogroup = ::getgrnam("nogroup");
    ASSERT_TRUE(nobody != nullptr && nogroup != nullptr);
    const std::string start = StartingFile();
    const std::string body = FormBody(MakeSubmission(3).fields);
    Site site(start);
    ASSERT_EQ(0, ::chown(site.ini.c_str(), nobody->pw_uid, nogroup->gr_gid));
    ASSERT_EQ(0, ::chmod(site.ini.c_str(), 0640));
    const std::string acl = AclGivingNobodyRead();
    const bool attributes = ::setxattr(site.ini.c_str(), "user.zeph-note", "kept", 4, 0) == 0
                            && ::setxattr(site.ini.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) == 0;
    const std::string aclSet = Attribute(site.ini, "system.posix_acl_access");
    const mode_t mode = StatusOf(site.ini).st_mode & 07777;

    const ProgramAnswer answer = site.Post(body);
    ASSERT_EQ(0, answer.status) << answer.output;
    EXPECT_EQ("\n", LoggedEnd(answer));
    const std::string version = OnlyVersionPath(site);
    EXPECT_EQ(start, ReadFile(version));
    const struct stat status = StatusOf(version, false);
    EXPECT_TRUE(S_ISREG(status.st_mode));
    EXPECT_EQ(1u, status.st_nlink);
    EXPECT_EQ(nobody->pw_uid, status.st_uid);
    EXPECT_EQ(nogroup->gr_gid, status.st_gid);
    EXPECT_EQ(mode, status.st_mode & 07777);
    if (attributes) {
        EXPECT_EQ("kept", Attribute(version, "user.zeph-note"));
        EXPECT_EQ(aclSet, Attribute(version, "system.posix_acl_access"));
    }
    // Only the file's owner may enter the history folder.
    const struct stat folder = StatusOf(site.folder + "/" + HistoryFolder, false);
    EXPECT_TRUE(S_ISDIR(folder.st_mode));
    EXPECT_EQ(nobody->pw_uid, folder.st_uid);
    EXPECT_EQ(nogroup->gr_gid, folder.st_gid);
    EXPECT_EQ(0700u, folder.st_mode & 07777);
}

// A file with another hard link is rewritten in place; the content it held
// is kept all the same.
TEST(KeptVersions, KeptOnTheInPlacePath)
{
    const std::string start = StartingFile();
    const std::string body = FormBody(MakeSubmission(8).fields);
    Site site(start);
    fs::create_hard_link(site.ini, site.dir / "second-name.ini");
    const ProgramAnswer answer = site.Post(body);
    ASSERT_EQ(0, answer.status) << answer.output;
    EXPECT_EQ("\n", LoggedEnd(answer));
    EXPECT_EQ(UpdatedFile(start, body), ReadFile(site.dir / "second-name.ini"));
    EXPECT_EQ(std::vector<std::string>{start}, site.Versions());
}

// The disk full while the version is written (its write is the update's
// first): the update goes through without it and says so. Full for every
// write: the update is refused whole, and nothing is kept or left.
TEST(KeptVersions, FullDiskWhileTheVersionIsWritten)
{
    ASSERT_FALSE(ToolPath("strace").empty()) << "strace is missing";
    const std::string start = StartingFile();
    const std::string body = FormBody(MakeSubmission(4).fields);
    struct Case {
        const char* what;
        const char* when;
        int status;
        std::string file, logged;
    };
    const Case cases[] = {
        {"the version's write", "1", 0, UpdatedFile(start, body),
         NotKept + "history version: No space left on device)\n"},
        {"every write", "1+", 1, start, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Site site(start);
        const ProgramAnswer answer = site.Post(
            body, Strace({"-o", "/dev/null", "-e", "trace=pwrite64", "-e",
                          std::string("inject=pwrite64:error=ENOSPC:when=") + c.when}));
        EXPECT_EQ(c.status, answer.status) << answer.output;
        EXPECT_EQ(c.file, ReadFile(site.ini));
        EXPECT_EQ(c.status == 0, answer.output.find(Updated) != std::string::npos) << answer.output;
        if (c.status == 0) {
            EXPECT_EQ(c.logged, LoggedEnd(answer));
        } else {
            EXPECT_TRUE(EndsWith(answer.output, "File write: No space left on device</font></H1>\n")) << answer.output;
            EXPECT_EQ("", answer.errors);
        }
        EXPECT_TRUE(site.Versions().empty());
        EXPECT_EQ(std::vector<std::string>{"shop.ini"}, site.FolderEntries());
    }
}

// Run as the web server's user: a history folder it may not make, and a
// version it cannot give the file's owner. The update goes through, in
// place, and its log line says why the previous configuration was not kept.
TEST(KeptVersions, NotKeptWhereTheProgramMayNotMakeIt)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to drop to an unprivileged user";
    const std::string start = StartingFile();
    const std::string body = FormBody(MakeSubmission(9).fields);
    struct Case {
        const char* what;
        mode_t folderMode;
        std::string reason;
    };
    const Case cases[] = {
        {"a folder it may not write", 0755, "history folder: Permission denied"},
        {"a file of another owner", 0777, "history version: Operation not permitted"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Site site(start);
        ASSERT_EQ(0, ::chmod(site.ini.c_str(), 0666));
        ASSERT_EQ(0, ::chmod(site.folder.c_str(), c.folderMode));
        const ProgramAnswer answer = site.Post(body, Unprivileged());
        ASSERT_EQ(0, answer.status) << answer.output;
        EXPECT_NE(std::string::npos, answer.output.find(Updated));
        EXPECT_EQ(UpdatedFile(start, body), ReadFile(site.ini));
        EXPECT_EQ(NotKept + c.reason + ")\n", LoggedEnd(answer));
        EXPECT_TRUE(site.Versions().empty());
        EXPECT_EQ(std::vector<std::string>{"shop.ini"}, site.FolderEntries());
    }
}

}  // namespace

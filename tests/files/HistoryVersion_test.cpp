// The versions a commit keeps: one per change holding the content it
// replaced, named in the order of the changes, at most HistoryVersionLimit,
// none for a commit that changes nothing; and nothing planted in the history
// folder is written through or replaced.
#include "files/HistoryVersion.h"
#include "config/ChangeTransaction.h"
#include "config/ZEPHOnlineINI.h"
#include "files/IniFile.h"
#include "support/Site.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A database folder "db" holding db.ini.
struct Database {
    TempDir dir;
    std::string folder = dir / "db";
    std::string ini = folder + "/db.ini";
    std::string history = folder + "/" + HistoryFolder;
    explicit Database(const std::string& content)
    {
        fs::create_directory(folder);
        WriteFile(ini, content);
    }
};

// One change of the file through the change transaction, which keeps the
// replaced content; why it was not kept (empty when it was).
std::string Change(const std::string& ini, const char* key, const std::string& value, const std::string& who = "test")
{
    CZEPHOnlineINI file;
    EXPECT_TRUE(file.OpenFile(ini.c_str(), OpenReadWrite));
    ChangeTransaction change(file, who);
    file.WriteValue("a", key, value.c_str());
    return change.Commit().notKept;
}

// The time as a version's name writes it.
std::string UtcNow(std::time_t when = std::time(nullptr))
{
    struct tm utc {};
    gmtime_r(&when, &utc);
    char text[17];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &utc);
    return text;
}

struct Listed {
    std::vector<HistoryVersion> versions;
    std::vector<std::string> contents;
};

Listed List(const std::string& ini)
{
    Listed listed;
    const int folder = OpenHistoryFolder(ini);
    if (folder < 0)
        return listed;
    listed.versions = ListVersions(folder, fs::path(ini).filename().string());
    for (const HistoryVersion& version : listed.versions)
        listed.contents.push_back(ReadVersion(folder, version));
    ::close(folder);
    return listed;
}

TEST(HistoryVersion, EachChangeKeepsWhatItReplacedNewestFirstUpToTheLimit)
{
    Database db("[a]\nx=0\n\n");
    const std::string begun = UtcNow();
    std::vector<std::string> contents = {ReadFile(db.ini)};
    const int changes = HistoryVersionLimit + 1;
    for (int i = 1; i <= changes; ++i) {
        EXPECT_EQ("", Change(db.ini, "x", std::to_string(i), i % 2 ? "192.0.2.7" : "shell tool uid 0"));
        contents.push_back(ReadFile(db.ini));
    }
    const Listed listed = List(db.ini);
    ASSERT_EQ(static_cast<size_t>(HistoryVersionLimit), listed.versions.size());
    for (size_t n = 0; n < listed.versions.size(); ++n) {
        SCOPED_TRACE("version " + std::to_string(n + 1));
        const HistoryVersion& version = listed.versions[n];
        // Version n+1 is what change `changes - n` replaced.
        EXPECT_EQ(contents[changes - 1 - n], listed.contents[n]);
        EXPECT_EQ(ContentDigest(contents[changes - n]), version.successor);
        EXPECT_EQ(ContentDigest(contents[changes - 1 - n]), version.own);
        EXPECT_EQ((changes - n) % 2 ? "192.0.2.7" : "shell tool uid 0", version.who);
        EXPECT_TRUE(IsVersionName(version.name, "db.ini")) << version.name;
        if (n > 0) {
            const HistoryVersion& newer = listed.versions[n - 1];
            EXPECT_TRUE(newer.time > version.time || (newer.time == version.time && newer.counter > version.counter));
        }
    }
    // The versions' times are the changes', in UTC.
    EXPECT_LE(begun, listed.versions.back().time);
    EXPECT_LE(listed.versions.front().time, UtcNow());
    // Nothing else is left in the history folder.
    for (const std::string& name : FolderEntriesOf(db.history))
        EXPECT_TRUE(IsVersionName(name, "db.ini")) << name;
}

TEST(HistoryVersion, NothingKeptWithoutAChangeOrWithoutBeingAsked)
{
    Database db("[a]\nx=1\n\n");
    EXPECT_EQ("", Change(db.ini, "x", "1"));  // the value it has
    EXPECT_FALSE(fs::exists(db.history));
    {
        CIniFile file;
        ASSERT_TRUE(file.OpenFile(db.ini.c_str(), OpenReadWrite));
        file.WriteValue("a", "x", "2");
        file.Commit();
    }
    EXPECT_EQ("[a]\nx=2\n\n", ReadFile(db.ini));
    EXPECT_FALSE(fs::exists(db.history));
}

// Names, bad and good: only names of the version form are versions.
TEST(HistoryVersion, OnlyNamesOfTheVersionFormAreListed)
{
    Database db("[a]\nx=1\n\n");
    fs::create_directory(db.history);
    const std::string digest(16, 'a');
    const std::vector<std::string> others = {
        "db.initmp",
        "db.ini",
        "other.ini.20261210T164132Z." + digest + ".who",
        "db.ini.20261210T164132Z." + digest,            // no who
        "db.ini.20261210T164132Z." + digest + ".",      // empty who
        "db.ini.2026121XT164132Z." + digest + ".who",   // not a time
        "db.ini.20261210T164132Z-0." + digest + ".who", // counter 0
        "db.ini.20261210T164132Z-." + digest + ".who",
        "db.ini.20261210T164132Z." + std::string(16, 'A') + ".who",  // digest in capitals
        "db.ini.20261210T164132Z." + digest + ".a b",   // a blank is written '_'
        "db.ini.20261210T164132Z." + digest + ".%4",
        "db.ini.20261210T164132Z." + digest + "-" + digest,           // own digest, no who
        "db.ini.20261210T164132Z." + digest + "-" + digest + ".",     // own digest, empty who
        "db.ini.20261210T164132Z." + digest + "-abc.who",             // own digest cut short
        "db.ini.20261210T164132Z." + digest + "-" + std::string(16, 'A') + ".who",
        "db.ini.20261210T164132Z." + digest + "-" + digest + "-" + digest + ".who",
    };
    for (const std::string& name : others)
        WriteFile(db.history + "/" + name, "x");
    WriteFile(db.history + "/db.ini.20261210T164132Z-12." + digest + ".shell_tool_uid_0%2F1", "kept\n");
    const Listed listed = List(db.ini);
    ASSERT_EQ(1u, listed.versions.size());
    EXPECT_EQ("20261210T164132Z", listed.versions[0].time);
    EXPECT_EQ(12, listed.versions[0].counter);
    EXPECT_EQ(digest, listed.versions[0].successor);
    EXPECT_EQ("shell tool uid 0/1", listed.versions[0].who);
    EXPECT_EQ("", listed.versions[0].own);  // the older form names none
    EXPECT_EQ("kept\n", listed.contents[0]);

    // The newer form beside it: both are listed, each with what its name says.
    const std::string own(16, 'b');
    WriteFile(db.history + "/db.ini.20261210T164133Z." + digest + "-" + own + ".192.0.2.7", "newer\n");
    const Listed both = List(db.ini);
    ASSERT_EQ(2u, both.versions.size());
    EXPECT_EQ("20261210T164133Z", both.versions[0].time);
    EXPECT_EQ(digest, both.versions[0].successor);
    EXPECT_EQ(own, both.versions[0].own);
    EXPECT_EQ("192.0.2.7", both.versions[0].who);
    EXPECT_EQ("newer\n", both.contents[0]);
    EXPECT_EQ("", both.versions[1].own);
}

// Who is kept in the name whatever it holds: no '/', no blank, no control
// byte reaches the name, and it reads back as it was.
TEST(HistoryVersion, WhoOfAnyBytesReadsBack)
{
    for (const std::string& who : {std::string("2001:db8::1"), std::string("a/b\\c d\te\n%_"),
                                  std::string("\xc3\xa4\x01\x7f")}) {
        Database db("[a]\nx=1\n\n");
        EXPECT_EQ("", Change(db.ini, "x", "2", who));
        const Listed listed = List(db.ini);
        ASSERT_EQ(1u, listed.versions.size());
        EXPECT_EQ(who, listed.versions[0].who);
        EXPECT_EQ(std::string::npos, listed.versions[0].name.find_first_of("/ \t\n\x01\x7f")) << listed.versions[0].name;
    }
}

// Planted in the history folder: a link at the temporary name to a file
// outside, and a file and a link at the names the version would take. None
// is written through or replaced; the version takes a name of its own.
TEST(HistoryVersion, PlantedNamesAreNotUsed)
{
    Database db("[a]\nx=1\n\n");
    fs::create_directory(db.history);
    const std::string outside = db.dir / "outside";
    WriteFile(outside, "outside\n");
    fs::create_symlink(outside, db.history + "/db.initmp");
    const std::string replacement = "[a]\nx=2\n\n";
    const std::time_t now = std::time(nullptr);
    std::vector<std::string> planted;
    for (std::time_t second = now; second <= now + 2; ++second) {
        const std::string name = db.history + "/db.ini." + UtcNow(second) + "." + ContentDigest(replacement) + ".test";
        if (second == now)
            fs::create_symlink(outside, name);
        else
            WriteFile(name, "planted\n");
        planted.push_back(name);
    }
    EXPECT_EQ("", Change(db.ini, "x", "2"));
    EXPECT_EQ(replacement, ReadFile(db.ini));
    EXPECT_EQ("outside\n", ReadFile(outside));
    EXPECT_FALSE(fs::exists(fs::symlink_status(db.history + "/db.initmp")));
    EXPECT_TRUE(fs::is_symlink(planted[0]));
    EXPECT_EQ("planted\n", ReadFile(planted[1]));
    EXPECT_EQ("planted\n", ReadFile(planted[2]));
    // The planted names read as versions, newest first: ours is newer still.
    const int folder = OpenHistoryFolder(db.ini);
    ASSERT_GE(folder, 0);
    const std::vector<HistoryVersion> versions = ListVersions(folder, "db.ini");
    ASSERT_EQ(4u, versions.size());
    EXPECT_EQ("[a]\nx=1\n\n", ReadVersion(folder, versions[0]));
    EXPECT_THROW(ReadVersion(folder, versions[3]), std::runtime_error);  // the link is not followed
    ::close(folder);
}

// A link, or a file, in the history folder's place: not followed, not
// removed; the change goes on and says why its predecessor was not kept.
TEST(HistoryVersion, HistoryFolderThatIsNoFolderIsNotUsed)
{
    struct Case {
        const char* what;
        void (*plant)(const std::string& history, const std::string& elsewhere);
        const char* reason;
    };
    const Case cases[] = {
        {"a link to a folder", [](const std::string& history, const std::string& elsewhere) {
             fs::create_symlink(elsewhere, history);
         }, "history folder: Not a directory"},
        {"a file", [](const std::string& history, const std::string&) { WriteFile(history, "file\n"); },
         "history folder: Not a directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Database db("[a]\nx=1\n\n");
        const std::string elsewhere = db.dir / "elsewhere";
        fs::create_directory(elsewhere);
        c.plant(db.history, elsewhere);
        EXPECT_EQ(c.reason, Change(db.ini, "x", "2"));
        EXPECT_EQ("[a]\nx=2\n\n", ReadFile(db.ini));
        EXPECT_TRUE(fs::is_empty(elsewhere));
        EXPECT_EQ(NotKeptSuffix(c.reason), " (previous configuration not kept: " + std::string(c.reason) + ")");
    }
}

// Why a version was not kept names the call that failed, never an errno left
// over from an earlier call: the temporary name taken by a folder, or by a
// file whose lock another process holds.
TEST(HistoryVersion, TheReasonNamesTheRealFailure)
{
    struct Case {
        const char* what;
        bool folder;  // else a locked file
        const char* reason;
    };
    const Case cases[] = {
        {"a folder at the temporary name", true, "history version: Is a directory"},
        {"a locked file at the temporary name", false, "history version: Resource temporarily unavailable"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Database db("[a]\nx=1\n\n");
        fs::create_directory(db.history);
        const std::string temporary = db.history + "/db.initmp";
        std::optional<HeldLock> held;
        if (c.folder)
            fs::create_directory(temporary);
        else
            held.emplace(temporary);
        EXPECT_EQ(c.reason, Change(db.ini, "x", "2"));
        EXPECT_EQ("[a]\nx=2\n\n", ReadFile(db.ini));
        EXPECT_TRUE(fs::exists(temporary));
    }
}

}  // namespace

// The change transaction on a nearly full disk: the version it keeps never
// costs the change. A small tmpfs is filled to leave a given number of free
// pages, page by page; at each, a change with its version goes through
// wherever the same change without a version does, and the file is always
// whole: the new content or the old. And the names of the settings a change
// changed, as its outcome gives them.
#include "config/ChangeTransaction.h"
#include "config/ZEPHOnlineINI.h"
#include "files/HistoryVersion.h"
#include "support/Site.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const long Page = ::sysconf(_SC_PAGESIZE);

// A tmpfs of `pages` pages on a fresh folder, unmounted when it goes.
class SmallDisk {
public:
    explicit SmallDisk(long pages)
    {
        fs::create_directory(root);
        const std::string size = "size=" + std::to_string(pages * Page);
        mounted = ::mount("tmpfs", root.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, size.c_str()) == 0;
        error = errno;
    }
    ~SmallDisk()
    {
        if (mounted)
            ::umount2(root.c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool Mounted() const { return mounted; }
    int MountError() const { return error; }
    const std::string& Root() const { return root; }

    long FreePages() const
    {
        struct statvfs status {};
        return ::statvfs(root.c_str(), &status) == 0 ? static_cast<long>(status.f_bavail) : -1;
    }
    // A file that takes every page but `free`.
    void LeaveFree(long free) const
    {
        const int filler = ::open((root + "/filler").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_GE(filler, 0) << std::strerror(errno);
        const long taken = FreePages() - free;
        if (taken > 0) {
            EXPECT_EQ(0, ::posix_fallocate(filler, 0, taken * Page));
        }
        ::close(filler);
        ASSERT_EQ(free, FreePages());
    }

private:
    TempDir dir;
    std::string root = dir / "disk";
    bool mounted = false;
    int error = 0;
};

enum class Result { Kept, NotKept, Refused };

struct ChangeRun {
    Result result;
    std::string notKept;
};

const std::string Old = "[a]\nx=" + std::string(static_cast<size_t>(Page) + 900, 'o') + "\n\n";
const std::string New = "[a]\nx=" + std::string(static_cast<size_t>(Page) * 2 + 900, 'n') + "\n\n";

// One change of db/db.ini from Old to New on a disk with `free` pages left,
// with its version or without; a second name makes it a rewrite in place.
// The file is whole afterwards, and a refused change leaves no file behind.
ChangeRun ChangeOnFullDisk(long free, bool keepVersion, bool inPlace)
{
    SmallDisk disk(64);
    EXPECT_TRUE(disk.Mounted()) << std::strerror(disk.MountError());
    const std::string folder = disk.Root() + "/db", ini = folder + "/db.ini";
    fs::create_directory(folder);
    fs::create_directory(folder + "/" + HistoryFolder);
    WriteFile(ini, Old);
    if (inPlace)
        fs::create_hard_link(ini, folder + "/second.ini");
    disk.LeaveFree(free);

    ChangeRun run {Result::Refused, ""};
    {
        CZEPHOnlineINI record;
        EXPECT_TRUE(record.OpenFile(ini.c_str(), OpenReadWrite));
        ChangeTransaction change = keepVersion ? ChangeTransaction(record, "test")
                                               : ChangeTransaction(record, ChangeTransaction::NoVersion);
        record.WriteValue("a", "x", New.substr(6, New.size() - 8).c_str());
        try {
            const ChangeOutcome outcome = change.Commit();
            EXPECT_TRUE(outcome.changed);
            run = {outcome.notKept.empty() ? Result::Kept : Result::NotKept, outcome.notKept};
        } catch (const FileError& failure) {
            EXPECT_EQ(ENOSPC, failure.Error()) << failure.what();
        }
    }
    const std::string now = ReadFile(ini);
    EXPECT_EQ(run.result == Result::Refused ? Old : New, now);
    const std::vector<std::string> versions = FolderEntriesOf(folder + "/" + HistoryFolder);
    EXPECT_EQ(run.result == Result::Kept && keepVersion ? 1u : 0u, versions.size());
    if (run.result == Result::Kept && keepVersion && versions.size() == 1) {
        EXPECT_EQ(Old, ReadFile(folder + "/" + HistoryFolder + "/" + versions[0]));
    }
    const std::vector<std::string> expected =
        inPlace ? std::vector<std::string>{"db.ini", "second.ini", HistoryFolder}
                : std::vector<std::string>{"db.ini", HistoryFolder};
    EXPECT_EQ(expected, FolderEntriesOf(folder));
    return run;
}

TEST(ChangeTransaction, TheVersionNeverCostsTheChangeOnAFullDisk)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to mount a small tmpfs";
    {
        SmallDisk probe(4);
        if (!probe.Mounted() && probe.MountError() == EPERM)
            GTEST_SKIP() << "no tmpfs may be mounted here";
    }
    for (const bool inPlace : {false, true}) {
        SCOPED_TRACE(inPlace ? "a rewrite in place" : "a new file renamed over the old");
        bool sawDropped = false, sawKept = false;
        // From no room at all to room for the version and the change.
        for (long free = 0; free <= 8; ++free) {
            SCOPED_TRACE(std::to_string(free) + " free pages");
            const ChangeRun alone = ChangeOnFullDisk(free, false, inPlace);
            const ChangeRun kept = ChangeOnFullDisk(free, true, inPlace);
            // Refused only where the change alone cannot fit.
            EXPECT_EQ(alone.result == Result::Refused, kept.result == Result::Refused);
            if (kept.result == Result::NotKept) {
                EXPECT_EQ("history version: No space left on device", kept.notKept);
            }
            sawKept = sawKept || kept.result == Result::Kept;
            // The version was written and then dropped for the change's room.
            sawDropped = sawDropped || (kept.result == Result::NotKept && free * Page >= long(Old.size()));
        }
        EXPECT_TRUE(sawKept);
        EXPECT_TRUE(sawDropped);
    }
}

}  // namespace

// A change names the settings it changed, compared in the content it
// replaces and the one it puts in place: a value written as the file holds
// it is no change, and a change that changes nothing names nothing.
TEST(ChangeTransaction, TheOutcomeNamesTheSettingsChanged)
{
    struct Write { const char* section; const char* key; const char* value; };
    struct Case { std::vector<Write> writes; std::vector<std::string> named; };
    const Case cases[] = {
        {{{"a", "x", "new"}, {"a", "y", "kept"}}, {"[a] x"}},
        {{{"a", "y", "kept"}}, {}},
        {{{"b", "z", "1"}, {"a", "w", "2"}, {"a", "x", "new"}}, {"[a] x", "[a] w", "[b] z"}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string ini = dir / "db.ini";
        WriteFile(ini, "[a]\nx=old\ny=kept\n\n");
        CZEPHOnlineINI record;
        ASSERT_TRUE(record.OpenFile(ini.c_str(), OpenReadWrite));
        ChangeTransaction change(record, ChangeTransaction::NoVersion);
        for (const Write& write : c.writes)
            record.WriteValue(write.section, write.key, write.value);
        const ChangeOutcome outcome = change.Commit();
        EXPECT_EQ(!c.named.empty(), outcome.changed);
        EXPECT_EQ(c.named, outcome.changedSettings);
    }
}

// File object: open modes, locks, errors, names and transfers.
#include "files/SFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string ErrorText(const char* context, int error)
{
    return std::string(context) + std::strerror(error);
}

// The text of the file error raised by `action`, or "" when none is raised.
template <typename Action>
std::string RaisedText(Action action)
{
    try {
        action();
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "";
}

TEST(CSFile, OpenModeTable)
{
    // after: the file's content right after the open; nullptr: still missing.
    struct Case { int mode; bool exists; bool opens; const char* after; bool reads; bool writes; };
    const Case cases[] = {
        {OpenRead, true, true, "old", true, false},
        {OpenRead | 0x80, true, true, "old", true, false},
        {OpenRead, false, false, nullptr, false, false},
        {OpenRead | OpenCreate | OpenKeep, false, false, nullptr, false, false},
        {OpenWrite, true, true, "", false, true},
        {OpenWrite, false, true, "", false, true},
        {OpenWrite | OpenKeep, true, true, "old", true, true},  // kept content is opened "r+"
        {OpenWrite | OpenKeep, false, true, "", false, true},
        {OpenReadWrite, true, true, "old", true, true},
        {0, true, true, "old", true, true},
        {OpenReadWrite, false, false, nullptr, false, false},
        {OpenReadWrite | OpenKeep, false, false, nullptr, false, false},
        {OpenReadWrite | OpenCreate, true, true, "", true, true},
        {OpenReadWrite | OpenCreate, false, true, "", true, true},
        {OpenCreate, true, true, "", true, true},
        {OpenReadWrite | OpenCreate | OpenKeep, true, true, "old", true, true},
        {OpenReadWrite | OpenCreate | OpenKeep, false, true, "", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << (c.exists ? " existing" : " missing"));
        TempDir dir;
        const std::string file = dir / "f.ini";
        if (c.exists)
            WriteFile(file, "old");
        CSFile f;
        EXPECT_EQ(c.opens, f.Open(file.c_str(), c.mode));
        EXPECT_EQ(c.opens, f.GetStream() != nullptr);
        if (c.after == nullptr)
            EXPECT_FALSE(std::filesystem::exists(file));
        else
            EXPECT_EQ(c.after, ReadFile(file));
        if (c.opens) {
            // Read last: it clears the error a refused write leaves on the stream.
            EXPECT_EQ(c.writes, RaisedText([&] { f.Write("x", 1); f.Flush(); }).empty());
            f.Seek(0, SEEK_SET);
            char byte;
            EXPECT_EQ(c.reads, RaisedText([&] { f.Read(&byte, 1); }).empty());
        }
    }
}

TEST(CSFile, OpenFailureRaisesOnlyWhenAsked)
{
    TempDir dir;
    const std::string missing = dir / "missing.ini";
    CSFile f;
    EXPECT_FALSE(f.Open(missing.c_str(), OpenRead, false));
    EXPECT_EQ(ErrorText("File open: ", ENOENT), RaisedText([&] { f.Open(missing.c_str(), OpenReadWrite, true); }));
    EXPECT_EQ(nullptr, f.GetStream());
    EXPECT_EQ(missing, f.GetFileDirectory() + "/" + f.GetFileName());  // the path stays recorded

    CSFile named(missing.c_str(), OpenRead);  // reports nothing
    EXPECT_EQ(nullptr, named.GetStream());
}

TEST(CSFile, ExclusiveLockRefusesSecondObject)
{
    TempDir dir;
    const std::string file = dir / "f.ini";
    WriteFile(file, "keep me");
    CSFile holder;
    ASSERT_TRUE(holder.Open(file.c_str(), OpenReadWrite));
    for (int mode : {int(OpenRead), int(OpenReadWrite), OpenReadWrite | OpenCreate, int(OpenWrite), OpenRead | OpenShared}) {
        CSFile second;
        EXPECT_FALSE(second.Open(file.c_str(), mode)) << mode;
        EXPECT_EQ(ErrorText("File open: ", EWOULDBLOCK), RaisedText([&] { second.Open(file.c_str(), mode, true); })) << mode;
        EXPECT_EQ(nullptr, second.GetStream());
    }
    // An emptying open that meets the lock leaves the holder's content alone.
    EXPECT_EQ("keep me", ReadFile(file));
    holder.Close();
    CSFile after;
    EXPECT_TRUE(after.Open(file.c_str(), OpenReadWrite));
}

TEST(CSFile, SharedLocksCoexistButKeepExclusiveOut)
{
    TempDir dir;
    const std::string file = dir / "f.ini";
    WriteFile(file, "x");
    CSFile a, b, c;
    ASSERT_TRUE(a.Open(file.c_str(), OpenRead | OpenShared));
    EXPECT_TRUE(b.Open(file.c_str(), OpenRead | OpenShared));
    EXPECT_FALSE(c.Open(file.c_str(), OpenRead));
}

TEST(CSFile, LockRefusesOtherProcess)
{
    TempDir dir;
    const std::string file = dir / "f.ini";
    WriteFile(file, "x");
    CSFile holder;
    ASSERT_TRUE(holder.Open(file.c_str(), OpenReadWrite));
    const pid_t child = fork();
    ASSERT_NE(-1, child);
    if (child == 0) {
        CSFile other;
        _exit(other.Open(file.c_str(), OpenRead) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status)) << "the other process got the lock";
}

TEST(CSFile, TransfersPositionsAndLength)
{
    TempDir dir;
    const std::string file = dir / "f.ini";
    CSFile f;
    ASSERT_TRUE(f.Open(file.c_str(), OpenReadWrite | OpenCreate));
    f.Write("hello world", 11);
    EXPECT_EQ(11, f.GetPosition());
    EXPECT_EQ(6, f.Seek(6, SEEK_SET));
    char buffer[16] = {};
    EXPECT_EQ(5u, f.Read(buffer, sizeof buffer));  // read after write: flushed first
    EXPECT_STREQ("world", buffer);
    EXPECT_EQ(0u, f.Read(buffer, sizeof buffer));  // end of file is no error
    EXPECT_EQ(11, f.GetLength());
    f.Seek(0, SEEK_SET);
    f.Read(buffer, 5);
    f.Write("!", 1);  // write after read
    f.SetLength(6);
    EXPECT_EQ(6, f.Seek(0, SEEK_END));
    f.Close();
    f.Close();  // closing a closed object does nothing
    EXPECT_EQ("hello!", ReadFile(file));
}

TEST(CSFile, ErrorTexts)
{
    TempDir dir;
    const std::string file = dir / "f.ini";
    WriteFile(file, "abc");
    CSFile f;
    ASSERT_TRUE(f.Open(file.c_str(), OpenRead));
    EXPECT_EQ(ErrorText("File seek: ", EINVAL), RaisedText([&] { f.Seek(-5, SEEK_SET); }));
    EXPECT_EQ(ErrorText("Get file length: ", EINVAL), RaisedText([&] { f.SetLength(0); }));
    EXPECT_EQ(ErrorText("File write: ", EBADF), RaisedText([&] { f.Write("x", 1); }));
    EXPECT_EQ(ErrorText("File rename: ", ENOENT),
              RaisedText([&] { CSFile::Rename((dir / "none").c_str(), (dir / "other").c_str()); }));
    EXPECT_EQ(ErrorText("File removal: ", ENOENT), RaisedText([&] { CSFile::Remove((dir / "none").c_str()); }));

    // A stream on a pipe cannot tell its position: the error names removal.
    int ends[2];
    ASSERT_EQ(0, pipe(ends));
    CSFile onPipe;
    ASSERT_TRUE(onPipe.Open(("/proc/self/fd/" + std::to_string(ends[0])).c_str(), OpenRead));
    EXPECT_EQ(ErrorText("File removal: ", ESPIPE), RaisedText([&] { onPipe.GetPosition(); }));
    EXPECT_EQ(ErrorText("Get file length: ", EINVAL), RaisedText([&] { onPipe.SetLength(0); }));
    close(ends[0]);
    close(ends[1]);
}

TEST(CSFile, TransferErrorTexts)
{
    TempDir dir;
    CSFile folder;
    ASSERT_TRUE(folder.Open(dir.path().c_str(), OpenRead));
    char byte;
    EXPECT_EQ(ErrorText("File read: ", EISDIR), RaisedText([&] { folder.Read(&byte, 1); }));

    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    CSFile full;
    ASSERT_TRUE(full.Open("/dev/full", OpenWrite));
    full.Write("x", 1);
    EXPECT_EQ(ErrorText("File flush: ", ENOSPC), RaisedText([&] { full.Flush(); }));
}

TEST(CSFile, NameHelpers)
{
    struct Case { const char* path; const char* name; const char* title; const char* directory; };
    const Case cases[] = {
        {"dir/sub/x.ini", "x.ini", "x", "dir/sub"},
        {"a\\b/c.ini", "c.ini", "c", "a\\b"},
        {"a/b\\c.ini", "c.ini", "c", "a/b"},
        {"x.ini", "x.ini", "x", ""},
        {"/x.ini", "x.ini", "x", ""},
        {"d/c.tar.ini", "c.tar.ini", "c.tar", "d"},
        {"d/.hidden", ".hidden", "", "d"},
        {"d/noext", "noext", "noext", "d"},
        {"", "", "", ""},
    };
    for (const Case& c : cases) {
        CSFile f;
        f.SetFilePath(c.path);
        EXPECT_EQ(c.name, f.GetFileName()) << c.path;
        EXPECT_EQ(c.title, f.GetFileTitle()) << c.path;
        EXPECT_EQ(c.directory, f.GetFileDirectory()) << c.path;
    }
    CSFile f;
    f.SetFilePath(nullptr);
    EXPECT_EQ("", f.GetFileName());
}

TEST(CSFile, ReopenClosesOldStreamAndDestructorCloses)
{
    TempDir dir;
    const std::string first = dir / "a.ini";
    const std::string second = dir / "b.ini";
    WriteFile(first, "a");
    WriteFile(second, "b");
    {
        CSFile f;
        ASSERT_TRUE(f.Open(first.c_str(), OpenReadWrite));
        ASSERT_TRUE(f.Open(second.c_str(), OpenReadWrite));
        CSFile other;
        EXPECT_TRUE(other.Open(first.c_str(), OpenReadWrite));  // its lock went with the old stream
        other.Close();
        EXPECT_FALSE(other.Open(second.c_str(), OpenReadWrite));
    }
    CSFile after;
    EXPECT_TRUE(after.Open(second.c_str(), OpenReadWrite));  // the destructor released it
}

TEST(CSFile, RangeLocks)
{
    TempDir dir;
    const std::string file = dir / "f.ini";
    WriteFile(file, "0123456789");
    CSFile f;
    ASSERT_TRUE(f.Open(file.c_str(), OpenReadWrite));
    f.LockRange(2, 4, SEEK_SET);
    f.UnlockRange(2, 4, SEEK_SET);
    f.LockRange(-100, 4, SEEK_SET);  // unreachable position: nothing happens
    ASSERT_TRUE(f.Open(file.c_str(), OpenRead | OpenShared));
    EXPECT_EQ(ErrorText("LockRange: ", EBADF), RaisedText([&] { f.LockRange(0, 1, SEEK_SET); }));
}

}  // namespace

// Initialisation file writing: every layout byte for byte, repeated writes,
// writes reaching the file only at Commit, and a failing commit leaving the
// file as it was.
#include "files/IniFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <string>
#include <vector>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(CIniFileWrite, LayoutsByteForByte)
{
    const std::string longLine(2000, 'v');
    struct Case { std::string before; const char* section; const char* key; const char* value; std::string after; };
    const Case cases[] = {
        // key present: its line replaced, longer or shorter
        {"[a]\nx=1\ny=2\n\n[b]\nz=3\n\n", "a", "y", "22", "[a]\nx=1\ny=22\n\n[b]\nz=3\n\n"},
        {"[a]\nx=long value\ny=2\n\n", "a", "x", "s", "[a]\nx=s\ny=2\n\n"},
        {"; kept\n[a]\n# note\nx=1\n\n", "a", "x", "a=b ", "; kept\n[a]\n# note\nx=a=b \n\n"},
        {"[a]\nx=1\n\n", "a", "x", "", "[a]\nx=\n\n"},
        {"[a]\nx=1", "a", "x", "2", "[a]\nx=2\n"},
        // key line longer than 999 bytes: replaced whole, either way
        {"[a]\nx=" + longLine + "\ny=2\n\n", "a", "x", "short", "[a]\nx=short\ny=2\n\n"},
        {"[a]\nx=1\ny=2\n\n", "a", "x", longLine.c_str(), "[a]\nx=" + longLine + "\ny=2\n\n"},
        {"[a]\n" + longLine + "\nx=1\n\n", "a", "x", "2", "[a]\n" + longLine + "\nx=2\n\n"},
        // key missing, body closed by an empty line: inserted before it
        {"[a]\nx=1\ny=2\n\n[b]\nz=3\n\n", "a", "w", "4", "[a]\nx=1\ny=2\nw=4\n\n[b]\nz=3\n\n"},
        {"[a]\n\n", "a", "w", "4", "[a]\nw=4\n\n"},
        // key missing, body runs to the end of the file: key and empty line appended
        {"[a]\nx=1\n", "a", "w", "4", "[a]\nx=1\nw=4\n\n"},
        {"[a]\nx=1", "a", "w", "4", "[a]\nx=1\nw=4\n\n"},
        {"[a]\nx=1\r", "a", "w", "4", "[a]\nx=1\r\nw=4\n\n"},
        {"[a]", "a", "w", "4", "[a]\nw=4\n\n"},
        // section missing: appended at the end
        {"[a]\nx=1\n\n", "c", "k", "v", "[a]\nx=1\n\n[c]\nk=v\n\n"},
        {"", "s", "k", "v", "[s]\nk=v\n\n"},
        {"[a]\nx=1", "c", "k", "v", "[a]\nx=1\n[c]\nk=v\n\n"},
        {"[a]\nx=1\n\n", "c", "k", "", "[a]\nx=1\n\n[c]\nk=\n\n"},
        // CR LF lines: the written line ends with LF, the others keep their bytes
        {"[a]\r\nx=1\r\ny=2\r\n\r\n", "a", "x", "5", "[a]\r\nx=5\ny=2\r\n\r\n"},
        {"[a]\r\nx=1\r\n\r\n[b]\r\n", "a", "w", "4", "[a]\r\nx=1\r\nw=4\n\n[b]\r\n"},
        // the value the key already has: untouched only on a line ending in a plain LF
        {"[a]\nx=1\ny=2\n\n", "a", "x", "1", "[a]\nx=1\ny=2\n\n"},
        {"[a]\r\nx=1\r\ny=2\r\n\r\n", "a", "x", "1", "[a]\r\nx=1\ny=2\r\n\r\n"},
        {"[a]\nx=1", "a", "x", "1", "[a]\nx=1\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.before.substr(0, 40)) + " " + c.section + "/" + c.key);
        TempDir dir;
        const std::string file = dir / "db.ini";
        WriteFile(file, c.before);
        CIniFile ini;
        ASSERT_TRUE(ini.OpenFile(file.c_str(), OpenReadWrite));
        ini.WriteValue(c.section, c.key, c.value);
        EXPECT_EQ(c.after, ini.Content());
        std::string value;
        EXPECT_TRUE(ini.ReadValue(c.section, c.key, value));  // lookups see the write at once
        EXPECT_EQ(c.value, value);
        EXPECT_EQ(c.before, ReadFile(file)) << "the file changes only at Commit";
        ini.Commit();
        EXPECT_EQ(c.after, ReadFile(file));  // on disk before the file is closed

        struct stat committed {}, again {};
        ASSERT_EQ(0, ::stat(file.c_str(), &committed));
        ini.WriteValue(c.section, c.key, c.value);
        ini.Commit();
        ASSERT_EQ(0, ::stat(file.c_str(), &again));
        EXPECT_EQ(c.after, ReadFile(file)) << "the same value twice";
        EXPECT_EQ(committed.st_ino, again.st_ino) << "nothing to write, nothing written";
    }
}

TEST(CIniFileWrite, SuccessiveWritesOnOneObject)
{
    TempDir dir;
    const std::string file = dir / "db.ini";
    WriteFile(file, "[a]\nx=1\n\n[b]\ny=2\n\n");
    CIniFile ini;
    ASSERT_TRUE(ini.OpenFile(file.c_str(), OpenReadWrite));
    ini.WriteValue("a", "x", "a much longer value than before");
    ini.WriteValue("b", "z", "new");
    ini.WriteValue("a", "x", "");
    ini.WriteValue("c", "k", "v");
    ini.WriteValue("b", "y", std::string(1500, 'y').c_str());
    ini.Commit();
    ini.WriteValue("b", "y", "short");
    const std::string expected = "[a]\nx=\n\n[b]\ny=short\nz=new\n\n[c]\nk=v\n\n";
    ini.Commit();
    EXPECT_EQ(expected, ReadFile(file));
    std::string value;
    EXPECT_TRUE(ini.ReadValue("b", "z", value));
    EXPECT_EQ("new", value);
    // The object holds the file it committed, and the file's lock.
    CSFile other;
    EXPECT_FALSE(other.Open(file.c_str(), OpenReadWrite));
    ini.WriteValue("a", "x", "after close");
    ini.Close();
    EXPECT_EQ(expected, ReadFile(file)) << "a write not committed is dropped";
    EXPECT_TRUE(other.Open(file.c_str(), OpenReadWrite));
}

// Writes that change which lines are headers: the section found for one
// write must not be taken for granted by the next. A last line "[s\r\r"
// without a line end is the header of "" (a final CR goes, and one before
// it); the line feed that a write adds makes it "[s\r", the header of "s". A
// key line that looks like a header, and a value with a line feed, change
// the headers too.
TEST(CIniFileWrite, WritesThatChangeTheHeaders)
{
    struct Write { const char* section; const char* key; const char* value; };
    struct Case { const char* file; std::vector<Write> writes; const char* expected; };
    const Case cases[] = {
        {"k=1\n[s\r\r", {{"", "a", "1"}, {"", "b", "2"}}, "k=1\n[s\r\r\na=1\n\n[]\nb=2\n\n"},
        {"[a]\n[b]=1\n\n[b]\nx=1\n\n", {{"b", "x", "2"}, {"a", "[b]", "3"}, {"b", "x", "4"}},
         "[a]\n[b]=3\n\n[b]\nx=4\n\n"},
        {"[a]\nk=1\n\n[b]\nx=1\n\n", {{"b", "x", "2"}, {"a", "k", "v\n[b]"}, {"b", "x", "3"}},
         "[a]\nk=v\n[b]\nx=3\n\n[b]\nx=2\n\n"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string file = dir / "db.ini";
        WriteFile(file, c.file);
        CIniFile ini;
        ASSERT_TRUE(ini.OpenFile(file.c_str(), OpenReadWrite));
        for (const Write& write : c.writes)
            ini.WriteValue(write.section, write.key, write.value);
        EXPECT_EQ(c.expected, ini.Content()) << c.file;
    }
}

TEST(CIniFileWrite, NullTextsCountAsEmpty)
{
    TempDir dir;
    const std::string file = dir / "db.ini";
    WriteFile(file, "[a]\nx=1\n\n");
    CIniFile ini;
    ASSERT_TRUE(ini.OpenFile(file.c_str(), OpenReadWrite));
    ini.WriteValue("a", "x", nullptr);
    ini.Commit();
    EXPECT_EQ("[a]\nx=\n\n", ReadFile(file));
}

TEST(CIniFileWrite, ReadOnlyFileIsRefusedAndUnchanged)
{
    TempDir dir;
    const std::string file = dir / "db.ini";
    const std::string before = "[a]\nx=1\ny=2\n\n";
    WriteFile(file, before);
    CIniFile ini;
    ASSERT_TRUE(ini.OpenFile(file.c_str(), OpenRead));
    for (const char* value : {"much longer than one", "", "1"}) {
        try {
            ini.WriteValue("a", "x", value);
            ini.Commit();
            if (std::strcmp(value, "1") != 0)
                ADD_FAILURE() << "no error for " << value;
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string("File write: ") + std::strerror(EBADF), error.what());
        }
        EXPECT_EQ(before, ReadFile(file));
    }
}

// Runs WriteValue and Commit in a child process whose files may not grow
// beyond `limit` bytes; returns the error text the child saw ("" when none).
std::string WriteUnderSizeLimit(const std::string& file, rlim_t limit, const char* section, const char* key,
                                const char* value)
{
    int ends[2];
    if (pipe(ends) != 0)
        return "pipe failed";
    const pid_t child = fork();
    if (child == 0) {
        close(ends[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit size{limit, limit};
        setrlimit(RLIMIT_FSIZE, &size);
        std::string text;
        CIniFile ini;
        if (!ini.OpenFile(file.c_str(), OpenReadWrite))
            text = "open failed";
        try {
            ini.WriteValue(section, key, value);
            ini.Commit();
        } catch (const std::runtime_error& error) {
            text = error.what();
        }
        (void)!write(ends[1], text.data(), text.size());
        _exit(0);
    }
    close(ends[1]);
    std::string text;
    char buffer[256];
    ssize_t got;
    while ((got = read(ends[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<size_t>(got));
    close(ends[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return text;
}

TEST(CIniFileWrite, FailureUnderSizeLimitLeavesFileUnchanged)
{
    const std::string before = "[a]\nx=1\n\n[b]\ny=2\nz=3\n\n[c]\nk=v\n\n";
    struct Case { const char* section; const char* key; const char* value; };
    const Case cases[] = {
        {"a", "x", "a value longer than the limit allows"},
        {"a", "w", "inserted early, moving the whole tail"},
        {"c", "n", "appended to the last body"},
        {"d", "k", "new section"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string file = dir / "db.ini";
        WriteFile(file, before);
        EXPECT_EQ(std::string("File write: ") + std::strerror(EFBIG),
                  WriteUnderSizeLimit(file, before.size() + 5, c.section, c.key, c.value))
            << c.section << "/" << c.key;
        EXPECT_EQ(before, ReadFile(file)) << c.section << "/" << c.key;
        EXPECT_FALSE(std::filesystem::exists(file + "tmp")) << c.section << "/" << c.key;
    }
    // Within the limit the same kind of write goes through.
    TempDir dir;
    const std::string file = dir / "db.ini";
    WriteFile(file, before);
    EXPECT_EQ("", WriteUnderSizeLimit(file, before.size() + 5, "a", "x", "22"));
    EXPECT_EQ("[a]\nx=22\n\n[b]\ny=2\nz=3\n\n[c]\nk=v\n\n", ReadFile(file));
}

}  // namespace

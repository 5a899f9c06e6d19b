// Text file lines: line ends, long lines, buffer form and writing.
#include "files/SioFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <string>
#include <vector>

namespace {

std::vector<std::string> ReadAllLines(const std::string& bytes)
{
    TempDir dir;
    WriteFile(dir / "f.txt", bytes);
    CSioFile f;
    EXPECT_TRUE(f.Open((dir / "f.txt").c_str(), OpenRead));
    std::vector<std::string> lines;
    std::string line = "stale";
    while (f.ReadString(line))
        lines.push_back(line);
    EXPECT_EQ("", line);  // false leaves the text empty
    return lines;
}

TEST(CSioFile, LineEndTable)
{
    using Lines = std::vector<std::string>;
    struct Case { std::string bytes; Lines lines; };
    const Case cases[] = {
        {"", {}},
        {"a\r\nb\n", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"\n", {""}},
        {"\r\n", {""}},
        {"\n\n", {"", ""}},
        {"ab\r\r\n", {"ab\r"}},
        {"a\rb\n", {"a\rb"}},
        {"last\r", {"last"}},
        {"last\r\r", {"last"}},
        {std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
        {std::string(999, 'x') + "\ny\n", {std::string(999, 'x'), "y"}},
        {std::string(998, 'x') + "\r\n", {std::string(998, 'x')}},
        {std::string(5000, 'x') + "\n\n", {std::string(5000, 'x'), ""}},
        {std::string(1023, 'x') + "\r\nz", {std::string(1023, 'x'), "z"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.lines, ReadAllLines(c.bytes)) << testing::PrintToString(c.bytes.substr(0, 20));
}

TEST(CSioFile, BufferFormCopiesLikeStrncpy)
{
    TempDir dir;
    WriteFile(dir / "f.txt", "abc\nabcdef\n");
    CSioFile f;
    ASSERT_TRUE(f.Open((dir / "f.txt").c_str(), OpenRead));
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(buffer, f.ReadString(buffer, 6));
    EXPECT_EQ(0, std::memcmp("abc\0\0\0##", buffer, 8));
    std::memset(buffer, '#', sizeof buffer);
    f.ReadString(buffer, 6);
    EXPECT_EQ(0, std::memcmp("abcdef##", buffer, 8));  // no terminating NUL when full
    std::memset(buffer, '#', sizeof buffer);
    f.ReadString(buffer, 3);
    EXPECT_EQ(0, std::memcmp("\0\0\0#####", buffer, 8));  // end of file: empty text
}

TEST(CSioFile, WriteStringWritesBytesAsTheyAre)
{
    TempDir dir;
    const std::string file = dir / "f.txt";
    CSioFile f;
    ASSERT_TRUE(f.Open(file.c_str(), OpenReadWrite | OpenCreate));
    f.WriteString("a=b\r\n");
    f.WriteString("");
    f.WriteString(nullptr);
    f.WriteString("c");
    f.Close();
    EXPECT_EQ("a=b\r\nc", ReadFile(file));

    CSioFile readOnly;
    ASSERT_TRUE(readOnly.Open(file.c_str(), OpenRead));
    EXPECT_NO_THROW(readOnly.WriteString(""));  // nothing to write, nothing raised
    EXPECT_THROW(readOnly.WriteString("x"), std::runtime_error);
}

TEST(CSioFile, ReadErrorIsRaised)
{
    TempDir dir;
    const std::string file = dir / "f.txt";
    WriteFile(file, "x\n");
    struct Case { std::string path; int mode; int error; };
    const Case cases[] = {
        {file, OpenWrite, EBADF},
        {dir.path().string(), OpenRead, EISDIR},
    };
    for (const Case& c : cases) {
        CSioFile f;
        ASSERT_TRUE(f.Open(c.path.c_str(), c.mode));
        std::string line;
        try {
            f.ReadString(line);
            ADD_FAILURE() << "no error raised for " << c.path;
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string("ReadString: ") + std::strerror(c.error), error.what());
        }
    }
}

#if defined(__SANITIZE_ADDRESS__)
#define ZEPH_ADDRESS_LIMIT_WORKS 0  // the sanitizer reserves far more address space than any limit
#else
#define ZEPH_ADDRESS_LIMIT_WORKS 1
#endif

TEST(CSioFile, LineTooLongForMemoryIsAnErrorNotTheEnd)
{
    if (!ZEPH_ADDRESS_LIMIT_WORKS)
        GTEST_SKIP() << "address-space limits do not apply under AddressSanitizer";
    TempDir dir;
    const std::string file = dir / "long.ini";
    const size_t longLine = 64u << 20;
    WriteFile(file, "[a]\nnote=" + std::string(longLine, 'v') + "\nkey=after\n");

    // The child reads with less memory than the line needs: it must report
    // the failure, never take the line for the end of the file.
    const pid_t child = ::fork();
    ASSERT_NE(-1, child);
    if (child == 0) {
        rlimit limit{48u << 20, 48u << 20};
        ::setrlimit(RLIMIT_AS, &limit);
        CSioFile f;
        if (!f.Open(file.c_str(), OpenRead))
            ::_exit(3);
        std::string line;
        try {
            while (f.ReadString(line)) {
            }
        } catch (const std::runtime_error& error) {
            ::_exit(std::strncmp(error.what(), "Allocation in ReadString: ", 26) == 0 ? 0 : 2);
        }
        ::_exit(1);  // reached "the end" with the last line unread
    }
    int status = 0;
    ASSERT_EQ(child, ::waitpid(child, &status, 0));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status));
}

}  // namespace

// The lock wait's figure where the README and the manual page state it. Each
// says "up to FIGURE" once, FIGURE being LockWait in words, and has no other
// copy of the figure: a new LockWait fails here until both documents say it.
#include "files/LockWait.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace {

// A wait as the documents write it: "a second", "3 seconds" or "500 ms".
std::string InWords(std::chrono::milliseconds wait)
{
    if (wait == std::chrono::seconds(1))
        return "a second";
    if (wait.count() % 1000 == 0)
        return std::to_string(wait.count() / 1000) + " seconds";
    return std::to_string(wait.count()) + " ms";
}

// The text with every run of blanks and line ends as one space, as a reader
// sees a paragraph broken over lines.
std::string AsRead(const std::string& text)
{
    std::string out;
    for (char c : text) {
        const bool blank = c == ' ' || c == '\n' || c == '\t';
        if (!blank)
            out += c;
        else if (!out.empty() && out.back() != ' ')
            out += ' ';
    }
    return out;
}

size_t Occurrences(const std::string& text, const std::string& what)
{
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++count;
    return count;
}

TEST(LockWaitFigure, TheReadmeAndTheManualPageStateItOnceEach)
{
    const std::string figure = InWords(std::chrono::duration_cast<std::chrono::milliseconds>(LockWait));
    for (const char* document : {"README.md", "tool/zephconf-admin.8"}) {
        const std::string text = AsRead(ReadFile(std::string(ZEPH_TESTS_DIR) + "/../" + document));
        EXPECT_EQ(1u, Occurrences(text, "up to " + figure)) << document << " must say \"up to " << figure << "\"";
        EXPECT_EQ(1u, Occurrences(text, figure)) << document << " must say \"" << figure << "\" only there";
    }
}

}  // namespace

// LineEndings.cpp: the one-time rewrite of a file written with CR LF line ends.
#include "files/LineEndings.h"

#include "files/FileIdentity.h"
#include "files/FileReplacement.h"
#include "files/IniFile.h"
#include "files/WholeFile.h"

#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The first line without its line end, and what follows it: a line feed,
// or nothing at all, means the file needs no rewrite. `content` holds at
// least the whole first line.
bool FirstLineEndsWithLineFeed(std::string_view content)
{
    const size_t lineFeed = content.find('\n');
    const std::string_view firstLine =
        content.substr(0, lineFeed == std::string_view::npos ? content.size() : lineFeed + 1);
    const size_t length = CSioFile::WithoutLineEnd(firstLine).size();
    return length >= content.size() || content[length] == '\n';
}

// Every line whole, with a line feed after each.
std::string WithLineFeeds(std::string_view content)
{
    std::string lineFeeds;
    lineFeeds.reserve(content.size());
    for (size_t start = 0; start < content.size();) {
        const size_t lineFeed = content.find('\n', start);
        const size_t after = lineFeed == std::string::npos ? content.size() : lineFeed + 1;
        lineFeeds.append(CSioFile::WithoutLineEnd(content.substr(start, after - start)));
        lineFeeds += '\n';
        start = after;
    }
    return lineFeeds;
}

// The file was opened for reading only: the rewrite in place goes through a
// second descriptor on the same file (the lock held on the first covers it).
// A file this program may not write is left as it is (false); the
// read-write open that follows refuses it.
bool RewriteLockedFileInPlace(int locked, const std::string& path, std::string_view old,
                              const std::string& content)
{
    const int descriptor = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    struct stat lockedFile {}, opened {};
    const bool same =
        ::fstat(locked, &lockedFile) == 0 && ::fstat(descriptor, &opened) == 0 && SameFile(lockedFile, opened);
    try {
        if (same)
            RewriteInPlace(descriptor, old, content);
    } catch (...) {
        ::close(descriptor);
        throw;
    }
    ::close(descriptor);
    return same;
}

}  // namespace

LineEnds NormaliseLineEndings(CIniFile& file, const std::string& iniPath)
{
    // The check needs the first line; only a file to rewrite is read whole.
    const int locked = ::fileno(file.GetStream());
    if (FirstLineEndsWithLineFeed(ReadFirstLine(locked))) {
        file.Close();
        return LineEnds::Untouched;
    }
    const std::string old = ReadWholeFile(locked);

    const std::string lineFeeds = WithLineFeeds(old);
    const Replacement outcome = ReplaceThroughTemporaryFile(locked, iniPath, lineFeeds);
    const bool inPlace =
        outcome == Replacement::InPlace && RewriteLockedFileInPlace(locked, iniPath, old, lineFeeds);
    if (outcome == Replacement::Renamed) {
        // The stream now reads the new file, which has the name; it is only
        // read, so a failure to close it loses nothing and is no failure of
        // the rewrite, which is complete.
        try {
            file.Close();
        } catch (const std::runtime_error&) {
        }
        return LineEnds::Rewritten;
    }
    file.Close();
    if (outcome == Replacement::NoTemporaryFile)
        return LineEnds::NoTemporaryFile;
    return inPlace ? LineEnds::Rewritten : LineEnds::Untouched;
}

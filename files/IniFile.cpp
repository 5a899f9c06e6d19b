// IniFile.cpp: opening an initialisation file, reading it into memory once,
// and finding and reading keys in that content.
#include "files/IniFile.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// "[" + name + one closing character; the closing character is not examined.
bool IsHeaderOf(std::string_view line, const std::string& section)
{
    return line.size() == section.size() + 2 && line[0] == '['
        && line.compare(1, section.size(), section) == 0;
}

// "key=" at the start of the line, compared byte for byte without trimming.
bool IsKeyLine(std::string_view line, const std::string& key)
{
    return line.size() > key.size() && line.compare(0, key.size(), key) == 0
        && line[key.size()] == '=';
}

// The whole file from its start, however long it has grown since its size
// was asked. The stream is not used: its position stays where it was.
std::string ReadWhole(int descriptor)
{
    struct stat status {};
    if (::fstat(descriptor, &status) != 0)
        ThrowFileError("File length: ");
    std::string content;
    try {
        // One byte more than the file holds, so that the end shows at once.
        content.resize(static_cast<size_t>(status.st_size) + 1);
        size_t filled = 0;
        for (;;) {
            if (filled == content.size())
                content.resize(content.size() * 2);
            const ssize_t got = ::pread(descriptor, content.data() + filled, content.size() - filled,
                                        static_cast<off_t>(filled));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                ThrowFileError("File read: ");
            if (got == 0)
                break;
            filled += static_cast<size_t>(got);
        }
        content.resize(filled);
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        ThrowFileError("File read: ");
    }
    return content;
}

}  // namespace

bool CIniFile::OpenFile(const char* newPath, int mode)
{
    return Open(newPath, mode | OpenRegularFile, false);
}

void CIniFile::Load()
{
    if (loaded && loadedAt == Changes())
        return;
    // Output the stream still holds is part of the file.
    if (lastTransfer == 2)
        Flush();
    original = ReadWhole(::fileno(stream));
    SplitLines();
    written.clear();
    loaded = true;
    loadedAt = Changes();
}

void CIniFile::SplitLines()
{
    lines.clear();
    const char* next = original.data();
    const char* end = next + original.size();
    while (next < end) {
        const void* lineFeed = std::memchr(next, '\n', static_cast<size_t>(end - next));
        const char* after = lineFeed != nullptr ? static_cast<const char*>(lineFeed) + 1 : end;
        lines.emplace_back(next, static_cast<size_t>(after - next));
        next = after;
    }
}

CIniFile::KeySearch CIniFile::Search(const std::string& section, const std::string& key)
{
    Load();
    const size_t count = lines.size();
    long position = 0;
    size_t line = 0;
    // The first header of the section anywhere in the file, inside other
    // bodies too.
    for (;; ++line) {
        if (line == count)
            return {line, position, true, true};
        position += static_cast<long>(lines[line].size());
        if (IsHeaderOf(WithoutLineEnd(lines[line]), section))
            break;
    }
    // The body runs to the first empty line; a later header does not end it.
    for (++line; line < count; ++line) {
        const std::string_view text = WithoutLineEnd(lines[line]);
        if (text.empty())
            return {line, position, true, false};
        if (IsKeyLine(text, key))
            return {line, position, false, false};
        position += static_cast<long>(lines[line].size());
    }
    return {line, position, true, false};
}

long CIniFile::FindKey(const std::string& section, const std::string& key, bool& keyMissing,
                       bool& sectionMissing)
{
    const KeySearch found = Search(section, key);
    keyMissing = found.keyMissing;
    sectionMissing = found.sectionMissing;
    return found.position;
}

bool CIniFile::ReadValue(const std::string& section, const std::string& key, std::string& value)
{
    const KeySearch found = Search(section, key);
    if (found.keyMissing) {
        value.clear();
        return false;
    }
    value.assign(WithoutLineEnd(lines[found.line]).substr(key.size() + 1));
    return true;
}

std::string CIniFile::Content()
{
    Load();
    return Joined();
}

std::string CIniFile::Joined() const
{
    size_t size = 0;
    for (std::string_view line : lines)
        size += line.size();
    std::string content;
    content.reserve(size);
    for (std::string_view line : lines)
        content.append(line);
    return content;
}

// IniFile.cpp: opening an initialisation file, reading it into memory once,
// and finding and reading keys in that content.
#include "files/IniFile.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// "key=" at the start of the line, compared byte for byte without trimming.
// The "=" is looked at first: another key's line seldom has one just there.
bool IsKeyLine(std::string_view line, const std::string& key)
{
    return line.size() > key.size() && line[key.size()] == '='
        && std::memcmp(line.data(), key.data(), key.size()) == 0;
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
    readBytes = ReadWholeFile(::fileno(stream));
    committedBytes.clear();
    original = readBytes.View();
    SplitLines();
    loaded = true;
    loadedAt = Changes();
}

void CIniFile::SplitLines()
{
    written.clear();
    headersCurrent = false;
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

void CIniFile::IndexHeaders()
{
    headers.clear();
    for (size_t line = 0; line < lines.size(); ++line) {
        const std::string_view text = WithoutLineEnd(lines[line]);
        if (text.size() < 2 || text[0] != '[')
            continue;
        const std::string_view name = text.substr(1, text.size() - 2);
        bool known = false;
        for (const Header& header : headers)
            known = known || header.name == name;
        if (!known)
            headers.push_back({name, line});
    }
    headersCurrent = true;
}

size_t CIniFile::HeaderLine(const std::string& section)
{
    if (!headersCurrent)
        IndexHeaders();
    for (const Header& header : headers) {
        if (header.name.size() == section.size() && header.name == section)
            return header.line;
    }
    return lines.size();
}

CIniFile::KeySearch CIniFile::Search(const std::string& section, const std::string& key)
{
    Load();
    const size_t count = lines.size();
    // The first header of the section anywhere in the file, inside other
    // bodies too.
    size_t line = HeaderLine(section);
    if (line == count)
        return {line, true, true};
    // The body runs to the first empty line; a later header does not end it.
    for (++line; line < count; ++line) {
        const std::string_view text = WithoutLineEnd(lines[line]);
        if (text.empty())
            return {line, true, false};
        if (IsKeyLine(text, key))
            return {line, false, false};
    }
    return {line, true, false};
}

long CIniFile::FindKey(const std::string& section, const std::string& key, bool& keyMissing,
                       bool& sectionMissing)
{
    const KeySearch found = Search(section, key);
    keyMissing = found.keyMissing;
    sectionMissing = found.sectionMissing;
    // Where the found line starts: the bytes of the lines before it.
    long position = 0;
    for (size_t line = 0; line < found.line; ++line)
        position += static_cast<long>(lines[line].size());
    return position;
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

// IniFile.cpp: opening an initialisation file, reading it into memory once,
// and finding and reading keys in that content.
#include "files/IniFile.h"

#include "files/WholeFile.h"

#include <unistd.h>

namespace {

// The line that starts at `start`, line end included: up to and with its LF,
// or to the end of the text.
std::string_view LineAt(std::string_view text, size_t start)
{
    const size_t lineFeed = text.find('\n', start);
    return text.substr(start, lineFeed == std::string_view::npos ? std::string_view::npos : lineFeed + 1 - start);
}

// "[name]", or anything else of two or more bytes that starts with "[": the
// name is what stands between the first and the last byte.
bool IsHeaderOf(std::string_view line, std::string_view section)
{
    const std::string_view text = CSioFile::WithoutLineEnd(line);
    return text.size() >= 2 && text[0] == '[' && text.substr(1, text.size() - 2) == section;
}

// "key=" at the start of the line, compared byte for byte without trimming.
bool IsKeyLine(std::string_view text, std::string_view key)
{
    return text.size() > key.size() && text[key.size()] == '=' && text.compare(0, key.size(), key) == 0;
}

}  // namespace

bool CIniFile::OpenFile(const char* newPath, int mode)
{
    loaded = false;
    return Open(newPath, mode | OpenRegularFile, false);
}

void CIniFile::Load()
{
    if (loaded)
        return;
    // Output the stream still holds is part of the file.
    if (lastTransfer == 2)
        Flush();
    content = ReadWholeFile(::fileno(stream));
    loaded = true;
    written = false;
}

CIniFile::KeySearch CIniFile::Search(std::string_view section, std::string_view key)
{
    Load();
    const std::string_view text = content;
    // The first header of the section anywhere in the file, inside other
    // bodies too: each "[" that starts a line is looked at.
    size_t at = text.find('[');
    while (at != std::string_view::npos && !((at == 0 || text[at - 1] == '\n') && IsHeaderOf(LineAt(text, at), section)))
        at = text.find('[', at + 1);
    if (at == std::string_view::npos)
        return {text.size(), true, true};
    // The body runs to the first empty line; a later header does not end it.
    for (at += LineAt(text, at).size(); at < text.size();) {
        const std::string_view line = LineAt(text, at);
        const std::string_view withoutEnd = WithoutLineEnd(line);
        if (withoutEnd.empty())
            return {at, true, false};
        if (IsKeyLine(withoutEnd, key))
            return {at, false, false};
        at += line.size();
    }
    return {at, true, false};
}

long CIniFile::FindKey(std::string_view section, std::string_view key, bool& keyMissing,
                       bool& sectionMissing)
{
    const KeySearch found = Search(section, key);
    keyMissing = found.keyMissing;
    sectionMissing = found.sectionMissing;
    return static_cast<long>(found.position);
}

bool CIniFile::ReadValue(std::string_view section, std::string_view key, std::string& value)
{
    const KeySearch found = Search(section, key);
    if (found.keyMissing) {
        value.clear();
        return false;
    }
    value.assign(WithoutLineEnd(LineAt(content, found.position)).substr(key.size() + 1));
    return true;
}

const std::string& CIniFile::Content()
{
    Load();
    return content;
}

// IniFile.cpp: opening an initialisation file and finding and reading keys.
#include "files/IniFile.h"

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

}  // namespace

bool CIniFile::OpenFile(const char* newPath, int mode)
{
    return Open(newPath, mode, false);
}

long CIniFile::FindKey(const std::string& section, const std::string& key, bool& keyMissing,
                       bool& sectionMissing)
{
    std::string_view keyLine;
    return FindKeyLine(section, key, keyMissing, sectionMissing, keyLine);
}

long CIniFile::FindKeyLine(const std::string& section, const std::string& key, bool& keyMissing,
                           bool& sectionMissing, std::string_view& keyLine)
{
    // Every lookup reads from the start of the file. The position of each line
    // is counted from the bytes read rather than asked of the stream.
    Seek(0, SEEK_SET);
    long position = 0;
    std::string_view raw;
    // The first header of the section anywhere in the file, inside other
    // bodies too.
    for (;;) {
        if (!ReadRawLine(raw)) {
            keyMissing = sectionMissing = true;
            return position;
        }
        position += static_cast<long>(raw.size());
        if (IsHeaderOf(WithoutLineEnd(raw), section))
            break;
    }
    // The body runs to the first empty line; a later header does not end it.
    for (;;) {
        if (!ReadRawLine(raw)) {
            keyMissing = true;
            sectionMissing = false;
            return position;
        }
        const std::string_view line = WithoutLineEnd(raw);
        if (line.empty()) {
            keyMissing = true;
            sectionMissing = false;
            return position;
        }
        if (IsKeyLine(line, key)) {
            keyMissing = sectionMissing = false;
            keyLine = raw;
            return position;
        }
        position += static_cast<long>(raw.size());
    }
}

bool CIniFile::ReadValue(const std::string& section, const std::string& key, std::string& value)
{
    bool keyMissing = false;
    bool sectionMissing = false;
    std::string_view keyLine;
    FindKeyLine(section, key, keyMissing, sectionMissing, keyLine);
    if (keyMissing) {
        value.clear();
        return false;
    }
    // The search has just read the key's line and stopped after it, where
    // reading it again would leave the stream too.
    value.assign(WithoutLineEnd(keyLine).substr(key.size() + 1));
    return true;
}

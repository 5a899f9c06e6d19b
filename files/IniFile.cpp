// IniFile.cpp: opening an initialisation file and finding and reading keys.
#include "files/IniFile.h"

namespace {

// "[" + name + one closing character; the closing character is not examined.
bool IsHeaderOf(const std::string& line, const std::string& section)
{
    return line.size() == section.size() + 2 && line[0] == '['
        && line.compare(1, section.size(), section) == 0;
}

// "key=" at the start of the line, compared byte for byte without trimming.
bool IsKeyLine(const std::string& line, const std::string& key)
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
    Seek(0, SEEK_SET);
    long position = 0;
    std::string line;
    // The first header of the section anywhere in the file, inside other
    // bodies too.
    for (;;) {
        if (!ReadString(line)) {
            keyMissing = sectionMissing = true;
            return position;
        }
        if (IsHeaderOf(line, section))
            break;
        position = GetPosition();
    }
    // The body runs to the first empty line; a later header does not end it.
    for (;;) {
        position = GetPosition();
        if (!ReadString(line) || line.empty()) {
            keyMissing = true;
            sectionMissing = false;
            return position;
        }
        if (IsKeyLine(line, key)) {
            keyMissing = sectionMissing = false;
            return position;
        }
    }
}

bool CIniFile::ReadValue(const std::string& section, const std::string& key, std::string& value)
{
    bool keyMissing = false;
    bool sectionMissing = false;
    const long position = FindKey(section, key, keyMissing, sectionMissing);
    if (keyMissing) {
        value.clear();
        return false;
    }
    Seek(position, SEEK_SET);
    ReadString(value);
    value.erase(0, key.size() + 1);
    return true;
}

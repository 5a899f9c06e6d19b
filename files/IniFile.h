// IniFile.h: the initialisation file: "[section]" headers, key=value lines,
// each section body ending at its first empty line.
#pragma once

#include "files/SioFile.h"

#include <string>

class CIniFile : public CSioFile {
public:
    using CSioFile::CSioFile;

    // Open without raising.
    virtual bool OpenFile(const char* path, int mode);

    // Position of the key's line in the section; when the key is missing the
    // start of the empty line closing the section (or the end of the file);
    // when the section is missing the end of the file.
    long FindKey(const std::string& section, const std::string& key, bool& keyMissing,
                 bool& sectionMissing);
    // The text after "key=" on the key's line; false and empty when missing.
    bool ReadValue(const std::string& section, const std::string& key, std::string& value);
    // Sets key=value in place: replaces the key's line, inserts the key at the
    // end of its section, or appends the section. On failure the file is left
    // as it was and the file error is raised.
    void WriteValue(const char* section, const char* key, const char* value);

private:
    // FindKey that also hands back the key's line as it stands in the file,
    // line end included, when the key is found: a view into the line buffer
    // that all line files share, valid until the next read of any file.
    long FindKeyLine(const std::string& section, const std::string& key, bool& keyMissing,
                     bool& sectionMissing, std::string_view& keyLine);
};

// IniModel.h: a plain, independent reading of the initialisation-file format,
// the reference the fuzz targets hold the file layer to. Works on the whole
// file in memory: lines end at LF; the line's text loses a final LF or CR and
// one CR before it; a section's header is the first line "[" + name + any
// character; its body runs to the first empty line or the end of the file; the
// first "key=" line in the body is the key.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct IniLine {
    size_t start = 0;      // offset of the line's first byte
    std::string raw;       // the line's bytes, line end included
    std::string text;      // the line as read: line end removed
};

std::vector<IniLine> SplitLines(const std::string& file);

struct IniLookup {
    bool sectionMissing = true;
    bool keyMissing = true;
    size_t line = 0;       // index of the key line, or of the empty line closing the
                           // body, or the number of lines (end of file)
};

IniLookup Find(const std::vector<IniLine>& lines, const std::string& section, const std::string& key);

// The value ReadValue must give, or nothing when the key is missing.
std::optional<std::string> ModelValue(const std::string& file, const std::string& section,
                                      const std::string& key);

// The whole file after WriteValue(section, key, value): every byte as before
// except the one line that gives way (the key's old line, or the empty line
// closing the body) or the text appended at the end.
std::string ModelWrite(const std::string& file, const std::string& section, const std::string& key,
                       const std::string& value);

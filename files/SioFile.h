// SioFile.h: a text file of lines on top of the file object.
#pragma once

#include "files/SFile.h"

#include <string>
#include <string_view>

// Lines on top of the file object. A request uses only WithoutLineEnd; the
// rest is the file layer's general interface, covered by
// tests/files/SioFile_test.cpp.
class CSioFile : public CSFile {
public:
    using CSFile::CSFile;

    // Reads the next line whole, whatever its length, into `line` (replaced)
    // without its line end: a final LF or CR goes, and with it one CR before
    // it. False at the end of the file.
    bool ReadString(std::string& line);
    // Reads the next line and copies it into `buffer` like strncpy with
    // `maxCount`; the buffer holds an empty text at the end of the file.
    virtual char* ReadString(char* buffer, size_t maxCount);
    // Writes the text's bytes as they are; no line end is added.
    virtual void WriteString(const char* text);

    // The line without its line end: a final LF or CR goes, and with it one
    // CR before it. A CR elsewhere stays.
    static std::string_view WithoutLineEnd(std::string_view line)
    {
        const size_t n = line.size();
        if (n == 0 || (line[n - 1] != '\n' && line[n - 1] != '\r'))
            return line;
        return line.substr(0, n >= 2 && line[n - 2] == '\r' ? n - 2 : n - 1);
    }
};

// SioFile.cpp: reading lines whole and writing texts.
#include "files/SioFile.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <stdio.h>

namespace {

// Removes the line end: a final LF or CR goes, and when the byte before it
// is a CR that goes too (a CR LF pair, or two CRs). A CR elsewhere stays.
void CutLineEnd(std::string& line)
{
    const size_t n = line.size();
    if (n == 0 || (line[n - 1] != '\n' && line[n - 1] != '\r'))
        return;
    line.resize(n >= 2 && line[n - 2] == '\r' ? n - 2 : n - 1);
}

}  // namespace

bool CSioFile::ReadString(std::string& line)
{
    line.clear();
    // Lines are collected in chunks so that a line of any length comes back
    // whole; bytes are taken as they are, NUL included.
    char chunk[1024];
    size_t used = 0;
    bool readAny = false;
    bool endReached = false;
    try {
        for (;;) {
            const int c = getc_unlocked(stream);
            if (c == EOF) {
                endReached = true;
                break;
            }
            readAny = true;
            chunk[used++] = static_cast<char>(c);
            if (c == '\n')
                break;
            if (used == sizeof chunk) {
                line.append(chunk, used);
                used = 0;
            }
        }
        line.append(chunk, used);
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        ThrowFileError("Allocation in ReadString: ");
    }
    if (endReached && std::ferror(stream))
        ThrowFileError("ReadString: ");
    if (!readAny)
        return false;
    CutLineEnd(line);
    return true;
}

char* CSioFile::ReadString(char* buffer, size_t maxCount)
{
    std::string line;
    ReadString(line);
    std::strncpy(buffer, line.c_str(), maxCount);
    return buffer;
}

void CSioFile::WriteString(const char* text)
{
    const size_t length = text != nullptr ? std::strlen(text) : 0;
    if (length > 0)
        Write(text, length);
}

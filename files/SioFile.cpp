// SioFile.cpp: reading lines whole and writing texts.
#include "files/SioFile.h"

#include <cerrno>
#include <cstring>
#include <cstdio>
#include <new>
#include <stdio.h>

bool CSioFile::ReadRawLine(std::string_view& line)
{
    // getdelim finds the line end in the stream's buffer with one search
    // instead of a library call per byte; lines of any length come back whole
    // and bytes are taken as they are, NUL included. Its buffer is kept for
    // the next line: a lookup reads the file line by line from its start.
    static char* buffer = nullptr;
    static size_t capacity = 0;
    // getdelim refuses a stream whose error flag an earlier operation left
    // set (that operation has raised its own error); reading goes on.
    clearerr_unlocked(stream);
    const ssize_t length = ::getdelim(&buffer, &capacity, '\n', stream);
    const bool complete = length > 0 && buffer[length - 1] == '\n';
    // Only the end of the file ends the reading. A read error, or a line too
    // long for the memory there is (which getdelim reports without setting
    // the error flag), must not pass for the end: the line-end rewrite would
    // then copy a cut file over the whole one.
    const bool failed = length < 0 ? !feof_unlocked(stream) : !complete && ferror_unlocked(stream);
    if (failed)
        ThrowFileError(errno == ENOMEM ? "Allocation in ReadString: " : "ReadString: ");
    if (length <= 0) {
        line = std::string_view();
        return false;
    }
    line = std::string_view(buffer, static_cast<size_t>(length));
    return true;
}

bool CSioFile::ReadString(std::string& line)
{
    std::string_view raw;
    if (!ReadRawLine(raw)) {
        line.clear();
        return false;
    }
    try {
        line.assign(WithoutLineEnd(raw));
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        ThrowFileError("Allocation in ReadString: ");
    }
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

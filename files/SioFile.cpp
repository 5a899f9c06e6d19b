// SioFile.cpp: reading lines whole and writing texts.
#include "files/SioFile.h"

#include <cerrno>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <stdio.h>

bool CSioFile::ReadString(std::string& line)
{
    line.clear();
    // getdelim refuses a stream whose error flag an earlier operation left
    // set (that operation has raised its own error); reading goes on.
    clearerr_unlocked(stream);
    // getdelim takes a line of any length whole, NUL bytes included.
    char* buffer = nullptr;
    size_t capacity = 0;
    const ssize_t length = ::getdelim(&buffer, &capacity, '\n', stream);
    const std::unique_ptr<char, void (*)(void*)> owned(buffer, std::free);
    const bool complete = length > 0 && buffer[length - 1] == '\n';
    // Only the end of the file ends the reading. A read error, or a line too
    // long for the memory there is (which getdelim reports without setting
    // the error flag), must not pass for the end: a copy made line by line
    // would be cut short.
    const bool failed = length < 0 ? !feof_unlocked(stream) : !complete && ferror_unlocked(stream);
    if (failed)
        ThrowFileError(errno == ENOMEM ? "Allocation in ReadString: " : "ReadString: ");
    if (length <= 0)
        return false;
    try {
        line.assign(WithoutLineEnd(std::string_view(buffer, static_cast<size_t>(length))));
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

// WholeFile.h: a file's whole content, read or written in one go.
#pragma once

#include <cstddef>
#include <string>
#include <sys/types.h>

// The largest database file that is read. A database's settings take a few
// kilobytes; a file far larger is a mistake or an attack, and reading it would
// take the memory and the time of many requests.
constexpr size_t MaxFileSize = 64 * 1024 * 1024;

// The whole file open as `descriptor`, from its start to the end that reading
// meets, however long it has grown since its size was asked; the descriptor's
// position is not used or moved. A file larger than MaxFileSize is refused
// before a byte is read (or as soon as it has grown past it) with "File
// read: " and EFBIG. Raises the file error ("File length: ", "File read: ").
std::string ReadWholeFile(int descriptor);

// The start of the file open as `descriptor`, at least its whole first line
// (all of the file when it has no line feed), read in blocks; the size limit
// and the errors as for ReadWholeFile. A file that needs only its first line
// looked at is not read whole.
std::string ReadFirstLine(int descriptor);

// Writes all of `count` bytes at `offset` of the file open as `descriptor`,
// going on after a short write; false with errno set when the file does not
// take them (a write that takes nothing sets EIO).
bool WriteAllAt(int descriptor, const char* bytes, size_t count, off_t offset);

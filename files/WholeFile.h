// WholeFile.h: a file's whole content, read in one go.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

// The largest database file that is read. A database's settings take a few
// kilobytes; a file far larger is a mistake or an attack, and reading it would
// take the memory and the time of many requests.
constexpr size_t MaxFileSize = 64 * 1024 * 1024;

// A file's bytes, in a buffer that reading filled directly (nothing is zeroed
// or copied first: the database files are read whole on every request).
struct FileBytes {
    std::unique_ptr<char[]> buffer;
    size_t size = 0;
    std::string_view View() const { return std::string_view(buffer.get(), size); }
};

// The whole file open as `descriptor`, from its start to the end that reading
// meets, however long it has grown since its size was asked; the descriptor's
// position is not used or moved. A file larger than MaxFileSize is refused
// before a byte is read (or as soon as it has grown past it) with "File
// read: " and EFBIG. Raises the file error ("File length: ", "File read: ").
FileBytes ReadWholeFile(int descriptor);

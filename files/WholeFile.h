// WholeFile.h: a file's whole content, read in one go.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

// A file's bytes, in a buffer that reading filled directly (nothing is zeroed
// or copied first: the database files are read whole on every request).
struct FileBytes {
    std::unique_ptr<char[]> buffer;
    size_t size = 0;
    std::string_view View() const { return std::string_view(buffer.get(), size); }
};

// The whole file open as `descriptor`, from its start, however long it has
// grown since its size was asked; the descriptor's position is not used or
// moved. Raises the file error ("File length: ", "File read: ").
FileBytes ReadWholeFile(int descriptor);

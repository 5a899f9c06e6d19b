// IniFileWrite.cpp: setting one key in place, leaving every other byte of the
// file as it was, and leaving the whole file as it was when the write fails.
#include "files/IniFile.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <stdexcept>
#include <unistd.h>

namespace {

// Writes all of `count` bytes at `offset` on the descriptor; false with
// errno set when the file does not take them.
bool WriteAllAt(int descriptor, const char* bytes, size_t count, off_t offset)
{
    while (count > 0) {
        const ssize_t written = ::pwrite(descriptor, bytes, count, offset);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        bytes += written;
        count -= static_cast<size_t>(written);
        offset += written;
    }
    return true;
}

}  // namespace

void CIniFile::WriteValue(const char* sectionText, const char* keyText, const char* valueText)
{
    const std::string section = sectionText != nullptr ? sectionText : "";
    const std::string key = keyText != nullptr ? keyText : "";
    const std::string value = valueText != nullptr ? valueText : "";

    bool keyMissing = false;
    bool sectionMissing = false;
    std::string_view keyLine;
    const long position = FindKeyLine(section, key, keyMissing, sectionMissing, keyLine);
    std::string text = key + "=" + value + "\n";
    // A key line that already reads key=value with a plain LF would be
    // rewritten byte for byte: nothing to read, nothing to write.
    if (!keyMissing && keyLine == text)
        return;
    if (sectionMissing)
        text = "[" + section + "]\n" + text + "\n";
    else if (keyMissing)
        text += "\n";

    // The old content from `position` to the end and the new content that
    // replaces it, both held in memory before anything is written: the
    // rewrite needs them, and so does putting the file back when it fails.
    std::string oldTail;
    std::string newTail;
    try {
        const long start = position > 0 ? position - 1 : 0;
        std::string old(static_cast<size_t>(std::max(0L, GetLength() - start)), '\0');
        Seek(start, SEEK_SET);
        old.resize(Read(old.data(), old.size()));
        const bool atLineStart = position == 0 || (!old.empty() && old[0] == '\n');
        oldTail = position > 0 ? old.substr(std::min<size_t>(1, old.size())) : old;

        // The line at `position` gives way: the key's old line, or the empty
        // line closing the body (its place taken by the extra LF of the text).
        size_t replaced = 0;
        if (!sectionMissing) {
            const size_t lineEnd = oldTail.find('\n');
            replaced = lineEnd == std::string::npos ? oldTail.size() : lineEnd + 1;
        }
        // Text appended after a last line without line end starts a line of its own.
        if (oldTail.empty() && !atLineStart)
            text.insert(0, "\n");
        newTail = text + oldTail.substr(replaced);
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        ThrowFileError("Allocation in WriteValue: ");
    }
    if (newTail == oldTail)
        return;

    const long currentLength = position + static_cast<long>(oldTail.size());
    const long newLength = position + static_cast<long>(newTail.size());
    // Growing: the bytes beyond the old end go first, straight to the
    // descriptor and past everything the stream has read, so a file that
    // cannot take its new length (full disk, size limit) fails here, before
    // any old byte has moved, and is cut back to its old length.
    if (newLength > currentLength) {
        const size_t inPlace = static_cast<size_t>(currentLength - position);
        if (!WriteAllAt(::fileno(stream), newTail.data() + inPlace, newTail.size() - inPlace, currentLength)) {
            const int error = errno;
            (void)::ftruncate(::fileno(stream), currentLength);
            errno = error;
            ThrowFileError("File write: ");
        }
    }
    try {
        const size_t inPlace = static_cast<size_t>(std::min(newLength, currentLength) - position);
        Seek(position, SEEK_SET);
        if (inPlace > 0)
            Write(newTail.data(), inPlace);
        Flush();
        if (newLength < currentLength)
            SetLength(newLength);
        Seek(0, SEEK_END);
    } catch (const std::runtime_error&) {
        // Put the old content back as far as the file lets us; the caller
        // gets the error that stopped the rewrite.
        try {
            std::clearerr(stream);
            Seek(position, SEEK_SET);
            Write(oldTail.data(), oldTail.size());
            Flush();
            SetLength(currentLength);
        } catch (const std::runtime_error&) {
        }
        throw;
    }
}

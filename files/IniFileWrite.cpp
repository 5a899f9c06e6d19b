// IniFileWrite.cpp: setting one key in the content in memory, leaving every
// other byte as it was, and putting the content into the file in one step.
#include "files/IniFile.h"

#include "files/FileReplacement.h"
#include "files/WholeFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

void CIniFile::WriteValue(const char* sectionText, const char* keyText, const char* valueText)
{
    const std::string section = sectionText != nullptr ? sectionText : "";
    const std::string key = keyText != nullptr ? keyText : "";
    const KeySearch found = Search(section, key);
    std::string text = key + "=" + (valueText != nullptr ? valueText : "") + "\n";

    if (!found.keyMissing || (!found.sectionMissing && found.position < content.size())) {
        // The key's line becomes key=value; or the empty line closing the
        // body gives way to the key line and an empty line of its own.
        const size_t lineFeed = content.find('\n', found.position);
        const size_t end = lineFeed == std::string::npos ? content.size() : lineFeed + 1;
        if (found.keyMissing)
            text += "\n";
        Splice(found.position, end - found.position, text);
        return;
    }
    // Appended at the end: the key after the body that runs to the end, or
    // the section with the key. A last line without a line end gets one, so
    // that nothing is joined to it.
    std::string appended;
    if (!content.empty() && content.back() != '\n')
        appended += '\n';
    if (found.sectionMissing)
        appended += "[" + section + "]\n";
    Splice(content.size(), 0, appended + text + "\n");
}

void CIniFile::Splice(size_t at, size_t count, const std::string& text)
{
    // The content as the file holds it is kept aside only once a write
    // changes it: Commit compares with it, and puts it back on a failure.
    if (!written) {
        original = content;
        written = true;
    }
    content.replace(at, count, text);
}

CIniFile::PendingContent CIniFile::Pending()
{
    const int descriptor = ::fileno(stream);
    if ((::fcntl(descriptor, F_GETFL) & O_ACCMODE) == O_RDONLY) {
        errno = EBADF;
        ThrowFileError("File write: ");
    }
    // A file that no request would read again is not written.
    if (content.size() > MaxFileSize) {
        errno = EFBIG;
        ThrowFileError("File write: ");
    }
    // Buffered input belongs to the old file: dropped before the descriptor
    // may come to hold the new one.
    Seek(0, SEEK_SET);
    return {descriptor, path, original, content};
}

void CIniFile::Commit()
{
    if (!Changed())
        return;
    const PendingContent file = Pending();
    PutContent(file.descriptor, file.path, file.old, file.content);
    Committed();
}

void CIniFile::ReplaceContent(std::string text)
{
    Load();
    // As Splice does, without a copy of either content.
    if (!written) {
        original = std::move(content);
        written = true;
    }
    content = std::move(text);
}

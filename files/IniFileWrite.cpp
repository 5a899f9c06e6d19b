// IniFileWrite.cpp: setting one key in the content in memory, leaving every
// other byte as it was, and putting the content into the file in one step.
#include "files/IniFile.h"

#include "files/FileReplacement.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

void CIniFile::WriteValue(const char* sectionText, const char* keyText, const char* valueText)
{
    const std::string section = sectionText != nullptr ? sectionText : "";
    const std::string key = keyText != nullptr ? keyText : "";
    const size_t valueLength = valueText != nullptr ? std::strlen(valueText) : 0;

    const KeySearch found = Search(section, key);
    // key=value and its LF, and room for what may be put around it.
    std::string text;
    text.reserve(section.size() + key.size() + valueLength + 8);
    text.append(key).append(1, '=').append(valueText != nullptr ? valueText : "", valueLength).append(1, '\n');
    if (!found.keyMissing) {
        // A key line that already reads key=value with a plain LF stays.
        if (lines[found.line] != text)
            ReplaceLines(found.line, 1, std::move(text));
        return;
    }
    if (!found.sectionMissing && found.line < lines.size()) {
        // The empty line closing the body gives way to the key line and an
        // empty line of its own.
        ReplaceLines(found.line, 1, text + "\n");
        return;
    }
    // Appended at the end: the key after the body that runs to the end, or
    // the section with the key. A last line without a line end gets one, so
    // that nothing is joined to it.
    if (found.sectionMissing)
        text = "[" + section + "]\n" + text;
    text += "\n";
    if (!lines.empty() && lines.back().back() != '\n')
        ReplaceLines(lines.size() - 1, 1, std::string(lines.back()) + "\n" + text);
    else
        ReplaceLines(lines.size(), 0, std::move(text));
}

void CIniFile::ReplaceLines(size_t at, size_t count, std::string text)
{
    written.push_back(std::move(text));
    const std::string& stored = written.back();
    std::vector<std::string_view> added;
    for (size_t start = 0; start < stored.size();) {
        const size_t lineFeed = stored.find('\n', start);
        const size_t after = lineFeed == std::string::npos ? stored.size() : lineFeed + 1;
        added.emplace_back(stored.data() + start, after - start);
        start = after;
    }
    // The header index stays right unless a header-like line comes or goes;
    // lines after the change move by the difference.
    const auto headerLike = [](std::string_view line) { return line[0] == '['; };
    for (size_t line = at; line < at + count && headersCurrent; ++line)
        headersCurrent = !headerLike(lines[line]);
    for (std::string_view line : added)
        headersCurrent = headersCurrent && !headerLike(line);
    if (headersCurrent && added.size() != count) {
        for (Header& header : headers) {
            if (header.line >= at)
                header.line = header.line + added.size() - count;
        }
    }
    const auto where = lines.begin() + static_cast<std::ptrdiff_t>(at);
    lines.insert(lines.erase(where, where + static_cast<std::ptrdiff_t>(count)), added.begin(), added.end());
}

void CIniFile::Commit()
{
    // Nothing written since the content was read (or the file was reopened
    // since, which dropped the writes).
    if (!loaded || loadedAt != Changes() || written.empty())
        return;
    std::string content = Joined();
    if (content != original) {
        const int descriptor = ::fileno(stream);
        if ((::fcntl(descriptor, F_GETFL) & O_ACCMODE) == O_RDONLY) {
            errno = EBADF;
            ThrowFileError("File write: ");
        }
        // Buffered input belongs to the old file: dropped before the
        // descriptor may come to hold the new one.
        Seek(0, SEEK_SET);
        const Replacement outcome = ReplaceThroughTemporaryFile(descriptor, path, content);
        if (outcome != Replacement::Renamed)
            RewriteInPlace(descriptor, original, content);
        TakeCommitted(std::move(content));
        return;
    }
    SplitLines();
}

void CIniFile::TakeCommitted(std::string content)
{
    committedBytes = std::move(content);
    original = committedBytes;
    readBytes = FileBytes();
    SplitLines();
}

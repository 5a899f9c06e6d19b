// IniEntries.cpp: the keys of a content, walked the way lookups find them.
#include "files/IniEntries.h"

#include "files/SioFile.h"

#include <algorithm>

namespace {

// Each line of the text without its line end, the last one also when it has none.
std::vector<std::string_view> Lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    lines.reserve(128);  // a database file's lines, mostly
    for (size_t start = 0; start < text.size();) {
        const size_t lineFeed = text.find('\n', start);
        const size_t next = lineFeed == std::string_view::npos ? text.size() : lineFeed + 1;
        lines.push_back(CSioFile::WithoutLineEnd(text.substr(start, next - start)));
        start = next;
    }
    return lines;
}

}  // namespace

std::vector<IniEntryView> IniEntryViews(std::string_view content)
{
    std::vector<IniEntryView> entries;
    entries.reserve(64);  // a database file's keys, mostly
    // A file holds a few sections of a few keys each: a list is looked through.
    std::vector<std::string_view> sections, keys;
    const auto seen = [](std::vector<std::string_view>& names, std::string_view name) {
        if (std::find(names.begin(), names.end(), name) != names.end())
            return true;
        names.push_back(name);
        return false;
    };
    const std::vector<std::string_view> lines = Lines(content);
    for (size_t at = 0; at < lines.size(); ++at) {
        const std::string_view header = lines[at];
        // "[name]", or any line of two or more bytes that starts with "[".
        if (header.size() < 2 || header[0] != '[')
            continue;
        const std::string_view section = header.substr(1, header.size() - 2);
        if (seen(sections, section))
            continue;
        keys.clear();
        for (size_t line = at + 1; line < lines.size() && !lines[line].empty(); ++line) {
            const std::string_view text = lines[line];
            const size_t equals = text.find('=');
            if (equals == std::string_view::npos || seen(keys, text.substr(0, equals)))
                continue;
            entries.push_back({section, text.substr(0, equals), text.substr(equals + 1)});
        }
    }
    return entries;
}

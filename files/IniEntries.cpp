// IniEntries.cpp: the keys of a content, walked the way lookups find them.
#include "files/IniEntries.h"

#include "files/SioFile.h"

#include <unordered_set>

namespace {

// The line that starts at `start` without its line end, and where the next
// one starts.
struct Line {
    std::string_view text;
    size_t next;
};

Line LineAt(std::string_view content, size_t start)
{
    const size_t lineFeed = content.find('\n', start);
    const size_t next = lineFeed == std::string_view::npos ? content.size() : lineFeed + 1;
    return {CSioFile::WithoutLineEnd(content.substr(start, next - start)), next};
}

}  // namespace

std::vector<IniEntryView> IniEntryViews(std::string_view content)
{
    std::vector<IniEntryView> entries;
    entries.reserve(64);  // a database file's keys, mostly
    // Sets, so that a section of many keys costs no more per key than a
    // small one.
    std::unordered_set<std::string_view> sections;
    for (size_t at = 0; at < content.size();) {
        const Line header = LineAt(content, at);
        at = header.next;
        // "[name]", or any line of two or more bytes that starts with "[".
        if (header.text.size() < 2 || header.text[0] != '[')
            continue;
        const std::string_view section = header.text.substr(1, header.text.size() - 2);
        if (!sections.insert(section).second)
            continue;
        // A set of its own for each section: clearing a large one would cost
        // its size for every section after it.
        std::unordered_set<std::string_view> keys;
        for (size_t line = at; line < content.size();) {
            const Line body = LineAt(content, line);
            if (body.text.empty())
                break;
            line = body.next;
            const size_t equals = body.text.find('=');
            if (equals == std::string_view::npos || !keys.insert(body.text.substr(0, equals)).second)
                continue;
            entries.push_back({section, body.text.substr(0, equals), body.text.substr(equals + 1)});
        }
    }
    return entries;
}

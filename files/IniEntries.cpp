// IniEntries.cpp: the keys of a content, walked the way lookups find them.
#include "files/IniEntries.h"

#include "files/SioFile.h"

#include <set>
#include <utility>

namespace {

// The line that starts at `start`, without its line end; `next` is where the
// line after it starts.
std::string_view LineAt(std::string_view text, size_t start, size_t& next)
{
    const size_t lineFeed = text.find('\n', start);
    next = lineFeed == std::string_view::npos ? text.size() : lineFeed + 1;
    return CSioFile::WithoutLineEnd(text.substr(start, next - start));
}

}  // namespace

std::vector<IniEntry> IniEntries(std::string_view content)
{
    std::vector<IniEntry> entries;
    std::set<std::string> sections;
    size_t next = 0;
    for (size_t at = 0; at < content.size(); at = next) {
        const std::string_view header = LineAt(content, at, next);
        // "[name]", or any line of two or more bytes that starts with "[".
        if (header.size() < 2 || header[0] != '[')
            continue;
        std::string section(header.substr(1, header.size() - 2));
        if (!sections.insert(section).second)
            continue;
        std::set<std::string_view> keys;
        size_t bodyNext = next;
        for (size_t line = next; line < content.size(); line = bodyNext) {
            const std::string_view text = LineAt(content, line, bodyNext);
            if (text.empty())
                break;
            const size_t equals = text.find('=');
            if (equals == std::string_view::npos || !keys.insert(text.substr(0, equals)).second)
                continue;
            entries.push_back({section, std::string(text.substr(0, equals)), std::string(text.substr(equals + 1))});
        }
    }
    return entries;
}

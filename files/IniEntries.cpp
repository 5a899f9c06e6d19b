// IniEntries.cpp: the keys of a content, walked the way lookups find them.
#include "files/IniEntries.h"

#include "files/SioFile.h"

#include <algorithm>
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

// Names seen so far: looked through while they are few, as a database
// file's sections and the keys of most sections are; put in a set once they
// are many, so that a section of many keys costs no more per key than a
// small one.
class SeenNames {
public:
    // False when `name` was seen before.
    bool Insert(std::string_view name)
    {
        if (many.empty()) {
            if (std::find(few.begin(), few.end(), name) != few.end())
                return false;
            if (few.size() < FewLimit) {
                few.push_back(name);
                return true;
            }
            many.insert(few.begin(), few.end());
        }
        return many.insert(name).second;
    }
    // Nothing seen; the room of the few kept for the next.
    void Clear()
    {
        few.clear();
        if (!many.empty())
            std::unordered_set<std::string_view>().swap(many);  // its buckets go with it
    }

private:
    static constexpr size_t FewLimit = 32;
    std::vector<std::string_view> few;
    std::unordered_set<std::string_view> many;
};

}  // namespace

std::vector<IniEntryView> IniEntryViews(std::string_view content)
{
    std::vector<IniEntryView> entries;
    entries.reserve(64);  // a database file's keys, mostly
    SeenNames sections, keys;
    // Each "[" that starts a line is looked at, as lookups look for headers;
    // the other lines are walked only in the bodies.
    for (size_t at = content.find('['); at != std::string_view::npos; at = content.find('[', at + 1)) {
        if (at != 0 && content[at - 1] != '\n')
            continue;
        const Line header = LineAt(content, at);
        // "[name]", or any line of two or more bytes that starts with "[".
        if (header.text.size() < 2)
            continue;
        const std::string_view section = header.text.substr(1, header.text.size() - 2);
        if (!sections.Insert(section))
            continue;
        keys.Clear();
        for (size_t line = header.next; line < content.size();) {
            const Line body = LineAt(content, line);
            if (body.text.empty())
                break;
            line = body.next;
            const size_t equals = body.text.find('=');
            if (equals == std::string_view::npos || !keys.Insert(body.text.substr(0, equals)))
                continue;
            entries.push_back({section, body.text.substr(0, equals), body.text.substr(equals + 1)});
        }
    }
    return entries;
}

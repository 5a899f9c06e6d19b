// ItemListSubmission.cpp: the item text areas of the administration form,
// written back as comma-separated entry item keys.
#include "admin/ItemListSubmission.h"

#include "base/TokensAndNumbers.h"
#include "config/SettingTable.h"
#include "config/ZEPHOnlineINI.h"

#include <cstring>
#include <string_view>

namespace {

// The lines of a text area, cut at LF; the last one runs to the end.
class LineCutter {
public:
    explicit LineCutter(std::string_view text) : rest(text) {}
    bool AtEnd() const { return done; }
    std::string_view Next()
    {
        const auto* lineFeed = static_cast<const char*>(std::memchr(rest.data(), '\n', rest.size()));
        if (lineFeed == nullptr) {
            done = true;
            return rest;
        }
        const std::string_view line(rest.data(), static_cast<size_t>(lineFeed - rest.data()));
        rest.remove_prefix(line.size() + 1);
        return line;
    }

private:
    std::string_view rest;
    bool done = false;
};

// A blank line is empty, or the lone CR a browser sends for an empty line.
bool IsBlank(std::string_view line)
{
    return line.empty() || line == "\r";
}

// The text before the first comma of `line`, cut off with that comma; all of
// it when there is none.
std::string_view CutField(std::string_view& line)
{
    const auto* comma = static_cast<const char*>(std::memchr(line.data(), ',', line.size()));
    if (comma == nullptr) {
        const std::string_view field = line;
        line.remove_prefix(line.size());
        return field;
    }
    const std::string_view field(line.data(), static_cast<size_t>(comma - line.data()));
    line.remove_prefix(field.size() + 1);
    return field;
}

// A browser ends text-area lines with CR LF; cutting at LF leaves the CR on the
// line's last field, which must not become part of the stored value.
std::string_view DropLineEnd(std::string_view field)
{
    if (!field.empty() && (field.back() == '\r' || field.back() == '\n'))
        field.remove_suffix(1);
    return field;
}

// Adds a value to a comma-joined list.
void Join(std::string& list, std::string_view value, bool first)
{
    if (!first)
        list += ',';
    list += value;
}

}  // namespace

ItemListFields SplitItemList(const std::string& text, ItemLayout layout)
{
    const bool current = layout == ItemLayout::CurrentItems;

    // Lines end at LF, fields at commas: name, storage length, data type;
    // fields beyond the layout's are ignored and missing ones are empty. A
    // blank line is no item. The text ends at a NUL, as a C string would.
    ItemListFields list{layout, 0, {}, {}, {}};
    list.names.reserve(text.size());  // no list is longer than the text
    list.lengths.reserve(text.size());
    list.types.reserve(current ? text.size() : 0);
    for (LineCutter lines(text.c_str()); !lines.AtEnd();) {
        std::string_view line = lines.Next();
        if (IsBlank(line))
            continue;
        // Lines past the limit are only counted.
        if (list.lines++ >= CZEPHOnlineINI::MaxItems)
            continue;
        const std::string_view name = CutField(line);
        const std::string_view length = CutField(line);
        const bool first = list.lines == 1;
        Join(list.names, name, first);
        if (current) {
            Join(list.lengths, length, first);
            Join(list.types, DropLineEnd(CutField(line)), first);
        } else {
            Join(list.lengths, DropLineEnd(length), first);
        }
    }
    return list;
}

int CountItemLines(const std::string& text)
{
    return SplitItemList(text, ItemLayout::PreviousItems).lines;
}

void WriteItemList(const ItemListFields& list, CZEPHOnlineINI& record)
{
    if (list.layout == ItemLayout::CurrentItems) {
        char countText[16];
        const int taken = list.lines < CZEPHOnlineINI::MaxItems ? list.lines : CZEPHOnlineINI::MaxItems;
        record.WriteSetting(Setting::ItemCount, IntToText(taken, countText, 10));
        record.WriteSetting(Setting::ItemNames, list.names);
        record.WriteSetting(Setting::ItemTypes, list.types);
        record.WriteSetting(Setting::ItemLengths, list.lengths);
    } else {
        record.WriteSetting(Setting::PreviousItemNames, list.names);
        record.WriteSetting(Setting::PreviousItemLengths, list.lengths);
    }
}

// ItemListSubmission.cpp: the item text areas of the administration form,
// written back as comma-separated entry item keys.
#include "admin/ItemListSubmission.h"

#include "cgi/TokensAndNumbers.h"
#include "config/ZEPHOnlineINI.h"

#include <cstring>
#include <memory>
#include <string_view>

namespace {

const char* const ItemSection = "database entry info";

// One key's values, joined with a comma between neighbours as they come.
// The fields come from `source`, and the list is never longer than it.
class JoinedList {
public:
    explicit JoinedList(std::string_view source)
        : text(new char[source.size() + 1 + Block]), end(text.get()), sourceEnd(source.data() + source.size())
    {
        *end = '\0';
    }
    void Add(std::string_view field)
    {
        if (count++ > 0)
            *end++ = ',';
        // Most fields are short: copied as one block of fixed size, which
        // needs no call, where the source has that many bytes to read.
        if (field.size() <= Block && static_cast<size_t>(sourceEnd - field.data()) >= Block)
            std::memcpy(end, field.data(), Block);
        else
            std::memcpy(end, field.data(), field.size());
        end += field.size();
        *end = '\0';
    }
    const char* Text() const { return text.get(); }

private:
    static constexpr size_t Block = 16;
    std::unique_ptr<char[]> text;
    char* end;
    const char* sourceEnd;
    int count = 0;
};

// A browser ends text-area lines with CR LF; cutting at LF leaves the CR on the
// line's last field, which must not become part of the stored value.
std::string_view DropLineEnd(std::string_view field)
{
    if (!field.empty() && (field.back() == '\r' || field.back() == '\n'))
        field.remove_suffix(1);
    return field;
}

}  // namespace

int CountItemLines(const std::string& text)
{
    int count = 0;
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* lineStart = begin;
    const auto lineEnd = [&](const char* at) {
        const size_t length = static_cast<size_t>(at - lineStart);
        if (length > 1 || (length == 1 && *lineStart != '\r'))
            ++count;
        lineStart = at + 1;
    };
    // Sixteen bytes a step, as WriteItemList reads the lines.
    const char* next = begin;
    for (; end - next >= 16; next += 16) {
        for (unsigned found = MatchesInSixteen(next, '\n', '\n'); found != 0; found &= found - 1)
            lineEnd(next + __builtin_ctz(found));
    }
    for (; next < end; ++next) {
        if (*next == '\n')
            lineEnd(next);
    }
    if (lineStart < end)
        lineEnd(end);
    return count;
}

void WriteItemList(const std::string& text, ItemLayout layout, CZEPHOnlineINI& record)
{
    const bool current = layout == ItemLayout::CurrentItems;

    // The text ends at a NUL, as a C string would.
    const char* const begin = text.c_str();
    const char* const end = begin + std::strlen(begin);
    const std::string_view source(begin, static_cast<size_t>(end - begin));
    JoinedList names(source), lengths(source), types(current ? source : std::string_view());
    int itemCount = 0;

    // Lines end at LF, fields at commas: name, storage length, data type;
    // fields beyond the third are ignored and missing ones are empty. A
    // blank line (empty, or the lone CR of a browser's CR LF) is no item.
    std::string_view fields[3];
    size_t field = 0;
    const char* lineStart = begin;
    const char* fieldStart = begin;
    // False once the list has ended: at the end of the text, or with the
    // most items a list may hold.
    const auto delimiter = [&](const char* at) {
        if (field < 3)
            fields[field++] = std::string_view(fieldStart, static_cast<size_t>(at - fieldStart));
        fieldStart = at + 1;
        if (at != end && *at == ',')
            return true;
        const std::string_view line(lineStart, static_cast<size_t>(at - lineStart));
        lineStart = fieldStart;
        const size_t filled = field;
        field = 0;
        if (line.empty() || line == "\r")
            return at != end;
        for (size_t missing = filled; missing < 3; ++missing)
            fields[missing] = std::string_view(at, 0);
        if (current) {
            types.Add(DropLineEnd(fields[2]));
            lengths.Add(fields[1]);
        } else {
            lengths.Add(DropLineEnd(fields[1]));
        }
        names.Add(fields[0]);
        return ++itemCount < CZEPHOnlineINI::MaxItems && at != end;
    };

    // The delimiters are found sixteen bytes a step: a list of 512 items is
    // some fifteen thousand bytes of short fields, where a search per field
    // would cost more than the fields.
    const char* next = begin;
    bool going = true;
    for (; going && end - next >= 16; next += 16) {
        for (unsigned found = MatchesInSixteen(next, ',', '\n'); going && found != 0; found &= found - 1)
            going = delimiter(next + __builtin_ctz(found));
    }
    for (; going && next < end; ++next) {
        if (*next == ',' || *next == '\n')
            going = delimiter(next);
    }
    if (going)
        delimiter(end);

    if (current) {
        char countText[16];
        record.WriteValue(ItemSection, "entry item number", IntToText(itemCount, countText, 10));
        record.WriteValue(ItemSection, "entry item name", names.Text());
        record.WriteValue(ItemSection, "entry item data type", types.Text());
        record.WriteValue(ItemSection, "entry item DB storage length", lengths.Text());
    } else {
        record.WriteValue(ItemSection, "previous entry item name", names.Text());
        record.WriteValue(ItemSection, "previous entry item DB storage length", lengths.Text());
    }
}

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

// One key's values, joined with a comma between neighbours as they come, in
// room for `room` bytes (a list is never longer than the text it comes from).
class JoinedList {
public:
    explicit JoinedList(size_t room) : text(new char[room + 1]), end(text.get()) { *end = '\0'; }
    void Add(std::string_view field)
    {
        if (end != text.get())
            *end++ = ',';
        std::memcpy(end, field.data(), field.size());
        end += field.size();
        *end = '\0';
    }
    const char* Text() const { return text.get(); }

private:
    std::unique_ptr<char[]> text;
    char* end;
};

// The text of `rest` up to its first `delimiter` (all of it when there is
// none); `rest` goes on after the delimiter. An empty rest gives empty texts.
std::string_view CutAt(std::string_view& rest, char delimiter)
{
    const void* found = std::memchr(rest.data(), delimiter, rest.size());
    const size_t length = found != nullptr ? static_cast<size_t>(static_cast<const char*>(found) - rest.data())
                                           : rest.size();
    const std::string_view token = rest.substr(0, length);
    rest.remove_prefix(found != nullptr ? length + 1 : length);
    return token;
}

// A browser ends text-area lines with CR LF; cutting at LF leaves the CR on the
// line's last field, which must not become part of the stored value.
std::string_view DropLineEnd(std::string_view field)
{
    if (!field.empty() && (field.back() == '\r' || field.back() == '\n'))
        field.remove_suffix(1);
    return field;
}

}  // namespace

void WriteItemList(const std::string& text, ItemLayout layout, CZEPHOnlineINI& record)
{
    const bool current = layout == ItemLayout::CurrentItems;

    // The text ends at a NUL, as a C string would.
    std::string_view lines(text.c_str(), std::strlen(text.c_str()));
    // Each list is at most as long as the text.
    JoinedList names(lines.size()), lengths(lines.size()), types(current ? lines.size() : 0);
    int itemCount = 0;
    while (itemCount < CZEPHOnlineINI::MaxItems) {
        std::string_view fields = CutAt(lines, '\n');
        if (fields.empty())
            break;  // end of the text, or an empty line that ends the list

        const std::string_view name = CutAt(fields, ',');
        std::string_view length = CutAt(fields, ',');
        if (current)
            types.Add(DropLineEnd(CutAt(fields, ',')));
        else
            length = DropLineEnd(length);
        names.Add(name);
        lengths.Add(length);
        ++itemCount;
    }

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

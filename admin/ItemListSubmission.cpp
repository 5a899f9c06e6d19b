// ItemListSubmission.cpp: the item text areas of the administration form,
// written back as comma-separated entry item keys.
#include "admin/ItemListSubmission.h"

#include "cgi/TokensAndNumbers.h"
#include "config/ZEPHOnlineINI.h"

#include <cstring>
#include <string_view>
#include <vector>

namespace {

const char* const ItemSection = "database entry info";

// One key's values, joined with a comma between neighbours as they come.
class JoinedList {
public:
    void Add(const char* field)
    {
        if (count++ > 0)
            text += ',';
        text += field;
    }
    const char* Text() const { return text.c_str(); }

private:
    std::string text;
    int count = 0;
};

// A browser ends text-area lines with CR LF; cutting at LF leaves the CR on the
// line's last field, which must not become part of the stored value.
void DropLineEnd(char* field)
{
    size_t length = std::strlen(field);
    if (length > 0 && (field[length - 1] == '\r' || field[length - 1] == '\n'))
        field[length - 1] = '\0';
}

// An empty text-area line: nothing at all between two LFs (or before the
// first, or after the last), or the lone CR of a browser's CR LF.
bool IsBlankLine(const char* line)
{
    return line[0] == '\0' || (line[0] == '\r' && line[1] == '\0');
}

}  // namespace

int CountItemLines(const std::string& text)
{
    int count = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string_view line(text.data() + start, end - start);
        if (!line.empty() && line != "\r")
            ++count;
        start = end + 1;
    }
    return count;
}

void WriteItemList(const std::string& text, ItemLayout layout, CZEPHOnlineINI& record)
{
    const bool current = layout == ItemLayout::CurrentItems;

    // A private copy to cut from, line by line in one pass; the form keeps its value.
    std::vector<char> copy(text.c_str(), text.c_str() + text.size() + 1);
    TokenCutter lines(copy.data(), '\n');

    JoinedList names, lengths, types;
    int itemCount = 0;
    while (itemCount < CZEPHOnlineINI::MaxItems && !lines.AtEnd()) {
        char* line = lines.Next();
        if (IsBlankLine(line))
            continue;  // a blank line between or after the items is no item

        TokenCutter fields(line, ',');
        char* name = fields.Next();
        char* length = fields.Next();
        char* type = nullptr;
        if (current) {
            type = fields.Next();
            DropLineEnd(type);
        } else {
            DropLineEnd(length);
        }

        names.Add(name);
        lengths.Add(length);
        if (current)
            types.Add(type);
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

// ItemListSubmission.cpp: the item text areas of the administration form,
// written back as comma-separated entry item keys.
#include "admin/ItemListSubmission.h"

#include "cgi/TokensAndNumbers.h"
#include "config/ZEPHOnlineINI.h"

#include <cstring>
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

}  // namespace

void WriteItemList(const std::string& text, ItemLayout layout, CZEPHOnlineINI& record)
{
    const bool current = layout == ItemLayout::CurrentItems;

    // A private copy to cut from, line by line in one pass; the form keeps its value.
    std::vector<char> copy(text.c_str(), text.c_str() + text.size() + 1);
    TokenCutter lines(copy.data(), '\n');

    JoinedList names, lengths, types;
    int itemCount = 0;
    while (itemCount < CZEPHOnlineINI::MaxItems) {
        char* line = lines.Next();
        if (line[0] == '\0')
            break;  // end of the text, or an empty line that ends the list

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

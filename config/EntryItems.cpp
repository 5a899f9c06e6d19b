// EntryItems.cpp: the entry item lists of "database entry info".
#include "config/EntryItems.h"

#include "config/SettingValues.h"

#include <cstring>

namespace {

constexpr unsigned short SlotZeroLength = 15;
constexpr unsigned short MissingLength = 20;

// The code of a data type word of `length` bytes in any letter case (as
// strcasecmp compares in the C locale: A to Z match a to z); -1 for any other
// word. Most lists hold the words as the form writes them, in small letters.
short TypeCode(const char* word, size_t length)
{
    for (short code = 0; code < ItemTypeCount; ++code) {
        const std::string_view expected = ItemTypeWords[code];
        if (length != expected.size() || (word[0] | 0x20) != expected[0])
            continue;
        if (std::memcmp(word, expected.data(), length) == 0)
            return code;
        size_t i = 0;
        for (; i < length; ++i) {
            char c = word[i];
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c + ('a' - 'A'));
            if (c != expected[i])
                break;
        }
        if (i == length)
            return code;
    }
    return -1;
}

}  // namespace

int ParseItemNames(std::string& list, const char* slotZeroName, ItemNames& names, ItemFlags& stars)
{
    names[0] = slotZeroName;
    ListCutter elements(list);
    int slot = 1;
    for (; slot <= CZEPHOnlineINI::MaxItems; ++slot) {
        const char* element = elements.Next();
        if (element[0] == '\0')
            break;
        const bool star = element[0] == '*';
        stars[slot] = star ? 1 : 0;
        // clear and append: a name fits the string's own room, and appending
        // there is the cheapest way in.
        names[slot].clear();
        names[slot].append(element + (star ? 1 : 0), elements.Length() - (star ? 1 : 0));
    }
    return slot;
}

void ParseItemLengths(std::string& list, int slotCount, ItemLengths& lengths)
{
    lengths[0] = SlotZeroLength;
    ListCutter elements(list);
    for (int slot = 1; slot < slotCount; ++slot) {
        const char* element = elements.Next();
        if (element[0] == '\0') {
            for (; slot < slotCount; ++slot)
                lengths[slot] = MissingLength;
            return;
        }
        lengths[slot] = static_cast<unsigned short>(TextToInt(element));
    }
}

void ParseItemTypes(std::string& list, int slotCount, ItemFlags& types)
{
    ListCutter elements(list);
    for (int slot = 1; slot < slotCount; ++slot) {
        const char* element = elements.Next();
        if (element[0] == '\0')
            return;
        const short code = TypeCode(element, elements.Length());
        if (code >= 0)
            types[slot] = code;
    }
}

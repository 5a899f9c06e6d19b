// EntryItems.cpp: the entry item lists of "database entry info".
#include "config/EntryItems.h"

#include "config/SettingValues.h"

#include <strings.h>

namespace {

constexpr unsigned short SlotZeroLength = 15;
constexpr unsigned short MissingLength = 20;

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
        names[slot] = element + (star ? 1 : 0);
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
        for (short code = 0; code < ItemTypeCount; ++code) {
            if (strcasecmp(element, ItemTypeWords[code]) == 0) {
                types[slot] = code;
                break;
            }
        }
    }
}

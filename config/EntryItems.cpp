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
    int slot = 1;
    for (; slot <= CZEPHOnlineINI::MaxItems; ++slot) {
        std::unique_ptr<char[]> element = NextListElement(list);
        if (element[0] == '\0')
            break;
        const bool star = element[0] == '*';
        stars[slot] = star ? 1 : 0;
        names[slot] = element.get() + (star ? 1 : 0);
    }
    return slot;
}

void ParseItemLengths(std::string& list, int slotCount, ItemLengths& lengths)
{
    lengths[0] = SlotZeroLength;
    for (int slot = 1; slot < slotCount; ++slot) {
        std::unique_ptr<char[]> element = NextListElement(list);
        if (element[0] == '\0') {
            for (; slot < slotCount; ++slot)
                lengths[slot] = MissingLength;
            return;
        }
        lengths[slot] = static_cast<unsigned short>(TextToInt(element.get()));
    }
}

void ParseItemTypes(std::string& list, int slotCount, ItemFlags& types)
{
    static const char* const typeWords[] = {"string", "number", "time", "phone"};
    for (int slot = 1; slot < slotCount; ++slot) {
        std::unique_ptr<char[]> element = NextListElement(list);
        if (element[0] == '\0')
            return;
        for (short code = 0; code < 4; ++code) {
            if (strcasecmp(element.get(), typeWords[code]) == 0) {
                types[slot] = code;
                break;
            }
        }
    }
}

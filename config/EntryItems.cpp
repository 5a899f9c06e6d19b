// EntryItems.cpp: the entry item lists of "database entry info".
#include "config/EntryItems.h"

#include "config/ItemNames.h"
#include "config/SettingValues.h"

#include <algorithm>

namespace {

constexpr unsigned short SlotZeroLength = 15;
constexpr unsigned short MissingLength = 20;

// The code of a data type word in any letter case; -1 for any other word.
short TypeCode(std::string_view word)
{
    // The form writes the words in small letters: those are found at one
    // comparison each, before any letter case is ignored.
    for (short code = 0; code < ItemTypeCount; ++code) {
        if (word == ItemTypeWords[code])
            return code;
    }
    for (short code = 0; code < ItemTypeCount; ++code) {
        if (SameName(word, ItemTypeWords[code]))
            return code;
    }
    return -1;
}

}  // namespace

int ParseItemNames(std::string& list, const char* slotZeroName, std::vector<std::string>& names,
                   std::vector<short>& stars)
{
    // Room for every name the list can hold: each takes two bytes at least.
    const size_t slots = std::min<size_t>(list.size() / 2 + 2, CZEPHOnlineINI::MaxItems + 1);
    names.clear();
    names.reserve(slots);
    names.emplace_back(slotZeroName);
    stars.clear();
    stars.reserve(slots);
    stars.push_back(0);
    ForEachListedName(list, CZEPHOnlineINI::MaxItems, [&](std::string_view name, bool star) {
        names.emplace_back(name);
        stars.push_back(star ? 1 : 0);
    });
    return static_cast<int>(names.size());
}

void ParseItemLengths(std::string& list, int slotCount, std::vector<unsigned short>& lengths)
{
    lengths.assign(static_cast<size_t>(slotCount), MissingLength);
    lengths[0] = SlotZeroLength;
    ListCutter elements(list);
    for (int slot = 1; slot < slotCount; ++slot) {
        const char* element = elements.Next();
        if (element[0] == '\0')
            return;
        lengths[slot] = static_cast<unsigned short>(TextToInt({element, elements.Length()}));
    }
}

void ParseItemTypes(std::string& list, int slotCount, std::vector<short>& types)
{
    types.assign(static_cast<size_t>(slotCount), 0);
    ListCutter elements(list);
    for (int slot = 1; slot < slotCount; ++slot) {
        const char* element = elements.Next();
        if (element[0] == '\0')
            return;
        const short code = TypeCode({element, elements.Length()});
        if (code >= 0)
            types[slot] = code;
    }
}

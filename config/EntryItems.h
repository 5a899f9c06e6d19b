// EntryItems.h: parsing the entry item lists of "database entry info" into the
// per-slot arrays of the configuration record.
#pragma once

#include "config/ZEPHOnlineINI.h"

#include <string>
#include <string_view>

using ItemNames = std::string[CZEPHOnlineINI::ItemSlots];
using ItemFlags = short[CZEPHOnlineINI::ItemSlots];
using ItemLengths = unsigned short[CZEPHOnlineINI::ItemSlots];

// The data type words of "entry item data type", by type code: the code an
// item's slot holds is the word's place here.
inline constexpr std::string_view ItemTypeWords[] = {"string", "number", "time", "phone"};
inline constexpr short ItemTypeCount = 4;

// The word of a type code; "string" for a code that names no type.
inline std::string_view ItemTypeWord(short code)
{
    return code > 0 && code < ItemTypeCount ? ItemTypeWords[code] : ItemTypeWords[0];
}

// Item names from a comma list (consumed): slot 0 gets `slotZeroName`, the
// names fill slots 1 to at most MaxItems, a leading "*" sets the slot's star
// and is removed. Returns the slot count (names + 1).
int ParseItemNames(std::string& list, const char* slotZeroName, ItemNames& names, ItemFlags& stars);

// Storage lengths of slots 1 to slotCount - 1 (slot 0: 15); slots without a
// length get 20.
void ParseItemLengths(std::string& list, int slotCount, ItemLengths& lengths);

// Data type codes of slots 1 to slotCount - 1 from the ItemTypeWords (any
// letter case); slots without a known word keep their code.
void ParseItemTypes(std::string& list, int slotCount, ItemFlags& types);

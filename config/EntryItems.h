// EntryItems.h: parsing the entry item lists of "database entry info" into the
// per-slot lists of the configuration record.
#pragma once

#include "config/ZEPHOnlineINI.h"

#include <string>
#include <string_view>
#include <vector>

// The data type words of "entry item data type", by type code: the code an
// item's slot holds is the word's place here.
inline constexpr std::string_view ItemTypeWords[] = {"string", "number", "time", "phone"};
inline constexpr short ItemTypeCount = 4;

// The word of a type code; "string" for a code that names no type.
inline std::string_view ItemTypeWord(short code)
{
    return code > 0 && code < ItemTypeCount ? ItemTypeWords[code] : ItemTypeWords[0];
}

// Item names from a comma list (consumed): slot 0 is `slotZeroName`, the
// names fill slots 1 to at most MaxItems, a leading "*" sets the slot's star
// and is removed. Both lists get one entry per slot; returns the slot count
// (names + 1).
int ParseItemNames(std::string& list, const char* slotZeroName, std::vector<std::string>& names,
                   std::vector<short>& stars);

// Storage lengths of `slotCount` slots (slot 0: 15); slots without a length
// get 20.
void ParseItemLengths(std::string& list, int slotCount, std::vector<unsigned short>& lengths);

// Data type codes of `slotCount` slots from the ItemTypeWords (any letter
// case); slots without a known word get 0 ("string").
void ParseItemTypes(std::string& list, int slotCount, std::vector<short>& types);

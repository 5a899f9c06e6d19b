// ItemNames.h: entry item names as the lists of the initialisation file hold
// them: a leading "*" that is no part of the name, and names compared and
// looked up ignoring letter case, the way the database program compares them.
#pragma once

#include "config/SettingValues.h"

#include <string>
#include <string_view>
#include <vector>

// Calls take(name, star) for each name of the comma list `list` in turn, at
// most `most` of them, up to its first empty element; a leading "*" is no
// part of a name and sets its star. The names lie in `list`, which is cut in
// place.
template <typename Take>
void ForEachListedName(std::string& list, size_t most, Take take)
{
    ListCutter elements(list);
    for (size_t taken = 0; taken < most; ++taken) {
        const char* element = elements.Next();
        if (element[0] == '\0')
            return;
        const bool star = element[0] == '*';
        take(std::string_view(element + (star ? 1 : 0), elements.Length() - (star ? 1 : 0)), star);
    }
}

// Names equal ignoring letter case as strcasecmp compares them in the C
// locale, the only one this program uses: A to Z match a to z.
bool SameName(std::string_view a, std::string_view b);

// For each of `wanted` in turn, what a pass over slots first to end - 1 in
// order gives: the first slot whose name matches, -1 when none does. The
// lists that name items (time stamps, CSV display) may name hundreds of 512
// items, so the wanted names are put in a hash map and the slots walked once,
// up to the last slot a wanted name needs: a pass per name would cost the
// product of the two counts.
std::vector<int> FirstSlotsNamed(const std::vector<std::string>& itemNames,
                                 const std::vector<std::string_view>& wanted, int first, int end);

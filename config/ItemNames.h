// ItemNameIndex.h: entry item names compared and looked up ignoring letter
// case, the way the database program compares them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Names equal ignoring letter case as strcasecmp compares them in the C
// locale, the only one this program uses: A to Z match a to z.
bool SameName(std::string_view a, std::string_view b);

// For each of `wanted` in turn, what a pass over slots first to end - 1 in
// order gives: the first slot whose name matches, -1 when none does. The
// lists that name items (time stamps, CSV display) may name hundreds of 512
// items, so the wanted names are indexed and the slots walked once, up to
// the last slot a wanted name needs: a pass per name would cost the product
// of the two counts.
std::vector<int> FirstSlotsNamed(const std::vector<std::string>& itemNames,
                                 const std::vector<std::string_view>& wanted, int first, int end);

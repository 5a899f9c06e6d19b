// ItemNameIndex.cpp: entry item names looked up ignoring letter case.
#include "config/ItemNameIndex.h"

#include <strings.h>

bool SameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

size_t ItemNameIndex::FoldedHash::operator()(std::string_view name) const
{
    // | 0x20 turns A to Z into a to z; it also merges a few other bytes, which
    // only lets their names share a bucket.
    size_t hash = 0;
    for (char c : name)
        hash = hash * 31 + static_cast<unsigned char>(c | 0x20);
    return hash;
}

int ItemNameIndex::Find(std::string_view name, int first, int end)
{
    if (firstSlot.empty()) {
        firstSlot.reserve(names.size());
        for (size_t slot = 0; slot < names.size(); ++slot)
            firstSlot.emplace(names[slot], static_cast<int>(slot));  // keeps the first of equal names
    }
    const auto found = firstSlot.find(name);
    if (found == firstSlot.end() || found->second >= end)
        return -1;
    if (found->second >= first)
        return found->second;
    // Before the range (slot 0 in a range from 1) a later slot of the same
    // name may still lie inside it.
    for (int slot = first; slot < end; ++slot) {
        if (SameName(names[slot], name))
            return slot;
    }
    return -1;
}

// ItemNames.cpp: entry item names compared and looked up ignoring letter case.
#include "config/ItemNames.h"

#include <strings.h>
#include <unordered_map>

namespace {

// Hashes names ignoring letter case: | 0x20 turns A to Z into a to z; it
// also merges a few other bytes, which only lets their names share a bucket.
struct FoldedHash {
    size_t operator()(std::string_view name) const
    {
        size_t hash = 0;
        for (char c : name)
            hash = hash * 31 + static_cast<unsigned char>(c | 0x20);
        return hash;
    }
};

struct FoldedEqual {
    bool operator()(std::string_view a, std::string_view b) const { return SameName(a, b); }
};

}  // namespace

bool SameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::vector<int> FirstSlotsNamed(const std::vector<std::string>& itemNames,
                                 const std::vector<std::string_view>& wanted, int first, int end)
{
    // Each wanted name once (names equal ignoring case share an entry), with
    // the slot found for it, -1 until one is.
    std::unordered_map<std::string_view, int, FoldedHash, FoldedEqual> firstSlot;
    for (std::string_view name : wanted)
        firstSlot.emplace(name, -1);

    size_t unfound = firstSlot.size();
    for (int slot = first; slot < end && unfound > 0; ++slot) {
        const auto entry = firstSlot.find(itemNames[slot]);
        if (entry != firstSlot.end() && entry->second < 0) {
            entry->second = slot;
            --unfound;
        }
    }

    std::vector<int> slots;
    for (std::string_view name : wanted)
        slots.push_back(firstSlot.find(name)->second);
    return slots;
}

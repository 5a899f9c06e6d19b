// ItemNameIndex.h: entry item names compared and looked up ignoring letter
// case, the way the database program compares them.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// Letter case as strcasecmp sees it in the C locale, the only one this
// program uses: A to Z are the capitals of a to z.
inline unsigned char Folded(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

// Names equal ignoring letter case. Equal names are equally long, and a list
// mostly names an item as it is written, so the lengths are compared first,
// then the bytes as they are, and only then letter by letter from the end
// (the names of one database often share their beginning: Phone1, Phone2).
inline bool SameName(const std::string& itemName, const char* name, size_t length)
{
    if (itemName.size() != length)
        return false;
    if (std::memcmp(itemName.data(), name, length) == 0)
        return true;
    for (size_t i = length; i > 0; --i) {
        if (Folded(itemName[i - 1]) != Folded(name[i - 1]))
            return false;
    }
    return true;
}

// Item names looked up by name, for the lists that name many items (time
// stamps, CSV display): with many items one pass over all of them per name
// would cost the product of the two counts. Gives what a pass over slots
// first to end - 1 in order gives: the first slot whose name matches, -1 when
// none does. One index serves every range: it keeps the first slot of each
// name over all slots, built on the first lookup (a list may name no item).
class ItemNameIndex {
public:
    ItemNameIndex(const std::string* itemNames, int slotCount) : names(itemNames), count(slotCount) {}

    int Find(const char* name, size_t length, int first, int end)
    {
        if (count <= LinearLimit)
            return FindAmong(name, length, first, end);
        if (buckets.empty())
            Build();
        int slot = -1;
        for (size_t b = Hash(name, length) & mask; buckets[b] != 0; b = (b + 1) & mask) {
            if (SameName(names[buckets[b] - 1], name, length)) {
                slot = buckets[b] - 1;
                break;
            }
        }
        // Before the range (slot 0 in a range from 1) a later slot of the
        // same name may still lie inside it; after the range, none does.
        if (slot >= 0 && slot < first)
            return FindAmong(name, length, first, end);
        return slot < end ? slot : -1;
    }

private:
    int FindAmong(const char* name, size_t length, int first, int end) const
    {
        for (int slot = first; slot < end; ++slot) {
            if (SameName(names[slot], name, length))
                return slot;
        }
        return -1;
    }

    // An open hash table of slot + 1 (0: empty bucket), filled in slot order
    // and keeping the first slot of equal names.
    void Build()
    {
        size_t size = 64;
        while (size < 2 * static_cast<size_t>(count))
            size *= 2;
        buckets.assign(size, 0);
        mask = size - 1;
        for (int slot = 0; slot < count; ++slot) {
            const std::string& itemName = names[slot];
            size_t b = Hash(itemName.data(), itemName.size()) & mask;
            while (buckets[b] != 0 && !SameName(names[buckets[b] - 1], itemName.data(), itemName.size()))
                b = (b + 1) & mask;
            if (buckets[b] == 0)
                buckets[b] = slot + 1;
        }
    }

    // The length and the first and last eight bytes, with the capitals of
    // A to Z folded into small letters (| 0x20 folds them; it also merges a
    // few other bytes, which only makes names share a bucket).
    static size_t Hash(const char* name, size_t length)
    {
        uint64_t head = 0, tail = 0;
        if (length >= 8) {
            std::memcpy(&head, name, 8);
            std::memcpy(&tail, name + length - 8, 8);
        } else {
            std::memcpy(&head, name, length);
        }
        constexpr uint64_t Fold = 0x2020202020202020ull;
        uint64_t hash = ((head | Fold) * 0x9E3779B97F4A7C15ull) ^ ((tail | Fold) * 0xC2B2AE3D27D4EB4Full) ^ length;
        // A product's low bits see only the low bytes: mix the high ones down.
        hash ^= hash >> 32;
        hash *= 0xD6E8FEB86659FD93ull;
        return static_cast<size_t>(hash ^ (hash >> 32));
    }

    // Up to this many slots a pass costs less than building the index.
    static constexpr int LinearLimit = 32;
    const std::string* names;
    int count;
    std::vector<int> buckets;
    size_t mask = 0;
};

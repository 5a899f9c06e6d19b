// ItemNameIndex.h: entry item names compared and looked up ignoring letter
// case, the way the database program compares them.
#pragma once

#include <memory_resource>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Names equal ignoring letter case as strcasecmp compares them in the C
// locale, the only one this program uses: A to Z match a to z.
bool SameName(std::string_view a, std::string_view b);

// Item names looked up by name, for the lists that name many items (time
// stamps, CSV display): with many items one pass over all of them per name
// would cost the product of the two counts. Gives what a pass over slots
// first to end - 1 in order gives: the first slot whose name matches, -1 when
// none does.
class ItemNameIndex {
public:
    explicit ItemNameIndex(const std::vector<std::string>& itemNames) : names(itemNames) {}

    int Find(std::string_view name, int first, int end);

private:
    // Hashes and compares names ignoring letter case.
    struct FoldedHash {
        size_t operator()(std::string_view name) const;
    };
    struct FoldedEqual {
        bool operator()(std::string_view a, std::string_view b) const { return SameName(a, b); }
    };

    const std::vector<std::string>& names;
    // The index's entries, taken from a few large blocks and given back at
    // once: one allocation per item name cost more than the lookups.
    std::pmr::monotonic_buffer_resource entries;
    // The first slot of each name, made on the first lookup (a list may name
    // no item).
    std::pmr::unordered_map<std::string_view, int, FoldedHash, FoldedEqual> firstSlot{&entries};
};

// SettingComparison.cpp: the keys of two contents side by side.
#include "config/SettingComparison.h"

#include "base/EscapedText.h"
#include "files/IniEntries.h"

#include <algorithm>
#include <functional>
#include <unordered_map>
#include <utility>

namespace {

// A key whose value differs, its texts in the two contents compared.
struct Difference {
    std::string_view section, key, older, newer;
};

// A section and key, as the sets and maps of a comparison hold them.
struct KeyName {
    std::string_view section, key;
    bool operator==(const KeyName&) const = default;
};

struct KeyNameHash {
    size_t operator()(const KeyName& name) const
    {
        const std::hash<std::string_view> hash;
        return hash(name.section) * 31 + hash(name.key);
    }
};

// How `settings` shows each key it names; a key it does not name is never
// shown. Made at the first difference shown, so that the names alone cost
// nothing here.
class ShownKeys {
public:
    explicit ShownKeys(const std::vector<ComparedSetting>& settings) : settings(settings) {}

    SettingShown Of(std::string_view section, std::string_view key)
    {
        if (shown.empty())
            for (const ComparedSetting& setting : settings)
                shown.emplace(KeyName{setting.section, setting.key}, setting.shown);  // the first row wins
        const auto found = shown.find({section, key});
        return found == shown.end() ? SettingShown::Password : found->second;
    }

private:
    const std::vector<ComparedSetting>& settings;
    std::unordered_map<KeyName, SettingShown, KeyNameHash> shown;
};

bool SameKey(const IniEntryView& a, const IniEntryView& b)
{
    return a.key == b.key && a.section == b.section;
}

// Nothing is copied out of the contents. Each entry is looked at once: the
// keys of a content are unique, so each older entry matches at most one newer.
std::vector<Difference> Differences(const std::vector<IniEntryView>& before, const std::vector<IniEntryView>& after)
{
    std::vector<bool> matched(before.size());
    std::vector<Difference> differences;
    const auto add = [&](const IniEntryView& entry, std::string_view olderValue, std::string_view newerValue) {
        if (olderValue != newerValue)
            differences.push_back({entry.section, entry.key, olderValue, newerValue});
    };
    // Two contents of one file mostly hold their keys in the same order: the
    // older entry after the last one found is looked at first, and the older
    // entries are indexed only when that misses.
    std::unordered_map<KeyName, size_t, KeyNameHash> index;
    const auto indexed = [&](const IniEntryView& entry) {
        if (index.empty()) {
            index.reserve(before.size());
            for (size_t i = 0; i < before.size(); ++i)
                index.emplace(KeyName{before[i].section, before[i].key}, i);
        }
        const auto found = index.find({entry.section, entry.key});
        return found == index.end() ? before.size() : found->second;
    };
    size_t next = 0;
    for (const IniEntryView& entry : after) {
        const size_t found = next < before.size() && SameKey(before[next], entry) ? next : indexed(entry);
        std::string_view olderValue;
        if (found < before.size()) {
            matched[found] = true;
            olderValue = before[found].value;
            next = found + 1;
        }
        add(entry, olderValue, entry.value);
    }
    // Keys that only `older` holds, in its order.
    for (size_t i = 0; i < before.size(); ++i)
        if (!matched[i])
            add(before[i], before[i].value, {});
    return differences;
}

std::vector<Difference> Differences(std::string_view older, std::string_view newer)
{
    return Differences(IniEntryViews(older), IniEntryViews(newer));
}

std::string Quoted(std::string_view value)
{
    return "\"" + EscapedText(value, TextKept::Utf8) + "\"";
}

// Every element of a comma list, the empty ones too: a difference anywhere
// in the value shows.
std::vector<std::string_view> Items(std::string_view list)
{
    std::vector<std::string_view> items;
    if (list.empty())
        return items;
    for (size_t start = 0;;) {
        const size_t comma = list.find(',', start);
        items.push_back(list.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos)
            return items;
        start = comma + 1;
    }
}

void AddItems(const Difference& difference, std::vector<ShownDifference>& shown)
{
    const std::vector<std::string_view> before = Items(difference.older), after = Items(difference.newer);
    for (size_t i = 0; i < std::max(before.size(), after.size()); ++i) {
        ShownDifference item{std::string(difference.section), std::string(difference.key), ShownDifference::ItemChanged,
                             i + 1, {}, {}};
        if (i >= before.size())
            item.what = ShownDifference::ItemAdded;
        else if (i >= after.size())
            item.what = ShownDifference::ItemRemoved;
        else if (before[i] == after[i])
            continue;
        if (i < before.size())
            item.older = before[i];
        if (i < after.size())
            item.newer = after[i];
        shown.push_back(std::move(item));
    }
}

std::string NameOf(const Difference& difference)
{
    return "[" + EscapedText(difference.section, TextKept::Utf8) + "] " + EscapedText(difference.key, TextKept::Utf8);
}

}  // namespace

const std::vector<ComparedSetting>& TableSettings()
{
    static const std::vector<ComparedSetting> settings = [] {
        std::vector<ComparedSetting> rows;
        for (const SettingRow& row : SettingTable)
            rows.push_back({row.section, row.key, row.shown});
        return rows;
    }();
    return settings;
}

// Every key is named, whether `settings` names it or not: how it is shown does
// not count here.
std::vector<std::string> ChangedSettingNames(std::string_view older, std::string_view newer,
                                             const std::vector<ComparedSetting>&)
{
    std::vector<std::string> names;
    for (const Difference& difference : Differences(older, newer))
        names.push_back(NameOf(difference));
    return names;
}

std::vector<ChangedKey> ChangedKeys(const std::vector<IniEntryView>& older, const std::vector<IniEntryView>& newer)
{
    std::vector<ChangedKey> keys;
    for (const Difference& difference : Differences(older, newer))
        keys.push_back({difference.section, difference.key});
    return keys;
}

std::vector<ShownDifference> ShownDifferences(std::string_view older, std::string_view newer,
                                              const std::vector<ComparedSetting>& settings)
{
    std::vector<ShownDifference> shown;
    ShownKeys shownKeys(settings);
    for (const Difference& difference : Differences(older, newer)) {
        switch (shownKeys.Of(difference.section, difference.key)) {
        case SettingShown::Value:
            shown.push_back({std::string(difference.section), std::string(difference.key), ShownDifference::Value, 0,
                             std::string(difference.older), std::string(difference.newer)});
            break;
        case SettingShown::Password:
            shown.push_back({std::string(difference.section), std::string(difference.key), ShownDifference::Masked, 0,
                             {}, {}});
            break;
        case SettingShown::ItemList:
            AddItems(difference, shown);
            break;
        }
    }
    return shown;
}

std::vector<std::string> SettingDifferences(std::string_view older, std::string_view newer,
                                            const std::vector<ComparedSetting>& settings)
{
    std::vector<std::string> lines;
    for (const ShownDifference& difference : ShownDifferences(older, newer, settings)) {
        const std::string name = "[" + EscapedText(difference.section, TextKept::Utf8) + "] "
                                 + EscapedText(difference.key, TextKept::Utf8);
        const std::string item = name + ": item " + std::to_string(difference.item);
        switch (difference.what) {
        case ShownDifference::Value:
            lines.push_back(name + ": " + Quoted(difference.older) + " \u2192 " + Quoted(difference.newer));
            break;
        case ShownDifference::Masked:
            lines.push_back(name + ": (changed)");
            break;
        case ShownDifference::ItemAdded:
            lines.push_back(item + " added: " + Quoted(difference.newer));
            break;
        case ShownDifference::ItemRemoved:
            lines.push_back(item + " removed: " + Quoted(difference.older));
            break;
        case ShownDifference::ItemChanged:
            lines.push_back(item + " changed: " + Quoted(difference.older) + " \u2192 " + Quoted(difference.newer));
            break;
        }
    }
    return lines;
}

// SettingComparison.cpp: the keys of two contents side by side.
#include "config/SettingComparison.h"

#include "files/IniEntries.h"

#include <algorithm>
#include <map>
#include <utility>

namespace {

struct Difference {
    std::string section, key, older, newer;
    SettingShown shown;
};

// What `settings` says of the key; a key it does not name is never shown.
SettingShown ShownAs(const std::vector<ComparedSetting>& settings, const std::string& section,
                     const std::string& key)
{
    for (const ComparedSetting& setting : settings)
        if (setting.section == section && setting.key == key)
            return setting.shown;
    return SettingShown::Password;
}

std::vector<Difference> Differences(std::string_view older, std::string_view newer,
                                    const std::vector<ComparedSetting>& settings)
{
    using Key = std::pair<std::string, std::string>;
    std::map<Key, std::string> olderValues;
    for (IniEntry& entry : IniEntries(older))
        olderValues.emplace(Key(std::move(entry.section), std::move(entry.key)), std::move(entry.value));

    std::vector<Difference> differences;
    const auto add = [&](const std::string& section, const std::string& key, std::string before, std::string after) {
        if (before != after)
            differences.push_back({section, key, std::move(before), std::move(after), ShownAs(settings, section, key)});
    };
    for (IniEntry& entry : IniEntries(newer)) {
        const auto found = olderValues.find(Key(entry.section, entry.key));
        std::string before;
        if (found != olderValues.end()) {
            before = std::move(found->second);
            olderValues.erase(found);
        }
        add(entry.section, entry.key, std::move(before), std::move(entry.value));
    }
    // Keys that only `older` holds, in its order.
    for (IniEntry& entry : IniEntries(older))
        if (olderValues.count(Key(entry.section, entry.key)) != 0)
            add(entry.section, entry.key, std::move(entry.value), std::string());
    return differences;
}

std::string Quoted(std::string_view value)
{
    static const char Hex[] = "0123456789abcdef";
    std::string quoted = "\"";
    for (unsigned char byte : value) {
        if (byte < 0x20 || byte == 0x7f || byte == '"' || byte == '\\') {
            quoted += "\\x";
            quoted += Hex[byte >> 4];
            quoted += Hex[byte & 0x0f];
        } else {
            quoted += static_cast<char>(byte);
        }
    }
    return quoted + "\"";
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
        ShownDifference item{difference.section, difference.key, ShownDifference::ItemChanged, i + 1, {}, {}};
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
    return "[" + difference.section + "] " + difference.key;
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

std::vector<std::string> ChangedSettingNames(std::string_view older, std::string_view newer,
                                             const std::vector<ComparedSetting>& settings)
{
    std::vector<std::string> names;
    for (const Difference& difference : Differences(older, newer, settings))
        names.push_back(NameOf(difference));
    return names;
}

std::vector<ShownDifference> ShownDifferences(std::string_view older, std::string_view newer,
                                              const std::vector<ComparedSetting>& settings)
{
    std::vector<ShownDifference> shown;
    for (Difference& difference : Differences(older, newer, settings)) {
        switch (difference.shown) {
        case SettingShown::Value:
            shown.push_back({std::move(difference.section), std::move(difference.key), ShownDifference::Value, 0,
                             std::move(difference.older), std::move(difference.newer)});
            break;
        case SettingShown::Password:
            shown.push_back({std::move(difference.section), std::move(difference.key), ShownDifference::Masked, 0,
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
        const std::string name = "[" + difference.section + "] " + difference.key;
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

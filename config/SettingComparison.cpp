// SettingComparison.cpp: the keys of two contents side by side.
#include "config/SettingComparison.h"

#include "base/EscapedText.h"
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

void AddItemLines(const Difference& difference, const std::string& name, std::vector<std::string>& lines)
{
    const std::vector<std::string_view> before = Items(difference.older), after = Items(difference.newer);
    for (size_t i = 0; i < std::max(before.size(), after.size()); ++i) {
        const std::string item = name + ": item " + std::to_string(i + 1);
        if (i >= before.size())
            lines.push_back(item + " added: " + Quoted(after[i]));
        else if (i >= after.size())
            lines.push_back(item + " removed: " + Quoted(before[i]));
        else if (before[i] != after[i])
            lines.push_back(item + " changed: " + Quoted(before[i]) + " \u2192 " + Quoted(after[i]));
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

std::vector<std::string> ChangedSettingNames(std::string_view older, std::string_view newer,
                                             const std::vector<ComparedSetting>& settings)
{
    std::vector<std::string> names;
    for (const Difference& difference : Differences(older, newer, settings))
        names.push_back(NameOf(difference));
    return names;
}

std::vector<std::string> SettingDifferences(std::string_view older, std::string_view newer,
                                            const std::vector<ComparedSetting>& settings)
{
    std::vector<std::string> lines;
    for (const Difference& difference : Differences(older, newer, settings)) {
        const std::string name = NameOf(difference);
        switch (difference.shown) {
        case SettingShown::Value:
            lines.push_back(name + ": " + Quoted(difference.older) + " \u2192 " + Quoted(difference.newer));
            break;
        case SettingShown::Password:
            lines.push_back(name + ": (changed)");
            break;
        case SettingShown::ItemList:
            AddItemLines(difference, name, lines);
            break;
        }
    }
    return lines;
}

// ChangedSettings.cpp: the changed settings named for people.
#include "config/ChangedSettings.h"

#include "config/SettingComparison.h"
#include "config/SettingTable.h"

#include <algorithm>
#include <cstring>

namespace {

std::string NameOf(std::string_view section, std::string_view key)
{
    return "[" + std::string(section) + "] " + std::string(key);
}

// The rows of the item lists, the few keys named by their list.
const std::vector<const SettingRow*>& ItemListRows()
{
    static const std::vector<const SettingRow*> rows = [] {
        std::vector<const SettingRow*> lists;
        for (const SettingRow& row : SettingTable)
            if (row.kind == SettingKind::ItemList)
                lists.push_back(&row);
        return lists;
    }();
    return rows;
}

// The names of the item lists: the text areas of the form, one per list.
std::string ListName(const SettingRow& row)
{
    const bool previous = std::strcmp(row.formField, RowOf(Setting::PreviousItemNames).formField) == 0;
    return NameOf(row.section, previous ? "previous entry items" : "entry items");
}

// A key of an item list is named by its list.
std::string SummaryName(const ChangedKey& changed)
{
    for (const SettingRow* row : ItemListRows())
        if (changed.key == row->key && changed.section == row->section)
            return ListName(*row);
    return NameOf(changed.section, changed.key);
}

bool IsListName(const std::string& name)
{
    static const std::vector<std::string> names = {ListName(RowOf(Setting::ItemNames)),
                                                   ListName(RowOf(Setting::PreviousItemNames))};
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

std::string ChangedSettingName(Setting setting)
{
    return NameOf(RowOf(setting).section, RowOf(setting).key);
}

std::vector<std::string> ChangedSettingSummary(std::string_view older, std::string_view newer)
{
    return ChangedSettingSummary(IniEntryViews(older), IniEntryViews(newer));
}

std::vector<std::string> ChangedSettingSummary(const std::vector<IniEntryView>& older,
                                               const std::vector<IniEntryView>& newer)
{
    std::vector<std::string> summary;
    // Only the keys of an item list share a name: a list's name is given once.
    std::vector<std::string> lists;
    for (const ChangedKey& changed : ChangedKeys(older, newer)) {
        std::string name = SummaryName(changed);
        if (IsListName(name)) {
            if (std::find(lists.begin(), lists.end(), name) != lists.end())
                continue;
            lists.push_back(name);
        }
        summary.push_back(std::move(name));
    }
    return summary;
}

std::string ChangedSettingsText(const std::vector<std::string>& names)
{
    if (names.empty())
        return "no setting changed";
    std::string text = "changed ";
    const size_t shown = std::min(names.size(), ChangedNamesInLine);
    for (size_t i = 0; i < shown; ++i)
        text += (i == 0 ? "" : ", ") + names[i];
    if (names.size() > shown)
        text += " and " + std::to_string(names.size() - shown) + " more";
    return text;
}

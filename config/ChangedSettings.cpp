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

// A key of an item list is named by its list: the lists are the text areas
// of the form, one per item list.
std::string SummaryName(const ChangedKey& changed)
{
    const char* const previousArea = RowOf(Setting::PreviousItemNames).formField;
    for (const SettingRow& row : SettingTable)
        if (row.kind == SettingKind::ItemList && changed.key == row.key && changed.section == row.section)
            return NameOf(row.section,
                          std::strcmp(row.formField, previousArea) == 0 ? "previous entry items" : "entry items");
    return NameOf(changed.section, changed.key);
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
    for (const ChangedKey& changed : ChangedKeys(older, newer)) {
        std::string name = SummaryName(changed);
        if (std::find(summary.begin(), summary.end(), name) == summary.end())
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

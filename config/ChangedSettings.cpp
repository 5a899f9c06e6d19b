// ChangedSettings.cpp: the changed settings named for people.
#include "config/ChangedSettings.h"

#include "config/SettingComparison.h"
#include "config/SettingTable.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace {

std::string NameOf(const char* section, const char* key)
{
    return std::string("[") + section + "] " + key;
}

// Each key of an item list, by the name of its list: the lists are the text
// areas of the form, one per item list.
const std::map<std::string, std::string>& ListNames()
{
    static const std::map<std::string, std::string> names = [] {
        std::map<std::string, std::string> byKey;
        const char* const previousArea = RowOf(Setting::PreviousItemNames).formField;
        for (const SettingRow& row : SettingTable)
            if (row.kind == SettingKind::ItemList)
                byKey[NameOf(row.section, row.key)] = NameOf(
                    row.section, std::strcmp(row.formField, previousArea) == 0 ? "previous entry items" : "entry items");
        return byKey;
    }();
    return names;
}

}  // namespace

std::vector<std::string> ChangedSettingSummary(std::string_view older, std::string_view newer)
{
    std::vector<std::string> summary;
    for (std::string& name : ChangedSettingNames(older, newer)) {
        const auto list = ListNames().find(name);
        if (list != ListNames().end())
            name = list->second;
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

// ChangedSettings.h: the names of the settings a change changed, as the audit
// line and the history page give them: section and key, never a value, and
// each entry item list (its names, data types, storage lengths and count) as
// one setting.
#pragma once

#include "files/IniEntries.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

enum class Setting;  // config/SettingTable.h

// The names shown in one log line before "and N more".
inline constexpr size_t ChangedNamesInLine = 5;

// "[section] key" of every setting whose value differs between `older` and
// `newer`, in the order of `newer`; an item list as "[database entry info]
// entry items" or "[database entry info] previous entry items", once.
std::vector<std::string> ChangedSettingSummary(std::string_view older, std::string_view newer);
// How the summary names the setting `setting` (one not in an item list):
// "[Administration] Enable Remote Administration".
std::string ChangedSettingName(Setting setting);
// The same of two contents' entries (IniEntryViews), where each content is
// compared with more than one other.
std::vector<std::string> ChangedSettingSummary(const std::vector<IniEntryView>& older,
                                               const std::vector<IniEntryView>& newer);

// "changed A, B and 3 more" (at most ChangedNamesInLine names), or "no
// setting changed".
std::string ChangedSettingsText(const std::vector<std::string>& names);

// FileSettings.h: the settings of a database's file as its history shows
// them: which are passwords, which are item lists.
#pragma once

#include "config/SettingComparison.h"

#include <vector>

// Every setting of the setting table, with how
// its values may be shown. A key of the file that is not here is shown as
// changed, never with its values.
const std::vector<ComparedSetting>& FileSettings();

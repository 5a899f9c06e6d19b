// IniEntries.h: every key an initialisation file's content holds, with the
// value a lookup finds for it, for comparing two contents.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// An entry, its texts lying in the content it was found in.
struct IniEntryView {
    std::string_view section, key, value;
};

// Each section (at its first header, as lookups take it) with each key of its
// body (up to the first empty line, later headers included) at its first
// line, in file order: exactly what CIniFile::ReadValue reads for that
// section and key. A key is what stands before the first '=' of a line.
// The texts lie in `content`, which must outlive them.
std::vector<IniEntryView> IniEntryViews(std::string_view content);

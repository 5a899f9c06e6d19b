// IniText.h: reading and changing an initialisation file as text, apart from
// the program's own file code, to check what it wrote.
#pragma once

#include <string>
#include <vector>

struct IniKey {
    std::string section, key, value;
};

// Every key=value line of the text with its section, in file order. A section
// body ends at its first empty line, as the program reads it.
std::vector<IniKey> IniKeys(const std::string& text);

// The value of `key` in `section`; empty when absent.
std::string IniValue(const std::string& text, const std::string& section, const std::string& key);

// The text with the line of `key` in `section` set to key=value; throws
// std::invalid_argument when the section has no such key.
std::string WithIniValue(const std::string& text, const std::string& section, const std::string& key,
                         const std::string& value);

// IniText.cpp: a line scan of "[section]" headers and key=value lines.
#include "support/IniText.h"

#include <stdexcept>

namespace {

// Calls visit(section, key, lineStart, lineEnd) for every key=value line;
// stops when it returns true.
template <typename Visit>
void ScanKeys(const std::string& text, Visit visit)
{
    std::string section;
    bool inSection = false;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
            inSection = true;
        } else if (line.empty()) {
            inSection = false;
        } else if (inSection && line.find('=') != std::string::npos) {
            if (visit(section, line.substr(0, line.find('=')), start, end))
                return;
        }
        start = end + 1;
    }
}

}  // namespace

std::vector<IniKey> IniKeys(const std::string& text)
{
    std::vector<IniKey> keys;
    ScanKeys(text, [&](const std::string& section, const std::string& key, size_t start, size_t end) {
        keys.push_back({section, key, text.substr(start + key.size() + 1, end - start - key.size() - 1)});
        return false;
    });
    return keys;
}

std::string IniValue(const std::string& text, const std::string& section, const std::string& key)
{
    for (const IniKey& found : IniKeys(text))
        if (found.section == section && found.key == key)
            return found.value;
    return "";
}

std::string WithIniValue(const std::string& text, const std::string& section, const std::string& key,
                         const std::string& value)
{
    std::string changed;
    ScanKeys(text, [&](const std::string& inSection, const std::string& found, size_t start, size_t end) {
        if (inSection != section || found != key)
            return false;
        changed = text.substr(0, start) + key + "=" + value + text.substr(end);
        return true;
    });
    if (changed.empty())
        throw std::invalid_argument("no key \"" + key + "\" in section \"" + section + "\"");
    return changed;
}

// IniModel.cpp: the reference reading and writing of initialisation files.
#include "support/IniModel.h"

std::vector<IniLine> SplitLines(const std::string& file)
{
    std::vector<IniLine> lines;
    size_t start = 0;
    while (start < file.size()) {
        size_t end = file.find('\n', start);
        end = end == std::string::npos ? file.size() : end + 1;
        IniLine line;
        line.start = start;
        line.raw = file.substr(start, end - start);
        line.text = line.raw;
        size_t n = line.text.size();
        if (n > 0 && (line.text[n - 1] == '\n' || line.text[n - 1] == '\r'))
            line.text.resize(n >= 2 && line.text[n - 2] == '\r' ? n - 2 : n - 1);
        lines.push_back(line);
        start = end;
    }
    return lines;
}

IniLookup Find(const std::vector<IniLine>& lines, const std::string& section, const std::string& key)
{
    IniLookup found;
    size_t header = 0;
    while (header < lines.size()) {
        const std::string& text = lines[header].text;
        if (text.size() == section.size() + 2 && text[0] == '[' && text.substr(1, section.size()) == section)
            break;
        ++header;
    }
    if (header == lines.size()) {
        found.line = lines.size();
        return found;
    }
    found.sectionMissing = false;
    for (size_t i = header + 1; i < lines.size(); ++i) {
        const std::string& text = lines[i].text;
        if (text.empty()) {
            found.line = i;
            return found;
        }
        if (text.size() > key.size() && text.compare(0, key.size(), key) == 0 && text[key.size()] == '=') {
            found.keyMissing = false;
            found.line = i;
            return found;
        }
    }
    found.line = lines.size();
    return found;
}

std::optional<std::string> ModelValue(const std::string& file, const std::string& section,
                                      const std::string& key)
{
    std::vector<IniLine> lines = SplitLines(file);
    IniLookup found = Find(lines, section, key);
    if (found.keyMissing)
        return std::nullopt;
    return lines[found.line].text.substr(key.size() + 1);
}

std::string ModelWrite(const std::string& file, const std::string& section, const std::string& key,
                       const std::string& value)
{
    std::vector<IniLine> lines = SplitLines(file);
    IniLookup found = Find(lines, section, key);
    const std::string keyLine = key + "=" + value + "\n";
    if (found.line == lines.size()) {
        // Appended at the end, on a line of its own.
        std::string result = file;
        if (!result.empty() && result.back() != '\n')
            result += '\n';
        if (found.sectionMissing)
            result += "[" + section + "]\n";
        return result + keyLine + "\n";
    }
    std::string result = file.substr(0, lines[found.line].start);
    result += found.keyMissing ? keyLine + "\n" : keyLine;
    return result + file.substr(lines[found.line].start + lines[found.line].raw.size());
}

// ini_read_fuzz.cpp: libFuzzer target for initialisation-file lookups on any
// bytes. The input is the file; every lookup of the names that its own lines
// offer (and of empty names) must agree with the reference reading of the
// format: found or not, the position, and the value.
#include "files/IniFile.h"
#include "support/IniModel.h"
#include "support/ScratchFile.h"

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

namespace {

void CheckLookup(CIniFile& ini, const std::string& file, const std::vector<IniLine>& lines,
                 const std::string& section, const std::string& key)
{
    IniLookup expected = Find(lines, section, key);
    bool keyMissing = false;
    bool sectionMissing = false;
    long position = ini.FindKey(section, key, keyMissing, sectionMissing);
    size_t expectedPosition = expected.line < lines.size() ? lines[expected.line].start : file.size();
    if (keyMissing != expected.keyMissing || sectionMissing != expected.sectionMissing ||
        position != static_cast<long>(expectedPosition))
        std::abort();

    std::string value = "stale";
    bool found = ini.ReadValue(section, key, value);
    std::optional<std::string> expectedValue = ModelValue(file, section, key);
    if (found != expectedValue.has_value() || value != expectedValue.value_or(""))
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string file(reinterpret_cast<const char*>(data), size);
    WriteScratch(file);

    CIniFile ini;
    if (!ini.OpenFile(ScratchPath().c_str(), OpenRead))
        std::abort();
    const std::vector<IniLine> lines = SplitLines(file);

    // Header-like lines give sections; the text before a "=", and whole lines
    // (a key with nothing after it is no key line), give keys.
    std::set<std::string> sections{"", "a"}, keys{"", "k"};
    for (const IniLine& line : lines) {
        if (line.text.size() >= 2 && line.text[0] == '[' && sections.size() < 12)
            sections.insert(line.text.substr(1, line.text.size() - 2));
        size_t equals = line.text.find('=');
        if (keys.size() < 16)
            keys.insert(line.text.substr(0, equals));
    }
    for (const std::string& s : sections)
        for (const std::string& k : keys)
            CheckLookup(ini, file, lines, s, k);
    return 0;
}

// ini_write_fuzz.cpp: libFuzzer target for WriteValue and Commit. After
// writing any section, key and value without line breaks into any file: the
// content is byte for byte the content before with only the key's line
// replaced, or the key line inserted before the empty line closing its
// section, or the key (and its section) appended on lines of their own at the
// end; ReadValue gives the value back (see below for the one exception);
// writing the same value again changes nothing; and Commit puts exactly that
// content into the file. Lookups of other sections may change where bodies
// overlap (a header inside another body), so the bytes, not other lookups,
// are what is held unchanged.
#include "files/IniFile.h"
#include "support/IniModel.h"
#include "support/ScratchFile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

// A name or value as a form or the program can hand it over: one line, no NUL.
std::string OneLine(std::string text)
{
    text = text.substr(0, text.find('\0'));
    std::string line;
    for (char c : text)
        if (c != '\n' && c != '\r')
            line += c;
    return line;
}

void CheckWrite(CIniFile& ini, const std::string& section, const std::string& key,
                const std::string& value)
{
    const std::string before = ini.Content();
    ini.WriteValue(section.c_str(), key.c_str(), value.c_str());
    const std::string after = ini.Content();
    if (after != ModelWrite(before, section, key, value))
        std::abort();

    // The one way an append changes how an earlier line reads: a last line
    // without LF that ends in two CRs reads without both of them at the end of
    // the file, but keeps one once the LF is added (a CR LF pair goes, no more).
    // If that line was the section's header it is no longer one. Such a file
    // cannot come from the writer; the bytes are still exactly as designed.
    if (before.size() >= 2 && before.compare(before.size() - 2, 2, "\r\r") == 0)
        return;

    std::string readBack;
    if (!ini.ReadValue(section, key, readBack) || readBack != value)
        std::abort();

    ini.WriteValue(section.c_str(), key.c_str(), value.c_str());
    if (ini.Content() != after)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string section = OneLine(input.ConsumeRandomLengthString(60));
    const std::string key = OneLine(input.ConsumeRandomLengthString(60));
    const std::string value = OneLine(input.ConsumeRandomLengthString(200));
    const std::string file = input.ConsumeRemainingBytesAsString();
    WriteScratch(file);

    CIniFile ini;
    if (!ini.OpenFile(ScratchPath().c_str(), OpenReadWrite))
        std::abort();
    CheckWrite(ini, section, key, value);

    // Then the value into names that the file itself offers, each write on
    // the file as the one before left it.
    std::vector<std::pair<std::string, std::string>> names;
    std::string current;
    for (const IniLine& line : SplitLines(ini.Content())) {
        if (line.text.size() >= 2 && line.text[0] == '[')
            current = line.text.substr(1, line.text.size() - 2);
        size_t equals = line.text.find('=');
        if (equals != std::string::npos && names.size() < 6)
            names.emplace_back(OneLine(current), OneLine(line.text.substr(0, equals)));
    }
    for (const auto& [s, k] : names)
        CheckWrite(ini, s, k, value);

    // The file gets the content in one step.
    const std::string content = ini.Content();
    ini.Commit();
    if (ReadScratch() != content || ini.Content() != content)
        std::abort();
    return 0;
}

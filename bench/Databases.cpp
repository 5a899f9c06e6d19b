// Databases.cpp: the benchmark's databases, from the fixture of the tests.
#include "Databases.h"

#include "support/Fixture.h"
#include "support/IniText.h"

#include <vector>

namespace {

std::string Join(const std::vector<std::string>& parts)
{
    std::string text;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            text += ',';
        text += parts[i];
    }
    return text;
}

std::string LastOf(const std::string& list)
{
    return list.substr(list.rfind(',') + 1);
}

}  // namespace

std::string SmallDatabaseIni()
{
    return FixtureIni();
}

std::string WideDatabaseIni()
{
    const char* const typeWords[] = {"string", "number", "time", "phone"};
    std::vector<std::string> names, lengths, types, previousNames, display, stamps;
    for (int i = 1; i <= 512; ++i) {
        const std::string star = i % 16 == 1 ? "*" : "";
        const std::string type = typeWords[i % 4];
        names.push_back(star + "CatalogField" + std::to_string(i));
        lengths.push_back(std::to_string(10 + (i * 7) % 90));
        types.push_back(type);
        previousNames.push_back(star + "OldField" + std::to_string(i));
        if (i % 4 == 1)
            display.push_back(names.back());
        if (type == "time" && stamps.size() < 20)
            stamps.push_back("CatalogField" + std::to_string(i));
    }
    const struct {
        const char* section;
        const char* key;
        std::string value;
    } changes[] = {
        {"database entry info", "entry item number", std::to_string(names.size())},
        {"database entry info", "entry item name", Join(names)},
        {"database entry info", "entry item data type", Join(types)},
        {"database entry info", "entry item DB storage length", Join(lengths)},
        {"database entry info", "previous entry item name", Join(previousNames)},
        {"database entry info", "previous entry item DB storage length", Join(lengths)},
        {"time stamp", "time stamp items", Join(stamps)},
        {"time stamp", "master time stamp", "1"},
        {"time stamp", "mode", Join(std::vector<std::string>(stamps.size(), "3"))},
        {"formatted csv file options", "display", Join(display)},
        {"formatted csv file options", "sort", "*CatalogField1"},
        {"report", "hit counting item", "CatalogField1"},
    };
    std::string text = FixtureIni();
    for (const auto& change : changes)
        text = WithIniValue(text, change.section, change.key, change.value);
    return text;
}

namespace {

// `lines` put at the end of the body of `section` (before its empty line).
std::string WithLinesInSection(const std::string& text, const std::string& section, const std::string& lines)
{
    const size_t header = text.find("[" + section + "]\n");
    const size_t end = text.find("\n\n", header);
    return text.substr(0, end + 1) + lines + text.substr(end + 1);
}

}  // namespace

std::string ManyKeysIni(int keys)
{
    std::string lines;
    for (int i = 1; i <= keys; ++i)
        lines += "report note " + std::to_string(i) + "=n" + std::to_string(i * 7) + "\n";
    return WithLinesInSection(FixtureIni(), "report", lines);
}

std::string LargeIni(int mebibytes)
{
    std::string text = FixtureIni() + "\n[archive]\n";
    const std::string line(1024 * 1024 - 16, 'a');
    for (int i = 1; i < mebibytes; ++i)
        text += "part " + std::to_string(i) + "=" + line + "\n";
    return text + "\n";
}

std::string LastItemLine(const std::string& ini)
{
    const std::string section = "database entry info";
    return LastOf(IniValue(ini, section, "entry item name")) + "," +
           LastOf(IniValue(ini, section, "entry item DB storage length")) + "," +
           LastOf(IniValue(ini, section, "entry item data type"));
}

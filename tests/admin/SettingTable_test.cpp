// The setting table as the one home of every setting: each row's key shows in
// its control on the form the program serves, each control reaches its row's
// key through Configure, and the fixtures and the program's sources agree
// with the table.
#include "config/SettingTable.h"

#include "support/Fixture.h"
#include "support/Form.h"
#include "support/IniText.h"
#include "support/Site.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

size_t IndexOf(const SettingRow& row)
{
    return static_cast<size_t>(row.setting);
}

std::string Join(const std::vector<std::string>& parts, const std::string& separator)
{
    std::string joined;
    for (const std::string& part : parts)
        joined += (joined.empty() ? "" : separator) + part;
    return joined;
}

// A file holding `values` under their rows' keys, each section once.
std::string FileOf(const std::map<Setting, std::string>& values)
{
    std::vector<std::string> sections;
    std::map<std::string, std::string> bodies;
    for (const SettingRow& row : SettingTable) {
        if (bodies.count(row.section) == 0)
            sections.push_back(row.section);
        bodies[row.section] += std::string(row.key) + "=" + values.at(row.setting) + "\n";
    }
    std::string text;
    for (const std::string& section : sections)
        text += "[" + section + "]\n" + bodies[section] + "\n";
    return text;
}

std::vector<FormControl> ServedForm(const Site& site, const std::string& password)
{
    const ProgramAnswer page = site.Get("act=entrance&DBName=" + FixtureName + "&password=" + UrlEncode(password));
    EXPECT_EQ(0, page.status) << page.output;
    return FormControls(page.output);
}

// The controls that carry the request itself rather than a setting.
bool CarriesTheRequest(const FormControl& control)
{
    return control.name == "act" || control.name == "DBName" || control.name == "password";
}

const FormControl* Find(const std::vector<FormControl>& controls, const std::string& name)
{
    const auto found = std::find_if(controls.begin(), controls.end(),
                                    [&](const FormControl& control) { return control.name == name; });
    return found == controls.end() ? nullptr : &*found;
}

// A value of its own under every row's key, the checkboxes all on or all off,
// and the form must show each in its row's control. Every text is also an
// item's name, so that the hit counting item names one and counting can be on.
TEST(SettingTable, EveryKeyShowsInItsControl)
{
    for (const bool ticked : {true, false}) {
        SCOPED_TRACE(ticked ? "boxes ticked" : "boxes not ticked");
        std::map<Setting, std::string> planted;
        std::vector<std::string> texts;
        for (const SettingRow& row : SettingTable) {
            const std::string number = std::to_string(21 + IndexOf(row));
            switch (row.kind) {
            case SettingKind::Text:
                texts.push_back("text " + number + " & \"<quoted>\"");
                planted[row.setting] = texts.back();
                break;
            case SettingKind::Password: planted[row.setting] = "secret " + number; break;
            case SettingKind::Number: planted[row.setting] = number; break;
            case SettingKind::Checkbox: planted[row.setting] = ticked ? "1" : "0"; break;
            case SettingKind::ItemList: break;
            }
        }
        planted[Setting::RemoteAdmin] = "1";  // or nobody signs in
        // The item lists: the texts as names, with a length and a type each.
        const char* const types[] = {"number", "time", "phone", "string"};
        std::vector<std::string> lengths, typeWords;
        std::string itemArea;
        for (size_t item = 0; item < texts.size(); ++item) {
            lengths.push_back(std::to_string(100 + item));
            typeWords.push_back(types[item % 4]);
            itemArea += texts[item] + "," + lengths.back() + "," + typeWords.back() + "\r\n";
        }
        planted[Setting::ItemCount] = std::to_string(texts.size());
        planted[Setting::ItemNames] = Join(texts, ",");
        planted[Setting::ItemLengths] = Join(lengths, ",");
        planted[Setting::ItemTypes] = Join(typeWords, ",");
        planted[Setting::PreviousItemNames] = "*before one,before two";
        planted[Setting::PreviousItemLengths] = "301,302";
        const std::map<std::string, std::string> areas = {
            {RowOf(Setting::ItemNames).formField, itemArea},
            {RowOf(Setting::PreviousItemNames).formField, "*before one,301\r\nbefore two,302\r\n"}};

        Site site(FileOf(planted), FixtureName);
        const std::vector<FormControl> controls = ServedForm(site, planted.at(Setting::AdminPassword));
        ASSERT_FALSE(controls.empty());
        for (const SettingRow& row : SettingTable) {
            SCOPED_TRACE(row.key);
            if (row.formField == nullptr)
                continue;
            const FormControl* control = Find(controls, row.formField);
            ASSERT_NE(nullptr, control) << "no control named " << row.formField;
            if (row.kind == SettingKind::ItemList)
                EXPECT_EQ(areas.at(row.formField), control->value);
            else if (row.kind == SettingKind::Checkbox)
                EXPECT_EQ(ticked, control->checked);
            else
                EXPECT_EQ(planted.at(row.setting), control->value);
        }
        // Nothing else on the form stands for a setting.
        for (const FormControl& control : controls) {
            const bool hasRow = std::any_of(std::begin(SettingTable), std::end(SettingTable), [&](const SettingRow& row) {
                return row.formField != nullptr && control.name == row.formField;
            });
            EXPECT_TRUE(hasRow || CarriesTheRequest(control)) << control.name << " has no row";
        }
    }
}

// The served form submitted three times: each field with a value of its own
// and the checkboxes alternating, then each box the other way, then every
// field empty and no box ticked. Every row's key gets what its field sent (or
// the row's value for an empty field); the keys the form does not carry keep
// what the file held.
TEST(SettingTable, EveryControlReachesItsKey)
{
    const std::map<Setting, std::string> itemKeys = {
        {Setting::ItemCount, "1"},           {Setting::ItemNames, "Sent"},
        {Setting::ItemTypes, "phone"},       {Setting::ItemLengths, "11"},
        {Setting::PreviousItemNames, "Before"}, {Setting::PreviousItemLengths, "22"}};
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const bool empty = round == 2;
        Site site(FixtureIni(), FixtureName);
        std::vector<FormControl> controls = ServedForm(site, FixturePassword());
        std::map<std::string, std::string> sent;  // by field, as the key should hold it
        for (FormControl& control : controls) {
            if (control.kind == "checkbox") {
                control.checked = !empty && (sent.size() + round) % 2 == 0;
                sent[control.name] = control.checked ? "1" : "0";
            } else if (control.name == RowOf(Setting::ItemNames).formField) {
                control.value = "Sent,11,phone\r\n";
            } else if (control.name == RowOf(Setting::PreviousItemNames).formField) {
                control.value = "Before,22\r\n";
            } else if (control.name == "password") {
                control.value = FixturePassword();
            } else if (!CarriesTheRequest(control)) {
                control.value = empty ? "" : "value of " + control.name;
                sent[control.name] = control.value;
            }
        }
        const ProgramAnswer answer = site.Post(FormBody(SubmittedFields(controls)));
        ASSERT_EQ(0, answer.status) << answer.output;
        const std::string file = ReadFile(site.ini);

        for (const SettingRow& row : SettingTable) {
            SCOPED_TRACE(row.key);
            const std::string stored = IniValue(file, row.section, row.key);
            if (row.formField == nullptr) {
                EXPECT_EQ(IniValue(FixtureIni(), row.section, row.key), stored);
                continue;
            }
            const FormControl* control = Find(controls, row.formField);
            ASSERT_NE(nullptr, control) << "no control named " << row.formField;
            if (row.kind == SettingKind::ItemList) {
                EXPECT_EQ("textarea", control->kind);
                ASSERT_EQ(1u, itemKeys.count(row.setting)) << "the test expects nothing of this item key";
                EXPECT_EQ(itemKeys.at(row.setting), stored);
                continue;
            }
            EXPECT_EQ(row.kind == SettingKind::Checkbox ? "checkbox" : "text", control->kind);
            const std::string& value = sent.at(row.formField);
            EXPECT_EQ(value.empty() && row.whenEmpty != nullptr ? row.whenEmpty : value, stored);
        }
    }
}

// The fixture database fills in every key of the table, and no other.
TEST(SettingTable, FixtureHoldsEveryKey)
{
    std::set<std::pair<std::string, std::string>> inTable, inFixture;
    for (const SettingRow& row : SettingTable)
        inTable.emplace(row.section, row.key);
    for (const IniKey& key : IniKeys(FixtureIni()))
        inFixture.emplace(key.section, key.key);
    EXPECT_EQ(inTable, inFixture);
}

// The request case of a form filled in completely names every field (every
// checkbox ticked).
TEST(SettingTable, FullConfigureCaseSendsEveryField)
{
    const std::string request = ReadFile(fs::path(ZEPH_TESTS_DIR) / "admin/cases/configure-full/request");
    const std::string body = request.substr(request.find("\n\n") + 2);
    std::set<std::string> fields;
    for (size_t start = 0; start < body.size();) {
        const size_t end = std::min(body.find('&', start), body.size());
        const std::string field = body.substr(start, end - start);
        fields.insert(field.substr(0, field.find('=')));
        start = end + 1;
    }
    for (const SettingRow& row : SettingTable) {
        if (row.formField != nullptr) {
            EXPECT_EQ(1u, fields.count(row.formField)) << row.formField;
        }
    }
}

// No program file but the table spells a key or a form field's name
// (comments aside): the loader, the form, the update and the tool name rows.
TEST(SettingTable, NoProgramFileSpellsAKey)
{
    const fs::path root = fs::path(ZEPH_TESTS_DIR).parent_path();
    const fs::path table = root / "config/SettingTable.h";
    for (const char* layer : {"cgi", "files", "config", "admin", "request", "tool"}) {
        for (const auto& entry : fs::recursive_directory_iterator(root / layer)) {
            const fs::path file = entry.path();
            if ((file.extension() != ".cpp" && file.extension() != ".h") || fs::equivalent(file, table))
                continue;
            const std::string text = ReadFile(file);
            size_t lineNumber = 0;
            for (size_t start = 0; start < text.size(); ++lineNumber) {
                const size_t end = std::min(text.find('\n', start), text.size());
                const std::string line = text.substr(start, end - start);
                start = end + 1;
                const size_t first = line.find_first_not_of(' ');
                if (first != std::string::npos && line.compare(first, 2, "//") == 0)
                    continue;
                for (const SettingRow& row : SettingTable) {
                    EXPECT_EQ(std::string::npos, line.find('"' + std::string(row.key) + '"'))
                        << file.string() << ":" << lineNumber + 1 << " spells the key \"" << row.key << "\"";
                    // A control's name, as a literal or inside the page's HTML.
                    if (row.formField != nullptr) {
                        for (const std::string& quoted : {'"' + std::string(row.formField) + '"',
                                                          "\\\"" + std::string(row.formField) + "\\\""})
                            EXPECT_EQ(std::string::npos, line.find(quoted))
                                << file.string() << ":" << lineNumber + 1 << " spells the form field " << quoted;
                    }
                }
            }
        }
    }
}

}  // namespace

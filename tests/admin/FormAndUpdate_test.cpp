// The administration form and the configuration update as one fact: every row
// of the update's table has its control on the form the program serves, and
// every control of that form reaches the file through Configure.
#include "admin/ConfigurationUpdate.h"

#include "support/Fixture.h"
#include "support/Form.h"
#include "support/IniText.h"
#include "support/Site.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::vector<FormControl> ServedForm(const Site& site)
{
    const ProgramAnswer page =
        site.Get("act=entrance&DBName=" + FixtureName + "&password=" + UrlEncode(FixturePassword()));
    EXPECT_EQ(0, page.status) << page.output;
    return FormControls(page.output);
}

// The row of the update's table for a control; null when it has none.
const SettingField* RowFor(const std::string& field)
{
    for (const SettingField& row : SettingFields)
        if (row.field == field)
            return &row;
    return nullptr;
}

// The controls that carry the request itself rather than a setting.
bool CarriesTheRequest(const FormControl& control)
{
    return control.name == "act" || control.name == "DBName" || control.name == "password";
}

TEST(FormAndUpdate, EveryRowOfTheUpdateHasItsControlOnTheForm)
{
    Site site(FixtureIni(), FixtureName);
    const std::vector<FormControl> controls = ServedForm(site);
    for (const SettingField& row : SettingFields) {
        SCOPED_TRACE(row.field);
        const auto named = [&](const FormControl& control) { return control.name == row.field; };
        EXPECT_EQ(1, std::count_if(controls.begin(), controls.end(), named)) << "controls of this name";
        const auto control = std::find_if(controls.begin(), controls.end(), named);
        if (control != controls.end()) {
            EXPECT_EQ(row.kind == FieldKind::Flag ? "checkbox" : "text", control->kind);
        }
    }
}

// The served form submitted twice: each text field with a value of its own,
// the checkboxes alternating, and in the second round each the other way, so
// that every checkbox is sent in both states and no two agree throughout.
TEST(FormAndUpdate, EveryControlOfTheFormReachesTheFile)
{
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        Site site(FixtureIni(), FixtureName);
        std::vector<FormControl> controls = ServedForm(site);
        ASSERT_FALSE(controls.empty());
        int place = 0;
        for (FormControl& control : controls) {
            ++place;
            if (control.kind == "checkbox")
                control.checked = (place + round) % 2 == 0;
            else if (control.kind == "text")
                control.value = "value of " + control.name;
            else if (control.name == "iteminfo")
                control.value = "Sent,11,phone\r\n";
            else if (control.name == "previtem")
                control.value = "Before,22\r\n";
            else if (control.name == "password")
                control.value = FixturePassword();
        }
        const ProgramAnswer answer = site.Post(FormBody(SubmittedFields(controls)));
        ASSERT_EQ(0, answer.status) << answer.output;
        const std::string file = ReadFile(site.ini);

        for (const FormControl& control : controls) {
            SCOPED_TRACE(control.name);
            if (CarriesTheRequest(control))
                continue;
            if (control.name == "iteminfo") {
                EXPECT_EQ("1", IniValue(file, "database entry info", "entry item number"));
                EXPECT_EQ("Sent", IniValue(file, "database entry info", "entry item name"));
                EXPECT_EQ("11", IniValue(file, "database entry info", "entry item DB storage length"));
                EXPECT_EQ("phone", IniValue(file, "database entry info", "entry item data type"));
                continue;
            }
            if (control.name == "previtem") {
                EXPECT_EQ("Before", IniValue(file, "database entry info", "previous entry item name"));
                EXPECT_EQ("22", IniValue(file, "database entry info", "previous entry item DB storage length"));
                continue;
            }
            const SettingField* row = RowFor(control.name);
            ASSERT_NE(nullptr, row) << "the update writes no key for this control";
            const std::string sent = control.kind == "checkbox" ? (control.checked ? "1" : "0") : control.value;
            EXPECT_EQ(sent, IniValue(file, row->section, row->key)) << row->section << " / " << row->key;
        }
    }
}

}  // namespace

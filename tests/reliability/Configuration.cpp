// Configuration.cpp
#include "reliability/Configuration.h"

#include "support/Site.h"

#include <cctype>
#include <stdexcept>

namespace reliability {

namespace {

// The controls of the administration form the program serves for the
// starting file; asked for once per test run.
const std::vector<FormControl>& ServedForm()
{
    static const std::vector<FormControl> controls = [] {
        Site site(StartingFile(), FixtureName);
        const ProgramAnswer page =
            site.Get("act=entrance&DBName=" + FixtureName + "&password=" + UrlEncode(FixturePassword()));
        if (page.status != 0)
            throw std::runtime_error("the administration form was refused:\n" + page.output);
        return FormControls(page.output);
    }();
    return controls;
}

bool IsNumber(const std::string& text)
{
    if (text.empty())
        return false;
    for (unsigned char c : text)
        if (!std::isdigit(c))
            return false;
    return true;
}

}  // namespace

Submission MakeSubmission(int id, size_t padding)
{
    const std::string tag = std::to_string(id);
    std::vector<FormControl> controls = ServedForm();
    Submission submission;
    int row = 0;
    for (FormControl& control : controls) {
        ++row;
        if (control.kind == "checkbox") {
            // Flags alternate with the submission, so consecutive ones differ.
            control.checked = (id + row) % 2 == 0;
        } else if (control.kind == "password") {
            control.value = FixturePassword();
        } else if (control.kind == "textarea") {
            control.value.insert(control.value.find(','), tag);
        } else if (control.kind == "text") {
            control.value = IsNumber(control.value) ? std::to_string(id * 100 + row)
                                                    : control.name + "-" + tag + std::string(padding, 'x');
            submission.values.push_back(control.value);
        }
    }
    submission.fields = SubmittedFields(controls);
    return submission;
}

std::string UpdatedFile(const std::string& start, const std::string& body)
{
    Site site(start, FixtureName);
    const ProgramAnswer answer = site.Post(body);
    if (answer.status != 0)
        throw std::runtime_error("the update failed:\n" + answer.output);
    return ReadFile(site.ini);
}

std::string MissingValue(const std::string& file, const Submission& submission)
{
    for (const std::string& value : submission.values)
        if (file.find("=" + value + "\n") == std::string::npos)
            return value;
    return "";
}

}  // namespace reliability

// Form.h: a page's form read the way a browser reads it, and the body a
// browser posts for it, so that tests build their requests from the page the
// program serves rather than from a copy of what it should hold.
#pragma once

#include <string>
#include <utility>
#include <vector>

// A named control of the form, in page order.
struct FormControl {
    std::string kind;   // the input's type ("text", "hidden", "checkbox", "password") or "textarea"
    std::string name;
    std::string value;  // HTML entities decoded; a text area's line ends as a browser sends them (CR LF)
    bool checked = false;
};

using FormFields = std::vector<std::pair<std::string, std::string>>;

// The named controls of the page's form (unnamed ones, like the submit
// button, send nothing and are left out).
std::vector<FormControl> FormControls(const std::string& page);

// What a browser submits for the controls: every one but the unticked
// checkboxes, with its value, in page order.
FormFields SubmittedFields(const std::vector<FormControl>& controls);

// The control named `name`; throws std::invalid_argument when there is none.
FormControl& ControlNamed(std::vector<FormControl>& controls, const std::string& name);

// application/x-www-form-urlencoded, as browsers encode a form: letters,
// digits and "*-._" stay, a space becomes "+", any other byte %XX.
std::string UrlEncode(const std::string& text);
// The encoded body of the fields: name=value pairs joined by "&".
std::string FormBody(const FormFields& fields);

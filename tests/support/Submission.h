// Submission.h: forms posted to a site's program the way a browser at an
// address posts them.
#pragma once

#include "support/Form.h"
#include "support/Site.h"

#include <functional>
#include <string>
#include <vector>

// `fields` posted to the site's program from `address` (REMOTE_ADDR).
ProgramAnswer PostFrom(const Site& site, const std::string& address, const FormFields& fields);

// The administration form the program serves for the site's fixture database
// (FixtureName, FixturePassword), changed by `edit` and submitted with the
// password from `address`.
ProgramAnswer SubmitForm(const Site& site, const std::string& address,
                         const std::function<void(std::vector<FormControl>&)>& edit);

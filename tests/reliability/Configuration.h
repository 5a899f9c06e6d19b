// Configuration.h: the database of the reliability tests and its updates: the
// fixture as the starting file (every key present, so an update rewrites lines
// in place), submissions of the administration form built from the form the
// program serves for it, each carrying a distinct complete configuration.
#pragma once

#include "support/Fixture.h"
#include "support/Form.h"

#include <string>
#include <vector>

namespace reliability {

inline std::string StartingFile()
{
    return FixtureIni();
}

struct Submission {
    FormFields fields;                // decoded form fields, as a browser sends them
    std::vector<std::string> values;  // the text field values, each stored whole as a key's value
};

// Submission number `id`: the form served for the starting file with every
// text field set to a value that differs from the file's and from every other
// submission's (numbers stay numbers), the checkboxes alternating with `id`
// and the first entry item renamed; `padding` makes the texts longer, so that
// the file grows.
Submission MakeSubmission(int id, size_t padding = 0);

// The starting file `start` after the whole update `body`, run without a fault.
std::string UpdatedFile(const std::string& start, const std::string& body);

// The first of the submission's values that the file holds as no key's value;
// empty when it holds them all.
std::string MissingValue(const std::string& file, const Submission& submission);

}  // namespace reliability

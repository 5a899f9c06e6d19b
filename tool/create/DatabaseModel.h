// DatabaseModel.h: the initialisation file that a new database is made from,
// and what of it carries over.
#pragma once

#include <string>

// The packaged example database, the model unless another is given. Its one
// home is the build's ZEPH_MODEL_FILE; the package installs the example
// where the built tool says (--help).
inline constexpr const char* DefaultModel = ZEPH_MODEL_FILE;

// The bytes of the model file at `path`, which must be a regular file (no
// more than a database file may hold). Raises CommandFailure with the line
// that says why it cannot be read.
std::string ReadModel(const std::string& path);

// The new database's file from the model's text: line feeds for CR LF line
// ends, and in every value the model's own name `modelName`, where it stands
// as a word of its own (not inside a longer name), replaced by `name`: a
// data file "import/members-2023.csv" of the model "members" becomes
// "import/shop-2023.csv" for the database "shop". Section names and keys are
// kept as they are.
std::string CarriedOver(const std::string& model, const std::string& modelName, const std::string& name);

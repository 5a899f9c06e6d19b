// Databases.h: the initialisation files of the databases the benchmark serves.
#pragma once

#include <string>

// A realistic small shop database: the tests' fixture, eight entry items,
// every section filled in.
std::string SmallDatabaseIni();
// The largest database there is: the fixture with 512 entry items and 512
// previous ones, long CSV display and time stamp lists.
std::string WideDatabaseIni();

// The small database with `keys` more keys at the end of one of its
// sections ("[report]"), each a short line: a file of many keys.
std::string ManyKeysIni(int keys);
// The small database with a section of long lines ("[archive]", 1 MiB each)
// that make it about `mebibytes` MiB: a large file of few keys.
std::string LargeIni(int mebibytes);

// The last line of the administration form's entry item list for the file,
// as the form shows it: "name,length,type".
std::string LastItemLine(const std::string& ini);

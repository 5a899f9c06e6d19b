// Databases.h: the initialisation files of the databases the benchmark serves.
#pragma once

#include <string>

// A realistic small shop database: the tests' fixture, eight entry items,
// every section filled in.
std::string SmallDatabaseIni();
// The largest database there is: the fixture with 512 entry items and 512
// previous ones, long CSV display and time stamp lists.
std::string WideDatabaseIni();

// The last line of the administration form's entry item list for the file,
// as the form shows it: "name,length,type".
std::string LastItemLine(const std::string& ini);

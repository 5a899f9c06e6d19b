// RunProgram.h: starts the built zephconf the way a web server does: a clean
// environment holding only the CGI variables given, the body on standard input,
// a chosen argv[0], and the answer, what it wrote to standard error and its
// exit status collected.
#pragma once

#include "support/Launch.h"

#include <string>
#include <utility>
#include <vector>

struct ProgramRun {
    std::vector<std::pair<std::string, std::string>> environment;  // e.g. {"REQUEST_METHOD", "GET"}
    std::string body;              // standard input
    std::string argv0;             // empty: the program's real path; with a wrapper,
                                   // the path it starts (a copy of the program)
    std::string workingDir;        // empty: the test's own
    std::vector<std::string> wrapper;  // optional command put in front (e.g. setpriv ...)
};

// The path of the zephconf executable under test.
std::string ZephconfPath();

// Runs the program once. What it writes to standard error is in `errors`; a
// run ended by a signal (a sanitizer's report ends it with SIGABRT) also
// passes it on to the test's own standard error, into the test log.
ProgramAnswer RunZephconf(const ProgramRun& run);

// Shorthands for the two request methods.
ProgramAnswer RunGet(const std::string& query, const std::string& argv0 = "",
                     const std::string& workingDir = "");
ProgramAnswer RunPost(const std::string& body, const std::string& argv0 = "",
                      const std::string& workingDir = "",
                      const std::vector<std::string>& wrapper = {});

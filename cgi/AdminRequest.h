// AdminRequest.h: the administration request: open and load the database's
// initialisation file, check the request and run its action.
#pragma once

#include <string>

class CCgiForm;

// The URL under which this program is reached; the administration form posts to it.
extern std::string AdminURL;

void RunAdminRequest(CCgiForm& form, const std::string& iniPath, const std::string& programFileName);

// AdminRequest.h: the administration request: open and load the database's
// initialisation file, check the request and run its action.
#pragma once

#include <string>

class CCgiForm;

void RunAdminRequest(CCgiForm& form, const std::string& iniPath, const std::string& programFileName);

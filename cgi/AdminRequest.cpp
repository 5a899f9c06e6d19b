// AdminRequest.cpp: the administration request.
#include "cgi/AdminRequest.h"

#include "cgi/CgiForm.h"

std::string AdminURL;

void RunAdminRequest(CCgiForm& /*form*/, const std::string& /*iniPath*/,
                     const std::string& /*programFileName*/)
{
    // Opening and loading the database arrive with the file layer.
}

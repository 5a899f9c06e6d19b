// Dispatcher.cpp: the run of one request up to the administration request.
#include "cgi/Dispatcher.h"

#include "cgi/AdminRequest.h"
#include "cgi/CgiForm.h"
#include "cgi/Output.h"

#include <algorithm>
#include <stdexcept>
#include <strings.h>

std::string CurrentDBName;

ProgramLocation LocateProgram(std::string path)
{
    std::replace(path.begin(), path.end(), '\\', '/');
    ProgramLocation where;
    size_t slash = path.rfind('/');
    where.fileName = slash == std::string::npos ? path : path.substr(slash + 1);
    if (!path.empty() && path[0] == '/')
        where.dir = path.substr(0, slash + 1);
    return where;
}

std::string IniPathFor(const std::string& programDir, const std::string& dbName)
{
    return programDir + dbName + "/" + dbName + ".ini";
}

namespace {

void EmitHtmlHead()
{
    Emit("<html>\n\n<head>\n");
    Emit("<meta name=\"description\" content=\"Zephyr Ledger Desk Administration\">\n");
    Emit("<meta name=\"keywords\" content=\"zephyr ledger desk cgi internet script\">\n");
    Emit("<title>Zephyr Ledger Desk Administration Page</title>\n");
    Emit("</head>\n\n");
    Emit("<body BGCOLOR=\"#ffffff\">\n\n");
}

}  // namespace

int RunRequest(const char* programPath)
{
    Emit("Content-type: text/html\n\n");
    ProgramLocation program = LocateProgram(programPath != nullptr ? programPath : "");

    CCgiForm form;

    if (form.HasField("act") && strcasecmp(form.Field("act").c_str(), "version") == 0) {
        Emit("<HTML><BODY BGCOLOR=\"#ffffff\">\n<H2>The version of ZEP on this server is ");
        Emit("5.31");
        Emit(".</H2><br>\n</BODY></HTML>\n");
        return 0;
    }

    if (!form.HasField("DBName")) {
        Emit("<HTML><BODY BGCOLOR=\"#ffffff\">\n<H1><font color=\"#ff0000\">Sorry, you did not "
             "indicate which DB I should operate on! Please contact your web master!</H1><br>\n");
        Emit("</font></BODY></HTML>\n");
        return 1;
    }

    CurrentDBName = form.Field("DBName");
    std::string iniPath = IniPathFor(program.dir, CurrentDBName);
    EmitHtmlHead();

    try {
        RunAdminRequest(form, iniPath, program.fileName);
    } catch (const std::exception& error) {
        // A file error that nothing below handled: say what failed, never a success page.
        Emit("<H1><font color=\"#ff0000\">");
        EmitHtml(error.what());
        Emit("</font></H1>\n");
        return 1;
    }
    return 0;
}

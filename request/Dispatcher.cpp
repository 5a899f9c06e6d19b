// Dispatcher.cpp: the run of one request up to the administration request.
#include "request/Dispatcher.h"

#include "admin/PageShell.h"
#include "cgi/CgiForm.h"
#include "admin/HistoryPages.h"
#include "request/AdminRequest.h"
#include "request/HistoryRequest.h"

#include <algorithm>
#include <new>
#include <optional>
#include <stdexcept>
#include <strings.h>

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

namespace {

int Serve(const char* programPath)
{
    ProgramLocation program = LocateProgram(programPath != nullptr ? programPath : "");

    CCgiForm form;
    // The action, read once here; whether one was sent at all matters later.
    std::optional<std::string> action;
    if (form.HasField("act"))
        action = form.Field("act");

    if (action && strcasecmp(action->c_str(), "version") == 0) {
        EmitVersionPage();
        return 0;
    }

    if (!form.HasField("DBName")) {
        EmitMissingDatabasePage();
        return 1;
    }

    CurrentDBName = form.Field("DBName");
    // The history's pages have a head of their own; every other page keeps the common one.
    if (action && IsHistoryAct(*action))
        EmitHistoryHead();
    else
        EmitHtmlHead();
    RunAdminRequest(form, action, program);
    return 0;
}

}  // namespace

int RunRequest(const char* programPath)
{
    EmitHttpHeader();
    try {
        return Serve(programPath);
    } catch (const std::bad_alloc&) {
        throw;  // the last resort of main, which needs no memory
    } catch (const std::exception& error) {
        // A file error that nothing below handled: say what failed, never a success page.
        EmitFileErrorHeading(error.what());
        return 1;
    }
}

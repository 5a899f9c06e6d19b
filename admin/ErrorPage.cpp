// ErrorPage.cpp: the common refusal page of the administration request.
#include "admin/ErrorPage.h"

#include "base/Output.h"
#include "config/ZEPHOnlineINI.h"

[[noreturn]] void ShowErrorPage(int code, const CZEPHOnlineINI& record)
{
    switch (code) {
    case ErrNoIniFile:
        Emit("<H1><font color=\"#ff0000\">Database initiation file is not present. Operation aborted.</font></H1>\n");
        break;
    case ErrBadFormData:
        Emit("<H1><font color=\"#ff0000\">Bad html form data. Operation aborted.</font></H1>\n");
        break;
    case ErrNoRemoteAdmin:
        Emit("<H1><font color=\"#ff0000\">Remote administration is not allowed. Operation aborted.</font></H1>\n");
        break;
    case ErrBadPassword:
        Emit("<H1><font color=\"#ff0000\">Bad password. Operation aborted.</font></H1>\n");
        break;
    default:
        break;
    }
    Emit("Please contact the <a href=\"mailto:");
    EmitHtml(record.webMaster);
    Emit("\">webmaster</a>.\n");
    Emit("<HR>\n<CENTER>\n<A HREF=\"");
    EmitHtml(record.htmlPath);
    Emit("\">[Go to the database main page]</A>\n");
    Emit("</CENTER></BODY></HTML>\n");
    ExitRequest(1);
}

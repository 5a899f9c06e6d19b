// PageShell.cpp: the header, the HTML head, and the pages and headings that
// stand in for an administration page.
#include "admin/PageShell.h"

#include "base/Output.h"
#include "base/Version.h"

std::string CurrentDBName;
std::string AdminURL;
std::string CurrentSignin;

void EmitHttpHeader()
{
    Emit("Content-type: text/html\n\n");
}

void EmitVersionPage()
{
    Emit("<HTML><BODY BGCOLOR=\"#ffffff\">\n<H2>The version of ZEP on this server is ");
    Emit(ProgramVersion);
    Emit(".</H2><br>\n</BODY></HTML>\n");
}

void EmitMissingDatabasePage()
{
    Emit("<HTML><BODY BGCOLOR=\"#ffffff\">\n<H1><font color=\"#ff0000\">Sorry, you did not "
         "indicate which DB I should operate on! Please contact your web master!</H1><br>\n");
    Emit("</font></BODY></HTML>\n");
}

void EmitHtmlHead()
{
    Emit("<html>\n\n<head>\n");
    Emit("<meta name=\"description\" content=\"Zephyr Ledger Desk Administration\">\n");
    Emit("<meta name=\"keywords\" content=\"zephyr ledger desk cgi internet script\">\n");
    Emit("<title>Zephyr Ledger Desk Administration Page</title>\n");
    Emit("</head>\n\n");
    Emit("<body BGCOLOR=\"#ffffff\">\n\n");
}

void EmitTemporaryFileHeading()
{
    Emit("<H1><font color=\"#ff0000\">Problem in creating temporary file!  Operation aborted.</font></H1>\n");
}

void EmitFileErrorHeading(const char* errorText)
{
    Emit("<H1><font color=\"#ff0000\">");
    EmitHtml(errorText);
    Emit("</font></H1>\n");
}

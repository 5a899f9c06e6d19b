// PageShell.h: what surrounds and stands in for the administration pages: the
// HTTP header, the HTML head, the version and missing-database pages, and the
// headings of the refusals that come before any page of the database.
#pragma once

#include <string>
#include <string_view>

// The database this request works on (the form field DBName, unchanged). Set
// once by the request before any administration page is written.
extern std::string CurrentDBName;
// The URL under which this program is reached; the administration form posts
// to it. Set once the database's settings are loaded.
extern std::string AdminURL;
// The sign-in that the pages after a checked password carry in their posted
// forms (the field SigninField), so that the history and a restore ask for
// no password again; empty where none is given, and the pages then ask for
// the password. Set by the request before such a page is written.
extern std::string CurrentSignin;
inline constexpr char SigninField[] = "signin";

// "Content-type: text/html" and the blank line that ends the header.
void EmitHttpHeader();
// The page naming the program's version (the whole answer after the header).
void EmitVersionPage();
// The page for a request that names no database (the whole answer after the header).
void EmitMissingDatabasePage();
// The HTML head shared by every page of a database, up to the opened body.
void EmitHtmlHead();
// The red heading shown when the line-end rewrite cannot create its temporary file.
void EmitTemporaryFileHeading();
// The red heading carrying a file error's text, the answer to a failed read or write.
void EmitFileErrorHeading(const char* errorText);
// The red heading of a request that ran out of memory; a fixed text, so that
// it can go out when nothing more can be allocated.
constexpr std::string_view OutOfMemoryHeading =
    "<H1><font color=\"#ff0000\">Cannot allocate memory</font></H1>\n";

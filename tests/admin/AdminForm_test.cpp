// The administration form page, filled in from a loaded initialisation file.
#include "admin/AdminForm.h"

#include "admin/PageShell.h"
#include "base/Output.h"
#include "config/ZEPHOnlineINI.h"
#include "files/SFile.h"
#include "support/CapturedAnswer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The page ShowAdminForm writes for a database whose file holds `ini`.
std::string FormPage(const std::string& ini, const std::string& dbName = "shop",
                     const std::string& adminUrl = "/cgi-bin/zephconf")
{
    TempDir dir;
    const std::string path = dir / "shop.ini";
    WriteFile(path, ini);
    CZEPHOnlineINI record;
    EXPECT_TRUE(record.OpenFile(path.c_str(), OpenReadWrite));
    record.LoadSettings();
    CurrentDBName = dbName;
    AdminURL = adminUrl;
    return CapturedAnswer([&] { ShowAdminForm(record); });
}

// The text between `from` and the next `to` after it.
std::string Between(const std::string& page, const std::string& from, const std::string& to)
{
    size_t start = page.find(from);
    if (start == std::string::npos)
        return "(" + from + " not found)";
    start += from.size();
    return page.substr(start, page.find(to, start) - start);
}

bool Has(const std::string& page, const std::string& text)
{
    return page.find(text) != std::string::npos;
}

TEST(ShowAdminForm, ListsTheItemsOnePerLine)
{
    const std::string page = FormPage(
        "[database entry info]\n"
        "entry item name=*Name,Age,Born,*Phone,Note,Extra\n"
        "entry item DB storage length=40,3,15,20,65535\n"
        "entry item data type=string,NUMBER,time,phone,colour\n"
        "previous entry item name=*Name,Phone\n"
        "previous entry item DB storage length=30\n");
    // A type word the load does not know, or none at all, shows as "string";
    // a missing length is loaded as 20.
    EXPECT_EQ("*Name,40,string\nAge,3,number\nBorn,15,time\n*Phone,20,phone\nNote,65535,string\nExtra,20,string\n",
              Between(page, "<textarea name=\"iteminfo\" rows=\"10\" cols=\"50\">", "</textarea>"));
    EXPECT_EQ("*Name,30\nPhone,20\n",
              Between(page, "<textarea name=\"previtem\" rows=\"10\" cols=\"50\">", "</textarea>"));

    const std::string empty = FormPage("[file]\n");
    EXPECT_TRUE(Has(empty, "<textarea name=\"iteminfo\" rows=\"10\" cols=\"50\"></textarea>\n<p>"));
    EXPECT_TRUE(Has(empty, "<textarea name=\"previtem\" rows=\"10\" cols=\"50\"></textarea>\n<p>"));
}

TEST(ShowAdminForm, ShowsTheStoredTextOfKeysTheRecordParses)
{
    const std::string page = FormPage(
        "[database entry info]\nentry item name=Name,Created\n\n"
        "[conversion]\ndatabase source=/data/old.csv\noutput format=%1;%2\nseparation charcter=;\n\n"
        "[formatted csv file options]\ndisplay=Name,Bogus\nsort=*Created\n\n"
        "[time stamp]\ntime stamp items=Created,Gone\nmaster time stamp=Gone\nmode=3,99\n\n"
        "[report]\nhit counting item=Nothing\n");
    EXPECT_EQ("/data/old.csv", Between(page, "name=\"OldDBPath\" size=\"40\" value =\"", "\""));
    EXPECT_EQ("%1;%2", Between(page, "name=\"DBFormat\" size=\"60\" value =\"", "\""));
    EXPECT_EQ(";", Between(page, "name=\"SChar\" size=\"1\" maxlength=\"1\" value =\"", "\""));
    EXPECT_EQ("Name,Bogus", Between(page, "name=\"CSVItem\" size=\"60\" value =\"", "\""));
    EXPECT_EQ("*Created", Between(page, "name=\"CSVSort\" size=\"10\" value =\"", "\""));
    EXPECT_EQ("Created,Gone", Between(page, "name=\"StampIndex\" size=\"20\" value =\"", "\""));
    EXPECT_EQ("Gone", Between(page, "name=\"MasterStamp\" size=\"15\" value =\"", "\""));
    EXPECT_EQ("3,99", Between(page, "name=\"TimeFormat\" size=\"10\" value = \"", "\""));
    EXPECT_EQ("Nothing", Between(page, "name=\"CountItem\" size=\"10\" value = \"", "\""));
}

TEST(ShowAdminForm, TicksTheBoxesOfSettingsThatAreOn)
{
    const std::string on = FormPage(
        "[database entry info]\nconvert old items to new items=1\n\n"
        "[file]\nhide files=1\n\n[formatted csv file options]\nuse csv file=2\n\n"
        "[password]\nuse password=y\ncase sensitivity=1\nuse own password=yes\n\n"
        "[time stamp]\nuse time stamp=1\n\n"
        "[report]\nhit count=1\nhit counting item=autonumber\nerror report=1\nstat report=1\n");
    const std::string off = FormPage(
        "[database entry info]\nconvert old items to new items=yes\n\n"
        "[password]\nuse password=0\ncase sensitivity=1\nuse own password=1\n\n"
        "[time stamp]\nuse time stamp=\n");
    for (const char* box : {"Hide", "UseCSV", "UsePasswd", "CaseSensitivity", "OwnPasswd", "UseStamp",
                            "UseCount", "ReportError", "ReportStat"}) {
        const std::string input = "<input type=\"checkbox\" name=\"" + std::string(box) + "\" value=\"1\"";
        EXPECT_TRUE(Has(on, input + " checked>")) << box;
        EXPECT_TRUE(Has(off, input + ">")) << box;
    }
    // "yes" is not a number, so it does not count as on.
    const std::string convert = "<input type=\"checkbox\" name=\"ConvertNew\" value =\"yes\" ";
    EXPECT_TRUE(Has(on, convert + "checked > Convert"));
    EXPECT_TRUE(Has(off, convert + "> Convert"));

    // Without the key, time stamps count as on.
    EXPECT_TRUE(Has(FormPage("[file]\n"), "name=\"UseStamp\" value=\"1\" checked>"));
}

TEST(ShowAdminForm, BuildsEveryHelpLinkFromTheHelpUrl)
{
    const std::string page = FormPage("[Administration]\nAdministration help page URL=/doc/zephhelp.html\n");
    EXPECT_TRUE(Has(page, "Note: Please read <a href=\"/doc/readme.html\">Readme File</a>"));
    int links = 0;
    for (size_t at = page.find("<a href=\""); at != std::string::npos; at = page.find("<a href=\"", at + 1)) {
        const std::string target = Between(page.substr(at), "<a href=\"", "\"");
        if (target[0] == '#' || target == "/doc/readme.html")
            continue;  // a place in the page itself, or the readme
        EXPECT_EQ(0u, target.rfind("/doc/zephhelp.html#", 0)) << target;
        ++links;
    }
    EXPECT_EQ(16, links);

    const std::string bare = FormPage("[file]\n");
    EXPECT_TRUE(Has(bare, "Configuration (<a href=\"#DBEntry\">Help</a>)"));
    EXPECT_TRUE(Has(bare, "(<a href=\"#Note\">Security Note</a>)"));
    EXPECT_TRUE(Has(bare, "Note: Please read <a href=\"\">Readme File</a>"));
}

TEST(ShowAdminForm, EscapesEveryInsertedValue)
{
    const std::string page = FormPage(
        "[database entry info]\nentry item name=<b>,Q\"\nentry item data type=string,string\n"
        "previous entry item name=A&B\n\n"
        "[file]\nhtml path=/db.html?a=1&b=\"2\"\n\n"
        "[password]\nmasterpassword=say \"hi\"\n\n"
        "[conversion]\nseparation charcter=\"\n\n"
        "[report]\nSMTP server=<mail>\n",
        "sh\"op", "/cgi-bin/<conf>");
    EXPECT_TRUE(Has(page, "Zephyr Ledger Desk (sh&quot;op) Administration Page"));
    EXPECT_TRUE(Has(page, "name=\"DBName\" value=\"sh&quot;op\">"));
    EXPECT_TRUE(Has(page, "<form action=\"/cgi-bin/&lt;conf&gt;\" method=\"POST\""));
    EXPECT_TRUE(Has(page, ">&lt;b&gt;,20,string\nQ&quot;,20,string\n</textarea>"));
    EXPECT_TRUE(Has(page, ">A&amp;B,20\n</textarea>"));
    EXPECT_TRUE(Has(page, "value =\"/db.html?a=1&amp;b=&quot;2&quot;\">"));
    EXPECT_TRUE(Has(page, "value =\"say &quot;hi&quot;\">"));
    EXPECT_TRUE(Has(page, "maxlength=\"1\" value =\"&quot;\">"));
    EXPECT_TRUE(Has(page, "value =\"&lt;mail&gt;\">"));
}

}  // namespace

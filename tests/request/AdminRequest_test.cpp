// The administration request against files that other processes hold, and
// what the line-ending rewrite keeps of the original file.
#include "support/Site.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <sys/stat.h>

namespace {

const char* const Settings =
    "[contact]\nweb master=owner@example.test\n\n"
    "[Administration]\nEnable Remote Administration=1\nAdministration password=Secret\n\n";

const char* const NotPresent =
    "<H1><font color=\"#ff0000\">Database initiation file is not present. Operation aborted.</font></H1>\n";
const char* const NoTemporaryFile =
    "<H1><font color=\"#ff0000\">Problem in creating temporary file!  Operation aborted.</font></H1>\n";

TEST(AdminRequest, LockedFileIsRefusedAndLeftAlone)
{
    Site site(WithCrLf(Settings));
    HeldLock lock(site.ini);
    ProgramAnswer answer = site.Get("DBName=shop&act=list&password=Secret");
    EXPECT_EQ(1, answer.status);
    EXPECT_NE(std::string::npos, answer.output.find(NotPresent)) << answer.output;
    EXPECT_EQ(WithCrLf(Settings), ReadFile(site.ini));
}

TEST(AdminRequest, LockedTemporaryFileLeavesOriginalAsItWas)
{
    Site site(WithCrLf(Settings));
    WriteFile(site.ini + "tmp", "another request's copy\n");
    HeldLock lock(site.ini + "tmp");
    ProgramAnswer answer = site.Get("DBName=shop&act=list&password=Secret");
    EXPECT_EQ(1, answer.status);
    EXPECT_TRUE(answer.output.size() >= std::strlen(NoTemporaryFile) &&
                answer.output.compare(answer.output.size() - std::strlen(NoTemporaryFile),
                                      std::string::npos, NoTemporaryFile) == 0)
        << answer.output;
    EXPECT_EQ(WithCrLf(Settings), ReadFile(site.ini));
    // The copy that the other request is writing is not emptied either.
    EXPECT_EQ("another request's copy\n", ReadFile(site.ini + "tmp"));
}

TEST(AdminRequest, RewriteKeepsPermissionBitsAndLeavesNoTemporaryFile)
{
    Site site(WithCrLf(Settings));
    ASSERT_EQ(0, ::chmod(site.ini.c_str(), 0600));
    ProgramAnswer answer = site.Get("DBName=shop&act=list&password=Secret");
    EXPECT_EQ(0, answer.status) << answer.output;
    EXPECT_EQ(Settings, ReadFile(site.ini));
    struct stat after;
    ASSERT_EQ(0, ::stat(site.ini.c_str(), &after));
    EXPECT_EQ(0600u, after.st_mode & 07777);
    EXPECT_FALSE(std::filesystem::exists(site.ini + "tmp"));
}

TEST(AdminRequest, FileWithLineFeedsIsNotRewritten)
{
    for (const char* content : {Settings, "", "[file]"}) {
        Site site(content);
        struct stat before, after;
        ASSERT_EQ(0, ::stat(site.ini.c_str(), &before));
        site.Get("DBName=shop&act=list&password=Secret");
        ASSERT_EQ(0, ::stat(site.ini.c_str(), &after));
        EXPECT_EQ(before.st_ino, after.st_ino) << content;
        EXPECT_EQ(content, ReadFile(site.ini));
    }
}

TEST(AdminRequest, FormIsPostedToTheProgramsOwnUrl)
{
    struct Case { const char* urls; const char* action; };
    const Case cases[] = {
        {"exe full URL=/cgi-bin/db/zeph.exe\nconfiguration exe full URL=https://db.example.test/admin\n",
         "https://db.example.test/admin"},
        {"exe full URL=/cgi-bin/db/zeph.exe\nconfiguration exe full URL=\n", "/cgi-bin/db/admin.cgi"},
        {"exe full URL=zeph.exe\n", "admin.cgi"},
        {"", "admin.cgi"},
    };
    for (const Case& c : cases) {
        Site site(std::string("[file]\n") + c.urls + "\n" + Settings);
        ProgramRun run;
        run.environment = {{"REQUEST_METHOD", "GET"}, {"QUERY_STRING", "DBName=shop&act=entrance&password=Secret"}};
        run.argv0 = site.dir / "admin.cgi";  // the program's name as the server gives it
        const ProgramAnswer answer = site.Run(run);
        const std::string expected = std::string("<form action=\"") + c.action + "\" method=\"POST\" name=\"\">\n";
        EXPECT_NE(std::string::npos, answer.output.find(expected)) << c.urls << answer.output.substr(0, 2000);
    }
}

}  // namespace

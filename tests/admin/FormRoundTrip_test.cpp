// The administration form submitted as a browser sends it, unchanged, gives back
// a file that loads to the same settings and shows the same form again.
#include "config/ZEPHOnlineINI.h"
#include "files/SFile.h"
#include "support/Form.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Every setting of a loaded record as text, to compare two loads.
std::string Settings(const std::string& path)
{
    CZEPHOnlineINI r;
    EXPECT_TRUE(r.OpenFile(path.c_str(), OpenRead));
    r.LoadSettings();
    std::ostringstream s;
    s << r.pagesPerSection << ' ' << r.maxFoundEntries << ' ' << r.hitCountOn << ' ' << r.lastStatReportTime
      << ' ' << r.hideFiles << '\n' << r.readmeUrl << '\n' << r.helpUrl << '\n' << r.adminPassword << '\n'
      << r.remoteAdmin << ' ' << r.convertOldItems << '\n' << r.webMaster << '\n' << r.htmlPath << '\n'
      << r.exeUrl << '\n' << r.confExeUrl << '\n' << r.searchPassword << '\n' << r.changePassword << '\n'
      << r.addPassword << '\n' << r.masterPassword << '\n' << r.useTimeStamp << ' ' << r.itemCount << ' '
      << r.prevItemCount << ' ' << r.entriesPerPage << ' ' << r.wastePercent << ' ' << r.passwordFlags << ' '
      << r.csvSortItem << ' ' << r.useCsvFile << ' ' << r.entryLifeDays << ' ' << r.masterTimeStamp << '\n';
    for (int slot = 0; slot < r.itemCount; ++slot)
        s << r.itemName[slot] << ' ' << r.itemStar[slot] << ' ' << r.itemLength[slot] << ' '
          << r.itemType[slot] << ' ' << r.csvDisplay[slot] << ' ' << r.csvStar[slot] << '\n';
    for (int slot = 0; slot < r.prevItemCount; ++slot)
        s << r.prevItemName[slot] << ' ' << r.prevItemStar[slot] << ' ' << r.prevItemLength[slot] << '\n';
    for (size_t at = 0; r.stampItem[at] != -1; ++at)
        s << r.stampItem[at] << ' ' << r.stampStar[at] << ' ' << r.stampMode[at] << '\n';
    s << r.smtpServer << '\n' << r.reportSender << '\n' << r.reportReceiver << '\n' << r.statsSubject << '\n'
      << r.errorSubject << '\n' << r.errorReport << ' ' << r.statReport << ' ' << r.hitsReportInterval << ' '
      << r.topHits << ' ' << r.hitCountItem << '\n';
    return s.str();
}

TEST(AdministrationForm, SubmittedUnchangedGivesTheSameSettings)
{
    TempDir site;
    std::filesystem::create_directory(site.path() / "shop");
    const std::string ini = site / "shop/shop.ini";
    WriteFile(ini,
              "[file]\nhtml path=/shop/index.html?a=1&b=<2>\nexe full URL=/cgi-bin/zeph.exe\nhide files=1\n\n"
              "[contact]\nweb master=\"Shop\" <owner@example.org>\n\n"
              "[password]\nuse password=1\nsearch entry password=look \nchange entry password=a&b\n"
              "use own password=1\nmasterpassword=m\"x\n\n"
              "[database entry info]\nentry item name=*Name,Price,Added,*Phone,Changed,Note\n"
              "entry item DB storage length=40,8,15,20,15,200\n"
              "entry item data type=string,number,time,phone,time,colour\n"
              "previous entry item name=*Name,Phone\nprevious entry item DB storage length=30,20\n"
              "convert old items to new items=1\nmaximum waste entries stored in DB=45\n\n"
              "[conversion]\ndatabase source=C:\\old\\shop.csv\noutput format=%1 & %2\nseparation charcter=\"\n\n"
              "[formatted csv file options]\nuse csv file=1\ndisplay=Name,*Price\nsort=*Price\n\n"
              "[time stamp]\ntime stamp items=Added,*Changed\nmaster time stamp=2\nmode=3,1\nobsolete=30\n\n"
              "[search options]\nmaximum found entries returned in search=250\nfound entries per page=25\n"
              "total pages per section=7\n\n"
              "[Administration]\nEnable Remote Administration=1\nAdministration password=p&ss\n"
              "Administration help page URL=/doc/zephhelp.html\n\n"
              "[report]\nhit count=1\nhit counting item=Name\nhits report interval (in days)=7\n"
              "report top x hits and x (max:100)=10\nstat report=1\nerror report=1\n"
              "SMTP server=mail.example.org\nreport sender=zeph@example.org\nreport receiver=owner@example.org\n"
              "Stats subject=Weekly \"top\" <entries>\nError subject=Shop DB error\n\n");
    const std::string before = Settings(ini);

    ProgramRun entrance;
    entrance.environment = {{"REQUEST_METHOD", "GET"}, {"QUERY_STRING", "act=entrance&DBName=shop&password=p%26ss"}};
    entrance.argv0 = site / "zephconf";
    ProgramAnswer page = RunZephconf(entrance);
    ASSERT_EQ(0, page.status) << page.output;

    ProgramRun configure;
    // What a browser submits for the page's form, the password typed in.
    std::vector<FormControl> controls = FormControls(page.output);
    ControlNamed(controls, "password").value = "p&ss";
    const std::string body = FormBody(SubmittedFields(controls));
    configure.environment = {{"REQUEST_METHOD", "POST"}, {"CONTENT_LENGTH", std::to_string(body.size())}};
    configure.body = body;
    configure.argv0 = entrance.argv0;
    ProgramAnswer confirmation = RunZephconf(configure);
    ASSERT_EQ(0, confirmation.status) << confirmation.output;
    ASSERT_NE(std::string::npos, confirmation.output.find("has been updated!")) << confirmation.output;

    EXPECT_EQ(before, Settings(ini));
    EXPECT_EQ(page.output, RunZephconf(entrance).output);
}

}  // namespace

// The administration form submitted as a browser sends it, unchanged, gives back
// a file that loads to the same settings and shows the same form again.
#include "config/ZEPHOnlineINI.h"
#include "files/SFile.h"
#include "support/Form.h"
#include "support/RecordParts.h"
#include "support/Site.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Every member a load of the file fills in.
AllSettings Loaded(const std::string& path)
{
    CZEPHOnlineINI record;
    EXPECT_TRUE(record.OpenFile(path.c_str(), OpenRead));
    record.LoadSettings();
    return AllSettings(record);
}

TEST(AdministrationForm, SubmittedUnchangedGivesTheSameSettings)
{
    const Site site(
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
    const auto before = Loaded(site.ini);

    const std::string entrance = "act=entrance&DBName=shop&password=p%26ss";
    const ProgramAnswer page = site.Get(entrance);
    ASSERT_EQ(0, page.status) << page.output;

    // What a browser submits for the page's form, the password typed in.
    std::vector<FormControl> controls = FormControls(page.output);
    ControlNamed(controls, "password").value = "p&ss";
    const ProgramAnswer confirmation = site.Post(FormBody(SubmittedFields(controls)));
    ASSERT_EQ(0, confirmation.status) << confirmation.output;
    ASSERT_NE(std::string::npos, confirmation.output.find("has been updated!")) << confirmation.output;

    EXPECT_EQ(before, Loaded(site.ini));
    EXPECT_EQ(page.output, site.Get(entrance).output);
}

}  // namespace

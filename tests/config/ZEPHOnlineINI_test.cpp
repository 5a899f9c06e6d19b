// Loading a database's settings: defaults, corrections and the lists that
// depend on the entry items.
#include "config/ZEPHOnlineINI.h"

#include "files/SFile.h"
#include "support/Fixture.h"
#include "support/RecordParts.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

// Writes `ini` to a file and loads it into a new record.
std::unique_ptr<CZEPHOnlineINI> Load(const std::string& ini,
                                     CZEPHOnlineINI::Load which = CZEPHOnlineINI::Load::AllSettings)
{
    TempDir dir;
    const std::string path = dir / "db.ini";
    WriteFile(path, ini);
    auto record = std::make_unique<CZEPHOnlineINI>();
    EXPECT_TRUE(record->OpenFile(path.c_str(), OpenRead));
    record->LoadSettings(which);
    return record;
}

template <typename T>
std::vector<int> Slots(const std::vector<T>& list, int from, int to)
{
    return std::vector<int>(list.begin() + from, list.begin() + to);
}

// The items most cases work on: three user items after "autoNumber".
const std::string ThreeItems = "[database entry info]\nentry item name=Name,Phone,EMail\n\n";

TEST(LoadSettings, FileWithOnlyTheFileSectionGetsEveryDefault)
{
    auto r = Load("[file]\nhtml path=/shop/index.html\n\n");
    EXPECT_EQ("/shop/index.html", r->htmlPath);
    EXPECT_EQ(20, r->wastePercent);
    EXPECT_EQ(2, r->maxFoundEntries);
    EXPECT_EQ(20, r->entriesPerPage);
    EXPECT_EQ(20, r->pagesPerSection);
    EXPECT_EQ(1, r->useTimeStamp);
    EXPECT_EQ(0, r->entryLifeDays);
    EXPECT_EQ(0, r->passwordFlags);
    EXPECT_EQ(0, r->useCsvFile);
    EXPECT_EQ(1, r->csvSortItem);
    EXPECT_FALSE(r->remoteAdmin);
    EXPECT_EQ(1, r->itemCount);
    EXPECT_EQ(1, r->prevItemCount);
    EXPECT_EQ(-1, r->masterTimeStamp);
    EXPECT_EQ(-1, r->hitCountItem);
    EXPECT_FALSE(r->hitCountOn);
    EXPECT_EQ("", r->helpUrl);
    EXPECT_EQ("", r->readmeUrl);
    EXPECT_EQ("autoNumber", r->itemName[0]);
    EXPECT_EQ("AutoNumber", r->prevItemName[0]);
    EXPECT_EQ(15, r->itemLength[0]);
    EXPECT_EQ(15, r->prevItemLength[0]);
    EXPECT_EQ(-1, r->stampItem[0]);
    EXPECT_EQ(-1, r->stampMode[0]);
    EXPECT_EQ(0, r->topHits);
    EXPECT_EQ(0L, r->lastStatReportTime);
}

TEST(LoadSettings, TextsAndSwitchesAreReadAsWritten)
{
    auto r = Load(
        "[file]\nhtml path=/shop/\nexe full URL=/cgi-bin/zeph.exe?a=b\n"
        "configuration exe full URL=/cgi-bin/zephconf \nhide files=1\n\n"
        "[contact]\nweb master=owner@example.com\n\n"
        "[Administration]\nEnable Remote Administration=1\nAdministration password=s=cret\n\n"
        "[database entry info]\nconvert old items to new items=2\n\n"
        "[report]\nstat report=1\nerror report=1\nhits report interval (in days)=-7\n"
        "Last stat report time (program generated, do not edit!)=3000000000\n"
        "SMTP server=mail.example.com\nreport sender=a@example.com\nreport receiver=b@example.com\n"
        "Stats subject=Stats\nError subject=Errors\n\n");
    EXPECT_EQ("/cgi-bin/zeph.exe?a=b", r->exeUrl);
    EXPECT_EQ("/cgi-bin/zephconf ", r->confExeUrl);
    EXPECT_TRUE(r->hideFiles);
    EXPECT_EQ("owner@example.com", r->webMaster);
    EXPECT_TRUE(r->remoteAdmin);
    EXPECT_EQ("s=cret", r->adminPassword);
    EXPECT_TRUE(r->convertOldItems);
    EXPECT_TRUE(r->statReport);
    EXPECT_TRUE(r->errorReport);
    EXPECT_EQ(-7, r->hitsReportInterval);
    EXPECT_EQ(3000000000L, r->lastStatReportTime);
    EXPECT_EQ("mail.example.com", r->smtpServer);
    EXPECT_EQ("a@example.com", r->reportSender);
    EXPECT_EQ("b@example.com", r->reportReceiver);
    EXPECT_EQ("Stats", r->statsSubject);
    EXPECT_EQ("Errors", r->errorSubject);
}

// A request loads less than every setting: the form page all but the items
// that the time stamp and CSV display lists name, an update no items at all.
// Every setting a level keeps reads as in a full load.
TEST(LoadSettings, LessThanAllSettingsReadsEverySettingItKeeps)
{
    auto all = Load(FixtureIni());
    ASSERT_GT(all->itemCount, 1);
    ASSERT_GT(all->stampItem.size(), 1u);
    ASSERT_NE(0, all->csvDisplay[1]);

    auto named = Load(FixtureIni(), CZEPHOnlineINI::Load::WithoutNamedItems);
    EXPECT_EQ(SettingsNamingNoItem(*all), SettingsNamingNoItem(*named));
    EXPECT_EQ(ItemSettings(*all), ItemSettings(*named));
    EXPECT_EQ(std::vector<short>{-1}, named->stampItem);
    EXPECT_EQ(std::vector<short>{-1}, named->stampMode);
    EXPECT_EQ(std::vector<short>(static_cast<size_t>(all->itemCount), 0), named->csvDisplay);

    auto none = Load(FixtureIni(), CZEPHOnlineINI::Load::WithoutItems);
    EXPECT_EQ(SettingsNamingNoItem(*all), SettingsNamingNoItem(*none));
    EXPECT_EQ(0, none->itemCount);
    EXPECT_TRUE(none->itemName.empty());
}

TEST(LoadSettings, NamingConstructorOpensTheFile)
{
    TempDir dir;
    WriteFile(dir / "db.ini", ThreeItems);
    CZEPHOnlineINI record((dir / "db.ini").c_str(), OpenRead);
    record.LoadSettings();
    EXPECT_EQ(4, record.itemCount);
}

TEST(LoadSettings, NumberCorrections)
{
    struct Case { std::string ini; int CZEPHOnlineINI::*member; int expected; };
    const std::string waste = "[database entry info]\nmaximum waste entries stored in DB=";
    const std::string stamp = "[time stamp]\n";
    const std::string search = "[search options]\n";
    const std::string csv = "[formatted csv file options]\n";
    const Case cases[] = {
        {waste + "80\n\n", &CZEPHOnlineINI::wastePercent, 80},
        {waste + "81\n\n", &CZEPHOnlineINI::wastePercent, 20},
        {waste + "19\n\n", &CZEPHOnlineINI::wastePercent, 20},
        {waste + "abc\n\n", &CZEPHOnlineINI::wastePercent, 20},
        {waste + " 50%\n\n", &CZEPHOnlineINI::wastePercent, 50},
        {waste + "99999999999\n\n", &CZEPHOnlineINI::wastePercent, 20},
        {stamp + "use time stamp=\n\n", &CZEPHOnlineINI::useTimeStamp, 0},
        {stamp + "use time stamp=-3\n\n", &CZEPHOnlineINI::useTimeStamp, 0},
        {stamp + "use time stamp=2\n\n", &CZEPHOnlineINI::useTimeStamp, 2},
        {stamp + "obsolete=-4\n\n", &CZEPHOnlineINI::entryLifeDays, 0},
        {stamp + "obsolete=30\n\n", &CZEPHOnlineINI::entryLifeDays, 30},
        {search + "maximum found entries returned in search=1\n\n", &CZEPHOnlineINI::maxFoundEntries, 2},
        {search + "maximum found entries returned in search=3\n\n", &CZEPHOnlineINI::maxFoundEntries, 3},
        {search + "maximum found entries returned in search=99999999999\n\n",
         &CZEPHOnlineINI::maxFoundEntries, 2147483647},
        {search + "found entries per page=0\n\n", &CZEPHOnlineINI::entriesPerPage, 20},
        {search + "found entries per page=5\n\n", &CZEPHOnlineINI::entriesPerPage, 5},
        {search + "total pages per section=-1\n\n", &CZEPHOnlineINI::pagesPerSection, 20},
        {search + "total pages per section=+3\n\n", &CZEPHOnlineINI::pagesPerSection, 3},
        {csv + "use csv file=3\n\n", &CZEPHOnlineINI::useCsvFile, 3},
        {csv + "use csv file=\n\n", &CZEPHOnlineINI::useCsvFile, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, Load(c.ini).get()->*c.member) << c.ini;
}

TEST(LoadSettings, OnOffValues)
{
    struct Case { std::string ini; bool CZEPHOnlineINI::*member; bool expected; };
    const Case cases[] = {
        {"[file]\nhide files=yes\n\n", &CZEPHOnlineINI::hideFiles, false},  // only "1" counts
        {"[file]\nhide files=10\n\n", &CZEPHOnlineINI::hideFiles, true},
        {"[database entry info]\nconvert old items to new items=yes\n\n",
         &CZEPHOnlineINI::convertOldItems, false},
        {"[Administration]\nEnable Remote Administration=2\n\n", &CZEPHOnlineINI::remoteAdmin, true},
        {"[Administration]\nEnable Remote Administration=yes\n\n", &CZEPHOnlineINI::remoteAdmin, false},
        {"[Administration]\nEnable Remote Administration=\n\n", &CZEPHOnlineINI::remoteAdmin, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, Load(c.ini).get()->*c.member) << c.ini;
}

TEST(LoadSettings, PasswordFlagsNeedUsePassword)
{
    const std::string others =
        "search entry password=s\nchange entry password=c\nadd entry password=a\n"
        "case sensitivity=y\nuse own password=1\nmasterpassword=m\n\n";
    struct Case { std::string ini; int flags; };
    const Case cases[] = {
        {"[password]\nuse password=yes\n" + others, 0x7f},
        {"[password]\nuse password=1\n" + others, 0x7f},
        {"[password]\nuse password=Yes\n" + others, 0},
        {"[password]\nuse password=0\n" + others, 0},
        {"[password]\n" + others, 0},
        {"[password]\nuse password=y\ncase sensitivity=Y\nuse own password=no\n\n", 0x01},
        {"[password]\nuse password=1\nadd entry password=a\nuse own password=y\n\n", 0x29},
    };
    for (const Case& c : cases) {
        auto r = Load(c.ini);
        EXPECT_EQ(c.flags, r->passwordFlags) << c.ini;
    }
    auto off = Load("[password]\nuse password=0\n" + others);
    EXPECT_EQ("s", off->searchPassword);
    EXPECT_EQ("c", off->changePassword);
    EXPECT_EQ("a", off->addPassword);
    EXPECT_EQ("m", off->masterPassword);
}

TEST(LoadSettings, HelpAndReadmeUrls)
{
    struct Case { std::string ini; const char* help; const char* readme; };
    const std::string key = "[Administration]\nAdministration help page URL=";
    const Case cases[] = {
        {key + "/doc/abcdefgh.html\n\n", "/doc/abcdefgh.html", "/doc/readme.html"},
        {key + "abcdefgh.html\n\n", "abcdefgh.html", "readme.html"},
        {key + "help.html\n\n", "help.html", "help.htmlreadme.html"},
        {key + "\n\n", "", "readme.html"},
        {"[Administration]\n\n", "", ""},
    };
    for (const Case& c : cases) {
        auto r = Load(c.ini);
        EXPECT_EQ(c.help, r->helpUrl) << c.ini;
        EXPECT_EQ(c.readme, r->readmeUrl) << c.ini;
    }
}

TEST(LoadSettings, CsvSortLeavesTheLastItemOut)
{
    struct Case { const char* sort; int item; };
    const Case cases[] = {
        {"sort=*Name\n", -1}, {"sort=phone\n", 2}, {"sort=*PHONE\n", -2},
        {"sort=EMail\n", 1}, {"sort=*EMail\n", 1}, {"sort=Bogus\n", 1}, {"sort=\n", 1}, {"", 1},
    };
    for (const Case& c : cases) {
        auto r = Load(ThreeItems + "[formatted csv file options]\n" + c.sort + "\n");
        EXPECT_EQ(c.item, r->csvSortItem) << c.sort;
    }
}

TEST(LoadSettings, CsvDisplaySequence)
{
    struct Case { const char* display; std::vector<int> sequence; std::vector<int> stars; };
    const Case cases[] = {
        // positions 1-3 get the matched slot + 1; stars go by item slot 1-3
        {"*Phone,Bogus,name,EMail", {3, 0, 2}, {0, 1, 0}},
        {"EMail,Name", {0, 2, 0}, {0, 0, 0}},
        {"Name,,Phone", {2, 0, 0}, {0, 0, 0}},
        {"", {0, 0, 0}, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        auto r = Load(ThreeItems + "[formatted csv file options]\ndisplay=" + c.display + "\n\n");
        EXPECT_EQ(c.sequence, Slots(r->csvDisplay, 1, 4)) << c.display;
        EXPECT_EQ(c.stars, Slots(r->csvStar, 1, 4)) << c.display;
    }
}

// A list may name an item twice, in any letter case, and may name the
// built-in item, which the CSV display leaves out but a later item of the
// same name does not.
TEST(LoadSettings, ListsNamingAnItemTwiceOrTheBuiltInItem)
{
    auto r = Load("[database entry info]\nentry item name=AutoNumber,Name,autonumber,Phone\n\n"
                  "[time stamp]\ntime stamp items=autonumber,NAME,name\n\n"
                  "[formatted csv file options]\ndisplay=AUTONUMBER,name,*Name,Phone\n\n");
    ASSERT_EQ(5, r->itemCount);
    EXPECT_EQ((std::vector<int>{0, 2, 2, -1}), Slots(r->stampItem, 0, 4));
    EXPECT_EQ((std::vector<int>{2, 3, 3, 0}), Slots(r->csvDisplay, 1, 5));
    EXPECT_EQ((std::vector<int>{0, 0, 1, 0, 0}), Slots(r->csvStar, 0, 5));
}

TEST(LoadSettings, TimeStampAndModeLists)
{
    const std::string items = "[database entry info]\nentry item name=Name,Created,Changed,Phone\n\n";
    struct Case { std::string stamps; std::vector<int> item; std::vector<int> star; std::vector<int> mode; };
    const Case cases[] = {
        {"time stamp items=Created,Bogus,Changed\nmode=7,8\n", {2, -1}, {0}, {7, -1}},
        {"time stamp items=*Created,changed\nmode=3,41\n", {2, 3, -1}, {1, 0}, {3, 1, -1}},
        {"time stamp items=Created,Changed\nmode=\n", {2, 3, -1}, {0, 0}, {1, 1, -1}},
        {"time stamp items=Created,Changed\n", {2, 3, -1}, {0, 0}, {1, 1, -1}},
        {"time stamp items=Created,Changed\nmode=-1,65539\n", {2, 3, -1}, {0, 0}, {1, 3, -1}},
        {"time stamp items=Created,Changed\nmode=0,,5\n", {2, 3, -1}, {0, 0}, {0, 1, -1}},
        {"time stamp items=,Created\nmode=5\n", {-1}, {}, {-1}},
        // at most itemCount - 2 (here 3) time stamps
        {"time stamp items=autonumber,Name,Created,Changed\nmode=1,2,3,4\n", {0, 1, 2, -1}, {0, 0, 0},
         {1, 2, 3, -1}},
    };
    for (const Case& c : cases) {
        auto r = Load(items + "[time stamp]\n" + c.stamps + "\n");
        const int count = static_cast<int>(c.item.size());
        EXPECT_EQ(c.item, Slots(r->stampItem, 0, count)) << c.stamps;
        EXPECT_EQ(c.star, Slots(r->stampStar, 0, count - 1)) << c.stamps;
        EXPECT_EQ(c.mode, Slots(r->stampMode, 0, count)) << c.stamps;
    }
}

TEST(LoadSettings, MasterTimeStampBounds)
{
    const std::string items = "[database entry info]\nentry item name=A,B,C,D\n\n";  // itemCount 5
    struct Case { const char* value; int master; };
    const Case cases[] = {{"master time stamp=2\n", 2}, {"master time stamp=3\n", 3},
                          {"master time stamp=4\n", 3}, {"master time stamp=0\n", 3}, {"", 3}};
    for (const Case& c : cases)
        EXPECT_EQ(c.master, Load(items + "[time stamp]\n" + c.value + "\n")->masterTimeStamp) << c.value;
}

TEST(LoadSettings, HitCountingAndTopHits)
{
    struct Case { std::string report; bool on; int item; int top; };
    const Case cases[] = {
        {"hit count=1\nhit counting item=Bogus\n", false, -1, 0},
        {"hit count=1\nhit counting item=AUTONUMBER\n", true, 0, 0},
        {"hit count=1\nhit counting item=phone\nstat report=1\nreport top x hits and x (max:100)=0\n",
         true, 2, 1},
        {"hit count=1\nhit counting item=Phone\nstat report=0\nreport top x hits and x (max:100)=0\n",
         true, 2, 0},
        {"hit count=y\nhit counting item=Phone\nstat report=1\nreport top x hits and x (max:100)=0\n",
         false, 2, 0},
        {"hit count=1\nhit counting item=Bogus\nstat report=1\nreport top x hits and x (max:100)=0\n",
         false, -1, 0},
        {"hit count=1\nhit counting item=Name\nreport top x hits and x (max:100)=250\n", true, 1, 250},
    };
    for (const Case& c : cases) {
        auto r = Load(ThreeItems + "[report]\n" + c.report + "\n");
        EXPECT_EQ(c.on, r->hitCountOn) << c.report;
        EXPECT_EQ(c.item, r->hitCountItem) << c.report;
        EXPECT_EQ(c.top, r->topHits) << c.report;
    }
}

TEST(EntryItems, CurrentItemLists)
{
    struct Case {
        std::string lines;
        std::vector<std::string> names;  // slots 1 ..
        std::vector<int> stars, lengths, types;
    };
    const Case cases[] = {
        {"entry item name=*Name,Phone,Birthday\nentry item DB storage length=40,20,15\n"
         "entry item data type=string,phone,time\n",
         {"Name", "Phone", "Birthday"}, {1, 0, 0}, {40, 20, 15}, {0, 3, 2}},
        {"entry item name=Name, Phone\nentry item DB storage length=30\nentry item data type=String,PHONE\n",
         {"Name", " Phone"}, {0, 0}, {30, 20}, {0, 3}},
        {"entry item name=**Key,Name,,Phone\nentry item DB storage length=70000,-1,9\n"
         "entry item data type=NUMBER,bogus\n",
         {"*Key", "Name"}, {1, 0}, {4464, 65535}, {1, 0}},
        {"entry item name=A,B,C\nentry item data type=bogus,time\n", {"A", "B", "C"}, {0, 0, 0},
         {20, 20, 20}, {0, 2, 0}},
        {"entry item DB storage length=40\n", {}, {}, {}, {}},
    };
    for (const Case& c : cases) {
        auto r = Load("[database entry info]\n" + c.lines + "\n");
        const int count = static_cast<int>(c.names.size());
        ASSERT_EQ(count + 1, r->itemCount) << c.lines;
        EXPECT_EQ(c.names, std::vector<std::string>(r->itemName.begin() + 1, r->itemName.begin() + 1 + count)) << c.lines;
        EXPECT_EQ(c.stars, Slots(r->itemStar, 1, count + 1)) << c.lines;
        EXPECT_EQ(c.lengths, Slots(r->itemLength, 1, count + 1)) << c.lines;
        EXPECT_EQ(c.types, Slots(r->itemType, 1, count + 1)) << c.lines;
        EXPECT_EQ("autoNumber", r->itemName[0]);
        EXPECT_EQ(15, r->itemLength[0]);
    }
}

TEST(EntryItems, FindItemIgnoresCaseAndTakesTheFirstMatch)
{
    auto r = Load("[database entry info]\nentry item name=*Name,Phone,name, Mail\n\n");
    EXPECT_EQ(1, r->FindItem("NAME"));
    EXPECT_EQ(2, r->FindItem("phone"));
    EXPECT_EQ(0, r->FindItem("autonumber"));
    EXPECT_EQ(-1, r->FindItem("Mail"));
    EXPECT_EQ(4, r->FindItem(" mail"));
    EXPECT_EQ(-1, r->FindItem("*Name"));
}

TEST(EntryItems, FindItemComparesWholeNamesAndFoldsOnlyAsciiLetters)
{
    // UTF-8 bytes: \xC3\x84 is a capital A with diaeresis, \xC3\xA4 its small letter.
    auto r = Load("[database entry info]\nentry item name=Phone1,phone12,\xC3\x84ra,Rate\n\n");
    const std::pair<const char*, int> cases[] = {
        {"PHONE1", 1}, {"phone2", -1}, {"Phone", -1}, {"PHONE12", 2}, {"Phxne1", -1},
        {"\xC3\x84RA", 3}, {"\xC3\xA4ra", -1}, {"rATE", 4}, {"Rat", -1}, {"", -1},
    };
    for (const auto& [name, slot] : cases)
        EXPECT_EQ(slot, r->FindItem(name)) << name;
}

// Time stamp and CSV display names are looked up the same way whether the
// database has few items or many: the first slot whose name matches, letter
// case ignored, and for the CSV display never the last item.
TEST(EntryItems, ListNamesFindTheFirstMatchingItemWithFewAndManyItems)
{
    for (int n : {10, 40, 510}) {
        SCOPED_TRACE(n);
        std::string names;
        for (int i = 1; i <= n; ++i)
            names += "F" + std::to_string(i) + ",";
        names += "f3,Last";  // slots n + 1 (the same name as slot 3) and n + 2
        auto r = Load("[database entry info]\nentry item name=" + names + "\n\n"
                      "[time stamp]\ntime stamp items=f" + std::to_string(n) + ",F3,*f10,Zz,F1\n\n"
                      "[formatted csv file options]\ndisplay=*F3,Last,f" + std::to_string(n) +
                      ",Nope,F" + std::to_string(n + 1) + "\n\n");
        ASSERT_EQ(n + 3, r->itemCount);
        EXPECT_EQ(n, r->stampItem[0]);
        EXPECT_EQ(3, r->stampItem[1]);
        EXPECT_EQ(10, r->stampItem[2]);
        EXPECT_EQ(1, r->stampStar[2]);
        EXPECT_EQ(-1, r->stampItem[3]);  // Zz names no item and ends the list
        EXPECT_EQ(4, r->csvDisplay[1]);
        EXPECT_EQ(0, r->csvDisplay[2]);  // the last item is left out
        EXPECT_EQ(n + 1, r->csvDisplay[3]);
        EXPECT_EQ(0, r->csvDisplay[4]);
        EXPECT_EQ(0, r->csvDisplay[5]);
        EXPECT_EQ(1, r->csvStar[3]);
        EXPECT_EQ(0, r->csvStar[n + 1]);
    }
}

TEST(EntryItems, PreviousItemLists)
{
    auto r = Load(
        "[database entry info]\nentry item name=Name\n"
        "previous entry item name=*Old,Older\nprevious entry item DB storage length=12\n\n");
    EXPECT_EQ(2, r->itemCount);
    EXPECT_EQ(3, r->prevItemCount);
    EXPECT_EQ("AutoNumber", r->prevItemName[0]);
    EXPECT_EQ("Old", r->prevItemName[1]);
    EXPECT_EQ("Older", r->prevItemName[2]);
    EXPECT_EQ((std::vector<int>{0, 1, 0}), Slots(r->prevItemStar, 0, 3));
    EXPECT_EQ((std::vector<int>{15, 12, 20}), Slots(r->prevItemLength, 0, 3));
}

TEST(EntryItems, LongListsAreReadWholeAndCutAt512Items)
{
    // 600 names of 20 characters: a value of over 12 000 bytes.
    std::string names, lengths;
    for (int i = 1; i <= 600; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "%sItem%015d", i == 600 ? "*" : "", i);
        names += (i > 1 ? "," : "") + std::string(name);
        lengths += (i > 1 ? "," : "") + std::to_string(i);
    }
    auto r = Load("[database entry info]\nentry item name=" + names +
                  "\nentry item DB storage length=" + lengths +
                  "\nprevious entry item name=" + names + "\n\n[time stamp]\nmaster time stamp=600\n\n");
    EXPECT_EQ(513, r->itemCount);
    EXPECT_EQ(513, r->prevItemCount);
    EXPECT_EQ("Item000000000000001", r->itemName[1]);
    EXPECT_EQ("Item000000000000512", r->itemName[512]);
    EXPECT_EQ("Item000000000000512", r->prevItemName[512]);
    EXPECT_EQ(512, r->itemLength[512]);
    EXPECT_EQ(511, r->masterTimeStamp);
    EXPECT_EQ(512, r->FindItem("item000000000000512"));
    EXPECT_EQ(-1, r->FindItem("Item000000000000513"));
}

}  // namespace

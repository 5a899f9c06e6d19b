// ZEPHOnlineINI.cpp: loading a database's settings with their defaults and corrections.
#include "config/ZEPHOnlineINI.h"

#include "config/EntryItems.h"
#include "config/ItemNames.h"
#include "config/SettingTable.h"
#include "config/SettingValues.h"

#include <algorithm>

namespace {

// The names of an item list, at most `most` of them, up to its first empty
// element; a leading "*" is no part of a name and sets its star. The names
// lie in `list`, which is cut in place.
void CutNameList(std::string& list, int most, std::vector<std::string_view>& names,
                 std::vector<short>& stars)
{
    names.clear();
    stars.clear();
    ForEachListedName(list, static_cast<size_t>(std::max(most, 0)), [&](std::string_view name, bool star) {
        names.push_back(name);
        stars.push_back(star ? 1 : 0);
    });
}

}  // namespace

bool CZEPHOnlineINI::OpenFile(const char* fileName, int mode)
{
    return CIniFile::OpenFile(fileName, mode);
}

bool CZEPHOnlineINI::ReadSetting(Setting setting, std::string& value)
{
    return ReadValue(RowOf(setting).section, RowOf(setting).key, value);
}

void CZEPHOnlineINI::WriteSetting(Setting setting, const std::string& value)
{
    WriteValue(RowOf(setting).section, RowOf(setting).key, value.c_str());
}

int CZEPHOnlineINI::FindItemAmong(int first, int end, std::string_view name) const
{
    for (int slot = first; slot < end; ++slot) {
        if (SameName(itemName[slot], name))
            return slot;
    }
    return -1;
}

int CZEPHOnlineINI::FindItem(const std::string& name) const
{
    return FindItemAmong(0, itemCount, name.c_str());  // a name ends at a NUL
}

int CZEPHOnlineINI::FindCsvItem(const char* name) const
{
    const int slot = FindItemAmong(1, itemCount - 1, name);
    return slot < 0 ? 0 : slot;
}

// The keys are read in a fixed order: later corrections depend on earlier
// values (the password bits on Setting::UsePassword, the time stamps, CSV options
// and hit counting item on the entry items, the top hits on the report switches).
void CZEPHOnlineINI::LoadSettings(Load which)
{
    std::string value;  // one scratch text for every key
    useCsvFile = 0;
    LoadFileSettings(value);
    LoadPasswordSettings(value);
    LoadSearchSettings(value);
    if (which != Load::WithoutItems) {
        LoadEntryItems(value);
        LoadTimeStampSettings(value, which == Load::AllSettings);
        LoadCsvSettings(value, which == Load::AllSettings);
    }
    LoadAdministrationSettings(value);
    LoadReportSettings(value);
}

void CZEPHOnlineINI::LoadFileSettings(std::string& value)
{
    ReadSetting(Setting::HtmlPath, htmlPath);
    ReadSetting(Setting::ExeUrl, exeUrl);
    ReadSetting(Setting::ConfExeUrl, confExeUrl);
    ReadSetting(Setting::HideFiles, value);
    hideFiles = BeginsWith(value, '1');
    ReadSetting(Setting::WebMaster, webMaster);
}

void CZEPHOnlineINI::LoadPasswordSettings(std::string& value)
{
    ReadSetting(Setting::UsePassword, value);
    passwordFlags = IsYes(value) ? UsePassword : 0;
    // Every further bit only counts when passwords are in use at all.
    const bool inUse = passwordFlags != 0;
    auto setWhen = [this, inUse](bool condition, int bit) {
        if (condition && inUse)
            passwordFlags |= bit;
    };
    ReadSetting(Setting::SearchPassword, searchPassword);
    setWhen(!searchPassword.empty(), HasSearchPassword);
    ReadSetting(Setting::ChangePassword, changePassword);
    setWhen(!changePassword.empty(), HasChangePassword);
    ReadSetting(Setting::AddPassword, addPassword);
    setWhen(!addPassword.empty(), HasAddPassword);
    ReadSetting(Setting::CaseSensitivity, value);
    setWhen(IsYes(value), CaseSensitivePasswords);
    ReadSetting(Setting::OwnPasswords, value);
    setWhen(IsYes(value), OwnPasswords);
    ReadSetting(Setting::MasterPassword, masterPassword);
    setWhen(!masterPassword.empty(), HasMasterPassword);
}

void CZEPHOnlineINI::LoadEntryItems(std::string& value)
{
    ReadSetting(Setting::ItemNames, value);
    itemCount = ParseItemNames(value, "autoNumber", itemName, itemStar);
    ReadSetting(Setting::ConvertOldItems, value);
    convertOldItems = TextToInt(value) != 0;
    ReadSetting(Setting::ItemLengths, value);
    ParseItemLengths(value, itemCount, itemLength);
    ReadSetting(Setting::ItemTypes, value);
    ParseItemTypes(value, itemCount, itemType);
    ReadSetting(Setting::PreviousItemNames, value);
    prevItemCount = ParseItemNames(value, "AutoNumber", prevItemName, prevItemStar);
    ReadSetting(Setting::PreviousItemLengths, value);
    ParseItemLengths(value, prevItemCount, prevItemLength);

    ReadSetting(Setting::WastePercent, value);
    wastePercent = TextToInt(value);
    if (wastePercent < 20 || wastePercent > 80)
        wastePercent = 20;
}

void CZEPHOnlineINI::LoadTimeStampSettings(std::string& value, bool lookUpItems)
{
    if (ReadSetting(Setting::UseTimeStamp, value)) {
        useTimeStamp = TextToInt(value);
        if (useTimeStamp < 0)
            useTimeStamp = 0;
    } else {
        useTimeStamp = 1;
    }

    // Time stamp items: at most itemCount - 2 of them; the list ends at an empty
    // element or at a name that no item has, and -1 marks where it ended.
    stampItem.clear();
    stampStar.clear();
    if (lookUpItems) {
        ReadSetting(Setting::StampItems, value);
        std::vector<std::string_view> names;
        CutNameList(value, itemCount - 2, names, stampStar);
        const std::vector<int> slots = FirstSlotsNamed(itemName, names, 0, itemCount);
        while (stampItem.size() < slots.size() && slots[stampItem.size()] >= 0)
            stampItem.push_back(static_cast<short>(slots[stampItem.size()]));
        stampStar.resize(stampItem.size());
    }
    const size_t stampCount = stampItem.size();
    stampItem.push_back(-1);

    ReadSetting(Setting::MasterTimeStamp, value);
    masterTimeStamp = TextToInt(value);
    if (masterTimeStamp < 1 || masterTimeStamp > itemCount - 2)
        masterTimeStamp = itemCount - 2;

    // One display format number per time stamp; anything beyond 40 (negative
    // numbers included, as unsigned 16-bit values) and missing numbers give 1.
    ReadSetting(Setting::StampModes, value);
    ListCutter modes(value);
    stampMode.clear();
    bool listEnded = false;
    while (stampMode.size() < stampCount) {
        unsigned short mode = 1;
        if (!listEnded) {
            const char* element = modes.Next();
            listEnded = element[0] == '\0';
            if (!listEnded)
                mode = static_cast<unsigned short>(TextToInt({element, modes.Length()}));
        }
        stampMode.push_back(static_cast<short>(mode > 40 ? 1 : mode));
    }
    stampMode.push_back(-1);

    ReadSetting(Setting::EntryLifeDays, value);
    entryLifeDays = TextToInt(value);
    if (entryLifeDays < 0)
        entryLifeDays = 0;
}

void CZEPHOnlineINI::LoadSearchSettings(std::string& value)
{
    ReadSetting(Setting::MaxFoundEntries, value);
    maxFoundEntries = TextToInt(value);
    if (maxFoundEntries <= 1)
        maxFoundEntries = 2;
    ReadSetting(Setting::EntriesPerPage, value);
    entriesPerPage = TextToInt(value);
    if (entriesPerPage <= 0)
        entriesPerPage = 20;
    ReadSetting(Setting::PagesPerSection, value);
    pagesPerSection = TextToInt(value);
    if (pagesPerSection <= 0)
        pagesPerSection = 20;
}

void CZEPHOnlineINI::LoadCsvSettings(std::string& value, bool lookUpItems)
{
    csvDisplay.assign(static_cast<size_t>(itemCount), 0);
    csvStar.assign(static_cast<size_t>(itemCount), 0);

    if (ReadSetting(Setting::UseCsvFile, value))
        useCsvFile = TextToInt(value);

    // Display sequence: position q holds the matched item slot + 1, 0 for none.
    if (lookUpItems) {
        ReadSetting(Setting::CsvDisplay, value);
        std::vector<std::string_view> names;
        std::vector<short> stars;
        CutNameList(value, itemCount - 1, names, stars);
        // The last item is left out of the CSV output options.
        const std::vector<int> slots = FirstSlotsNamed(itemName, names, 1, itemCount - 1);
        for (size_t element = 0; element < slots.size(); ++element) {
            const int slot = slots[element];
            if (slot < 0)
                continue;
            csvDisplay[element + 1] = static_cast<short>(slot + 1);
            if (stars[element] != 0)
                csvStar[slot] = 1;
        }
    }

    // Sort item: its slot, negative when written with "*" (descending); 1 by default.
    csvSortItem = 1;
    ReadSetting(Setting::CsvSort, value);
    if (!value.empty()) {
        const bool descending = value[0] == '*';
        const int slot = FindCsvItem(value.c_str() + (descending ? 1 : 0));
        if (slot != 0)
            csvSortItem = descending ? -slot : slot;
    }
}

void CZEPHOnlineINI::LoadAccessSettings(std::string& value)
{
    remoteAdmin = ReadSetting(Setting::RemoteAdmin, value)
                  && TextToInt(value) != 0;
    ReadSetting(Setting::AdminPassword, adminPassword);
}

void CZEPHOnlineINI::LoadAccessSettings()
{
    std::string value;
    LoadAccessSettings(value);
}

void CZEPHOnlineINI::LoadAdministrationSettings(std::string& value)
{
    LoadAccessSettings(value);

    // The readme page lies beside the help page, whose file name is taken to
    // be 13 characters long; a shorter URL is used whole.
    if (ReadSetting(Setting::HelpUrl, helpUrl)) {
        const size_t keep = helpUrl.size() >= 13 ? helpUrl.size() - 13 : helpUrl.size();
        readmeUrl.assign(helpUrl, 0, keep);
        readmeUrl += "readme.html";
    }
}

void CZEPHOnlineINI::LoadReportSettings(std::string& value)
{
    ReadSetting(Setting::HitCount, value);
    hitCountOn = BeginsWith(value, '1');
    ReadSetting(Setting::HitCountItem, value);
    hitCountItem = FindItem(value);
    if (hitCountItem < 0)
        hitCountOn = false;
    ReadSetting(Setting::HitsReportInterval, value);
    hitsReportInterval = TextToInt(value);
    ReadSetting(Setting::StatReport, value);
    statReport = BeginsWith(value, '1');
    ReadSetting(Setting::ErrorReport, value);
    errorReport = BeginsWith(value, '1');
    ReadSetting(Setting::TopHits, value);
    topHits = TextToInt(value);
    if (topHits == 0 && hitCountOn && statReport)
        topHits = 1;
    ReadSetting(Setting::LastStatReportTime, value);
    lastStatReportTime = TextToLong(value);
    ReadSetting(Setting::SmtpServer, smtpServer);
    ReadSetting(Setting::ReportSender, reportSender);
    ReadSetting(Setting::ReportReceiver, reportReceiver);
    ReadSetting(Setting::StatsSubject, statsSubject);
    ReadSetting(Setting::ErrorSubject, errorSubject);
}

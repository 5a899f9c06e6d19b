// ZEPHOnlineINI.h: a database's initialisation file seen as a typed record of
// every setting, with the defaults and corrections applied on load.
#pragma once

#include "files/IniFile.h"

#include <string>

class ItemNameIndex;

class CZEPHOnlineINI : public CIniFile {
public:
    // Most entry items one list may hold, and the size of every per-item array
    // (slot 0 is the built-in item "autoNumber").
    static constexpr int MaxItems = 512;
    static constexpr int ItemSlots = MaxItems + 1;

    CZEPHOnlineINI() = default;
    // Opens `fileName` with `mode` as the base does.
    CZEPHOnlineINI(const char* fileName, int mode) : CIniFile(fileName, mode) {}

    bool OpenFile(const char* fileName, int mode) override;

    // Reads every setting of the open file into the members.
    void LoadSettings();
    // The slot of the entry item named `name` (letter case ignored), slots 0 to
    // itemCount - 1, first match; -1 when none matches.
    int FindItem(const std::string& name) const;

    int pagesPerSection = 0;
    int maxFoundEntries = 0;
    bool hitCountOn = false;
    long lastStatReportTime = 0;
    bool hideFiles = false;
    std::string readmeUrl;
    std::string helpUrl;
    std::string adminPassword;
    bool remoteAdmin = false;
    bool convertOldItems = false;
    std::string webMaster;
    std::string htmlPath;
    std::string exeUrl;
    std::string confExeUrl;
    std::string searchPassword;
    std::string changePassword;
    std::string addPassword;
    std::string masterPassword;
    int useTimeStamp = 0;
    int itemCount = 0;
    int prevItemCount = 0;
    int entriesPerPage = 0;
    int wastePercent = 0;
    int passwordFlags = 0;
    int csvSortItem = 0;
    int useCsvFile = 0;
    int entryLifeDays = 0;
    int masterTimeStamp = 0;
    unsigned short itemLength[ItemSlots] = {};
    unsigned short prevItemLength[ItemSlots] = {};
    short csvDisplay[ItemSlots] = {};
    short csvStar[ItemSlots] = {};
    short stampItem[ItemSlots] = {};
    short stampMode[ItemSlots] = {};
    short itemType[ItemSlots] = {};
    short stampStar[ItemSlots] = {};
    short itemStar[ItemSlots] = {};
    short prevItemStar[ItemSlots] = {};
    std::string itemName[ItemSlots];
    std::string prevItemName[ItemSlots];
    std::string smtpServer;
    std::string reportSender;
    std::string reportReceiver;
    std::string statsSubject;
    std::string errorSubject;
    bool errorReport = false;
    bool statReport = false;
    int hitsReportInterval = 0;
    int topHits = 0;
    int hitCountItem = 0;

    // passwordFlags bits; all but UsePassword are only set together with it.
    enum : int {
        UsePassword = 0x01,
        HasSearchPassword = 0x02,
        HasChangePassword = 0x04,
        HasAddPassword = 0x08,
        CaseSensitivePasswords = 0x10,
        OwnPasswords = 0x20,
        HasMasterPassword = 0x40,
    };

private:
    void LoadFileSettings(std::string& value);
    void LoadPasswordSettings(std::string& value);
    void LoadEntryItems(std::string& value);
    void LoadTimeStampSettings(std::string& value, ItemNameIndex& items);
    void LoadSearchSettings(std::string& value);
    void LoadCsvSettings(std::string& value, ItemNameIndex& items);
    void LoadAdministrationSettings(std::string& value);
    void LoadReportSettings(std::string& value);
    // The slot of the item named `name` among slots 1 to itemCount - 2 (the
    // last item is left out of the CSV output options); 0 when none matches.
    int FindCsvItem(const char* name) const;
    // The first of the slots first to end - 1 whose item is named `name`
    // (letter case ignored); -1 when none is.
    int FindItemAmong(int first, int end, const char* name) const;
};

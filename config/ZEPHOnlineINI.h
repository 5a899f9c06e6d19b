// ZEPHOnlineINI.h: a database's initialisation file seen as a typed record of
// every setting, with the defaults and corrections applied on load.
#pragma once

#include "files/IniFile.h"

#include <string>
#include <string_view>
#include <vector>

enum class Setting;  // config/SettingTable.h

// The record's members in three groups, by the loads that fill them in
// (CZEPHOnlineINI::Load), so that two loads can be compared group by group.

// The settings that name no item: every load reads them.
struct SettingsNamingNoItem {
    std::string htmlPath;
    std::string exeUrl;
    std::string confExeUrl;
    std::string webMaster;
    std::string searchPassword;
    std::string changePassword;
    std::string addPassword;
    std::string masterPassword;
    std::string adminPassword;
    std::string helpUrl;
    std::string readmeUrl;
    std::string smtpServer;
    std::string reportSender;
    std::string reportReceiver;
    std::string statsSubject;
    std::string errorSubject;
    bool hideFiles = false;
    bool remoteAdmin = false;
    bool statReport = false;
    bool errorReport = false;
    int passwordFlags = 0;
    int maxFoundEntries = 0;
    int entriesPerPage = 0;
    int pagesPerSection = 0;
    int hitsReportInterval = 0;
    long lastStatReportTime = 0;

    bool operator==(const SettingsNamingNoItem&) const = default;
};

// The entry items and the settings that depend on them, but for the time
// stamp and CSV display lists: every load but an update's reads them.
struct ItemSettings {
    int itemCount = 0;
    int prevItemCount = 0;
    // The per-item lists: one entry per item slot (itemCount entries, or
    // prevItemCount for the previous items).
    std::vector<std::string> itemName;
    std::vector<short> itemStar;
    std::vector<unsigned short> itemLength;
    std::vector<short> itemType;
    std::vector<std::string> prevItemName;
    std::vector<short> prevItemStar;
    std::vector<unsigned short> prevItemLength;
    bool convertOldItems = false;
    int wastePercent = 0;
    int useTimeStamp = 0;
    int masterTimeStamp = 0;
    int entryLifeDays = 0;
    int useCsvFile = 0;
    int csvSortItem = 0;
    int hitCountItem = 0;
    bool hitCountOn = false;
    int topHits = 0;

    bool operator==(const ItemSettings&) const = default;
};

// The time stamp and CSV display lists, with the slots of the items they
// name: only a load of every setting reads them. csvDisplay and csvStar per
// list position from 1 (position 0 unused); the time stamp lists per time
// stamp, with a -1 after the last in stampItem and stampMode.
struct NamedItemSettings {
    std::vector<short> stampItem;
    std::vector<short> stampStar;
    std::vector<short> stampMode;
    std::vector<short> csvDisplay;
    std::vector<short> csvStar;

    bool operator==(const NamedItemSettings&) const = default;
};

class CZEPHOnlineINI : public CIniFile,
                       public SettingsNamingNoItem,
                       public ItemSettings,
                       public NamedItemSettings {
public:
    // Most entry items one list may hold. The per-item lists hold one entry
    // per slot the file defines: slot 0, the built-in item "autoNumber", and
    // one slot per item.
    static constexpr int MaxItems = 512;

    CZEPHOnlineINI() = default;
    // Opens `fileName` with `mode` as the base does.
    CZEPHOnlineINI(const char* fileName, int mode) : CIniFile(fileName, mode) {}

    bool OpenFile(const char* fileName, int mode) override;

    // What LoadSettings reads. A request reads what its page shows or its
    // update needs: with hundreds of items, the items and the lookups of the
    // items that lists name are most of the work of a load.
    enum class Load {
        // Every setting.
        AllSettings,
        // All but the items that the time stamp and CSV display lists name,
        // which are not looked up: no time stamps, no CSV display positions.
        // The administration form shows these lists as the file holds them.
        WithoutNamedItems,
        // Also no entry items (itemCount 0), no time stamp and CSV settings
        // (they name items) and no hit counting item: an update writes the
        // entry items from the form and reads none of the file's.
        WithoutItems,
    };
    // Reads the settings of the open file into the members.
    void LoadSettings(Load which = Load::AllSettings);
    // Reads only remoteAdmin and adminPassword, which decide who gets in, as
    // LoadSettings reads them: after a change, the content's own.
    void LoadAccessSettings();
    // The stored text of a setting (its section and key from SettingTable);
    // false and empty when the key is missing.
    bool ReadSetting(Setting setting, std::string& value);
    // Sets a setting's key to `value` in the content, as WriteValue does.
    void WriteSetting(Setting setting, const std::string& value);
    // The slot of the entry item named `name` (letter case ignored), slots 0 to
    // itemCount - 1, first match; -1 when none matches.
    int FindItem(const std::string& name) const;

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
    void LoadTimeStampSettings(std::string& value, bool lookUpItems);
    void LoadSearchSettings(std::string& value);
    void LoadCsvSettings(std::string& value, bool lookUpItems);
    void LoadAccessSettings(std::string& value);
    void LoadAdministrationSettings(std::string& value);
    void LoadReportSettings(std::string& value);
    // The slot of the item named `name` among slots 1 to itemCount - 2 (the
    // last item is left out of the CSV output options); 0 when none matches.
    int FindCsvItem(const char* name) const;
    // The first of the slots first to end - 1 whose item is named `name`
    // (letter case ignored); -1 when none is.
    int FindItemAmong(int first, int end, std::string_view name) const;
};

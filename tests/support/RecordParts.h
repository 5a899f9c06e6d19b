// RecordParts.h: the members of a loaded record as tuples, to compare two
// loads: in parts, as far as a load of less than every setting keeps them,
// and whole. tests/admin/SettingTable_test.cpp checks that every record
// member of the setting table is among them.
#pragma once

#include "config/ZEPHOnlineINI.h"

#include <tuple>
#include <type_traits>

// The settings that name no item: every load reads them.
inline auto SettingsNamingNoItem(const CZEPHOnlineINI& r)
{
    return std::tie(r.htmlPath, r.exeUrl, r.confExeUrl, r.webMaster, r.searchPassword,
                    r.changePassword, r.addPassword, r.masterPassword, r.adminPassword, r.helpUrl,
                    r.readmeUrl, r.smtpServer, r.reportSender, r.reportReceiver, r.statsSubject,
                    r.errorSubject, r.hideFiles, r.remoteAdmin, r.statReport, r.errorReport,
                    r.passwordFlags, r.maxFoundEntries, r.entriesPerPage, r.pagesPerSection,
                    r.hitsReportInterval, r.lastStatReportTime);
}

// The entry items and the settings that depend on them, but for the time
// stamp and CSV display lists: every load but an update's reads them.
inline auto ItemSettings(const CZEPHOnlineINI& r)
{
    return std::tie(r.itemCount, r.prevItemCount, r.itemName, r.itemStar, r.itemLength, r.itemType,
                    r.prevItemName, r.prevItemStar, r.prevItemLength, r.convertOldItems,
                    r.wastePercent, r.useTimeStamp, r.masterTimeStamp, r.entryLifeDays, r.useCsvFile,
                    r.csvSortItem, r.hitCountItem, r.hitCountOn, r.topHits);
}

// The time stamp and CSV display lists, with the slots of the items they name.
inline auto NamedItemSettings(const CZEPHOnlineINI& r)
{
    return std::tie(r.stampItem, r.stampStar, r.stampMode, r.csvDisplay, r.csvStar);
}

// Every member a load fills in.
inline auto AllSettings(const CZEPHOnlineINI& r)
{
    return std::tuple_cat(SettingsNamingNoItem(r), ItemSettings(r), NamedItemSettings(r));
}

// The members of such a tuple copied, to keep a load's values past its record.
template <typename... Members>
std::tuple<std::decay_t<Members>...> Copied(const std::tuple<Members...>& members)
{
    return members;
}

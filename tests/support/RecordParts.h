// RecordParts.h: the parts of a loaded record that a load of less than every
// setting keeps, as tuples to compare with the same parts of a full load.
#pragma once

#include "config/ZEPHOnlineINI.h"

#include <tuple>

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

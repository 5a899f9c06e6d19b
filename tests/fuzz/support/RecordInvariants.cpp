// RecordInvariants.cpp: what every loaded configuration record must satisfy.
#include "support/RecordInvariants.h"

#include <algorithm>
#include <cstdlib>

static void Require(bool condition)
{
    if (!condition)
        std::abort();
}

void CheckRecordInvariants(const CZEPHOnlineINI& r)
{
    const int slots = CZEPHOnlineINI::MaxItems + 1;
    Require(1 <= r.itemCount && r.itemCount <= slots);
    Require(1 <= r.prevItemCount && r.prevItemCount <= slots);
    // Every per-item list holds exactly the slots the file defines.
    const auto items = static_cast<size_t>(r.itemCount);
    Require(r.itemName.size() == items && r.itemStar.size() == items && r.itemLength.size() == items &&
            r.itemType.size() == items && r.csvDisplay.size() == items && r.csvStar.size() == items);
    const auto prevItems = static_cast<size_t>(r.prevItemCount);
    Require(r.prevItemName.size() == prevItems && r.prevItemStar.size() == prevItems &&
            r.prevItemLength.size() == prevItems);
    Require(20 <= r.wastePercent && r.wastePercent <= 80);
    Require(r.maxFoundEntries >= 2);
    Require(r.entriesPerPage >= 1);
    Require(r.pagesPerSection >= 1);
    Require(r.entryLifeDays >= 0);
    Require(r.useTimeStamp >= 0);

    Require(r.itemName[0] == "autoNumber" && r.prevItemName[0] == "AutoNumber");
    Require(r.itemLength[0] == 15 && r.prevItemLength[0] == 15);
    for (int s = 1; s < r.itemCount; ++s)
        Require(r.itemStar[s] == 0 || r.itemStar[s] == 1);
    for (int s = 1; s < r.prevItemCount; ++s)
        Require(r.prevItemStar[s] == 0 || r.prevItemStar[s] == 1);

    // Time stamps: item slots that exist, ended by -1 within itemCount - 2
    // places; a mode in 0..40 for each, ended by -1 at the same place.
    Require(!r.stampItem.empty() && r.stampMode.size() == r.stampItem.size() &&
            r.stampStar.size() == r.stampItem.size() - 1);
    const int stamps = static_cast<int>(r.stampStar.size());
    for (int at = 0; at < stamps; ++at) {
        Require(0 <= r.stampItem[at] && r.stampItem[at] < r.itemCount);
        Require(0 <= r.stampMode[at] && r.stampMode[at] <= 40);
        Require(r.stampStar[at] == 0 || r.stampStar[at] == 1);
    }
    Require(stamps <= std::max(0, r.itemCount - 2));
    Require(r.stampItem[stamps] == -1 && r.stampMode[stamps] == -1);

    Require(r.masterTimeStamp == r.itemCount - 2 ||
            (1 <= r.masterTimeStamp && r.masterTimeStamp <= r.itemCount - 2));

    // CSV display: nothing, or slot + 1 of an item other than the last.
    for (int q = 1; q < r.itemCount; ++q)
        Require(r.csvDisplay[q] == 0 || (2 <= r.csvDisplay[q] && r.csvDisplay[q] <= r.itemCount - 1));
    const int sortSlot = r.csvSortItem < 0 ? -r.csvSortItem : r.csvSortItem;
    Require(sortSlot == 1 || (1 <= sortSlot && sortSlot <= r.itemCount - 2));

    Require(-1 <= r.hitCountItem && r.hitCountItem < r.itemCount);
    Require(r.hitCountItem >= 0 || !r.hitCountOn);

    Require((r.passwordFlags & ~0x7F) == 0);
    Require((r.passwordFlags & 0x01) != 0 || r.passwordFlags == 0);
}


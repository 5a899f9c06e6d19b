// RecordInvariants.h: the invariants of a loaded configuration record, checked
// by the fuzz targets after LoadSettings; a broken one aborts the process.
#pragma once

#include "config/ZEPHOnlineINI.h"

void CheckRecordInvariants(const CZEPHOnlineINI& record);

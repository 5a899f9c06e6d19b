// load_settings_fuzz.cpp: libFuzzer target for LoadSettings on any file. Whatever
// the file holds, the loaded record keeps its invariants: item counts, waste
// percent, search counts, life span, time stamps and their modes, the slots
// that lists point at, the password bits, and the built-in item of slot 0.
// A load of less than every setting reads what it keeps as the full load does.
#include "config/ZEPHOnlineINI.h"
#include "support/RecordInvariants.h"
#include "support/ScratchFile.h"
#include "tests/support/RecordParts.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

std::unique_ptr<CZEPHOnlineINI> LoadScratch(CZEPHOnlineINI::Load which)
{
    auto record = std::make_unique<CZEPHOnlineINI>();
    if (!record->OpenFile(ScratchPath().c_str(), OpenRead))
        std::abort();
    record->LoadSettings(which);
    record->Close();  // the next load takes the file's lock in turn
    return record;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    WriteScratch(std::string(reinterpret_cast<const char*>(data), size));
    const auto all = LoadScratch(CZEPHOnlineINI::Load::AllSettings);
    CheckRecordInvariants(*all);
    const auto named = LoadScratch(CZEPHOnlineINI::Load::WithoutNamedItems);
    const auto none = LoadScratch(CZEPHOnlineINI::Load::WithoutItems);
    if (SettingsNamingNoItem(*named) != SettingsNamingNoItem(*all) ||
        ItemSettings(*named) != ItemSettings(*all) ||
        SettingsNamingNoItem(*none) != SettingsNamingNoItem(*all))
        std::abort();
    return 0;
}

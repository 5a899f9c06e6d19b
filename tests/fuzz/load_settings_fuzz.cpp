// load_settings_fuzz.cpp: libFuzzer target for LoadSettings on any file. Whatever
// the file holds, the loaded record keeps its invariants: item counts, waste
// percent, search counts, life span, time stamps and their modes, the slots
// that lists point at, the password bits, and the built-in item of slot 0.
#include "config/ZEPHOnlineINI.h"
#include "support/RecordInvariants.h"
#include "support/ScratchFile.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    WriteScratch(std::string(reinterpret_cast<const char*>(data), size));
    auto record = std::make_unique<CZEPHOnlineINI>();
    if (!record->OpenFile(ScratchPath().c_str(), OpenRead))
        std::abort();
    record->LoadSettings();
    CheckRecordInvariants(*record);
    return 0;
}

// SettingChange.cpp: open, edit, commit keeping the replaced content.
#include "tool/SettingChange.h"

#include "config/DatabaseOpen.h"
#include "config/ZEPHOnlineINI.h"
#include "files/DeferTermination.h"
#include "files/HistoryVersion.h"
#include "tool/CommandFailure.h"

#include <cerrno>
#include <stdexcept>
#include <unistd.h>

ChangeOutcome ChangeDatabase(const std::string& iniPath, const std::function<void(CZEPHOnlineINI&)>& edit)
{
    CZEPHOnlineINI record;
    try {
        switch (OpenAndLoadDatabase(record, iniPath)) {
        case DatabaseOpen::Loaded:
            break;
        case DatabaseOpen::NotPresent:
            throw OpenFailure(iniPath, errno);
        case DatabaseOpen::NoTemporaryFile:
            throw CommandFailure("cannot create the temporary file " + iniPath + "tmp");
        }
        CDeferTermination deferred;
        const std::string before = record.Content();
        edit(record);
        ChangeOutcome outcome;
        outcome.changed = record.Content() != before;
        record.KeepHistory("shell tool uid " + std::to_string(::getuid()));
        record.Commit();
        outcome.notKept = record.HistoryNotKept();
        return outcome;
    } catch (const CommandFailure&) {
        throw;
    } catch (const std::runtime_error& fileError) {
        throw CommandFailure(iniPath + ": " + fileError.what());
    }
}

ChangeOutcome ChangeSetting(const std::string& iniPath, const char* section, const char* key,
                            const std::string& value)
{
    return ChangeDatabase(iniPath,
                          [&](CZEPHOnlineINI& record) { record.WriteValue(section, key, value.c_str()); });
}

std::string NotKeptNote(const ChangeOutcome& outcome)
{
    return outcome.notKept.empty() ? std::string() : NotKeptSuffix(outcome.notKept);
}

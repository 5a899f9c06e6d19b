// DatabaseOpen.cpp: open, normalise, reopen and load a database's file.
#include "config/DatabaseOpen.h"

#include "config/ZEPHOnlineINI.h"
#include "files/DeferTermination.h"
#include "files/LineEndings.h"

namespace {

// The file is read once for its line ends and then opened again for reading
// and writing. Both opens wait a moment for another process that holds it.
constexpr int FirstOpenMode = OpenRead | OpenWaitForLock;
constexpr int SecondOpenMode = OpenReadWrite | OpenWaitForLock;

}  // namespace

DatabaseOpen OpenAndLoadDatabase(CZEPHOnlineINI& record, const std::string& iniPath,
                                 CZEPHOnlineINI::Load which, bool* lineEndsRewritten)
{
    if (!record.OpenFile(iniPath.c_str(), FirstOpenMode))
        return DatabaseOpen::NotPresent;
    LineEnds lineEnds;
    {
        // A SIGTERM waits until the rewrite is complete or undone.
        CDeferTermination deferred;
        lineEnds = NormaliseLineEndings(record, iniPath);
    }
    if (lineEnds == LineEnds::NoTemporaryFile)
        return DatabaseOpen::NoTemporaryFile;
    if (lineEndsRewritten != nullptr)
        *lineEndsRewritten = lineEnds == LineEnds::Rewritten;
    // Between the two opens another process may have taken the file; nothing
    // is loaded from a file that is not ours.
    if (!record.OpenFile(iniPath.c_str(), SecondOpenMode))
        return DatabaseOpen::NotPresent;
    record.LoadSettings(which);
    return DatabaseOpen::Loaded;
}

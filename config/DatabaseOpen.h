// DatabaseOpen.h: the one way a database's initialisation file is opened for a
// change, shared by the web requests and the shell tool: open under the lock,
// bring the line ends to line feeds, open again for reading and writing, load.
#pragma once

#include "config/ZEPHOnlineINI.h"

#include <string>

enum class DatabaseOpen {
    Loaded,           // open for reading and writing under the lock, settings loaded
    NotPresent,       // missing, not a regular file, not ours to open, or held by
                      // another process beyond the lock wait; errno tells which
    NoTemporaryFile,  // the line-end rewrite could not have its temporary file
};

// Opens `iniPath` through `record`, waiting a moment for another process that
// holds it, rewrites a file with CR LF line ends with line feeds (termination
// signals held back meanwhile), opens it again for reading and writing and
// loads the settings `which` names. Only Loaded leaves the record open and
// loaded, and tells through `lineEndsRewritten` (when given) whether the
// line ends were rewritten. File errors of the rewrite are raised, the file
// as it was.
DatabaseOpen OpenAndLoadDatabase(CZEPHOnlineINI& record, const std::string& iniPath,
                                 CZEPHOnlineINI::Load which = CZEPHOnlineINI::Load::AllSettings,
                                 bool* lineEndsRewritten = nullptr);

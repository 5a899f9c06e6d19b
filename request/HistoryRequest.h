// HistoryRequest.h: the history's acts in the run of a request: which acts
// they are, and the restore, a change of the database's file like a
// Configure.
#pragma once

#include <string>

class CCgiForm;
class CZEPHOnlineINI;

// act=history or act=restore, letter case ignored.
bool IsHistoryAct(const std::string& action);

// act=restore: puts the kept version that the field "version" names back as
// the file's content, keeping the content it replaces as a new version, and
// logs the restore. Only a POST restores; a version name that is not one of
// the database's kept versions is refused.
void RunRestore(CCgiForm& form, CZEPHOnlineINI& record, const std::string& iniPath);

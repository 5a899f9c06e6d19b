// Admission.h: who may act on a database: the administration password
// typed, or, for the history's pages and a restore posted without one, the
// sign-in that a page after a checked password carries (SigninToken.h).
#pragma once

#include <string>
#include <vector>

class CCgiForm;
class CZEPHOnlineINI;

// Whether the request is admitted to the database file `iniPath`, whose
// record is loaded and has remote administration on. A request with a
// password is judged by it alone. One without, for the history's acts
// (`history`), by its sign-in, which only a POST carries: one sent in an
// address is refused. When admitted to the history, its pages' sign-in
// (CurrentSignin) is set: a fresh one after a password, ending with the
// one sent after a sign-in.
bool Admitted(CCgiForm& form, const CZEPHOnlineINI& record, const std::string& iniPath, bool history);

// After a change admitted as above, which changed the settings named
// `changedSettings` (ChangeOutcome): the sign-in for the database as the
// change left it (its password and switch read again into the record when
// the change changed them), ending when the admitted one does; none when the
// change turned remote administration off, or the database has no password.
void SigninAfterChange(CZEPHOnlineINI& record, const std::string& iniPath,
                       const std::vector<std::string>& changedSettings);

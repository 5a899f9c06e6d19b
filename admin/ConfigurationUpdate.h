// ConfigurationUpdate.h: the configuration update (act=Configure): the
// submitted administration form written into the database's settings, and
// the confirmation page. The request commits it (config/ChangeTransaction.h).
#pragma once

#include <string>

class CCgiForm;
class CZEPHOnlineINI;

// What the confirmation page says, taken from the settings as they were
// before the update.
struct Confirmation {
    bool mailReporting = false;  // error or stat reports were on
    std::string mainPage;        // the database's main page
};

// Writes both item lists and every other setting that the form carries (the
// rows of SettingTable with a form field, in their order) into the record's
// content, not yet into the file. A checkbox's key gets "1" when its field
// was sent at all, "0" when not; any other key the field's first line, or the
// row's `whenEmpty` when that is empty. A form without iteminfo or previtem,
// or with more than MaxItems item lines in either, is refused with the
// bad-form-data page before anything is written.
Confirmation WriteConfiguration(CCgiForm& form, CZEPHOnlineINI& record);

// The page that confirms a committed update.
void ShowConfirmation(const Confirmation& confirmation);

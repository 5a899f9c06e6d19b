// ConfigurationUpdate.h: the configuration update (act=Configure): the
// submitted administration form written into the initialisation file.
#pragma once

class CCgiForm;
class CZEPHOnlineINI;

// Writes both item lists and every other setting that the form carries (the
// rows of SettingTable with a form field, in their order) into the record,
// then commits and shows the confirmation page. A checkbox's key gets "1" when
// its field was sent at all, "0" when not; any other key the field's first
// line, or the row's `whenEmpty` when that is empty. A form without
// iteminfo or previtem, or with more than MaxItems item lines in either, is
// refused with the bad-form-data page before anything is written.
void UpdateConfiguration(CCgiForm& form, CZEPHOnlineINI& record);

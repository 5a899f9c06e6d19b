// ConfigurationUpdate.h: the configuration update (act=Configure): the
// submitted administration form written into the initialisation file.
#pragma once

class CCgiForm;
class CZEPHOnlineINI;

// Writes both item lists and every setting field of `form` through the
// record's WriteValue, then shows the confirmation page. A form without
// iteminfo or previtem, or with more than MaxItems item lines in either, is
// refused with the bad-form-data page before anything is written.
void UpdateConfiguration(CCgiForm& form, CZEPHOnlineINI& record);

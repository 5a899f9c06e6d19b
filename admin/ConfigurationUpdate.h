// ConfigurationUpdate.h: the configuration update (act=Configure): the
// submitted administration form written into the initialisation file.
#pragma once

#include <array>

class CCgiForm;
class CZEPHOnlineINI;

enum class FieldKind {
    Flag,   // a checkbox: "1" when the field was sent at all, else "0"
    Text,   // the value as sent
    Count,  // the value as sent, or the default when that is empty
};

// A setting field of the administration form and the key it is written to.
struct SettingField {
    const char* field;
    FieldKind kind;
    const char* section;
    const char* key;
    const char* fallback;  // Count fields only
};

// Every setting field of the form, in writing order; each is written on every
// update. tests/admin/FormAndUpdate_test.cpp holds it and the served form to
// one another.
extern const std::array<SettingField, 40> SettingFields;

// Writes both item lists and every setting field of `form` through the
// record's WriteValue, then shows the confirmation page. A form without
// iteminfo or previtem, or with more than MaxItems item lines in either, is
// refused with the bad-form-data page before anything is written.
void UpdateConfiguration(CCgiForm& form, CZEPHOnlineINI& record);

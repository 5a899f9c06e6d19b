// AdminForm.h: the administration form page (act=entrance).
#pragma once

class CZEPHOnlineINI;

// Writes the rest of the page after the HTML head: heading, contents and the
// form showing every setting of the loaded database, posted to AdminURL.
void ShowAdminForm(CZEPHOnlineINI& record);

// ErrorPage.h: the common refusal page of the administration request.
#pragma once

class CZEPHOnlineINI;

enum ErrorPageCode {
    ErrNoIniFile = 0,
    ErrBadFormData = 1,
    ErrNoRemoteAdmin = 2,
    ErrBadPassword = 3,
};

// Writes the heading of `code`, the webmaster line and the main-page link of
// the loaded record, closes the document and ends the process with status 1.
[[noreturn]] void ShowErrorPage(int code, const CZEPHOnlineINI& record);

#pragma once
#include <windows.h>

// The modal browser choice dialog. Only OK writes the choice (0 system
// default, 1 Internet Explorer, 2 Firefox, 3 Safari) and the do-not-ask flag
// back into the caller's variables.
class CQXHttpDlg {
public:
    CQXHttpDlg(int* choice, int* doNotAsk, BOOL ieAvailable, BOOL firefoxAvailable, BOOL safariAvailable);
    // IDOK, IDCANCEL, or -1 when the dialog cannot be shown.
    INT_PTR DoModal();

private:
    int* m_pChoice;
    int* m_pDoNotAsk;
    BOOL m_bIeAvailable;
    BOOL m_bFirefoxAvailable;
    BOOL m_bSafariAvailable;
};

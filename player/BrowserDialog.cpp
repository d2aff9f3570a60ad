// Interim dialog: reports that it could not be shown, so start-up goes on
// without writing anything.
#include "BrowserDialog.h"

CQXHttpDlg::CQXHttpDlg(int* choice, int* doNotAsk, BOOL ieAvailable, BOOL firefoxAvailable,
                       BOOL safariAvailable)
    : m_pChoice(choice),
      m_pDoNotAsk(doNotAsk),
      m_bIeAvailable(ieAvailable),
      m_bFirefoxAvailable(firefoxAvailable),
      m_bSafariAvailable(safariAvailable) {}

INT_PTR CQXHttpDlg::DoModal() {
    return -1;
}

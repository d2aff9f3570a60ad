#pragma once
#include <windows.h>

// The dialog's controls as its logic sees them: the window puts them over the
// real controls, tests over a fake, so the logic runs without a window.
class BrowserDialogControls {
public:
    virtual ~BrowserDialogControls() = default;
    virtual void EnableControl(int id, bool enable) = 0;
    // BST_CHECKED, BST_UNCHECKED or BST_INDETERMINATE.
    virtual void SetCheck(int id, UINT state) = 0;
    virtual UINT GetCheck(int id) const = 0;
};

// The modal browser choice dialog. Only OK writes the choice (0 system
// default, 1 Internet Explorer, 2 Firefox, 3 Safari) and the do-not-ask flag
// back into the caller's variables.
class CQXHttpDlg {
public:
    CQXHttpDlg(int* choice, int* doNotAsk, BOOL ieAvailable, BOOL firefoxAvailable, BOOL safariAvailable);
    // IDOK, IDCANCEL, or -1 when the dialog cannot be shown.
    INT_PTR DoModal();

    // Enables the installed browsers' buttons, checks the current choice and
    // sets the check box from the do-not-ask flag.
    void InitControls(BrowserDialogControls& controls) const;
    // Writes the checked browser and the check box back to the caller.
    void ReadControls(const BrowserDialogControls& controls);

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL OnInitDialog(HWND dialog);
    void OnOK(HWND dialog);
    void OnPaint(HWND dialog);

    HICON m_hIcon;
    int* m_pChoice;
    int* m_pDoNotAsk;
    BOOL m_bIeAvailable;
    BOOL m_bFirefoxAvailable;
    BOOL m_bSafariAvailable;
};

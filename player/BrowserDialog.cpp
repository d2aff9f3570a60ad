// The browser choice dialog on a plain dialog procedure.
#include "BrowserDialog.h"

#include "../resources/player/dialog.h"
#include "PlayerStrings.h"

namespace {

// Controls whose text comes from the string entry of the same number.
const int kTextControls[] = {IDC_BROWSER_INFO, IDC_BROWSER_SYSTEM, IDC_BROWSER_IE, IDC_BROWSER_FIREFOX,
                             IDC_BROWSER_SAFARI, IDC_DO_NOT_ASK, IDOK, IDCANCEL};

class WindowControls : public BrowserDialogControls {
public:
    explicit WindowControls(HWND dialog) : m_dialog(dialog) {}
    void EnableControl(int id, bool enable) override { EnableWindow(GetDlgItem(m_dialog, id), enable); }
    void SetCheck(int id, UINT state) override { CheckDlgButton(m_dialog, id, state); }
    UINT GetCheck(int id) const override { return IsDlgButtonChecked(m_dialog, id); }

private:
    HWND m_dialog;
};

// Keeps the template's English text when the table lacks an entry, rather
// than blanking the control.
void SetTextFromTable(HWND window, UINT id) {
    std::wstring text = LoadPlayerString(id);
    if (!text.empty())
        SetWindowTextW(window, text.c_str());
}

}  // namespace

CQXHttpDlg::CQXHttpDlg(int* choice, int* doNotAsk, BOOL ieAvailable, BOOL firefoxAvailable,
                       BOOL safariAvailable)
    : m_hIcon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PLAY))),
      m_pChoice(choice),
      m_pDoNotAsk(doNotAsk),
      m_bIeAvailable(ieAvailable),
      m_bFirefoxAvailable(firefoxAvailable),
      m_bSafariAvailable(safariAvailable) {}

INT_PTR CQXHttpDlg::DoModal() {
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_BROWSER_CHOICE), nullptr, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

void CQXHttpDlg::InitControls(BrowserDialogControls& controls) const {
    controls.EnableControl(IDC_BROWSER_SYSTEM, true);
    controls.EnableControl(IDC_BROWSER_IE, m_bIeAvailable != FALSE);
    controls.EnableControl(IDC_BROWSER_FIREFOX, m_bFirefoxAvailable != FALSE);
    controls.EnableControl(IDC_BROWSER_SAFARI, m_bSafariAvailable != FALSE);

    // A choice whose browser is missing stays checked on its disabled button.
    int checked = IDC_BROWSER_SYSTEM;
    switch (*m_pChoice) {
    case 1: checked = IDC_BROWSER_IE; break;
    case 2: checked = IDC_BROWSER_FIREFOX; break;
    case 3: checked = IDC_BROWSER_SAFARI; break;
    default: break;
    }
    for (int id = IDC_BROWSER_SYSTEM; id <= IDC_BROWSER_SAFARI; ++id)
        controls.SetCheck(id, id == checked ? BST_CHECKED : BST_UNCHECKED);

    controls.SetCheck(IDC_DO_NOT_ASK, *m_pDoNotAsk ? BST_CHECKED : BST_UNCHECKED);
}

void CQXHttpDlg::ReadControls(const BrowserDialogControls& controls) {
    if (controls.GetCheck(IDC_BROWSER_IE) == BST_CHECKED)
        *m_pChoice = 1;
    else if (controls.GetCheck(IDC_BROWSER_FIREFOX) == BST_CHECKED)
        *m_pChoice = 2;
    else if (controls.GetCheck(IDC_BROWSER_SAFARI) == BST_CHECKED)
        *m_pChoice = 3;
    else
        *m_pChoice = 0;
    *m_pDoNotAsk = controls.GetCheck(IDC_DO_NOT_ASK) != BST_UNCHECKED ? 1 : 0;
}

BOOL CQXHttpDlg::OnInitDialog(HWND dialog) {
    SetTextFromTable(dialog, IDD_BROWSER_CHOICE);
    for (int id : kTextControls)
        SetTextFromTable(GetDlgItem(dialog, id), static_cast<UINT>(id));

    SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    WindowControls controls(dialog);
    InitControls(controls);
    return TRUE;  // the system sets the focus
}

void CQXHttpDlg::OnOK(HWND dialog) {
    WindowControls controls(dialog);
    ReadControls(controls);
    EndDialog(dialog, IDOK);
}

void CQXHttpDlg::OnPaint(HWND dialog) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(dialog, &ps);
    SendMessageW(dialog, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(dialog, &client);
    int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(dialog, &ps);
}

INT_PTR CALLBACK CQXHttpDlg::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        return reinterpret_cast<CQXHttpDlg*>(lParam)->OnInitDialog(dialog);
    }
    auto* self = reinterpret_cast<CQXHttpDlg*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!self)
        return FALSE;
    switch (message) {
    case WM_PAINT:
        // Only the minimised dialog draws its icon; otherwise default painting.
        if (!IsIconic(dialog))
            return FALSE;
        self->OnPaint(dialog);
        return TRUE;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(self->m_hIcon);
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED)
            return FALSE;
        if (LOWORD(wParam) == IDOK) {
            self->OnOK(dialog);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            // Cancel, Esc and the close box leave the caller's variables alone.
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

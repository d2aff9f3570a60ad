// The browser choice dialog: its logic over fake controls, and the real
// window where a display is available.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <map>
#include <thread>

#include "../../resources/player/dialog.h"
#include "BrowserDialog.h"

namespace {

class FakeControls : public BrowserDialogControls {
public:
    void EnableControl(int id, bool enable) override { enabled[id] = enable; }
    void SetCheck(int id, UINT state) override { checks[id] = state; }
    UINT GetCheck(int id) const override {
        auto it = checks.find(id);
        return it == checks.end() ? BST_UNCHECKED : it->second;
    }
    // The one radio button that is checked, 0 when none or several are.
    int CheckedRadio() const {
        int found = 0;
        for (int id = IDC_BROWSER_SYSTEM; id <= IDC_BROWSER_SAFARI; ++id) {
            if (GetCheck(id) == BST_CHECKED) {
                if (found)
                    return 0;
                found = id;
            }
        }
        return found;
    }
    std::map<int, bool> enabled;
    std::map<int, UINT> checks;
};

}  // namespace

TEST(BrowserDialogLogic, OnlyInstalledBrowsersAreEnabled) {
    int choice = 0, doNotAsk = 0;
    CQXHttpDlg dialog(&choice, &doNotAsk, TRUE, FALSE, FALSE);
    FakeControls controls;
    dialog.InitControls(controls);
    EXPECT_TRUE(controls.enabled[IDC_BROWSER_SYSTEM]);
    EXPECT_TRUE(controls.enabled[IDC_BROWSER_IE]);
    EXPECT_FALSE(controls.enabled[IDC_BROWSER_FIREFOX]);
    EXPECT_FALSE(controls.enabled[IDC_BROWSER_SAFARI]);

    CQXHttpDlg none(&choice, &doNotAsk, FALSE, FALSE, FALSE);
    FakeControls bare;
    none.InitControls(bare);
    EXPECT_TRUE(bare.enabled[IDC_BROWSER_SYSTEM]) << "the system default is always offered";
}

TEST(BrowserDialogLogic, PreselectsTheCurrentChoiceAndTheCheckBox) {
    struct Case {
        int choice;
        int radio;
    } cases[] = {{0, IDC_BROWSER_SYSTEM}, {1, IDC_BROWSER_IE},      {2, IDC_BROWSER_FIREFOX},
                 {3, IDC_BROWSER_SAFARI}, {7, IDC_BROWSER_SYSTEM}, {-1, IDC_BROWSER_SYSTEM}};
    for (const Case& c : cases) {
        int choice = c.choice, doNotAsk = 1;
        CQXHttpDlg dialog(&choice, &doNotAsk, TRUE, TRUE, TRUE);
        FakeControls controls;
        dialog.InitControls(controls);
        EXPECT_EQ(c.radio, controls.CheckedRadio()) << "choice " << c.choice;
        EXPECT_EQ(static_cast<UINT>(BST_CHECKED), controls.GetCheck(IDC_DO_NOT_ASK));
    }

    // A browser chosen on the command line but not installed stays checked,
    // on a disabled button.
    int choice = 3, doNotAsk = 0;
    CQXHttpDlg dialog(&choice, &doNotAsk, TRUE, FALSE, FALSE);
    FakeControls controls;
    dialog.InitControls(controls);
    EXPECT_EQ(IDC_BROWSER_SAFARI, controls.CheckedRadio());
    EXPECT_FALSE(controls.enabled[IDC_BROWSER_SAFARI]);
    EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), controls.GetCheck(IDC_DO_NOT_ASK));
}

TEST(BrowserDialogLogic, ReadsTheCheckedBrowserAndTheCheckBoxBack) {
    struct Case {
        int radio;
        UINT box;
        int choice;
        int doNotAsk;
    } cases[] = {
        {IDC_BROWSER_SAFARI, BST_CHECKED, 3, 1},       {IDC_BROWSER_FIREFOX, BST_UNCHECKED, 2, 0},
        {IDC_BROWSER_IE, BST_INDETERMINATE, 1, 1},     {IDC_BROWSER_SYSTEM, BST_UNCHECKED, 0, 0},
        {0 /* nothing checked */, BST_UNCHECKED, 0, 0},
    };
    for (const Case& c : cases) {
        int choice = 2, doNotAsk = 1;
        CQXHttpDlg dialog(&choice, &doNotAsk, TRUE, TRUE, TRUE);
        FakeControls controls;
        if (c.radio)
            controls.SetCheck(c.radio, BST_CHECKED);
        controls.SetCheck(IDC_DO_NOT_ASK, c.box);
        dialog.ReadControls(controls);
        EXPECT_EQ(c.choice, choice) << "radio " << c.radio;
        EXPECT_EQ(c.doNotAsk, doNotAsk) << "radio " << c.radio;
    }
}

namespace {

BOOL CALLBACK FindDialogWindow(HWND window, LPARAM out) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (lstrcmpW(name, L"#32770") != 0 || !IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND*>(out) = window;
    return FALSE;
}

// Runs the dialog on this thread while `act` works on it from another; the
// dialog is found as this thread's dialog window.
INT_PTR RunDialog(CQXHttpDlg& dialog, const std::function<void(HWND)>& act) {
    const DWORD uiThread = GetCurrentThreadId();
    std::atomic<bool> stop{false};
    std::thread driver([&] {
        HWND found = nullptr;
        for (int i = 0; i < 200 && !found && !stop; ++i) {
            EnumThreadWindows(uiThread, FindDialogWindow, reinterpret_cast<LPARAM>(&found));
            if (!found)
                Sleep(50);
        }
        if (found)
            act(found);
    });
    INT_PTR result = dialog.DoModal();
    stop = true;
    driver.join();
    return result;
}

void Press(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

}  // namespace

TEST(BrowserDialogWindow, OkWritesTheChosenBrowserAndCheckBox) {
    int choice = 0, doNotAsk = 0;
    CQXHttpDlg dialog(&choice, &doNotAsk, TRUE, FALSE, TRUE);
    bool systemChecked = false, firefoxEnabled = true, safariEnabled = false;
    wchar_t group[32] = {};
    INT_PTR result = RunDialog(dialog, [&](HWND window) {
        systemChecked = IsDlgButtonChecked(window, IDC_BROWSER_SYSTEM) == BST_CHECKED;
        firefoxEnabled = IsWindowEnabled(GetDlgItem(window, IDC_BROWSER_FIREFOX)) != FALSE;
        safariEnabled = IsWindowEnabled(GetDlgItem(window, IDC_BROWSER_SAFARI)) != FALSE;
        GetWindowTextW(GetDlgItem(window, IDC_STATIC), group, 32);
        CheckRadioButton(window, IDC_BROWSER_SYSTEM, IDC_BROWSER_SAFARI, IDC_BROWSER_SAFARI);
        CheckDlgButton(window, IDC_DO_NOT_ASK, BST_CHECKED);
        Press(window, IDOK);
    });
    if (result == -1)
        GTEST_SKIP() << "no display for the dialog";
    EXPECT_EQ(IDOK, result);
    EXPECT_TRUE(systemChecked);
    EXPECT_FALSE(firefoxEnabled);
    EXPECT_TRUE(safariEnabled);
    EXPECT_STREQ(L"Browser", group);
    EXPECT_EQ(3, choice);
    EXPECT_EQ(1, doNotAsk);
}

TEST(BrowserDialogWindow, CancelLeavesTheCallersVariablesAlone) {
    int choice = 2, doNotAsk = 1;
    CQXHttpDlg dialog(&choice, &doNotAsk, TRUE, TRUE, TRUE);
    INT_PTR result = RunDialog(dialog, [&](HWND window) {
        CheckRadioButton(window, IDC_BROWSER_SYSTEM, IDC_BROWSER_SAFARI, IDC_BROWSER_IE);
        CheckDlgButton(window, IDC_DO_NOT_ASK, BST_UNCHECKED);
        Press(window, IDCANCEL);
    });
    if (result == -1)
        GTEST_SKIP() << "no display for the dialog";
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ(2, choice);
    EXPECT_EQ(1, doNotAsk);
}

// The options dialog as a real window (needs a display; without one the
// dialog cannot open and these tests skip themselves): its template size,
// title and browser host, the resize once the page is complete, and the
// ways it ends.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "OptionsFakes.h"
#include "ui/ControlHost.h"
#include "ui/OptionsDialog.h"

using ::testing::Return;

namespace {

const UINT kReady = WM_APP + 1;

// Runs a step once the dialog is up and its first messages are through.
class ProbeDialog : public COptionsDialog {
public:
    explicit ProbeDialog(std::function<void(ProbeDialog&)> step) : COptionsDialog(L"Optionen"), m_step(step) {}

    BOOL ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message == kReady) {
            m_step(*this);
            result = 0;
            return TRUE;
        }
        BOOL handled = COptionsDialog::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
        if (message == WM_INITDIALOG)
            PostMessageW(hwnd, kReady, 0, 0);
        return handled;
    }

    DWORD Cookie() const { return m_dwEventCookie; }
    // Puts a stand-in where the control's browser was.
    void UseBrowser(IWebBrowser2* browser) { m_spBrowser = browser; }

private:
    std::function<void(ProbeDialog&)> m_step;
};

SIZE ClientSize(HWND hwnd) {
    RECT rect;
    GetClientRect(hwnd, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace

TEST(OptionsDialogWindow, OpensAtTheTemplateSizeWithItsTitleAndTheBrowserHost) {
    std::wstring title;
    std::wstring hostClass;
    SIZE client = {};
    RECT expected = {0, 0, 332, 220};
    bool hostIsControl = false;
    bool hasBrowser = false;
    bool subscribed = false;
    ProbeDialog dialog([&](ProbeDialog& self) {
        wchar_t text[64] = {};
        GetWindowTextW(self.m_hWnd, text, 64);
        title = text;
        GetClassNameW(self.m_wndBrowser, text, 64);
        hostClass = text;
        hostIsControl = self.m_wndBrowser && GetDlgCtrlID(self.m_wndBrowser) == 202 &&
                        CAxHost::FromWindow(self.m_wndBrowser) != nullptr;
        client = ClientSize(self.m_hWnd);
        MapDialogRect(self.m_hWnd, &expected);
        hasBrowser = self.m_spBrowser != nullptr;
        subscribed = self.Cookie() != 0;
        PostMessageW(self.m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    });
    INT_PTR result = dialog.DoModal(nullptr);
    if (result == -1)
        GTEST_SKIP() << "no display for the dialog";
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ(L"Optionen", title);
    EXPECT_EQ(CAxHost::kWindowClass, hostClass);
    EXPECT_TRUE(hostIsControl);
    EXPECT_TRUE(hasBrowser) << "the platform's browser control, hosted in place";
    EXPECT_TRUE(subscribed) << "to the control's events";
    EXPECT_EQ(expected.right, client.cx);
    EXPECT_EQ(expected.bottom, client.cy);
    EXPECT_EQ(nullptr, dialog.m_hWnd) << "the window is gone";
}

TEST(OptionsDialogWindow, ACompletePageSizesTheClientAreaInPlace) {
    FakeBrowserControl browser;
    browser.frameWidth = 2;
    browser.frameHeight = 3;
    RECT before = {};
    RECT after = {};
    SIZE client = {};
    ProbeDialog dialog([&](ProbeDialog& self) {
        EXPECT_CALL(browser, put_Height(339)).WillOnce(Return(S_OK));
        EXPECT_CALL(browser, put_Width(478)).WillOnce(Return(S_OK));
        EXPECT_CALL(browser, Stop()).WillOnce(Return(S_OK));
        EXPECT_CALL(browser, Quit()).WillOnce(Return(S_OK));
        self.UseBrowser(&browser);
        GetWindowRect(self.m_hWnd, &before);
        self.DocumentCompleteExplorerctrl(nullptr, nullptr);
        GetWindowRect(self.m_hWnd, &after);
        client = ClientSize(self.m_hWnd);
        // The page closes itself.
        VARIANT_BOOL cancel = VARIANT_FALSE;
        self.WindowClosingExplorerCtrl(VARIANT_FALSE, &cancel);
    });
    INT_PTR result = dialog.DoModal(nullptr);
    if (result == -1)
        GTEST_SKIP() << "no display for the dialog";
    EXPECT_EQ(0, result);
    EXPECT_EQ(478, client.cx);
    EXPECT_EQ(339, client.cy);
    EXPECT_EQ(before.left, after.left);
    EXPECT_EQ(before.top, after.top);
}

TEST(OptionsDialogWindow, EscapeAndTheCloseCommandEndItWithCancel) {
    for (int way = 0; way < 2; ++way) {
        ProbeDialog dialog([way](ProbeDialog& self) {
            if (way == 0)
                PostMessageW(self.m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
            else
                PostMessageW(self.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
        });
        INT_PTR result = dialog.DoModal(nullptr);
        if (result == -1)
            GTEST_SKIP() << "no display for the dialog";
        EXPECT_EQ(IDCANCEL, result) << way;
    }
}

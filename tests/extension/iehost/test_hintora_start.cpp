// The toolbar button, its menu entry and the context-menu page start a help
// request in the tab's helper object, unless the add-on is kill-bitted or
// switched off in the add-on manager.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>

#include "base/ThreadSlot.h"
#include "helper/HintoraIEBHO.h"
#include "HelperObjectProbe.h"
#include "HintoraFakes.h"
#include "scriptable/Hintora.h"

namespace {

const wchar_t kKillBit[] = L"SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\";
const wchar_t kKillBitWow[] = L"SOFTWARE\\Wow6432Node\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\";
const wchar_t kObjectClsid[] = L"{C0F7E046-4E1D-47C8-9354-4F53B5DC5CB8}";
const wchar_t kHelperClsid[] = L"{0A9FA9EA-2BAE-439D-89B0-65792127BBD7}";
const wchar_t kAddOnSettings[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Settings\\{0A9FA9EA-2BAE-439D-89B0-65792127BBD7}";
const GUID kButtons = {0x2CE4B5D8, 0xA28F, 0x11D2, {0x86, 0xC5, 0x00, 0xC0, 0x4F, 0x8E, 0xEA, 0x99}};

// The tab's helper object, counting the requests it is asked to start.
class CountingHelper : public CHintoraIEBHO {
public:
    STDMETHODIMP Start() override {
        ++starts;
        return E_FAIL;  // the toolbar object does not look at it
    }
    int starts = 0;
};

class StartTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_sandbox.Active());
        m_helper = new CountingHelper();
        m_helper->AddRef();
        ASSERT_EQ(static_cast<CHintoraIEBHO*>(m_helper), ThreadBhoSlot::Get());
    }
    void TearDown() override {
        if (m_helper)
            m_helper->Release();
    }

    HRESULT StartThroughButton(DWORD command = 0) {
        IOleCommandTarget* target = nullptr;
        CHintora::CreateInstance(IID_IOleCommandTarget, reinterpret_cast<void**>(&target));
        HRESULT hr = target->Exec(&kButtons, command, 0, nullptr, nullptr);
        target->Release();
        return hr;
    }
    HRESULT StartFromPage() {
        IHintora* object = nullptr;
        CHintora::CreateInstance(IID_IHintora, reinterpret_cast<void**>(&object));
        HRESULT hr = object->Start();
        object->Release();
        return hr;
    }

    SettingsSandbox m_sandbox;
    CountingHelper* m_helper = nullptr;
};

}  // namespace

TEST_F(StartTest, AnEnabledHelperStartsTheRequest) {
    EXPECT_EQ(S_OK, StartThroughButton());
    EXPECT_EQ(1, m_helper->starts);
    EXPECT_EQ(S_OK, StartFromPage());
    EXPECT_EQ(2, m_helper->starts);
    // Other commands of the button do nothing.
    EXPECT_EQ(S_OK, StartThroughButton(1));
    EXPECT_EQ(2, m_helper->starts);

    // Only "Flags" = 1 means switched off; other numbers and other types do not.
    for (DWORD flags : {0u, 2u}) {
        m_sandbox.user.PutDword(kAddOnSettings, L"Flags", flags);
        EXPECT_EQ(S_OK, StartFromPage());
    }
    m_sandbox.user.PutString(kAddOnSettings, L"Flags", L"1");
    EXPECT_FALSE(CHintora::IsBhoDisabled());
    EXPECT_EQ(S_OK, StartFromPage());
    EXPECT_EQ(5, m_helper->starts);
}

TEST_F(StartTest, ADisabledHelperGetsNoRequest) {
    m_sandbox.user.PutDword(kAddOnSettings, L"Flags", 1);
    EXPECT_TRUE(CHintora::IsBhoDisabled());
    // The user is told in a message box; the call itself succeeds.
    EXPECT_EQ(S_OK, StartThroughButton());
    EXPECT_EQ(S_OK, StartFromPage());
    EXPECT_EQ(0, m_helper->starts);
}

TEST_F(StartTest, AnyKillBitKeyStopsTheRequestSilently) {
    // As on 64-bit Windows, SOFTWARE holds the 32-bit view's Wow6432Node, and
    // each key is made exactly where it is named: a 32-bit library must still
    // see the native view's kill bits.
    const REGSAM asWritten = KEY_WOW64_64KEY;
    HKEY created = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(m_sandbox.machine.Root(), L"SOFTWARE\\Wow6432Node", 0, nullptr, 0,
                                             KEY_ALL_ACCESS | asWritten, nullptr, &created, nullptr));
    RegCloseKey(created);
    const std::wstring keys[] = {std::wstring(kKillBit) + kObjectClsid, std::wstring(kKillBit) + kHelperClsid,
                                 std::wstring(kKillBitWow) + kObjectClsid, std::wstring(kKillBitWow) + kHelperClsid};
    for (const std::wstring& key : keys) {
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(m_sandbox.machine.Root(), key.c_str(), 0, nullptr, 0,
                                                 KEY_ALL_ACCESS | asWritten, nullptr, &created, nullptr));
        RegCloseKey(created);
        EXPECT_EQ(E_FAIL, StartThroughButton()) << "Exec passes the result on";
        EXPECT_EQ(E_FAIL, StartFromPage());
        EXPECT_EQ(0, m_helper->starts);
        ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyExW(m_sandbox.machine.Root(), key.c_str(), asWritten, 0));
    }
    // Another class's kill bit is not ours.
    m_sandbox.machine.PutString(std::wstring(kKillBit) + L"{00000000-0000-0000-0000-000000000001}", L"x", L"1");
    EXPECT_EQ(S_OK, StartFromPage());
    EXPECT_EQ(1, m_helper->starts);
}

TEST_F(StartTest, ANewObjectTakesTheHelpersWindow) {
    FakePage page(L"http://app.example/");
    Probe(m_helper).Window() = &page.window;

    LONG windowReferences = page.window.References();
    IHintora* object = nullptr;
    CHintora::CreateInstance(IID_IHintora, reinterpret_cast<void**>(&object));
    CHintora* hintora = static_cast<CHintora*>(object);
    EXPECT_TRUE(hintora->CreatedWithHelper());
    EXPECT_EQ(static_cast<IHTMLWindow2*>(&page.window), hintora->Window());
    EXPECT_EQ(windowReferences + 1, page.window.References()) << "the object holds the window once";
    // With the helper present the site is not searched for a browser.
    EXPECT_EQ(S_OK, hintora->SetSite(page.site.Unknown()));
    EXPECT_EQ(nullptr, hintora->WebBrowser());
    hintora->SetSite(nullptr);
    EXPECT_EQ(nullptr, hintora->Window()) << "leaving the site lets the window go";
    object->Release();
    EXPECT_EQ(windowReferences, page.window.References());

    Probe(m_helper).Window() = nullptr;
}

// A thread procedure is stdcall on x86, which a lambda is not.
DWORD WINAPI StartOnThreadWithoutHelper(LPVOID parameter) {
    auto* results = static_cast<std::pair<HRESULT*, bool*>*>(parameter);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IHintora* object = nullptr;
    CHintora::CreateInstance(IID_IHintora, reinterpret_cast<void**>(&object));
    *results->first = object->Start();
    *results->second = static_cast<CHintora*>(object)->CreatedWithHelper();
    object->Release();
    CoUninitialize();
    return 0;
}

TEST(StartWithoutHelper, AThreadWithoutHelperShowsTheMessageAndSucceeds) {
    SettingsSandbox sandbox;
    ASSERT_TRUE(sandbox.Active());
    HRESULT result = E_UNEXPECTED;
    bool created = true;
    std::pair<HRESULT*, bool*> results(&result, &created);
    // A thread of its own: its slot is empty.
    HANDLE thread = CreateThread(nullptr, 0, StartOnThreadWithoutHelper, &results, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    WaitForSingleObject(thread, 30000);
    CloseHandle(thread);
    EXPECT_EQ(S_OK, result);
    EXPECT_FALSE(created) << "no helper object on that thread";
}

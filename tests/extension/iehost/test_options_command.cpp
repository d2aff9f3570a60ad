// The options entry of the Tools menu: the command object finds the tab's
// helper object and asks it to open the options dialog, refuses when the
// add-on is kill-bitted, and tells the user when the tab has no working
// helper object.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/ThreadSlot.h"
#include "BrowserFakes.h"
#include "helper/HintoraIEBHO.h"
#include "HelperObjectProbe.h"
#include "messages/MessageCatalog.h"
#include "PredefinedKeySandbox.h"
#include "scriptable/HintoraOptions.h"
#include "ui/OptionsDialog.h"

namespace {

const GUID kButtons = {0x2CE4B5D8, 0xA28F, 0x11D2, {0x86, 0xC5, 0x00, 0xC0, 0x4F, 0x8E, 0xEA, 0x99}};
const wchar_t kAddOnSettings[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Settings\\{0A9FA9EA-2BAE-439D-89B0-65792127BBD7}";
const wchar_t kProduct[] = L"Software\\Veltrane\\Norvik\\Hintora";

// What the user was shown.
struct Box {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
    bool catalogueAlive;
};
std::vector<Box> g_boxes;
std::weak_ptr<MessageCatalog> g_catalogue;

int WINAPI RecordBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    g_boxes.push_back({owner, text, caption, type, !g_catalogue.expired()});
    return IDOK;
}

// Options dialogs that were asked for, in place of the real dialog thread.
std::mutex g_requestsLock;
std::vector<OptionsDialogParams> g_requests;
HANDLE g_requestEvent = nullptr;

DWORD WINAPI RecordRequest(LPVOID param) {
    std::unique_ptr<OptionsDialogParams> request(static_cast<OptionsDialogParams*>(param));
    {
        std::lock_guard<std::mutex> guard(g_requestsLock);
        g_requests.push_back(*request);
    }
    ReleaseSemaphore(g_requestEvent, 1, nullptr);
    return 0;
}

// The tab's browser: its top-level window handle as get_HWND gives it.
class TabBrowser : public FakeBrowser {
public:
    SHANDLE_PTR handle = 0x4711;
    HRESULT handleResult = S_OK;
    HRESULT STDMETHODCALLTYPE get_HWND(SHANDLE_PTR* p) override {
        *p = handle;
        return handleResult;
    }
};

class OptionsCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_registry.Ok());
        g_boxes.clear();
        g_requests.clear();
        g_requestEvent = CreateSemaphoreW(nullptr, 0, 16, nullptr);
        m_savedBox = CHintoraOptions::s_pfnMessageBox;
        m_savedThread = g_pfnOptionsDialogThread;
        CHintoraOptions::s_pfnMessageBox = RecordBox;
        g_pfnOptionsDialogThread = RecordRequest;
    }
    void TearDown() override {
        if (m_helper) {
            Probe(m_helper).Browser() = nullptr;
            Probe(m_helper).Window() = nullptr;
            m_helper->Release();
        }
        CHintoraOptions::s_pfnMessageBox = m_savedBox;
        g_pfnOptionsDialogThread = m_savedThread;
        CloseHandle(g_requestEvent);
    }

    // The tab's helper object, with the tab's browser and window.
    CHintoraIEBHO* MakeHelper() {
        IObjectWithSite* object = nullptr;
        EXPECT_EQ(S_OK, CHintoraIEBHO::CreateInstance(IID_IObjectWithSite, reinterpret_cast<void**>(&object)));
        m_helper = static_cast<CHintoraIEBHO*>(object);
        Probe(m_helper).Browser() = &m_browser;
        Probe(m_helper).Window() = &m_window;
        return m_helper;
    }

    HRESULT ChooseMenuEntry(DWORD command = 0) {
        IOleCommandTarget* target = nullptr;
        EXPECT_EQ(S_OK, CHintoraOptions::CreateInstance(IID_IOleCommandTarget, reinterpret_cast<void**>(&target)));
        HRESULT hr = target->Exec(nullptr, command, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr);
        target->Release();
        return hr;
    }

    // Waits for the dialogs asked for so far to have reached their threads.
    size_t Requests(size_t expected) {
        for (size_t i = 0; i < expected; ++i)
            if (WaitForSingleObject(g_requestEvent, 10000) != WAIT_OBJECT_0)
                break;
        // Anything beyond what was expected would arrive now.
        Sleep(50);
        std::lock_guard<std::mutex> guard(g_requestsLock);
        return g_requests.size();
    }

    // The key exactly where it is named, in either registry view.
    void PutKey(HKEY root, const std::wstring& key) {
        HKEY created = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                                                 nullptr, &created, nullptr));
        RegCloseKey(created);
    }

    PredefinedKeySandbox m_registry;
    TabBrowser m_browser;
    FakeWindow m_window;
    CHintoraIEBHO* m_helper = nullptr;
    CHintoraOptions::MessageBoxFunc m_savedBox = nullptr;
    LPTHREAD_START_ROUTINE m_savedThread = nullptr;
};

}  // namespace

TEST_F(OptionsCommandTest, TheMenuEntryOpensAnOptionsWindowOverTheBrowser) {
    MakeHelper();
    EXPECT_EQ(S_OK, ChooseMenuEntry());
    ASSERT_EQ(1u, Requests(1));
    EXPECT_EQ(reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x4711)), g_requests[0].hWndParent);
    EXPECT_EQ(L"Options", g_requests[0].strTitle);
    EXPECT_TRUE(g_boxes.empty());

    // Each choice is a dialog of its own, titled in the user's language.
    PredefinedKeySandbox::Put(m_registry.Machine(), kProduct, L"Language", L"de");
    EXPECT_EQ(S_OK, ChooseMenuEntry());
    EXPECT_EQ(S_OK, ChooseMenuEntry());
    ASSERT_EQ(3u, Requests(2));
    EXPECT_EQ(L"Optionen", g_requests[2].strTitle);
}

TEST_F(OptionsCommandTest, OnlyCommandZeroDoesAnything) {
    MakeHelper();
    EXPECT_EQ(S_OK, ChooseMenuEntry(1));
    EXPECT_EQ(S_OK, ChooseMenuEntry(0x100));
    EXPECT_EQ(0u, Requests(0));
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(OptionsCommandTest, AnyOfTheEightKillBitKeysRefusesSilently) {
    MakeHelper();
    // As on 64-bit Windows: a 32-bit library must still see the native
    // view's kill bits beside the 32-bit view's Wow6432Node.
    PutKey(m_registry.Machine(), L"SOFTWARE\\Wow6432Node");
    for (const wchar_t* key : CHintoraOptions::kKillBitKeys) {
        PutKey(m_registry.Machine(), key);
        EXPECT_EQ(E_FAIL, ChooseMenuEntry()) << testing::PrintToString(std::wstring(key));
        EXPECT_EQ(E_FAIL, ChooseMenuEntry(1)) << "checked before the command id";
        RegDeleteKeyExW(m_registry.Machine(), key, KEY_WOW64_64KEY, 0);
    }
    EXPECT_EQ(0u, Requests(0));
    EXPECT_TRUE(g_boxes.empty());

    // The helper interface's key, or another class's, is no kill bit.
    PutKey(m_registry.Machine(),
           L"SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\{236BCCE4-D1C7-47D8-9C63-4FF1B44DB125}");
    EXPECT_EQ(S_OK, ChooseMenuEntry());
    EXPECT_EQ(1u, Requests(1));
}

TEST_F(OptionsCommandTest, ADisabledHelperGetsTheMessageInsteadOfTheWindow) {
    MakeHelper();
    DWORD disabled = 1;
    RegSetKeyValueW(m_registry.User(), kAddOnSettings, L"Flags", REG_DWORD, &disabled, sizeof(disabled));
    EXPECT_EQ(S_OK, ChooseMenuEntry());
    EXPECT_EQ(0u, Requests(0));
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ(L"Hintora Helper add-on is unavailable or disabled.", g_boxes[0].text);

    // Only the number 1 switches it off.
    DWORD enabled = 0;
    RegSetKeyValueW(m_registry.User(), kAddOnSettings, L"Flags", REG_DWORD, &enabled, sizeof(enabled));
    EXPECT_EQ(S_OK, ChooseMenuEntry());
    PredefinedKeySandbox::Put(m_registry.User(), kAddOnSettings, L"Flags", L"1");
    EXPECT_EQ(S_OK, ChooseMenuEntry());
    EXPECT_EQ(2u, Requests(2));
    EXPECT_EQ(1u, g_boxes.size());
}

TEST_F(OptionsCommandTest, WithoutAHelperTheUserIsToldAndTheCatalogueLetGo) {
    // The catalogue is built on this thread, so the release destroys it.
    MessageCatalog::Release();
    std::shared_ptr<MessageCatalog> catalogue = MessageCatalog::Instance();
    g_catalogue = catalogue;
    catalogue.reset();

    ASSERT_EQ(nullptr, ThreadBhoSlot::Get());
    EXPECT_EQ(S_OK, ChooseMenuEntry());
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ(nullptr, g_boxes[0].owner);
    EXPECT_EQ(L"Hintora Helper add-on is unavailable or disabled.", g_boxes[0].text);
    EXPECT_EQ(L"Hintora", g_boxes[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_ICONERROR | MB_OK), g_boxes[0].type);
    EXPECT_FALSE(g_boxes[0].catalogueAlive) << "released before the box comes up";
    EXPECT_EQ(0u, Requests(0));

    PredefinedKeySandbox::Put(m_registry.Machine(), kProduct, L"Language", L"de");
    EXPECT_EQ(S_OK, ChooseMenuEntry());
    ASSERT_EQ(2u, g_boxes.size());
    EXPECT_EQ(L"Das Add-on Hintora Helper ist nicht verf\u00fcgbar oder deaktiviert.", g_boxes[1].text);
}

TEST_F(OptionsCommandTest, NoWindowOpensWithoutTheBrowsersWindowHandle) {
    CHintoraIEBHO* helper = MakeHelper();
    m_browser.handleResult = E_ACCESSDENIED;
    EXPECT_EQ(E_ACCESSDENIED, helper->OpenOptionsWindow());
    EXPECT_EQ(S_OK, ChooseMenuEntry()) << "the menu entry still answers S_OK";
    Probe(helper).Browser() = nullptr;
    EXPECT_TRUE(FAILED(helper->OpenOptionsWindow()));
    EXPECT_EQ(0u, Requests(0));

    Probe(helper).Browser() = &m_browser;
    m_browser.handleResult = S_OK;
    EXPECT_EQ(S_OK, helper->OpenOptionsWindow());
    EXPECT_EQ(1u, Requests(1));
}

// ---- The object as Internet Explorer creates it ----------------------------

TEST_F(OptionsCommandTest, ConstructionTakesTheTabsWindowFromItsHelper) {
    MakeHelper();
    LONG windowReferences = m_window.References();
    IObjectWithSite* object = nullptr;
    ASSERT_EQ(S_OK, CHintoraOptions::CreateInstance(IID_IObjectWithSite, reinterpret_cast<void**>(&object)));
    CHintoraOptions* options = static_cast<CHintoraOptions*>(object);
    EXPECT_TRUE(options->CreatedWithHelper());
    EXPECT_EQ(static_cast<IHTMLWindow2*>(&m_window), options->Window());
    EXPECT_EQ(windowReferences + 1, m_window.References());

    // With a helper object the site is not searched for the browser.
    FakeSite site;
    FakeBrowser siteBrowser;
    site.browser = &siteBrowser;
    EXPECT_EQ(S_OK, options->SetSite(site.Unknown()));
    EXPECT_EQ(nullptr, options->WebBrowser());
    IUnknown* stored = nullptr;
    EXPECT_EQ(S_OK, options->GetSite(IID_IUnknown, reinterpret_cast<void**>(&stored)));
    EXPECT_EQ(site.Unknown(), stored);
    stored->Release();
    EXPECT_EQ(S_OK, options->SetSite(nullptr));
    EXPECT_EQ(nullptr, options->Window());
    object->Release();
    EXPECT_EQ(windowReferences, m_window.References());
    EXPECT_EQ(1, site.References());
}

TEST_F(OptionsCommandTest, WithoutAHelperTheSiteGivesTheBrowser) {
    ASSERT_EQ(nullptr, ThreadBhoSlot::Get());
    IObjectWithSite* object = nullptr;
    ASSERT_EQ(S_OK, CHintoraOptions::CreateInstance(IID_IObjectWithSite, reinterpret_cast<void**>(&object)));
    CHintoraOptions* options = static_cast<CHintoraOptions*>(object);
    EXPECT_FALSE(options->CreatedWithHelper());

    FakeSite site;
    FakeBrowser siteBrowser;
    site.browser = &siteBrowser;
    LONG browserReferences = siteBrowser.References();
    EXPECT_EQ(S_OK, options->SetSite(site.Unknown()));
    EXPECT_EQ(static_cast<IWebBrowser2*>(&siteBrowser), options->WebBrowser());
    EXPECT_NE(nullptr, options->CommandTarget());

    // A site without the browser service leaves the browser found before.
    FakeSite bare;
    EXPECT_EQ(S_OK, options->SetSite(bare.Unknown()));
    EXPECT_EQ(static_cast<IWebBrowser2*>(&siteBrowser), options->WebBrowser());

    EXPECT_EQ(S_OK, options->SetSite(nullptr));
    EXPECT_EQ(nullptr, options->WebBrowser());
    EXPECT_EQ(nullptr, options->CommandTarget());
    IUnknown* none = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(E_FAIL, options->GetSite(IID_IUnknown, reinterpret_cast<void**>(&none)));
    EXPECT_EQ(nullptr, none);
    object->Release();
    EXPECT_EQ(browserReferences, siteBrowser.References());
    EXPECT_EQ(1, site.References());
    EXPECT_EQ(1, bare.References());
}

TEST_F(OptionsCommandTest, NoHelperInTheProcessMeansNoHelperObject) {
    MakeHelper();
    BYTE saved = g_bBhoPresent;
    g_bBhoPresent = 0;
    IObjectWithSite* object = nullptr;
    ASSERT_EQ(S_OK, CHintoraOptions::CreateInstance(IID_IObjectWithSite, reinterpret_cast<void**>(&object)));
    EXPECT_FALSE(static_cast<CHintoraOptions*>(object)->CreatedWithHelper());
    EXPECT_EQ(nullptr, static_cast<CHintoraOptions*>(object)->Window());
    object->Release();
    g_bBhoPresent = saved;

    // A helper without a window still counts.
    Probe(m_helper).Window() = nullptr;
    ASSERT_EQ(S_OK, CHintoraOptions::CreateInstance(IID_IObjectWithSite, reinterpret_cast<void**>(&object)));
    EXPECT_TRUE(static_cast<CHintoraOptions*>(object)->CreatedWithHelper());
    EXPECT_EQ(nullptr, static_cast<CHintoraOptions*>(object)->Window());
    object->Release();
}

TEST_F(OptionsCommandTest, EveryButtonCommandIsSupportedAndEnabled) {
    IOleCommandTarget* target = nullptr;
    ASSERT_EQ(S_OK, CHintoraOptions::CreateInstance(IID_IOleCommandTarget, reinterpret_cast<void**>(&target)));
    OLECMD commands[3] = {{0, 0}, {1, 0}, {77, 0}};
    EXPECT_EQ(S_OK, target->QueryStatus(&kButtons, 3, commands, nullptr));
    for (const OLECMD& command : commands)
        EXPECT_EQ(static_cast<DWORD>(OLECMDF_SUPPORTED | OLECMDF_ENABLED), command.cmdf);
    EXPECT_EQ(OLECMDERR_E_UNKNOWNGROUP, target->QueryStatus(nullptr, 3, commands, nullptr));
    EXPECT_EQ(OLECMDERR_E_UNKNOWNGROUP, target->QueryStatus(&IID_IUnknown, 3, commands, nullptr));

    target->Release();
}

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "base/ThreadSlot.h"
#include "helper/HintoraIEBHO.h"
#include "helper/SharedState.h"
#include "HelperObjectProbe.h"
#include "messages/MessageCatalog.h"
#include "PageFakes.h"
#include "PredefinedKeySandbox.h"
#include "ProductKeySandbox.h"
#include "settings/ProductSettings.h"
#include "TabTestSupport.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {

const wchar_t kContentUrl[] = L"http://content.example/pub";
const wchar_t kGatewayUrl[] = L"http://content.example/pub/radozira/hintora_gateway.html";
const wchar_t kProductKey[] = L"Software\\Veltrane\\Norvik\\Hintora";
const wchar_t kTestKey[] = L"Software\\Veltrane\\Norvik\\Hintora\\Test";
const wchar_t kLanguageKey[] = L"Software\\Microsoft\\Internet Explorer\\International";

void Put(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& value) {
    RegSetKeyValueW(root, key, name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void WriteContext(const std::wstring& application, const std::wstring& type) {
    auto block = ReadBlock();
    block->busy = 1;
    SharedState::CopyToField(block->gatewayStatus, SharedState::kGatewayRunning);
    SharedState::CopyToField(block->application, application);
    SharedState::CopyToField(block->type, type);
    SharedState::CopyToField(block->searchExpression, L"find me");
    SharedState::CopyToField(block->contextList, L"{\"k\":1}");
    SharedState::CopyToField(block->defaults, L"{\"d\":1}");
    ASSERT_TRUE(SharedState::WriteToSharedMemory(*block));
}

bool ContextIsEmpty() {
    auto block = ReadBlock();
    return block->application[0] == 0 && block->type[0] == 0 && block->searchExpression[0] == 0 &&
           block->contextList[0] == 0 && block->defaults[0] == 0;
}

// The gateway page with its content frame. Page calls are logged with their
// arguments in the order the page functions declare them.
struct GatewayPage {
    Frame top{L"gateway", kGatewayUrl, L"content.example"};
    Frame content{L"content", L"http://content.example/pub/content.html", L"content.example"};
    FakeScriptObject* gateway = nullptr;
    HRESULT failing = S_OK;  // answer of the call named in failingCall
    std::wstring failingCall;
    std::wstring configurationData;

    GatewayPage() {
        top.Add(content);
        gateway = &top.Namespace(L"Velnor", L"HintoraGateway");
        Log(L"SetConfigurationUrl", L"");
        Log(L"GetDisabledApplicationList", L"sap");
        Log(L"GetConfiguredApplicationList", L"crm,web,sap");
        Log(L"ShowContent", L"");
        Log(L"CloseWindow", L"");
        gateway->SetMethod(L"GetConfigurationData", [this](DISPPARAMS*, VARIANT* result) {
            PageLog().push_back(L"GetConfigurationData()");
            ReturnText(result, configurationData);
            return S_OK;
        });
        content.Namespace(L"Quenta").SetMethod(L"ShowContent", [](DISPPARAMS* params, VARIANT*) {
            auto args = Arguments(params);
            PageLog().push_back(L"Quenta.ShowContent(" + args[0] + L"|" + args[1] + L"|" + args[2] + L"|" + args[3] +
                                L")");
            return S_OK;
        });
    }
    void Log(const std::wstring& name, const std::wstring& answer) {
        gateway->SetMethod(name, [this, name, answer](DISPPARAMS* params, VARIANT* result) {
            std::wstring line = name + L"(";
            auto args = Arguments(params);
            for (size_t i = 0; i < args.size(); ++i)
                line += (i ? L"|" : L"") + args[i];
            PageLog().push_back(line + L")");
            if (name == failingCall)
                return failing;
            if (!answer.empty())
                ReturnText(result, answer);
            return S_OK;
        });
    }
    bool Called(const std::wstring& prefix) const {
        for (const auto& line : PageLog())
            if (line.compare(0, prefix.size(), prefix) == 0)
                return true;
        return false;
    }
};

class GatewayWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_keys.Ok());
        PageLog().clear();
        Drain(SharedState::kGatewayReadyEvent);
        Drain(SharedState::kBrowserContextReadyEvent);
        Put(m_keys.Machine(), kProductKey, L"ContentURL", kContentUrl);
        Put(m_keys.Machine(), L"Software\\Veltrane\\Norvik\\Hintora\\Advanced", L"diagnosticmode", L"1");
        Put(m_keys.User(), kLanguageKey, L"AcceptLanguage", L"de-CH,en;q=0.5");
        SharedState::SetBusyState(TRUE);
        SharedState::SetGatewayStatus(SharedState::kGatewayOpening);
        m_page.reset(new GatewayPage);
        CreateHelperObject();
    }
    void CreateHelperObject() {
        IObjectWithSite* site = nullptr;
        ASSERT_EQ(S_OK, CHintoraIEBHO::CreateInstance(IID_IObjectWithSite, reinterpret_cast<void**>(&site)));
        m_bho = static_cast<CHintoraIEBHO*>(site);
        Probe(m_bho).Window() = &m_page->top.window;
    }
    // The tab closes: the browser lets go of the object. It must live on
    // until the call that runs has ended.
    void CloseTab() {
        CHintoraIEBHO* closing = m_bho;
        m_bho = nullptr;
        closing->Release();
        EXPECT_EQ(closing, ThreadBhoSlot::Get()) << "the object was destroyed under a running call";
    }
    void TearDown() override {
        if (m_bho)
            m_bho->Release();
        m_page.reset();
        Drain(SharedState::kGatewayReadyEvent);
        Drain(SharedState::kBrowserContextReadyEvent);
    }
    void Complete(const wchar_t* address) {
        VARIANT url;
        VariantInit(&url);
        url.vt = VT_BSTR;
        url.bstrVal = SysAllocString(address);
        Probe(m_bho).OnDocumentComplete(nullptr, &url);
        VariantClear(&url);
    }

    PredefinedKeySandbox m_keys;
    std::unique_ptr<GatewayPage> m_page;
    CHintoraIEBHO* m_bho = nullptr;
};

}  // namespace

TEST_F(GatewayWindow, TheGatewayPageIsPreparedAndReportedReady) {
    TimerRecorder timers;
    ASSERT_TRUE(timers.Active());
    SharedState::ClearBrowserContext();
    WriteContext(L"stale", L"quenta");
    SharedState::SetGatewayStatus(SharedState::kGatewayOpening);

    // Another page, or the gateway address in other letter case, is not it.
    Complete(L"http://content.example/pub/RADOZIRA/hintora_gateway.html");
    EXPECT_EQ(0, Probe(m_bho).HostsGateway());
    EXPECT_THAT(PageLog(), IsEmpty());

    Complete(kGatewayUrl);
    EXPECT_EQ(1, Probe(m_bho).HostsGateway());
    EXPECT_THAT(PageLog(), ElementsAre(L"SetConfigurationUrl(http://content.example/pub)",
                                       L"GetDisabledApplicationList()", L"GetConfiguredApplicationList()"));
    auto block = ReadBlock();
    EXPECT_EQ(L"Hintora_GatewayRunning", SharedState::ReadField(block->gatewayStatus));
    EXPECT_EQ(L"sap", SharedState::ReadField(block->disabledApplicationList));
    EXPECT_EQ(L"crm,web,sap", SharedState::ReadField(block->configuredApplicationList));
    EXPECT_TRUE(ContextIsEmpty());
    EXPECT_EQ(1, block->busy);
    EXPECT_TRUE(Signalled(SharedState::kGatewayReadyEvent));
    EXPECT_NE(0u, Probe(m_bho).BrowserContextReadyTimer());
    EXPECT_NE(0u, Probe(m_bho).GatewayWaitingToCloseTimer());
    EXPECT_THAT(TimerRecorder::PeriodsOf(HelperObjectProbe::BrowserContextReadyTimerProc), ElementsAre(150u));
    EXPECT_THAT(TimerRecorder::PeriodsOf(HelperObjectProbe::GatewayWaitingToCloseTimerProc), ElementsAre(150u));

    // A page without the Velnor object stays as it is.
    PageLog().clear();
    m_page->top.velnorObject = false;
    Complete(kGatewayUrl);
    EXPECT_THAT(PageLog(), IsEmpty());
    EXPECT_FALSE(Signalled(SharedState::kGatewayReadyEvent));
}

TEST_F(GatewayWindow, AFailedPreparationCallShowsItsErrorAndClosesTheGateway) {
    struct Case {
        const wchar_t* call;
        const wchar_t* error;
    } cases[] = {
        {L"SetConfigurationUrl", L"003. <BR />Function Velnor.HintoraGateway.SetConfigurationUrl failed."},
        {L"GetDisabledApplicationList", L"004. <BR />Function Velnor.HintoraGateway.GetDisabledApplicationList failed."},
        {L"GetConfiguredApplicationList", L"005. <BR />Function Velnor.HintoraGateway.GetConfiguredApplicationList failed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.call)));
        PageLog().clear();
        m_page->top.window.dialogs.clear();
        SharedState::SetBusyState(TRUE);
        m_page->failingCall = c.call;
        m_page->failing = E_FAIL;
        Complete(kGatewayUrl);
        ASSERT_EQ(1u, m_page->top.window.dialogs.size());
        EXPECT_THAT(m_page->top.window.dialogs[0], HasSubstr(c.error));
        EXPECT_TRUE(m_page->Called(L"CloseWindow("));
        EXPECT_FALSE(Busy());
        EXPECT_FALSE(Signalled(SharedState::kGatewayReadyEvent));
    }
}

TEST_F(GatewayWindow, ThePageGetsTheContextAndThePreferredLanguages) {
    struct Case {
        const wchar_t* accept;
        const wchar_t* languages;
    } cases[] = {
        {L"de-CH,en;q=0.5", L"[de-CH,en]"},
        {L" fr;a;b,,it ", L"[fr;a;b,it]"},
        // Nothing from the registry nor the browser: an empty list, and the
        // request still ends.
        {L"", L"[]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.accept)));
        PageLog().clear();
        Probe(m_bho).Reset();
        Put(m_keys.User(), kLanguageKey, L"AcceptLanguage", c.accept);
        WriteContext(L"web", L"exactmatch");
        Probe(m_bho).ShowContent();
        EXPECT_THAT(PageLog(), ElementsAre(L"ShowContent(web|" + std::wstring(c.languages) + L"|find me|exactmatch)"));
        EXPECT_FALSE(Busy());
        EXPECT_TRUE(ContextIsEmpty());
        EXPECT_EQ(0, m_page->top.window.closes);
    }
}

TEST_F(GatewayWindow, TheTypeIsComparedWithoutRegardToCase) {
    TimerRecorder timers;
    ASSERT_TRUE(timers.Active());
    WriteContext(L"web", L"QuEnTa");
    Probe(m_bho).ShowContent();
    EXPECT_NE(0u, Probe(m_bho).FrameCompleteTimer());
    EXPECT_THAT(TimerRecorder::PeriodsOf(HelperObjectProbe::FrameCompleteTimerProc), ElementsAre(150u));
    EXPECT_EQ(VT_BSTR, Probe(m_bho).Application().vt);
    EXPECT_TRUE(Busy()) << "busy until the content frame has shown the content";

    PageLog().clear();
    WriteContext(L"web", L"NOMATCH");
    Probe(m_bho).ShowContent();
    EXPECT_TRUE(m_page->Called(L"CloseWindow("));
    EXPECT_EQ(1u, m_page->top.window.dialogs.size());
}

TEST_F(GatewayWindow, NoMatchShowsTheMessageWithThePublishDataAndClosesTheGateway) {
    std::wstring noContent = MessageCatalog::GetText(L"HINTORA_MESSAGES_NO_CONTENT", L"en");
    ASSERT_FALSE(noContent.empty());
    struct Case {
        const wchar_t* stored;
        const wchar_t* fromPage;
        const wchar_t* shown;
        bool asksThePage;
    } cases[] = {
        {L"crm,Release 7;web,2.1", L"", L"[2.1]", false},
        {L"", L"web,from page", L"[from page]", true},
        {L"", L"", L"[]", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.shown)));
        RegDeleteKeyValueW(m_keys.Machine(), kProductKey, L"PublishData");
        if (c.stored[0])
            Put(m_keys.Machine(), kProductKey, L"PublishData", c.stored);
        m_page->configurationData = c.fromPage;
        m_page->top.window.dialogs.clear();
        PageLog().clear();
        WriteContext(L"web", L"nomatch");

        Probe(m_bho).ShowContent();

        ASSERT_EQ(1u, m_page->top.window.dialogs.size());
        EXPECT_THAT(m_page->top.window.dialogs[0], HasSubstr(L"\"Text\":\"" + noContent + c.shown + L"\""));
        EXPECT_THAT(m_page->top.window.dialogs[0], HasSubstr(L"\"Type\":\"information\""));
        EXPECT_EQ(c.asksThePage, m_page->Called(L"GetConfigurationData("));
        EXPECT_TRUE(m_page->Called(L"CloseWindow("));
        EXPECT_FALSE(Busy());
        EXPECT_EQ(L"web", SharedState::ReadField(ReadBlock()->application)) << "the context stays";
        if (c.fromPage[0]) {
            EXPECT_EQ(c.fromPage, PredefinedKeySandbox::String(m_keys.Machine(), kProductKey, L"PublishData"));
        }
    }
}

TEST_F(GatewayWindow, QuentaWaitsForTheContentsThenHandsTheContextToTheContentFrame) {
    Put(m_keys.Machine(), kTestKey, L"showscore", L"1");
    Put(m_keys.Machine(), kTestKey, L"say \"hi\"", L"C:\\x");
    for (HRESULT answer : {S_OK, E_FAIL}) {
        PageLog().clear();
        Probe(m_bho).Reset();
        m_page->content.tocLoaded = false;
        m_page->content.Namespace(L"Quenta").SetMethod(L"ShowContent", [answer](DISPPARAMS* params, VARIANT*) {
            auto args = Arguments(params);
            PageLog().push_back(L"Quenta.ShowContent(" + args[0] + L"|" + args[1] + L"|" + args[2] + L"|" + args[3] +
                                L")");
            return answer;
        });
        WriteContext(L"web", L"quenta");
        Drain(SharedState::kBrowserContextReadyEvent);
        Probe(m_bho).BrowserContextReadyTimer() =
            SetTimer(nullptr, 0, CHintoraIEBHO::kTimerInterval, HelperObjectProbe::BrowserContextReadyTimerProc);
        SetEvent(SharedState::GetEvent(SharedState::kBrowserContextReadyEvent, FALSE));

        EXPECT_TRUE(PumpUntil([&] { return m_page->Called(L"ShowContent("); }, 3000));
        PumpUntil([] { return false; }, 400);
        EXPECT_FALSE(m_page->Called(L"Quenta.ShowContent(")) << "not before the contents have loaded";
        m_page->content.tocLoaded = true;
        EXPECT_TRUE(PumpUntil([&] { return m_page->Called(L"Quenta.ShowContent("); }, 3000));
        EXPECT_THAT(PageLog(), ElementsAre(L"ShowContent(web|[de-CH,en]|find me|quenta)",
                                           L"Quenta.ShowContent(web|{\"k\":1}|{\"say \\\"hi\\\"\":\"C:\\\\x\", "
                                           L"\"showscore\":\"1\"}|{\"d\":1})"));
        EXPECT_FALSE(Busy());
        EXPECT_TRUE(ContextIsEmpty());
        EXPECT_EQ(VT_EMPTY, Probe(m_bho).Defaults().vt);
        EXPECT_EQ(0, m_page->top.window.closes);
    }
}

TEST_F(GatewayWindow, PageCallsThatFailAfterPreparationEndTheRequest) {
    m_page->failingCall = L"ShowContent";
    m_page->failing = E_FAIL;
    WriteContext(L"web", L"quenta");
    EXPECT_EQ(E_FAIL, Probe(m_bho).ShowContent());
    ASSERT_EQ(1u, m_page->top.window.dialogs.size());
    EXPECT_THAT(m_page->top.window.dialogs[0], HasSubstr(L"010. <BR />Function Velnor.HintoraGateway.ShowContent failed."));
    EXPECT_TRUE(m_page->Called(L"CloseWindow("));
    EXPECT_FALSE(Busy());
    EXPECT_EQ(0u, Probe(m_bho).FrameCompleteTimer());

    // The content frame has gone by the time the contents are shown.
    m_page->top.window.frames.clear();
    m_page->top.window.dialogs.clear();
    PageLog().clear();
    WriteContext(L"web", L"quenta");
    Probe(m_bho).ShowQuentaContent();
    ASSERT_EQ(1u, m_page->top.window.dialogs.size());
    EXPECT_THAT(m_page->top.window.dialogs[0], HasSubstr(L"011. <BR />Couldn't get access to the gateway's first frame."));
    EXPECT_FALSE(Busy());
    EXPECT_TRUE(ContextIsEmpty());
}

TEST_F(GatewayWindow, WithoutTestValuesTheSettingsAreAnEmptyObject) {
    std::wstring json = L"unchanged";
    Probe(m_bho).GetTestSettingsJson(json);
    EXPECT_EQ(L"{}", json);
}

TEST_F(GatewayWindow, ACloseRequestClosesTheGatewayWithinATick) {
    Complete(kGatewayUrl);
    for (HRESULT answer : {S_OK, E_FAIL}) {
        PageLog().clear();
        m_page->failingCall = L"CloseWindow";
        m_page->failing = answer;
        int closes = m_page->top.window.closes;
        if (Probe(m_bho).GatewayWaitingToCloseTimer() == 0)
            Complete(kGatewayUrl);
        SharedState::SetGatewayStatus(SharedState::kCloseGateway);
        EXPECT_TRUE(PumpUntil([&] { return m_page->Called(L"CloseWindow("); }, 1000));
        EXPECT_EQ(FAILED(answer) ? closes + 1 : closes, m_page->top.window.closes)
            << "the window's own close only when the page's close failed";
    }
}

TEST_F(GatewayWindow, ATabClosedDuringATimersCallIsFreedOnlyWhenTheCallEnds) {
    // The user closes the tab while the no-match message is up.
    WriteContext(L"web", L"nomatch");
    SetEvent(SharedState::GetEvent(SharedState::kBrowserContextReadyEvent, FALSE));
    m_page->top.window.duringDialog = [this] { CloseTab(); };
    HelperObjectProbe::BrowserContextReadyTimerProc(nullptr, WM_TIMER, 0, 0);
    EXPECT_EQ(1u, m_page->top.window.dialogs.size());
    EXPECT_TRUE(m_page->Called(L"CloseWindow(")) << "the call ran to its end";
    EXPECT_FALSE(Busy());
    EXPECT_EQ(nullptr, ThreadBhoSlot::Get()) << "and then let go of the object";

    // ... while the content frame is handed the context.
    PageLog().clear();
    CreateHelperObject();
    WriteContext(L"web", L"quenta");
    Probe(m_bho).ShowContent();
    m_page->content.tocLoaded = true;
    m_page->content.Namespace(L"Quenta").SetMethod(L"ShowContent", [this](DISPPARAMS*, VARIANT*) {
        CloseTab();
        return S_OK;
    });
    HelperObjectProbe::FrameCompleteTimerProc(nullptr, WM_TIMER, 0, 0);
    EXPECT_FALSE(Busy());
    EXPECT_TRUE(ContextIsEmpty());
    EXPECT_EQ(nullptr, ThreadBhoSlot::Get());

    // ... while the gateway closes itself on request.
    PageLog().clear();
    CreateHelperObject();
    SharedState::SetGatewayStatus(SharedState::kCloseGateway);
    m_page->gateway->SetMethod(L"CloseWindow", [this](DISPPARAMS*, VARIANT*) {
        CloseTab();
        return E_FAIL;
    });
    HelperObjectProbe::GatewayWaitingToCloseTimerProc(nullptr, WM_TIMER, 0, 0);
    EXPECT_EQ(1, m_page->top.window.closes) << "the window's own close after the page's failed";
    EXPECT_EQ(nullptr, ThreadBhoSlot::Get());
}

// One help request across two processes: this process is the page tab, a
// second run of this program is the gateway tab, started when the page tab
// opens the gateway window. The request starts from the hot key.
namespace {

void PressCtrlF9() {
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_CONTROL] = state[VK_LCONTROL] = 0x80;
    state[VK_SHIFT] = state[VK_LSHIFT] = state[VK_MENU] = state[VK_LMENU] = 0;
    SetKeyboardState(state);
    // The key going up: bits 30 and 31 of the keystroke flags.
    HelperObjectProbe::KeyboardProc(HC_ACTION, VK_F9, static_cast<LPARAM>(0xC0000001u));
    state[VK_CONTROL] = state[VK_LCONTROL] = 0;
    SetKeyboardState(state);
}

}  // namespace

TEST(HelpRequest, OneRequestRunsFromTheHotKeyToTheContentFrameOfTheGateway) {
    // Only the product key is private here: the recognition script still
    // loads through the machine's protocol handlers.
    ProductKeySandbox keys;
    ASSERT_TRUE(keys.Active());
    keys.PutProduct(L"ContentURL", kContentUrl);
    keys.PutProduct(L"ApplicationOrder", L"web,crm");
    keys.PutProduct(L"EnglishShortCut", L"Ctrl+F9");
    PageLog().clear();
    Drain(SharedState::kGatewayReadyEvent);
    Drain(SharedState::kBrowserContextReadyEvent);
    SharedState::ClearBrowserContext();
    SharedState::SetBusyState(FALSE);
    SharedState::SetGatewayStatus(SharedState::kGatewayClosed);

    // The page: one frame whose recognition finds the application "web".
    Frame page(L"page", L"https://web.example/orders?id=7", L"web.example");
    FakeScriptObject descriptor;
    FakeScriptObject context;
    for (auto field : {std::make_pair(L"Application", L"web"), std::make_pair(L"Type", L"quenta"),
                       std::make_pair(L"SearchExpression", L"orders"), std::make_pair(L"ContextList", L"{\"page\":7}"),
                       std::make_pair(L"Defaults", L"{\"lang\":\"en\"}")}) {
        Var value(field.second);
        context.SetProperty(field.first, value);
    }
    FakeScriptObject& recognition = page.Namespace(L"Velnor", L"Recognition");
    auto object = [](FakeScriptObject& target) {
        return [&target](DISPPARAMS* params, VARIANT* result) {
            std::wstring line = L"recognition:";
            auto args = Arguments(params);
            for (size_t i = 0; i < args.size(); ++i)
                line += (i ? L"|" : L"") + args[i];
            PageLog().push_back(line);
            result->vt = VT_DISPATCH;
            result->pdispVal = &target;
            target.AddRef();
            return S_OK;
        };
    };
    recognition.SetMethod(L"CreateBrowserDescriptor", object(descriptor));
    recognition.SetMethod(L"GetPlaybackContext", object(context));
    recognition.SetMethod(L"SetFrames", [](DISPPARAMS*, VARIANT* result) {
        result->vt = VT_BOOL;
        result->boolVal = VARIANT_TRUE;
        return S_OK;
    });
    recognition.SetMethod(L"GetApplicationOrder", [](DISPPARAMS*, VARIANT* result) {
        ReturnText(result, L"web,crm");
        return S_OK;
    });

    // Opening the gateway window starts the gateway tab's process.
    Frame gatewayTab(L"gateway", L"about:blank", L"");
    HANDLE peer = nullptr;
    std::vector<std::wstring> opened;
    page.window.opener = [&](const std::wstring& url, const std::wstring& name, IHTMLWindow2** window) {
        opened.push_back(url + L"|" + name);
        peer = StartPeer(L"HelpRequestPeer.DISABLED_GatewayTab");
        if (!peer)
            return E_FAIL;
        *window = &gatewayTab.window;
        gatewayTab.window.AddRef();
        return S_OK;
    };

    IObjectWithSite* site = nullptr;
    ASSERT_EQ(S_OK, CHintoraIEBHO::CreateInstance(IID_IObjectWithSite, reinterpret_cast<void**>(&site)));
    CHintoraIEBHO* bho = static_cast<CHintoraIEBHO*>(site);
    ASSERT_EQ(bho, ThreadBhoSlot::Get());
    // The tab's browser: the request asks it for the page's window afresh.
    Probe(bho).Browser() = &page.browser;
    VARIANT url;
    VariantInit(&url);
    url.vt = VT_BSTR;
    url.bstrVal = SysAllocString(page.document.url.c_str());
    Probe(bho).OnDocumentComplete(nullptr, &url);
    VariantClear(&url);

    PressCtrlF9();
    EXPECT_THAT(opened, ElementsAre(std::wstring(kGatewayUrl) + L"|velnor_gateway"));
    ASSERT_NE(nullptr, peer);
    EXPECT_TRUE(Busy());
    EXPECT_EQ(L"Hintora_GatewayOpening", SharedState::ReadField(ReadBlock()->gatewayStatus));

    // The page tab waits on its own timer for the gateway, then recognises.
    DWORD code = FinishPeer(peer, 90000);
    EXPECT_EQ(0u, code) << "the gateway tab's checks passed";
    // The descriptor gets the learned order and the gateway page's lists;
    // the context is asked of frame 0.
    EXPECT_THAT(PageLog(), ElementsAre(L"page.inject", L"recognition:web,crm|crm,web,sap|sap",
                                       L"recognition:object|0"));
    EXPECT_EQ(0u, Probe(bho).GatewayReadyTimer());
    EXPECT_TRUE(ContextIsEmpty());
    EXPECT_FALSE(Busy());
    bho->Release();
}

TEST(HelpRequestPeer, DISABLED_GatewayTab) {
    if (!IsPeer())
        GTEST_SKIP() << "runs only as the gateway tab of the test above";
    PredefinedKeySandbox keys;
    ASSERT_TRUE(keys.Ok());
    Put(keys.User(), kLanguageKey, L"AcceptLanguage", L"de-CH,en;q=0.5");
    Put(keys.Machine(), kTestKey, L"showscore", L"1");
    Put(keys.Machine(), kProductKey, L"ContentURL", kContentUrl);

    GatewayPage page;
    IObjectWithSite* site = nullptr;
    ASSERT_EQ(S_OK, CHintoraIEBHO::CreateInstance(IID_IObjectWithSite, reinterpret_cast<void**>(&site)));
    CHintoraIEBHO* bho = static_cast<CHintoraIEBHO*>(site);
    Probe(bho).Window() = &page.top.window;
    page.content.tocLoaded = true;

    VARIANT url;
    VariantInit(&url);
    url.vt = VT_BSTR;
    url.bstrVal = SysAllocString(kGatewayUrl);
    Probe(bho).OnDocumentComplete(nullptr, &url);
    VariantClear(&url);

    EXPECT_TRUE(PumpUntil([&] { return page.Called(L"Quenta.ShowContent("); }, 50000));
    EXPECT_THAT(PageLog(),
                ElementsAre(L"SetConfigurationUrl(http://content.example/pub)", L"GetDisabledApplicationList()",
                            L"GetConfiguredApplicationList()", L"ShowContent(web|[de-CH,en]|orders|quenta)",
                            L"Quenta.ShowContent(web|{\"page\":7}|{\"showscore\":\"1\"}|{\"lang\":\"en\"})"));
    EXPECT_FALSE(Busy());
    EXPECT_TRUE(ContextIsEmpty());
    bho->Release();
}

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "LoopbackServer.h"
#include "settings/ProductSettings.h"

#include <windows.h>
#include <exdispid.h>

#include <regex>
#include <string>

#include "base/Logger.h"
#include "base/ThreadSlot.h"
#include "BrowserFakes.h"
#include "helper/HintoraIEBHO.h"
#include "helper/HtmlDomHelper.h"
#include "helper/JsCache.h"
#include "helper/SharedState.h"
#include "HelperObjectProbe.h"
#include "ProductKeySandbox.h"
#include "ScriptFakes.h"
#include "TabTestSupport.h"
#include "TraceCapture.h"

using ::testing::_;
using ::testing::Invoke;
using ::testing::Return;

namespace {

// One helper object as Internet Explorer makes it, over a sandboxed
// product key.
class HelperObjectTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_sandbox.Active()); }

    CHintoraIEBHO* Create() {
        IObjectWithSite* site = nullptr;
        EXPECT_EQ(S_OK, CHintoraIEBHO::CreateInstance(IID_IObjectWithSite, reinterpret_cast<void**>(&site)));
        return static_cast<CHintoraIEBHO*>(site);
    }

    ProductKeySandbox m_sandbox;
};

int g_ticks = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) {
    ++g_ticks;
}

}  // namespace

TEST_F(HelperObjectTest, ConstructionRegistersTheObjectAndReadsTheSettings) {
    m_sandbox.PutProduct(L"EnglishShortCut", L"Ctrl+Shift+F5");
    m_sandbox.PutProduct(L"ContentURL", L"  http://content.example/pub  ");
    CHintoraIEBHO* bho = Create();
    EXPECT_EQ(bho, ThreadBhoSlot::Get());
    EXPECT_EQ(1, g_bBhoPresent);
    EXPECT_EQ(1, Probe(bho).Enabled());
    EXPECT_EQ(0x0374, Probe(bho).ShortCut());
    EXPECT_EQ(L"http://content.example/pub", Probe(bho).ContentUrl());
    EXPECT_EQ(0u, Probe(bho).StartTimer());

    IHintoraIEBHO* request = nullptr;
    EXPECT_EQ(S_OK, bho->QueryInterface(IID_IHintoraIEBHO, reinterpret_cast<void**>(&request)));
    IDispatch* dispatch = nullptr;
    EXPECT_EQ(S_OK, bho->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)));
    EXPECT_EQ(static_cast<IDispatch*>(request), dispatch);
    LPOLESTR name = const_cast<LPOLESTR>(L"Start");
    DISPID id = 0;
    EXPECT_EQ(S_OK, dispatch->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id));
    EXPECT_EQ(1, id);
    dispatch->Release();
    request->Release();
    bho->Release();
}

TEST_F(HelperObjectTest, OnlyTheExactTextOneSwitchesTracingAndDiagnosticModeOn) {
    struct Case {
        const wchar_t* value;
        BYTE expected;
    } cases[] = {{L"true", 0}, {L"2", 0}, {L"01", 0}, {L"1 ", 1}, {L"1", 1}, {L"yes", 0}};
    for (const Case& c : cases) {
        m_sandbox.PutAdvanced(L"tracemode", c.value);
        m_sandbox.PutAdvanced(L"diagnosticmode", c.value);
        CHintoraIEBHO* bho = Create();
        EXPECT_EQ(c.expected, g_bTraceMode) << "tracemode " << testing::PrintToString(std::wstring(c.value));
        EXPECT_EQ(c.expected, g_bDiagnosticMode) << "diagnosticmode";
        bho->Release();
    }
    // The last object created decides for the whole process.
    m_sandbox.PutAdvanced(L"tracemode", L"1");
    CHintoraIEBHO* first = Create();
    m_sandbox.PutAdvanced(L"tracemode", L"true");
    CHintoraIEBHO* second = Create();
    EXPECT_EQ(0, g_bTraceMode);
    second->Release();
    first->Release();
}

TEST_F(HelperObjectTest, UseCacheZeroMakesEveryInjectionDownloadAgain) {
    LoopbackServer server;
    server.Add("/usecache/script.js", "var injected;");
    const std::wstring url = server.Url("/usecache/script.js");
    FakeScriptObject page;
    int evaluated = 0;
    page.SetMethod(L"eval", [&evaluated](DISPPARAMS*, VARIANT*) {
        ++evaluated;
        return S_OK;
    });
    auto inject = [&] { EXPECT_EQ(S_OK, HtmlDomHelper().InjectScript(&page, L"(", url, L")", true)); };

    // Any text but "0" leaves the cache on: one download serves both.
    m_sandbox.PutAdvanced(L"usecache", L"no");
    Create()->Release();
    inject();
    inject();
    EXPECT_EQ(1u, server.Count());

    // "0": every injection downloads, past any stored copy, and the cached
    // text is gone.
    m_sandbox.PutAdvanced(L"usecache", L"0");
    Create()->Release();
    inject();
    inject();
    // A later object cannot switch it on again.
    m_sandbox.PutAdvanced(L"usecache", L"1");
    Create()->Release();
    inject();
    JsCache::SetUseCache(true);

    auto requests = server.Requests();
    ASSERT_EQ(4u, requests.size());
    for (size_t i = 1; i < requests.size(); ++i)
        EXPECT_TRUE(std::regex_match(requests[i], std::regex("/usecache/script\\.js\\?-?[0-9]+"))) << requests[i];
    EXPECT_EQ(5, evaluated);
}

TEST_F(HelperObjectTest, DestructionLeavesNothingThatCouldReachTheObject) {
    CHintoraIEBHO* bho = Create();
    Probe(bho).HostsGateway() = 1;
    SharedState::SetBusyState(TRUE);
    SharedState::SetGatewayStatus(SharedState::kGatewayRunning);
    g_ticks = 0;
    // Neither the browser's quit nor a reset stops these two waits.
    Probe(bho).BrowserContextReadyTimer() = SetTimer(nullptr, 0, 10, CountTick);
    Probe(bho).GatewayReadyTimer() = SetTimer(nullptr, 0, 10, CountTick);
    Probe(bho).GatewayClosingTimer() = SetTimer(nullptr, 0, 10, CountTick);
    ASSERT_NE(0u, Probe(bho).GatewayReadyTimer());
    PumpFor(200);
    ASSERT_GT(g_ticks, 0) << "thread timers tick under this host";

    bho->Release();
    g_ticks = 0;
    PumpFor(150);
    EXPECT_EQ(0, g_ticks);
    EXPECT_EQ(nullptr, ThreadBhoSlot::Get());

    BOOL busy = TRUE;
    SharedState::GetBusyState(busy);
    EXPECT_FALSE(busy);
    std::wstring status;
    SharedState::GetGatewayStatus(status);
    EXPECT_EQ(L"Hintora_GatewayClosed", status);
}

TEST_F(HelperObjectTest, AnObjectOutsideTheGatewayLeavesTheStatusButClearsBusy) {
    SharedState::SetGatewayStatus(SharedState::kGatewayOpening);
    SharedState::SetBusyState(TRUE);
    Create()->Release();
    BOOL busy = TRUE;
    SharedState::GetBusyState(busy);
    EXPECT_FALSE(busy);
    std::wstring status;
    SharedState::GetGatewayStatus(status);
    EXPECT_EQ(L"Hintora_GatewayOpening", status);
}

TEST_F(HelperObjectTest, SiteSubscribesOnceInstallsTheHookAndDetachEndsTheSubscription) {
    FakeBrowser browser;
    FakeSite site;
    site.browser = &browser;
    CHintoraIEBHO* bho = Create();

    EXPECT_EQ(S_OK, bho->SetSite(site.Unknown()));
    EXPECT_TRUE(Probe(bho).Advised());
    EXPECT_EQ(1, browser.advises);
    EXPECT_NE(nullptr, browser.sink);
    EXPECT_NE(nullptr, Probe(bho).KeyboardHook());
    HHOOK hook = Probe(bho).KeyboardHook();

    // A second site while subscribed: still one subscription, one hook.
    EXPECT_EQ(S_OK, bho->SetSite(site.Unknown()));
    EXPECT_EQ(2, browser.advises);
    EXPECT_EQ(1, browser.unadvises);
    EXPECT_EQ(hook, Probe(bho).KeyboardHook());

    IUnknown* got = nullptr;
    EXPECT_EQ(S_OK, bho->GetSite(IID_IUnknown, reinterpret_cast<void**>(&got)));
    got->Release();

    EXPECT_EQ(S_OK, bho->SetSite(nullptr));
    EXPECT_FALSE(Probe(bho).Advised());
    EXPECT_EQ(2, browser.unadvises);
    EXPECT_EQ(102u, browser.lastUnadvisedCookie);
    EXPECT_EQ(nullptr, Probe(bho).Browser().Get());
    EXPECT_EQ(hook, Probe(bho).KeyboardHook()) << "the hook stays until the object is destroyed";
    EXPECT_EQ(E_FAIL, bho->GetSite(IID_IUnknown, reinterpret_cast<void**>(&got)));

    bho->Release();
    EXPECT_EQ(1, browser.References()) << "no reference to the browser is left behind";
    EXPECT_EQ(1, site.References());
}

TEST_F(HelperObjectTest, TheSetupPageIsReplacedByTheContentServersErrorPage) {
    for (const wchar_t* content : {L"http://content.example/pub", L""}) {
        m_sandbox.PutProduct(L"ContentURL", content[0] ? content : L" ");
        FakeBrowser browser;
        FakeSite site;
        site.browser = &browser;
        CHintoraIEBHO* bho = Create();
        bho->SetSite(site.Unknown());

        // The setup page opens in a frame: that frame's browser is stopped
        // and sent on, the tab's own is left alone.
        FakeBrowser frame;
        EXPECT_CALL(browser, Stop()).Times(0);
        EXPECT_CALL(browser, Navigate2(_, _, _, _, _)).Times(0);
        std::wstring expected = std::wstring(content) + L"/hintorasetup.html?error=1";
        ::testing::InSequence order;
        EXPECT_CALL(frame, Stop()).WillOnce(Return(S_OK));
        EXPECT_CALL(frame, Navigate2(_, _, _, _, _))
            .WillOnce(Invoke([&](VARIANT* url, VARIANT* flags, VARIANT* frame, VARIANT* post, VARIANT* headers) {
                EXPECT_EQ(VT_BSTR, url->vt);
                EXPECT_EQ(expected, std::wstring(url->bstrVal));
                for (VARIANT* v : {flags, frame, post, headers})
                    EXPECT_EQ(VT_NULL, v->vt);
                return S_OK;
            }));

        VARIANT url;
        VariantInit(&url);
        url.vt = VT_BSTR;
        url.bstrVal = SysAllocString(L"http://other.example/radozira/vorla/ietbutton/ietbuttonsetup.html?x=1");
        VARIANT empty[4];
        for (VARIANT& v : empty)
            VariantInit(&v);
        VARIANT_BOOL cancel = VARIANT_FALSE;
        Probe(bho).Enabled() = 1;
        // The frame and the address come by value, then each by reference.
        IDispatch* frameDispatch = static_cast<IWebBrowser2*>(&frame);
        bool byValue = content[0] != 0;
        EXPECT_EQ(S_OK, browser.Fire(DISPID_BEFORENAVIGATE2,
                                     {byValue ? DispatchArg(frameDispatch) : DispatchRefArg(&frameDispatch),
                                      byValue ? RefArg(&url) : BstrRefArg(&url.bstrVal), RefArg(&empty[0]),
                                      RefArg(&empty[1]), RefArg(&empty[2]), RefArg(&empty[3]), BoolRefArg(&cancel)}));
        EXPECT_EQ(0, Probe(bho).Enabled());
        EXPECT_EQ(VARIANT_FALSE, cancel);
        VariantClear(&url);

        bho->SetSite(nullptr);
        bho->Release();
    }
}

TEST_F(HelperObjectTest, OtherNavigationsOnlyClearTheDocumentCompleteFlag) {
    FakeBrowser browser;
    FakeSite site;
    site.browser = &browser;
    CHintoraIEBHO* bho = Create();
    bho->SetSite(site.Unknown());
    EXPECT_CALL(browser, Stop()).Times(0);
    EXPECT_CALL(browser, Navigate2(_, _, _, _, _)).Times(0);

    VARIANT url;
    VariantInit(&url);
    url.vt = VT_BSTR;
    url.bstrVal = SysAllocString(L"http://other.example/RADOZIRA/VORLA/IETBUTTON/IETBUTTONSETUP.HTML");
    VARIANT empty;
    VariantInit(&empty);
    VARIANT_BOOL cancel = VARIANT_FALSE;
    EXPECT_EQ(S_OK, browser.Fire(DISPID_BEFORENAVIGATE2, {DispatchArg(&browser), RefArg(&url), RefArg(&empty),
                                                          RefArg(&empty), RefArg(&empty), RefArg(&empty),
                                                          BoolRefArg(&cancel)}));
    EXPECT_EQ(0, Probe(bho).Enabled());
    VariantClear(&url);

    // A new window is let open and only traced.
    TraceCapture trace;
    IDispatch* opened = nullptr;
    Var flags(static_cast<LONG>(0x6));
    Var context(L"http://page.example/list");
    Var target(L"http://page.example/popup");
    EXPECT_EQ(S_OK,
              browser.Fire(DISPID_NEWWINDOW3, {DispatchRefArg(&opened), BoolRefArg(&cancel), flags, context, target}));
    EXPECT_TRUE(trace.Has(L"CHintoraIEBHO::OnNewWindow3 - url: http://page.example/popup"));
    EXPECT_TRUE(trace.Has(L"CHintoraIEBHO::OnNewWindow3 - urlContext: http://page.example/list"));
    EXPECT_EQ(VARIANT_FALSE, cancel);
    EXPECT_EQ(nullptr, opened);
    BSTR contextText = context.bstrVal;
    BSTR targetText = SysAllocString(L"http://page.example/by-reference");
    EXPECT_EQ(S_OK, browser.Fire(DISPID_NEWWINDOW3, {DispatchRefArg(&opened), BoolRefArg(&cancel), flags,
                                                     BstrRefArg(&contextText), BstrRefArg(&targetText)}));
    EXPECT_TRUE(trace.Has(L"CHintoraIEBHO::OnNewWindow3 - url: http://page.example/by-reference"));
    SysFreeString(targetText);

    // Malformed or unknown events are ignored without harm.
    EXPECT_EQ(S_OK, browser.Fire(DISPID_BEFORENAVIGATE2, {}));
    EXPECT_EQ(S_OK, browser.Fire(DISPID_STATUSTEXTCHANGE, {}));

    bho->SetSite(nullptr);
    bho->Release();
}

TEST_F(HelperObjectTest, QuitStopsTheBrowserAndItsWaits) {
    FakeBrowser browser;
    FakeSite site;
    site.browser = &browser;
    CHintoraIEBHO* bho = Create();
    bho->SetSite(site.Unknown());
    EXPECT_CALL(browser, Stop()).WillOnce(Return(S_OK));
    g_ticks = 0;
    Probe(bho).StartTimer() = SetTimer(nullptr, 0, 10, CountTick);
    Probe(bho).GatewayClosingTimer() = SetTimer(nullptr, 0, 10, CountTick);
    EXPECT_EQ(S_OK, browser.Fire(DISPID_ONQUIT, {}));
    PumpFor(100);
    EXPECT_EQ(0, g_ticks);
    bho->SetSite(nullptr);
    bho->Release();
}

TEST_F(HelperObjectTest, DocumentCompleteTakesTheTopWindowAndTheUrl) {
    m_sandbox.PutProduct(L"ContentURL", L"http://content.example/pub");
    m_sandbox.PutAdvanced(L"tracemode", L"1");
    TraceCapture trace;
    FakeBrowser browser;
    FakeSite site;
    FakeWindow window;
    FakeDocument document;
    document.window = &window;
    browser.document = &document;
    site.browser = &browser;
    CHintoraIEBHO* bho = Create();
    EXPECT_EQ(S_OK, Probe(bho).SetWindow()) << "without a browser nothing changes";
    EXPECT_EQ(nullptr, Probe(bho).Window().Get());
    bho->SetSite(site.Unknown());
    Probe(bho).Enabled() = 0;

    VARIANT url;
    VariantInit(&url);
    url.vt = VT_BSTR;
    url.bstrVal = SysAllocString(L"http://page.example/");
    EXPECT_EQ(S_OK, browser.Fire(DISPID_DOCUMENTCOMPLETE, {DispatchArg(&browser), RefArg(&url)}));
    EXPECT_EQ(1, Probe(bho).Enabled());
    EXPECT_EQ(static_cast<IHTMLWindow2*>(&window), Probe(bho).Window().Get());
    EXPECT_TRUE(trace.Has(L"CHintoraIEBHO::OnDocumentComplete() - url = http://page.example/"));
    EXPECT_EQ(0, Probe(bho).HostsGateway());

    // Without its address the event still completes the document, and
    // nothing beside the arguments is taken for the address.
    VariantClear(&url);
    url.vt = VT_BSTR;
    url.bstrVal = SysAllocString(L"http://content.example/pub/radozira/hintora_gateway.html");
    Probe(bho).Enabled() = 0;
    VARIANT around[2] = {url, DispatchArg(&browser)};
    DISPPARAMS frameOnly = {&around[1], nullptr, 1, 0};
    EXPECT_EQ(S_OK, browser.sink->Invoke(DISPID_DOCUMENTCOMPLETE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                         &frameOnly, nullptr, nullptr, nullptr));
    EXPECT_EQ(1, Probe(bho).Enabled());
    EXPECT_TRUE(trace.Has(L"CHintoraIEBHO::OnDocumentComplete() - url = "));
    EXPECT_EQ(0, Probe(bho).HostsGateway());

    // The address decides whether this window shows the gateway page; it
    // may come as a string by reference.
    IDispatch* frame = static_cast<IWebBrowser2*>(&browser);
    EXPECT_EQ(S_OK, browser.Fire(DISPID_DOCUMENTCOMPLETE, {DispatchRefArg(&frame), BstrRefArg(&url.bstrVal)}));
    EXPECT_EQ(1, Probe(bho).HostsGateway());
    VariantClear(&url);

    IHTMLWindow2* got = nullptr;
    bho->GetWindow(&got);
    EXPECT_EQ(static_cast<IHTMLWindow2*>(&window), got);
    got->Release();

    bho->SetSite(nullptr);
    EXPECT_EQ(nullptr, Probe(bho).Window().Get());
    bho->Release();
    EXPECT_EQ(1, window.References());
}

TEST_F(HelperObjectTest, SettingsQueriesGiveTheirDefaultsAndExactMatches) {
    std::wstring language = L"xx";
    ProductSettings::GetLanguage(language);
    EXPECT_EQ(L"en", language);
    m_sandbox.PutProduct(L"Language", L"");
    ProductSettings::GetLanguage(language);
    EXPECT_EQ(L"en", language);
    m_sandbox.PutProduct(L"Language", L" de ");
    ProductSettings::GetLanguage(language);
    EXPECT_EQ(L"de", language);

    std::wstring order = L"stale";
    ProductSettings::GetApplicationOrder(order);
    EXPECT_EQ(L"", order);
    EXPECT_EQ(0, ProductSettings::SetApplicationOrder(L""));
    EXPECT_FALSE(m_sandbox.Box().HasValue(ProductKeySandbox::kProduct, L"ApplicationOrder"));
    EXPECT_EQ(0, ProductSettings::SetApplicationOrder(L"crm,web"));
    EXPECT_EQ(0, ProductSettings::GetApplicationOrder(order));
    EXPECT_EQ(L"crm,web", order);

    m_sandbox.PutProduct(L"PublishData", L";a,1;;b,2;b,3;c,4,x;");
    std::wstring value = L"unchanged";
    ProductSettings::GetPublishData(L"b", value);
    EXPECT_EQ(L"2", value);
    value = L"unchanged";
    ProductSettings::GetPublishData(L"c", value);
    EXPECT_EQ(L"unchanged", value) << "an item of three parts never matches";
    ProductSettings::GetPublishData(L"B", value);
    EXPECT_EQ(L"unchanged", value);
    ProductSettings::GetPublishData(L"a", value);
    EXPECT_EQ(L"1", value);
}

TEST_F(HelperObjectTest, ResetEmptiesThePerRequestState) {
    CHintoraIEBHO* bho = Create();
    FakeWindow frame;
    Probe(bho).Frames().push_back(&frame);
    Probe(bho).FrameParentIndexes().push_back(-1);
    Probe(bho).FrameLeaderIndexes().push_back(0);
    Probe(bho).DomainLeaders()[L"example"] = 0;
    Probe(bho).Languages().push_back(L"en-us");
    Probe(bho).GatewayUrl() = L"http://x/radozira/hintora_gateway.html";
    Probe(bho).Application().vt = VT_BSTR;
    Probe(bho).Application().bstrVal = SysAllocString(L"app");
    g_ticks = 0;
    Probe(bho).FrameCompleteTimer() = SetTimer(nullptr, 0, 10, CountTick);

    Probe(bho).Reset();
    EXPECT_TRUE(Probe(bho).Frames().empty());
    EXPECT_EQ(1, frame.References());
    EXPECT_TRUE(Probe(bho).FrameParentIndexes().empty());
    EXPECT_TRUE(Probe(bho).FrameLeaderIndexes().empty());
    EXPECT_TRUE(Probe(bho).DomainLeaders().empty());
    EXPECT_TRUE(Probe(bho).Languages().empty());
    EXPECT_TRUE(Probe(bho).GatewayUrl().empty());
    EXPECT_EQ(VT_EMPTY, Probe(bho).Application().vt);
    EXPECT_EQ(0u, Probe(bho).FrameCompleteTimer()) << "a stale id could later stop another timer of the thread";
    PumpFor(80);
    EXPECT_EQ(0, g_ticks);

    // Closing the tab stops the request's timers the same way.
    for (UINT_PTR* id : {&Probe(bho).StartTimer(), &Probe(bho).FrameCompleteTimer(), &Probe(bho).GatewayClosingTimer(),
                         &Probe(bho).GatewayWaitingToCloseTimer()})
        *id = SetTimer(nullptr, 0, 10, CountTick);
    Probe(bho).OnQuit();
    for (UINT_PTR id : {Probe(bho).StartTimer(), Probe(bho).FrameCompleteTimer(), Probe(bho).GatewayClosingTimer(),
                        Probe(bho).GatewayWaitingToCloseTimer()})
        EXPECT_EQ(0u, id);
    PumpFor(80);
    EXPECT_EQ(0, g_ticks);
    bho->Release();
}

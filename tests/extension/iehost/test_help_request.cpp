#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/Logger.h"
#include "base/ThreadSlot.h"
#include "BrowserFakes.h"
#include "helper/HintoraIEBHO.h"
#include "helper/SharedState.h"
#include "HelperObjectProbe.h"
#include "messages/MessageCatalog.h"
#include "ProductKeySandbox.h"
#include "TabTestSupport.h"
#include "TraceCapture.h"
#include "ui/MessageWindows.h"

using ::testing::_;
using ::testing::ElementsAre;
using ::testing::Invoke;
using ::testing::NiceMock;

namespace {

const wchar_t kContentUrl[] = L"http://content.example/pub";
const wchar_t kGatewayUrl[] = L"http://content.example/pub/radozira/hintora_gateway.html";

class PageLocation : public NotImplIHTMLLocation {
public:
    std::wstring href;
    HRESULT hrefResult = S_OK;
    HRESULT STDMETHODCALLTYPE get_href(BSTR* p) override {
        *p = SUCCEEDED(hrefResult) ? SysAllocString(href.c_str()) : nullptr;
        return hrefResult;
    }
};

// The tab's top window: opens the gateway window and the message windows.
class PageWindow : public FakeWindow {
public:
    MOCK_METHOD(HRESULT, open,
                (BSTR url, BSTR name, BSTR features, VARIANT_BOOL replace, IHTMLWindow2** pomWindowResult),
                (Calltype(STDMETHODCALLTYPE), override));
    PageLocation location;
    HRESULT locationResult = S_OK;
    HRESULT STDMETHODCALLTYPE get_location(IHTMLLocation** p) override {
        if (FAILED(locationResult)) {
            *p = nullptr;
            return locationResult;
        }
        *p = &location;
        location.AddRef();
        return S_OK;
    }
};

struct Opening {
    std::wstring url;
    std::wstring name;
    std::wstring features;
    VARIANT_BOOL replace;
};

// Trace lines that contain a text.
size_t Count(const TraceCapture& trace, const std::wstring& part) {
    size_t count = 0;
    for (const std::wstring& line : trace.Lines())
        count += line.find(part) != std::wstring::npos;
    return count;
}

std::wstring En(const wchar_t* key) {
    return MessageCatalog::GetText(key, L"en");
}

std::wstring RefusalJson(const std::wstring& text, const wchar_t* type) {
    return FormatMessageJson(En(L"HINTORA_MESSAGES_TITLE"), text, En(L"COMMON_CLOSE"), type);
}

std::wstring ErrorJson(const wchar_t* number) {
    return FormatMessageJson(En(L"HINTORA_MESSAGES_TITLE"),
                             En(L"COMMON_ERROR_OCCURED") + L"<BR />" + En(L"COMMON_ERROR_CODE") + number,
                             En(L"COMMON_CLOSE"), L"critical");
}

std::wstring Status() {
    std::wstring status;
    SharedState::GetGatewayStatus(status);
    return status;
}

int g_ticks = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) {
    ++g_ticks;
}

// A tab whose document has completed, over a sandboxed product key with
// tracing on; the gateway window opens unless a test says otherwise.
class HelpRequestTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_sandbox.Active());
        m_sandbox.PutAdvanced(L"tracemode", L"1");
        m_sandbox.PutProduct(L"ContentURL", kContentUrl);
        m_trace.reset(new TraceCapture);

        SharedState::SetBusyState(FALSE);
        SharedState::SetGatewayStatus(L"");
        m_ready = SharedState::GetEvent(SharedState::kGatewayReadyEvent, FALSE);
        ASSERT_NE(nullptr, m_ready);
        while (WaitForSingleObject(m_ready, 0) == WAIT_OBJECT_0) {
        }

        m_document.window = &m_window;
        m_browser.document = &m_document;
        m_site.browser = &m_browser;
        m_window.location.href = L"http://page.example/app/index.html";
        ON_CALL(m_window, showModalDialog(_, _, _, _))
            .WillByDefault(Invoke([this](BSTR dialog, VARIANT*, VARIANT*, VARIANT*) {
                const std::wstring prefix = L"res://HintoraIE.dll/205?";
                m_messages.push_back(Unescape(std::wstring(dialog).substr(prefix.size())));
                return S_OK;
            }));
        ON_CALL(m_window, open(_, _, _, _, _))
            .WillByDefault(Invoke([this](BSTR url, BSTR name, BSTR features, VARIANT_BOOL replace,
                                         IHTMLWindow2** result) {
                m_openings.push_back({url, name, features, replace});
                *result = &m_gateway;
                m_gateway.AddRef();
                return S_OK;
            }));

        IObjectWithSite* site = nullptr;
        ASSERT_EQ(S_OK, CHintoraIEBHO::CreateInstance(IID_IObjectWithSite, reinterpret_cast<void**>(&site)));
        m_bho = static_cast<CHintoraIEBHO*>(site);
        m_bho->SetSite(m_site.Unknown());
        CompleteDocument();
    }

    void TearDown() override {
        if (m_bho) {
            m_bho->SetSite(nullptr);
            m_bho->Release();
        }
        m_trace.reset();
        g_bTraceMode = 0;
    }

    void CompleteDocument() {
        VARIANT url;
        VariantInit(&url);
        url.vt = VT_BSTR;
        url.bstrVal = SysAllocString(m_window.location.href.c_str());
        Probe(m_bho).OnDocumentComplete(static_cast<IWebBrowser2*>(&m_browser), &url);
        VariantClear(&url);
    }

    void ExpectAcceptedAndOpened() {
        ASSERT_EQ(1u, m_openings.size());
        EXPECT_EQ(kGatewayUrl, m_openings[0].url);
        EXPECT_EQ(L"velnor_gateway", m_openings[0].name);
        EXPECT_EQ(L"", m_openings[0].features);
        EXPECT_EQ(VARIANT_FALSE, m_openings[0].replace);
        EXPECT_TRUE(m_messages.empty());
        EXPECT_TRUE(Busy());
        EXPECT_EQ(L"Hintora_GatewayOpening", Status());
        EXPECT_NE(0u, Probe(m_bho).GatewayReadyTimer());
        EXPECT_EQ(1, m_gateway.References()) << "the gateway window is not kept";
    }

    ProductKeySandbox m_sandbox;
    std::unique_ptr<TraceCapture> m_trace;
    HANDLE m_ready = nullptr;
    FakeBrowser m_browser;
    FakeSite m_site;
    FakeDocument m_document;
    NiceMock<PageWindow> m_window;
    FakeWindow m_gateway;
    std::vector<std::wstring> m_messages;
    std::vector<Opening> m_openings;
    CHintoraIEBHO* m_bho = nullptr;
};

}  // namespace

TEST_F(HelpRequestTest, ATabThatNeverCompletedADocumentIgnoresTheRequest) {
    Probe(m_bho).Window() = nullptr;
    Probe(m_bho).Enabled() = 0;
    SharedState::SetBusyState(TRUE);
    SharedState::SetGatewayStatus(SharedState::kGatewayOpening);

    EXPECT_EQ(S_FALSE, m_bho->Start());
    EXPECT_EQ(0u, Probe(m_bho).StartTimer());
    EXPECT_TRUE(m_messages.empty());
    EXPECT_TRUE(m_openings.empty());
    EXPECT_TRUE(Busy()) << "not even the stale-busy rule runs";
    EXPECT_EQ(1u, Count(*m_trace, L"CHintoraIEBHO::Start() - window object null, aborting"));
}

TEST_F(HelpRequestTest, ARequestDuringLoadStartsWithinOneTickOfCompletion) {
    TimerRecorder timers;
    ASSERT_TRUE(timers.Active());
    Probe(m_bho).Enabled() = 0;
    EXPECT_EQ(S_FALSE, m_bho->Start());
    UINT_PTR firstWait = Probe(m_bho).StartTimer();
    ASSERT_NE(0u, firstWait);
    // Pressing the key again during the load keeps one wait, not two.
    EXPECT_EQ(S_FALSE, m_bho->Start());
    ASSERT_NE(0u, Probe(m_bho).StartTimer());
    if (Probe(m_bho).StartTimer() != firstWait) {
        EXPECT_FALSE(KillTimer(nullptr, firstWait));
    }

    PumpFor(500);
    EXPECT_TRUE(m_openings.empty());
    EXPECT_GE(Count(*m_trace, L"StartTimerProc() - WaitForDocumentComplete"), 2u);

    size_t ticksBefore = Count(*m_trace, L"StartTimerProc() - WaitForDocumentComplete");
    CompleteDocument();
    DWORD completed = GetTickCount();
    ASSERT_TRUE(PumpUntil([this] { return !m_openings.empty(); }, 2000));
    DWORD elapsed = GetTickCount() - completed;
    const DWORD interval = CHintoraIEBHO::kTimerInterval;
    EXPECT_LE(elapsed, interval + 200) << "one tick, with room for a loaded machine";
    EXPECT_EQ(ticksBefore + 1, Count(*m_trace, L"StartTimerProc() - WaitForDocumentComplete"));
    EXPECT_EQ(0u, Probe(m_bho).StartTimer());

    PumpFor(400);
    ExpectAcceptedAndOpened();
    EXPECT_EQ(0, WaitForDocumentCompleteCounter);
    // Both waits poll every 150 ms.
    EXPECT_THAT(TimerRecorder::PeriodsOf(HelperObjectProbe::StartTimerProc), ElementsAre(150u, 150u));
    EXPECT_THAT(TimerRecorder::PeriodsOf(HelperObjectProbe::GatewayReadyTimerProc), ElementsAre(150u));
}

TEST_F(HelpRequestTest, APageThatNeverCompletesGoesOnAfter151Ticks) {
    Probe(m_bho).Enabled() = 0;
    EXPECT_EQ(S_FALSE, m_bho->Start());
    UINT_PTR wait = Probe(m_bho).StartTimer();
    ASSERT_NE(0u, wait);
    // The ticks are driven by hand: 150 of them still wait.
    for (int tick = 0; tick < 150; ++tick)
        HelperObjectProbe::StartTimerProc(nullptr, WM_TIMER, wait, 0);
    EXPECT_EQ(150, WaitForDocumentCompleteCounter);
    EXPECT_TRUE(m_openings.empty());
    EXPECT_EQ(0, Probe(m_bho).Enabled());

    HelperObjectProbe::StartTimerProc(nullptr, WM_TIMER, wait, 0);
    EXPECT_EQ(1u, Count(*m_trace, L"CHintoraIEBHO::StartTimerProc() - timer is up, document is not ready"));
    EXPECT_EQ(1, Probe(m_bho).Enabled());
    EXPECT_EQ(0u, Probe(m_bho).StartTimer());
    EXPECT_FALSE(KillTimer(nullptr, wait)) << "the wait has ended";
    ExpectAcceptedAndOpened();
}

TEST_F(HelpRequestTest, TheContentUrlMustBeAnExactHttpOrHttpsAddress) {
    const std::wstring refusal =
        RefusalJson(En(L"HINTORA_MESSAGES_NOTSUPPORTED_PROTOCOL") + L"<BR />" + En(L"HINTORA_MESSAGES_RUN_CONFIGURATION"),
                    L"critical");
    for (const wchar_t* url : {L"HTTP://server", L"", L"ftp://server/pub", L"Https://server", L"http:/server"}) {
        m_sandbox.PutProduct(L"ContentURL", url);
        m_messages.clear();
        EXPECT_EQ(S_OK, m_bho->Start()) << testing::PrintToString(std::wstring(url));
        ASSERT_EQ(1u, m_messages.size());
        EXPECT_EQ(refusal, m_messages[0]);
        EXPECT_TRUE(m_openings.empty());
        EXPECT_FALSE(Busy());
    }

    m_sandbox.PutProduct(L"ContentURL", L"  https://secure.example/pub  ");
    m_messages.clear();
    EXPECT_EQ(S_OK, m_bho->Start());
    ASSERT_EQ(1u, m_openings.size());
    EXPECT_EQ(L"https://secure.example/pub/radozira/hintora_gateway.html", m_openings[0].url);
    EXPECT_EQ(m_openings[0].url, Probe(m_bho).GatewayUrl());
}

TEST_F(HelpRequestTest, OnlyHttpAndHttpsPagesThatAreNotAGatewayAreServed) {
    const std::wstring protocol = RefusalJson(En(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PROTOCOL"), L"critical");
    const std::wstring gateway = RefusalJson(En(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PLAYER"), L"critical");
    struct Case {
        const wchar_t* address;
        const std::wstring* refusal;
    } cases[] = {
        {L"file:///C:/pages/index.html", &protocol},
        {L"about:blank", &protocol},
        {L"res://ieframe.dll/navcancl.htm", &protocol},
        {L"HTTP://PAGE.EXAMPLE/", &protocol},
        {L"", &protocol},
        {kGatewayUrl, &gateway},
        {L"https://elsewhere.example/x/radozira/hintora_gateway.html?lang=de", &gateway},
    };
    for (const Case& c : cases) {
        m_window.location.href = c.address;
        m_messages.clear();
        EXPECT_EQ(S_OK, m_bho->Start()) << testing::PrintToString(std::wstring(c.address));
        ASSERT_EQ(1u, m_messages.size());
        EXPECT_EQ(*c.refusal, m_messages[0]);
        EXPECT_TRUE(m_openings.empty());
        EXPECT_FALSE(Busy());
    }
    EXPECT_EQ(1u, Count(*m_trace, L"CHintoraIEBHO::Start() - quit because protocol == about:blank"));
    EXPECT_EQ(1u, Count(*m_trace, std::wstring(L"CHintoraIEBHO::Start() - quit because URL == ") + kGatewayUrl));

    // A differently written gateway address is an ordinary page.
    m_window.location.href = L"https://page.example/RADOZIRA/HINTORA_GATEWAY.HTML";
    m_messages.clear();
    EXPECT_EQ(S_OK, m_bho->Start());
    ExpectAcceptedAndOpened();
}

TEST_F(HelpRequestTest, AnUnreadablePageAddressEndsTheRequestWithoutAMessage) {
    m_window.locationResult = E_ACCESSDENIED;
    EXPECT_EQ(E_ACCESSDENIED, m_bho->Start());
    EXPECT_EQ(1u, Count(*m_trace, L"CHintoraIEBHO::Start() - couldn't get location for window [80070005]"));

    m_window.locationResult = S_OK;
    m_window.location.hrefResult = E_OUTOFMEMORY;
    EXPECT_EQ(E_OUTOFMEMORY, m_bho->Start());
    EXPECT_EQ(1u, Count(*m_trace, L"CHintoraIEBHO::Start() - couldn't get HREF from location [8007000E]"));

    // Without a way to the top window again the request ends there too.
    m_browser.document = nullptr;
    EXPECT_EQ(S_FALSE, m_bho->Start());
    EXPECT_EQ(nullptr, Probe(m_bho).Window().Get());

    EXPECT_TRUE(m_messages.empty());
    EXPECT_TRUE(m_openings.empty());
    EXPECT_FALSE(Busy());
}

TEST_F(HelpRequestTest, ABusyRequestRefusesUnlessItsGatewayIsStillOpening) {
    SharedState::SetBusyState(TRUE);
    for (const wchar_t* status : {SharedState::kGatewayRunning, SharedState::kCloseGateway, L""}) {
        SharedState::SetGatewayStatus(status);
        m_messages.clear();
        EXPECT_EQ(S_OK, m_bho->Start());
        ASSERT_EQ(1u, m_messages.size());
        EXPECT_EQ(RefusalJson(En(L"HINTORA_MESSAGES_WAIT"), L"warning"), m_messages[0]);
        EXPECT_TRUE(Busy()) << "the refusal leaves the busy flag";
        EXPECT_EQ(status, Status());
        EXPECT_TRUE(m_openings.empty());
    }

    // A request whose gateway never got past opening is stale.
    SharedState::SetGatewayStatus(SharedState::kGatewayOpening);
    m_messages.clear();
    EXPECT_EQ(S_OK, m_bho->Start());
    ExpectAcceptedAndOpened();
}

TEST_F(HelpRequestTest, ARunningGatewayIsAskedToCloseAndTheNewOneOpensOnlyOnceItHasClosed) {
    TimerRecorder timers;
    ASSERT_TRUE(timers.Active());
    SharedState::SetGatewayStatus(SharedState::kGatewayRunning);
    SetEvent(m_ready);  // left over from an earlier gateway

    EXPECT_EQ(S_OK, m_bho->Start());
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(m_ready, 0)) << "the earlier signal is dropped";
    EXPECT_EQ(L"Hintora_CloseGateway", Status());
    EXPECT_TRUE(Busy());
    EXPECT_NE(0u, Probe(m_bho).GatewayClosingTimer());
    EXPECT_EQ(0u, Probe(m_bho).GatewayReadyTimer());

    // Other statuses, even a new "running", do not count as closed.
    PumpFor(400);
    SharedState::SetGatewayStatus(SharedState::kGatewayRunning);
    PumpFor(400);
    EXPECT_TRUE(m_openings.empty());

    SharedState::SetGatewayStatus(SharedState::kGatewayClosed);
    ASSERT_TRUE(PumpUntil([this] { return !m_openings.empty(); }, 1000));
    EXPECT_EQ(0u, Probe(m_bho).GatewayClosingTimer());
    EXPECT_EQ(1u, Count(*m_trace, L"CHintoraIEBHO::GatewayClosingTimerProc() - gateway closed, now open the new one"));
    ExpectAcceptedAndOpened();
    EXPECT_THAT(TimerRecorder::PeriodsOf(HelperObjectProbe::GatewayClosingTimerProc), ElementsAre(150u));

    // The tab closes while the closing wait opens the new window: the object
    // lives until the timer's call has ended, then goes with its waits.
    SharedState::SetGatewayStatus(SharedState::kGatewayRunning);
    Probe(m_bho).CloseGatewayWindow();
    UINT_PTR closing = Probe(m_bho).GatewayClosingTimer();
    ASSERT_NE(0u, closing);
    SharedState::SetGatewayStatus(SharedState::kGatewayClosed);
    CHintoraIEBHO* tab = m_bho;
    EXPECT_CALL(m_window, open(_, _, _, _, _))
        .WillOnce(Invoke([&](BSTR, BSTR, BSTR, VARIANT_BOOL, IHTMLWindow2** result) {
            m_bho = nullptr;
            tab->SetSite(nullptr);
            tab->Release();
            EXPECT_EQ(tab, ThreadBhoSlot::Get()) << "the object was destroyed under a running call";
            *result = &m_gateway;
            m_gateway.AddRef();
            return S_OK;
        }));
    HelperObjectProbe::GatewayClosingTimerProc(nullptr, WM_TIMER, closing, 0);
    EXPECT_EQ(nullptr, ThreadBhoSlot::Get()) << "and then let go of the object";
    EXPECT_FALSE(Busy());
    EXPECT_EQ(1, m_gateway.References());
}

TEST_F(HelpRequestTest, AGatewayWindowThatCannotOpenEndsTheRequestWithError013) {
    struct Case {
        HRESULT result;
        bool window;
    } cases[] = {{E_ACCESSDENIED, false}, {S_FALSE, true}, {S_OK, false}};
    SharedState::SetGatewayStatus(SharedState::kGatewayClosed);
    for (const Case& c : cases) {
        EXPECT_CALL(m_window, open(_, _, _, _, _))
            .WillOnce(Invoke([this, c](BSTR, BSTR, BSTR, VARIANT_BOOL, IHTMLWindow2** result) {
                EXPECT_TRUE(Busy());
                *result = c.window ? &m_gateway : nullptr;
                if (c.window)
                    m_gateway.AddRef();
                return c.result;
            }));
        m_messages.clear();
        EXPECT_EQ(S_OK, m_bho->Start());
        ASSERT_EQ(1u, m_messages.size());
        EXPECT_EQ(ErrorJson(L"013."), m_messages[0]);
        EXPECT_FALSE(Busy());
        EXPECT_EQ(L"Hintora_GatewayClosed", Status()) << "the status is left as it was";
        EXPECT_EQ(0u, Probe(m_bho).GatewayReadyTimer());
    }
    EXPECT_EQ(3u, Count(*m_trace, L"CHintoraIEBHO::OpenGatewayWindow() - OpenWindow failed"));
}

TEST_F(HelpRequestTest, TheBlockFlagSkipsExactlyOneOpening) {
    Probe(m_bho).ContentUrl() = kContentUrl;
    SharedState::SetGatewayStatus(SharedState::kGatewayClosed);
    Probe(m_bho).BlockNewGateway() = 1;
    EXPECT_EQ(S_OK, Probe(m_bho).OpenGatewayWindow());
    EXPECT_EQ(0, Probe(m_bho).BlockNewGateway());
    EXPECT_TRUE(m_openings.empty());
    EXPECT_EQ(L"Hintora_GatewayClosed", Status());
    EXPECT_EQ(0u, Probe(m_bho).GatewayReadyTimer());

    EXPECT_EQ(S_OK, Probe(m_bho).OpenGatewayWindow());
    EXPECT_EQ(1u, m_openings.size());
    EXPECT_EQ(L"Hintora_GatewayOpening", Status());
}

TEST_F(HelpRequestTest, TheReadySignalHandsTheRequestOverOnce) {
    EXPECT_EQ(S_OK, m_bho->Start());
    UINT_PTR firstWait = Probe(m_bho).GatewayReadyTimer();
    ASSERT_NE(0u, firstWait);
    // A second request in the same tab (the first one counts as stale)
    // replaces the wait instead of adding one.
    EXPECT_EQ(S_OK, m_bho->Start());
    EXPECT_EQ(2u, m_openings.size());
    ASSERT_NE(0u, Probe(m_bho).GatewayReadyTimer());
    if (Probe(m_bho).GatewayReadyTimer() != firstWait) {
        EXPECT_FALSE(KillTimer(nullptr, firstWait));
    }
    PumpFor(300);
    EXPECT_EQ(0u, Count(*m_trace, L"gateway is ready"));

    SetEvent(m_ready);
    ASSERT_TRUE(PumpUntil([this] { return Count(*m_trace, L"gateway is ready") > 0; }, 1000));
    EXPECT_EQ(0u, Probe(m_bho).GatewayReadyTimer());

    // No wait is left to take a later gateway's signal.
    SetEvent(m_ready);
    PumpFor(400);
    EXPECT_EQ(1u, Count(*m_trace, L"CHintoraIEBHO::GatewayReadyTimerProc() - gateway is ready"));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(m_ready, 0));
}

// A content server may take minutes: neither wait gives up, only closing
// the tab ends them.
TEST_F(HelpRequestTest, WaitsForTheGatewayHaveNoLimitAndEndWithTheTab) {
    // Ticks driven by hand, well beyond two minutes of polling: the wait
    // goes on and the request stays busy.
    auto pollLong = [](TIMERPROC procedure, const UINT_PTR& wait) {
        UINT_PTR id = wait;
        ASSERT_NE(0u, id);
        for (int tick = 0; tick < 1000; ++tick)
            procedure(nullptr, WM_TIMER, id, 0);
        EXPECT_EQ(id, wait);
        EXPECT_TRUE(Busy());
    };

    // The new gateway never reports itself ready.
    EXPECT_EQ(S_OK, m_bho->Start());
    pollLong(HelperObjectProbe::GatewayReadyTimerProc, Probe(m_bho).GatewayReadyTimer());
    EXPECT_EQ(L"Hintora_GatewayOpening", Status());
    UINT_PTR ready = Probe(m_bho).GatewayReadyTimer();

    // A running gateway never reports itself closed.
    SharedState::SetGatewayStatus(SharedState::kGatewayRunning);
    Probe(m_bho).CloseGatewayWindow();
    pollLong(HelperObjectProbe::GatewayClosingTimerProc, Probe(m_bho).GatewayClosingTimer());
    EXPECT_EQ(L"Hintora_CloseGateway", Status());
    UINT_PTR closing = Probe(m_bho).GatewayClosingTimer();
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(1u, m_openings.size());

    // Closing the tab ends the closing wait; the object's end ends the other.
    Probe(m_bho).OnQuit();
    EXPECT_EQ(0u, Probe(m_bho).GatewayClosingTimer());
    EXPECT_FALSE(KillTimer(nullptr, closing));
    EXPECT_EQ(ready, Probe(m_bho).GatewayReadyTimer());
    m_bho->SetSite(nullptr);
    m_bho->Release();
    m_bho = nullptr;
    EXPECT_FALSE(KillTimer(nullptr, ready));
    EXPECT_FALSE(Busy());
}

TEST_F(HelpRequestTest, AnExceptionEndsTheRequestWithError012) {
    EXPECT_CALL(m_window, open(_, _, _, _, _))
        .WillOnce(Invoke([](BSTR, BSTR, BSTR, VARIANT_BOOL, IHTMLWindow2**) -> HRESULT {
            throw std::runtime_error("window gone");
        }));
    EXPECT_EQ(S_OK, m_bho->Start());
    EXPECT_EQ(1u, Count(*m_trace, L"CHintoraIEBHO::Start() exception"));
    ASSERT_EQ(1u, m_messages.size());
    EXPECT_EQ(ErrorJson(L"012."), m_messages[0]);
    EXPECT_FALSE(Busy()) << "the busy flag this request set is released";
    EXPECT_EQ(1u, Count(*m_trace, L"CHintoraIEBHO::Start() - End"));
}

TEST_F(HelpRequestTest, ARefusedRequestInTheGatewayWindowKeepsItsCloseWatch) {
    m_window.location.href = kGatewayUrl;
    CompleteDocument();
    Probe(m_bho).GatewayUrl() = kGatewayUrl;
    g_ticks = 0;
    Probe(m_bho).GatewayWaitingToCloseTimer() = SetTimer(nullptr, 0, 10, CountTick);
    ASSERT_NE(0u, Probe(m_bho).GatewayWaitingToCloseTimer());

    EXPECT_EQ(S_OK, m_bho->Start());
    EXPECT_EQ(1u, m_messages.size());
    PumpFor(100);
    EXPECT_GT(g_ticks, 0) << "the gateway still watches for its close request";
    EXPECT_EQ(kGatewayUrl, Probe(m_bho).GatewayUrl());
}

namespace {

DWORD WINAPI TimersWithoutHelperObject(LPVOID) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    UINT_PTR closing = SetTimer(nullptr, 0, 10, HelperObjectProbe::GatewayClosingTimerProc);
    UINT_PTR ready = SetTimer(nullptr, 0, 10, HelperObjectProbe::GatewayReadyTimerProc);
    PumpFor(200);
    // Both timers have ended themselves.
    DWORD stillRunning = (KillTimer(nullptr, closing) ? 1 : 0) + (KillTimer(nullptr, ready) ? 2 : 0);
    CoUninitialize();
    return stillRunning;
}

}  // namespace

TEST_F(HelpRequestTest, TimersOfAThreadWithoutHelperObjectStopAndTouchNothing) {
    SharedState::SetBusyState(TRUE);
    SharedState::SetGatewayStatus(SharedState::kGatewayClosed);
    HANDLE thread = CreateThread(nullptr, 0, TimersWithoutHelperObject, nullptr, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    // Trace lines from that thread are marshalled into this apartment.
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, 10000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
        Pump();
    DWORD stillRunning = 99;
    GetExitCodeThread(thread, &stillRunning);
    CloseHandle(thread);
    EXPECT_EQ(0u, stillRunning);
    EXPECT_EQ(1u, Count(*m_trace, L"CHintoraIEBHO::GatewayClosingTimerProc() - no bho"));
    EXPECT_EQ(1u, Count(*m_trace, L"CHintoraIEBHO::GatewayReadyTimerProc() - no bho"));
    EXPECT_TRUE(m_openings.empty());
    EXPECT_TRUE(Busy());
    EXPECT_EQ(L"Hintora_GatewayClosed", Status());
}

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "base/ThreadSlot.h"
#include "helper/HintoraIEBHO.h"
#include "helper/SharedState.h"
#include "HelperObjectProbe.h"
#include "PageFakes.h"
#include "ProductKeySandbox.h"
#include "settings/ProductSettings.h"
#include "TabTestSupport.h"
#include "TraceCapture.h"

using ::testing::ElementsAre;

namespace {

HANDLE ContextReady() {
    return SharedState::GetEvent(SharedState::kBrowserContextReadyEvent, FALSE);
}

// What the recognition script of one run answers.
struct Script {
    bool descriptor = true;
    bool framesAccepted = true;
    std::wstring order = L"crm,web";
    // Frame index whose leader call gives the context object; -1 for none.
    LONG contextFrame = 0;
    FakeScriptObject descriptorObject;
    FakeScriptObject context;
};

// The recognition namespace in a frame's script: each call is logged with
// the frame's name and its arguments in the script's order.
FakeScriptObject& InstallRecognition(Frame& frame, Script& script) {
    FakeScriptObject& recognition = frame.Namespace(L"Velnor", L"Recognition");
    std::wstring name = frame.name;
    recognition.SetMethod(L"CreateBrowserDescriptor", [&script, name](DISPPARAMS* params, VARIANT* result) {
        auto args = Arguments(params);
        PageLog().push_back(name + L".CreateBrowserDescriptor(" + args[0] + L"|" + args[1] + L"|" + args[2] + L")");
        if (script.descriptor && result) {
            result->vt = VT_DISPATCH;
            result->pdispVal = &script.descriptorObject;
            script.descriptorObject.AddRef();
        } else if (result) {
            result->vt = VT_NULL;
        }
        return S_OK;
    });
    recognition.SetMethod(L"SetFrames", [&script, name](DISPPARAMS* params, VARIANT* result) {
        auto args = Arguments(params);
        PageLog().push_back(name + L".SetFrames(" + args[0] + L"|" + args[1] + L"|" + args[2] + L"|" + args[3] +
                            L"|" + args[4] + L")");
        result->vt = VT_BOOL;
        result->boolVal = script.framesAccepted ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
    recognition.SetMethod(L"GetPlaybackContext", [&script, name](DISPPARAMS* params, VARIANT* result) {
        auto args = Arguments(params);
        PageLog().push_back(name + L".GetPlaybackContext(" + args[0] + L"|" + args[1] + L")");
        if (params->rgvarg[0].lVal == script.contextFrame) {
            result->vt = VT_DISPATCH;
            result->pdispVal = &script.context;
            script.context.AddRef();
        } else {
            result->vt = VT_NULL;
        }
        return S_OK;
    });
    recognition.SetMethod(L"GetApplicationOrder", [&script, name](DISPPARAMS* params, VARIANT* result) {
        PageLog().push_back(name + L".GetApplicationOrder(" + Arguments(params)[0] + L")");
        ReturnText(result, script.order);
        return S_OK;
    });
    return recognition;
}

void SetContext(Script& script, const std::wstring& application, const std::wstring& type,
                const std::wstring& contextList) {
    Var app(application.c_str()), kind(type.c_str()), search(L"find me"), list(contextList.c_str()),
        defaults(L"{\"d\":1}");
    script.context.SetProperty(L"Application", app);
    script.context.SetProperty(L"Type", kind);
    script.context.SetProperty(L"SearchExpression", search);
    script.context.SetProperty(L"ContextList", list);
    script.context.SetProperty(L"Defaults", defaults);
}

class Recognition : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_sandbox.Active());
        PageLog().clear();
        while (Signalled(ContextReady())) {
        }
        auto block = ReadBlock();
        block->busy = 1;
        SharedState::CopyToField(block->gatewayStatus, L"Hintora_GatewayOpening");
        SharedState::CopyToField(block->disabledApplicationList, L"sap");
        SharedState::CopyToField(block->configuredApplicationList, L"crm,web,sap");
        SharedState::CopyToField(block->application, L"stale");
        ASSERT_TRUE(SharedState::WriteToSharedMemory(*block));

        IObjectWithSite* site = nullptr;
        ASSERT_EQ(S_OK, CHintoraIEBHO::CreateInstance(IID_IObjectWithSite, reinterpret_cast<void**>(&site)));
        m_bho = static_cast<CHintoraIEBHO*>(site);
    }
    void TearDown() override {
        Finish();
        while (Signalled(ContextReady())) {
        }
    }
    // The object lets go of the page's frames before they are destroyed.
    void Finish() {
        if (m_bho)
            m_bho->Release();
        m_bho = nullptr;
    }
    void Show(Frame& top) {
        Probe(m_bho).Window() = &top.window;
    }

    // Frames live until the object has let go of them.
    Frame& NewFrame(const std::wstring& name, const std::wstring& url, const std::wstring& domain) {
        m_pages.emplace_back(new Frame(name, url, domain));
        return *m_pages.back();
    }

    ProductKeySandbox m_sandbox;
    std::vector<std::unique_ptr<Frame>> m_pages;
    CHintoraIEBHO* m_bho = nullptr;
};

// Top page of domain x with frames B (y), K (x) and a blank D that holds E (z).
struct ExamplePage {
    Frame& top;
    Frame& b;
    Frame& k;
    Frame& d;
    Frame& e;
    template <class Make>
    explicit ExamplePage(Make make)
        : top(make(L"top", L"http://x.example/app", L"x.example")), b(make(L"B", L"https://y.example/b", L"y.example")),
          k(make(L"K", L"HTTP://x.example/k", L"x.example")), d(make(L"D", L"about:blank", L"")),
          e(make(L"E", L"http://z.example/e", L"z.example")) {
        top.Add(b);
        top.Add(k);
        top.Add(d);
        d.Add(e);
    }
};

}  // namespace

TEST_F(Recognition, OneLeaderPerDomainIsInjectedAndTheFirstContextWins) {
    TraceCapture trace;
    ExamplePage page([this](const wchar_t* n, const wchar_t* u, const wchar_t* d) -> Frame& { return NewFrame(n, u, d); });
    // E's window refuses its document; its browser object still hands it out.
    page.e.window.refusesDocument = true;
    Script script;
    script.contextFrame = 3;
    SetContext(script, L"web", L"quenta", L"{\"k\":1}");
    for (Frame* frame : {&page.top, &page.b, &page.k, &page.e})
        InstallRecognition(*frame, script);
    Show(page.top);

    EXPECT_EQ(S_OK, Probe(m_bho).ProceedWithRecognition());

    ASSERT_EQ(4u, Probe(m_bho).Frames().size());
    EXPECT_EQ(static_cast<IHTMLWindow2*>(&page.top.window), Probe(m_bho).Frames()[0].Get());
    EXPECT_EQ(static_cast<IHTMLWindow2*>(&page.b.window), Probe(m_bho).Frames()[1].Get());
    EXPECT_EQ(static_cast<IHTMLWindow2*>(&page.k.window), Probe(m_bho).Frames()[2].Get());
    EXPECT_EQ(static_cast<IHTMLWindow2*>(&page.e.window), Probe(m_bho).Frames()[3].Get());
    EXPECT_THAT(Probe(m_bho).FrameParentIndexes(), ElementsAre(-1, 0, 0, 0));
    EXPECT_THAT(Probe(m_bho).FrameLeaderIndexes(), ElementsAre(0, 1, 0, 3));

    EXPECT_THAT(PageLog(),
                ElementsAre(L"top.inject", L"B.inject", L"E.inject",
                            L"top.CreateBrowserDescriptor(|crm,web,sap|sap)",
                            L"top.SetFrames(object|[object,object,object,object]|[-1,0,0,0]|null|[0,1,0,3])",
                            L"top.GetPlaybackContext(object|0)", L"B.GetPlaybackContext(object|1)",
                            L"top.GetPlaybackContext(object|0)", L"E.GetPlaybackContext(object|3)",
                            L"top.GetApplicationOrder(object)"));
    ASSERT_EQ(1u, page.top.injected.size());
    EXPECT_EQ(0u, page.top.injected[0].find(L"window.Velnor={};(function(Velnor){"));
    EXPECT_NE(std::wstring::npos, page.top.injected[0].find(L"Recognition.GetPlaybackContext = function"));
    EXPECT_TRUE(trace.Has(L"CHintoraIEBHO::ProceedWithRecognition() - NOT injected into frameLeaderIndexArray[2] = 0"));
    EXPECT_TRUE(trace.Has(L"CHintoraIEBHO::CollectFrames() - frame not added about:blank"));
    EXPECT_TRUE(
        trace.Has(L"CHintoraIEBHO::ProceedWithRecognition() - GetPlaybackContext called on frameLeaderIndexArray[3] = 3"));

    auto block = ReadBlock();
    EXPECT_EQ(L"web", SharedState::ReadField(block->application));
    EXPECT_EQ(L"quenta", SharedState::ReadField(block->type));
    EXPECT_EQ(L"find me", SharedState::ReadField(block->searchExpression));
    EXPECT_EQ(L"{\"k\":1}", SharedState::ReadField(block->contextList));
    EXPECT_EQ(L"{\"d\":1}", SharedState::ReadField(block->defaults));
    EXPECT_EQ(L"", SharedState::ReadField(block->disabledApplicationList));
    EXPECT_EQ(L"", SharedState::ReadField(block->configuredApplicationList));
    EXPECT_EQ(L"Hintora_GatewayRunning", SharedState::ReadField(block->gatewayStatus));
    EXPECT_EQ(1, block->busy) << "the gateway side ends the request";
    EXPECT_TRUE(Signalled(ContextReady()));

    // The learned order is the first argument of the next run.
    std::wstring order;
    ProductSettings::GetApplicationOrder(order);
    EXPECT_EQ(L"crm,web", order);
    Probe(m_bho).Reset();
    PageLog().clear();
    Probe(m_bho).ProceedWithRecognition();
    ASSERT_GE(PageLog().size(), 4u);
    EXPECT_EQ(L"top.CreateBrowserDescriptor(crm,web||)", PageLog()[3])
        << "the lists were emptied by the first run";
}

TEST_F(Recognition, LeadersAreInjectedInFrameOrderAndAFailedOneOnlyUntilALaterLeaderSucceeds) {
    TraceCapture trace;
    // Domains that sort otherwise than the frames stand: z, z, a, z, m.
    Frame& top = NewFrame(L"top", L"http://z.example/", L"z.example");
    Frame& same = NewFrame(L"same", L"http://z.example/1", L"z.example");
    Frame& a = NewFrame(L"A", L"http://a.example/", L"a.example");
    Frame& again = NewFrame(L"again", L"http://z.example/2", L"z.example");
    Frame& m = NewFrame(L"M", L"http://m.example/", L"m.example");
    for (Frame* child : {&same, &a, &again, &m})
        top.Add(*child);
    // The top frame refuses the script twice, then would take it.
    int attempts = 0;
    top.script.SetMethod(L"eval", [&attempts](DISPPARAMS*, VARIANT*) {
        bool refused = attempts++ < 2;
        PageLog().push_back(refused ? L"top.refused" : L"top.inject");
        return refused ? E_FAIL : S_OK;
    });
    Script script;
    SetContext(script, L"web", L"quenta", L"{}");
    InstallRecognition(top, script);
    Show(top);

    Probe(m_bho).ProceedWithRecognition();

    EXPECT_THAT(Probe(m_bho).FrameLeaderIndexes(), ElementsAre(0, 0, 2, 0, 4));
    std::vector<std::wstring> injections;
    for (const std::wstring& call : PageLog())
        if (call.find(L".inject") != std::wstring::npos || call.find(L".refused") != std::wstring::npos)
            injections.push_back(call);
    EXPECT_THAT(injections, ElementsAre(L"top.refused", L"top.refused", L"A.inject", L"M.inject"));
    EXPECT_TRUE(trace.Has(L"CHintoraIEBHO::ProceedWithRecognition() - Couldn't inject script, leader frame index: 0"));
    EXPECT_TRUE(trace.Has(L"CHintoraIEBHO::ProceedWithRecognition() - NOT injected into frameLeaderIndexArray[3] = 0"));
    EXPECT_TRUE(Signalled(ContextReady())) << "failed injections do not end the run";
}

TEST_F(Recognition, LongContextTextsAreCutToTheirFields) {
    Frame& top = NewFrame(L"top", L"http://x.example/", L"x.example");
    Script script;
    std::wstring longList(40000, L'c');
    SetContext(script, std::wstring(2000, L'a'), L"quenta", longList);
    InstallRecognition(top, script);
    Show(top);

    Probe(m_bho).ProceedWithRecognition();

    auto block = ReadBlock();
    EXPECT_EQ(std::wstring(32767, L'c'), SharedState::ReadField(block->contextList));
    EXPECT_EQ(std::wstring(1023, L'a'), SharedState::ReadField(block->application));
    EXPECT_TRUE(Signalled(ContextReady()));
}

TEST_F(Recognition, AStatusWrittenByTheGatewayMeanwhileIsKept) {
    Frame& top = NewFrame(L"top", L"http://x.example/", L"x.example");
    Script script;
    SetContext(script, L"web", L"nomatch", L"");
    // Another tab asks the gateway to close while the page is recognised.
    InstallRecognition(top, script).SetMethod(L"SetFrames", [](DISPPARAMS*, VARIANT* result) {
        SharedState::SetGatewayStatus(SharedState::kCloseGateway);
        result->vt = VT_BOOL;
        result->boolVal = VARIANT_TRUE;
        return S_OK;
    });
    Show(top);
    Probe(m_bho).ProceedWithRecognition();

    auto block = ReadBlock();
    EXPECT_EQ(L"Hintora_CloseGateway", SharedState::ReadField(block->gatewayStatus));
    EXPECT_EQ(L"web", SharedState::ReadField(block->application));
}

TEST_F(Recognition, FailuresEndTheRequestWithTheirErrorAndWriteNoContext) {
    struct Case {
        const wchar_t* url;
        bool descriptor;
        bool framesAccepted;
        bool nullType;
        const wchar_t* trace;
        const wchar_t* error;
    } cases[] = {
        {L"file:///C:/page.html", true, true, false, L"CHintoraIEBHO::ProceedWithRecognition() - no valid frame",
         L"007. <BR />No valid frame."},
        {L"http://x.example/", false, true, false,
         L"CHintoraIEBHO::ProceedWithRecognition() - couldn't create BrowserDescriptor",
         L"006. <BR />Couldn't create BrowserDescriptor."},
        {L"http://x.example/", true, false, false,
         L"CHintoraIEBHO::ProceedWithRecognition() - SetFrames returned with false",
         L"008. <BR />Function Velnor.Recognition.SetFrames failed."},
        {L"http://x.example/", true, true, true, L"CHintoraIEBHO::ProceedWithRecognition() - GetPlaybackContext succeeded",
         L"012. <BR />Unexpected exception catched, please consult the traces for details."},
    };
    m_sandbox.PutAdvanced(L"diagnosticmode", L"1");
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.error)));
        Finish();
        IObjectWithSite* site = nullptr;
        ASSERT_EQ(S_OK, CHintoraIEBHO::CreateInstance(IID_IObjectWithSite, reinterpret_cast<void**>(&site)));
        m_bho = static_cast<CHintoraIEBHO*>(site);
        SharedState::SetBusyState(TRUE);
        SharedState::SetGatewayStatus(SharedState::kGatewayRunning);
        SharedState::ClearBrowserContext();

        TraceCapture trace;
        Frame& top = NewFrame(L"top", c.url, L"x.example");
        Frame& child = NewFrame(L"child", L"res://HintoraIE.dll/203", L"");
        top.Add(child);
        Script script;
        script.descriptor = c.descriptor;
        script.framesAccepted = c.framesAccepted;
        SetContext(script, L"web", L"quenta", L"{}");
        if (c.nullType) {
            Var none;
            none.vt = VT_NULL;
            script.context.SetProperty(L"Type", none);
        }
        InstallRecognition(top, script);
        Show(top);

        Probe(m_bho).ProceedWithRecognition();

        EXPECT_TRUE(trace.Has(c.trace));
        ASSERT_EQ(1u, top.window.dialogs.size());
        EXPECT_NE(std::wstring::npos, top.window.dialogs[0].find(c.error));
        EXPECT_TRUE(Probe(m_bho).Frames().empty());
        EXPECT_FALSE(Signalled(ContextReady()));
        auto block = ReadBlock();
        EXPECT_EQ(0, block->busy);
        EXPECT_EQ(L"", SharedState::ReadField(block->application));
        EXPECT_EQ(L"Hintora_CloseGateway", SharedState::ReadField(block->gatewayStatus))
            << "the running gateway is asked to close";
    }
}

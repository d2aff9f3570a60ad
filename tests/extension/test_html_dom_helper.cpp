#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/Logger.h"
#include "helper/HtmlDomHelper.h"
#include "NotImplComBases.h"
#include "ScriptFakes.h"
#include "TraceCapture.h"

#include <servprov.h>
#include <shlguid.h>

using ::testing::_;
using ::testing::DoAll;
using ::testing::ElementsAre;
using ::testing::Return;
using ::testing::SetArgPointee;

namespace {

const wchar_t kPageScript[] =
    L"var window = this;\n"
    L"window.Velnor = { Answer: 0, Recognition: {\n"
    L"  Join: function (first, second, third) { return first + '|' + second + '|' + third; },\n"
    L"  Fail: function () { throw new Error('recognizer broke'); },\n"
    L"  ReadAnswer: function () { return window.Velnor.Answer; }\n"
    L"} };\n";

class PageScript : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(host.Run(kPageScript)) << "wine's JScript engine is not usable"; }
    JScriptHost host;
    HtmlDomHelper dom;
};

// Returns the received arguments as "arg0,arg1,..." in parameter-block order.
FakeScriptObject::Method Recorder(std::wstring* seen, HRESULT answer = S_OK) {
    return [seen, answer](DISPPARAMS* params, VARIANT*) {
        seen->clear();
        for (UINT i = 0; i < params->cArgs; ++i)
            *seen += (i ? L"," : L"") + std::wstring(params->rgvarg[i].bstrVal);
        return answer;
    };
}

}  // namespace

TEST_F(PageScript, ArgumentsReachTheScriptLastFirst) {
    Var a(L"a"), b(L"b"), c(L"c"), result;
    ASSERT_EQ(S_OK, dom.CallFunction(host.Global(), &result, L"window.Velnor.Recognition.Join", a, b, c));
    EXPECT_EQ(L"c|b|a", result.Str());

    // The array form and InvokeHelper follow the same rule.
    const VARIANT args[] = {a, b, c};
    ASSERT_EQ(S_OK, dom.CallFunction(host.Global(), &result, L"Velnor.Recognition.Join", 3, args));
    EXPECT_EQ(L"c|b|a", result.Str());
    Var velnor;
    ASSERT_EQ(S_OK, dom.InvokeHelper(DISPATCH_PROPERTYGET, &velnor, host.Global(), L"Velnor"));
    Var recognition;
    ASSERT_EQ(S_OK, dom.InvokeHelper(DISPATCH_PROPERTYGET, &recognition, velnor.pdispVal, L"Recognition"));
    ASSERT_EQ(S_OK, dom.InvokeHelper(DISPATCH_METHOD, &result, recognition.pdispVal, L"Join", a, b, c));
    EXPECT_EQ(L"c|b|a", result.Str());
}

TEST_F(PageScript, PropertyPutReachesTheScript) {
    Var velnor, answer(42), result;
    ASSERT_EQ(S_OK, dom.InvokeHelper(DISPATCH_PROPERTYGET, &velnor, host.Global(), L"Velnor"));
    ASSERT_EQ(S_OK, dom.InvokeHelper(DISPATCH_PROPERTYPUT, nullptr, velnor.pdispVal, L"Answer", answer));
    ASSERT_EQ(S_OK, dom.CallFunction(host.Global(), &result, L"window.Velnor.Recognition.ReadAnswer"));
    ASSERT_EQ(VT_I4, result.vt);
    EXPECT_EQ(42, result.lVal);
}

TEST_F(PageScript, ScriptExceptionFailsTheCallWithTwoTraceLines) {
    TraceCapture trace;
    Var result;
    HRESULT hr = dom.CallFunction(host.Global(), &result, L"window.Velnor.Recognition.Fail");
    EXPECT_TRUE(FAILED(hr));
    auto lines = trace.Lines();
    ASSERT_EQ(2u, lines.size());
    EXPECT_THAT(lines[0], ::testing::StartsWith(
        L"HtmlDomHelper::InvokeHelperV() - HtmlDomHelper::InvokeHelperV: #ERROR# - IDispatch::Invoke bstrDescription ["));
    EXPECT_EQ(L"Error : HtmlDomHelper::CallFunction() - " + Logger::GetErrorMessage(static_cast<DWORD>(hr)),
              lines[1]);
}

TEST_F(PageScript, EvalBoolOfAMissingObjectIsFalse) {
    bool value = true;
    EXPECT_EQ(S_OK, dom.EvalBool(host.Global(), L"(typeof(Missing) == 'object')", &value));
    EXPECT_FALSE(value);
    EXPECT_EQ(S_OK, dom.EvalBool(host.Global(), L"(typeof(Velnor) == 'object')", &value));
    EXPECT_TRUE(value);
}

TEST(CallFunction, WalksEachNameAndCallsTheLastOnTheObjectReached) {
    // Declared so that each parent, which holds its child as a property, goes first.
    FakeScriptObject recognition, velnor, window;
    std::wstring seen;
    window.SetObject(L"window", &window);
    window.SetObject(L"Velnor", &velnor);
    velnor.SetObject(L"Recognition", &recognition);
    recognition.SetMethod(L"SetFrames", Recorder(&seen));

    HtmlDomHelper dom;
    Var a(L"a"), b(L"b");
    EXPECT_EQ(S_OK, dom.CallFunction(&window, nullptr, L"window.Velnor.Recognition.SetFrames", a, b));
    EXPECT_THAT(window.calls, ElementsAre(L"get:window", L"get:Velnor"));
    EXPECT_THAT(velnor.calls, ElementsAre(L"get:Recognition"));
    EXPECT_THAT(recognition.calls, ElementsAre(L"call:SetFrames"));
    EXPECT_EQ(L"a,b", seen);  // the block as handed; IDispatch reads it last-first

    // Every reference taken on the way was given back; the one left is the
    // parent's property.
    EXPECT_EQ(2, velnor.References());
    EXPECT_EQ(2, recognition.References());
}

TEST(CallFunction, OneNameCallsTheTargetItself) {
    FakeScriptObject gateway;
    std::wstring seen;
    gateway.SetMethod(L"Start", Recorder(&seen));
    HtmlDomHelper dom;
    Var x(L"x");
    EXPECT_EQ(S_OK, dom.CallFunction(&gateway, nullptr, L"Start", x));
    EXPECT_THAT(gateway.calls, ElementsAre(L"call:Start"));
    EXPECT_EQ(L"x", seen);

    // An object handed as argument reaches the callee as itself and is let go
    // with the parameter block, whether the call succeeds or not.
    FakeScriptObject argument;
    IDispatch* received = nullptr;
    gateway.SetMethod(L"Take", [&received](DISPPARAMS* params, VARIANT*) {
        received = params->rgvarg[0].pdispVal;
        return E_FAIL;
    });
    Var object;
    object.vt = VT_DISPATCH;
    object.pdispVal = &argument;
    argument.AddRef();
    const LONG before = argument.References();
    EXPECT_EQ(E_FAIL, dom.CallFunction(&gateway, nullptr, L"Take", object));
    EXPECT_EQ(&argument, received);
    EXPECT_EQ(E_INVALIDARG, dom.InvokeHelper(DISPATCH_METHOD, nullptr, nullptr, L"Take", object));
    EXPECT_EQ(before, argument.References());
}

TEST(CallFunction, MissingMiddleNameFailsWithoutCallingAnythingFurtherUp) {
    TraceCapture trace;
    FakeScriptObject window;
    std::wstring seen = L"untouched";
    window.SetObject(L"window", &window);
    // A same-named function on the window must not stand in for the missing one.
    window.SetMethod(L"SetFrames", Recorder(&seen));

    HtmlDomHelper dom;
    Var result;
    EXPECT_EQ(DISP_E_UNKNOWNNAME, dom.CallFunction(&window, &result, L"window.Velnor.Recognition.SetFrames"));
    EXPECT_EQ(L"untouched", seen);
    EXPECT_THAT(trace.Lines(),
                ElementsAre(L"HtmlDomHelper::InvokeHelperV() - HtmlDomHelper::InvokeHelperV: #ERROR# - "
                            L"IDispatch::GetIDsOfNames (\"Velnor\") failed w/err 0x80020006",
                            L"Error : HtmlDomHelper::CallFunction() - " +
                                Logger::GetErrorMessage(static_cast<DWORD>(DISP_E_UNKNOWNNAME))));
}

TEST(CallFunction, MiddleNameThatIsNoObjectFails) {
    FakeScriptObject window;
    std::wstring seen = L"untouched";
    Var number(7);
    window.SetProperty(L"Velnor", number);
    window.SetProperty(L"Empty", Var());
    window.SetMethod(L"Run", Recorder(&seen));
    HtmlDomHelper dom;
    EXPECT_EQ(DISP_E_TYPEMISMATCH, dom.CallFunction(&window, nullptr, L"Velnor.Run"));
    EXPECT_EQ(DISP_E_TYPEMISMATCH, dom.CallFunction(&window, nullptr, L"Empty.Run"));
    EXPECT_EQ(L"untouched", seen);
}

TEST(CallFunction, RejectsEmptyPathsAndNullTargets) {
    TraceCapture trace;
    HtmlDomHelper dom;
    FakeScriptObject window;
    EXPECT_EQ(E_INVALIDARG, dom.CallFunction(&window, nullptr, L""));
    EXPECT_THAT(trace.Lines(), ElementsAre(L"HtmlDomHelper::CallFunction() - E_INVALIDARG"));

    EXPECT_THROW(dom.CallFunction(&window, nullptr, L"..."), ComFailure);

    trace.Clear();
    EXPECT_EQ(E_INVALIDARG, dom.CallFunction(nullptr, nullptr, L"Start"));
    EXPECT_EQ(L"HtmlDomHelper::InvokeHelperV() - E_INVALIDARG", trace.Lines().at(0));
    EXPECT_TRUE(window.calls.empty());
}

// eval and execScript of a page's script object, as a test sets them up.
class EvalFake : public ::testing::Test {
protected:
    void SetUp() override {
        script.SetMethod(L"eval", [this](DISPPARAMS* params, VARIANT* result) {
            evalArgs.push_back(params->rgvarg[0].bstrVal);
            if (nextAnswer == evalAnswers.size())
                return E_FAIL;
            return VariantCopy(result, &evalAnswers[nextAnswer++]);
        });
        script.SetMethod(L"execScript", [this](DISPPARAMS* params, VARIANT*) {
            execArgs.push_back(params->rgvarg[0].bstrVal);
            return S_OK;
        });
    }
    void Answer(Var value) { evalAnswers.push_back(std::move(value)); }

    FakeScriptObject script;
    std::vector<Var> evalAnswers;
    size_t nextAnswer = 0;
    std::vector<std::wstring> evalArgs, execArgs;
    HtmlDomHelper dom;
};

TEST_F(EvalFake, BooleanFromEvalNeedsNoRetry) {
    Answer(Var::Bool(true));
    bool value = false;
    EXPECT_EQ(S_OK, dom.EvalBool(&script, L"1 == 1", &value));
    EXPECT_TRUE(value);
    EXPECT_TRUE(execArgs.empty());
}

TEST_F(EvalFake, NonBooleanIsRetriedThroughATemporaryVariable) {
    Answer(Var(L"not yet"));
    Answer(Var::Bool(true));
    bool value = false;
    EXPECT_EQ(S_OK, dom.EvalBool(&script, L"(x == 1)", &value));
    EXPECT_TRUE(value);
    EXPECT_THAT(execArgs, ElementsAre(L"var __temporaryEvalValue__ = (x == 1);"));
    EXPECT_THAT(evalArgs, ElementsAre(L"(x == 1)", L"__temporaryEvalValue__"));
}

TEST_F(EvalFake, StillNotBooleanAfterRetryIsInvalidDatatype) {
    TraceCapture trace;
    Answer(Var(L"text"));
    Answer(Var(L"text"));
    bool value = true;
    EXPECT_EQ(static_cast<HRESULT>(0x8007070C), dom.EvalBool(&script, L"'te' + 'xt'", &value));
    EXPECT_FALSE(value);
    EXPECT_TRUE(trace.Has(L"Result datatype is invalid. Expected: BOOL, actual: 8."));
}

TEST_F(EvalFake, FailedEvalFallsBackToExecScriptWithTheSameCode) {
    // No answers: every eval fails.
    Var code(L"Velnor.Go()");
    EXPECT_EQ(S_OK, dom.RunScript(&script, code));
    EXPECT_THAT(evalArgs, ElementsAre(L"Velnor.Go()"));
    EXPECT_THAT(execArgs, ElementsAre(L"Velnor.Go()"));

    // A failed retry is returned as failure with the boolean left false.
    FakeScriptObject bare;
    bool value = true;
    EXPECT_EQ(DISP_E_UNKNOWNNAME, dom.EvalBool(&bare, L"true", &value));
    EXPECT_FALSE(value);
}

// The browser-service road: window -> IServiceProvider -> IWebBrowser2 ->
// document, as taken for frames of another domain.
namespace {

class MockDocument : public NotImplIHTMLDocument2 {
public:
    MOCK_METHOD(HRESULT, get_Script, (IDispatch**), (override, Calltype(STDMETHODCALLTYPE)));
};

class MockBrowser : public NotImplIWebBrowser2 {
public:
    MOCK_METHOD(HRESULT, get_Document, (IDispatch**), (override, Calltype(STDMETHODCALLTYPE)));
};

class MockServiceProvider : public IServiceProvider {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppv) override {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return m_references.AddRef(typeid(*this)); }
    ULONG STDMETHODCALLTYPE Release() override { return m_references.Release(typeid(*this)); }
    MOCK_METHOD(HRESULT, QueryService, (REFGUID, REFIID, void**), (override, Calltype(STDMETHODCALLTYPE)));

private:
    FakeReferences m_references;
};

class MockWindow : public NotImplIHTMLWindow2 {
public:
    MOCK_METHOD(HRESULT, get_document, (IHTMLDocument2**), (override, Calltype(STDMETHODCALLTYPE)));
    HRESULT QueryOther(REFIID riid, void** ppv) override {
        if (riid == IID_IServiceProvider && services) {
            *ppv = services;
            services->AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    IServiceProvider* services = nullptr;
};

template <class T>
auto HandOut(T* object) {
    return [object](auto** out) {
        object->AddRef();
        *out = object;
        return S_OK;
    };
}

}  // namespace

TEST(GetScriptObject, SameDomainWindowGivesItsDocumentsScript) {
    MockWindow window;
    MockDocument document;
    FakeScriptObject script;
    EXPECT_CALL(window, get_document(_)).WillOnce(HandOut<IHTMLDocument2>(&document));
    EXPECT_CALL(document, get_Script(_)).WillOnce(HandOut<IDispatch>(&script));

    HtmlDomHelper dom;
    IDispatch* found = nullptr;
    EXPECT_EQ(S_OK, dom.GetScriptObject(&window, &found));
    EXPECT_EQ(&script, found);
    found->Release();
    EXPECT_EQ(1, document.References());
    EXPECT_EQ(1, window.References());
}

TEST(GetScriptObject, OtherDomainFrameIsReachedThroughTheBrowserService) {
    MockWindow window;
    MockServiceProvider services;
    MockBrowser browser;
    MockDocument document;
    FakeScriptObject script;
    window.services = &services;
    EXPECT_CALL(window, get_document(_)).WillOnce(Return(E_ACCESSDENIED));
    EXPECT_CALL(services, QueryService(SID_SWebBrowserApp, IID_IWebBrowser2, _))
        .WillOnce([&browser](REFGUID, REFIID, void** out) {
            browser.AddRef();
            *out = static_cast<IWebBrowser2*>(&browser);
            return S_OK;
        });
    EXPECT_CALL(browser, get_Document(_)).WillOnce([&document](IDispatch** out) {
        document.AddRef();
        *out = static_cast<IHTMLDocument2*>(&document);
        return S_OK;
    });
    EXPECT_CALL(document, get_Script(_)).WillOnce(HandOut<IDispatch>(&script));

    HtmlDomHelper dom;
    IDispatch* found = nullptr;
    EXPECT_EQ(S_OK, dom.GetScriptObject(&window, &found));
    EXPECT_EQ(&script, found);
    found->Release();
    EXPECT_EQ(1, browser.References());
    EXPECT_EQ(1, document.References());
}

TEST(GetScriptObject, FailuresOfTheRoadAreReturned) {
    HtmlDomHelper dom;
    IDispatch* found = nullptr;
    EXPECT_EQ(E_FAIL, dom.GetScriptObject(nullptr, &found));

    // Refused document and no browser service: the query's failure.
    MockWindow window;
    EXPECT_CALL(window, get_document(_)).WillOnce(Return(E_ACCESSDENIED));
    EXPECT_EQ(E_NOINTERFACE, dom.GetScriptObject(&window, &found));
    EXPECT_EQ(nullptr, found);

    // A browser without a document is a failure, not a null to call through.
    MockWindow blank;
    MockServiceProvider services;
    MockBrowser browser;
    blank.services = &services;
    EXPECT_CALL(blank, get_document(_)).WillOnce(DoAll(SetArgPointee<0>(nullptr), Return(S_OK)));
    EXPECT_CALL(services, QueryService(_, _, _)).WillOnce([&browser](REFGUID, REFIID, void** out) {
        browser.AddRef();
        *out = static_cast<IWebBrowser2*>(&browser);
        return S_OK;
    });
    EXPECT_CALL(browser, get_Document(_)).WillOnce(DoAll(SetArgPointee<0>(nullptr), Return(S_OK)));
    EXPECT_EQ(E_FAIL, dom.GetScriptObject(&blank, &found));
    EXPECT_EQ(1, browser.References());
}

TEST(GetBrowserDocument, RefusesWhatIsNoHtmlDocumentAndKeepsNoReference) {
    IHTMLDocument2* document = nullptr;
    MockWindow window;
    EXPECT_EQ(E_POINTER, HtmlDomHelper::GetBrowserDocument(&window, nullptr));
    EXPECT_EQ(E_INVALIDARG, HtmlDomHelper::GetBrowserDocument(nullptr, &document));

    // A browser service that refuses is its failure; a browser whose document
    // is some other object is no interface.
    MockServiceProvider services;
    MockBrowser browser;
    FakeScriptObject plain;
    window.services = &services;
    EXPECT_CALL(services, QueryService(SID_SWebBrowserApp, IID_IWebBrowser2, _))
        .WillOnce(Return(E_ACCESSDENIED))
        .WillOnce([&browser](REFGUID, REFIID, void** out) {
            browser.AddRef();
            *out = static_cast<IWebBrowser2*>(&browser);
            return S_OK;
        });
    EXPECT_CALL(browser, get_Document(_)).WillOnce(HandOut<IDispatch>(&plain));
    EXPECT_EQ(E_ACCESSDENIED, HtmlDomHelper::GetBrowserDocument(&window, &document));
    EXPECT_EQ(E_NOINTERFACE, HtmlDomHelper::GetBrowserDocument(&window, &document));
    EXPECT_EQ(nullptr, document);
    EXPECT_EQ(1, window.References());
    EXPECT_EQ(1, browser.References());
    EXPECT_EQ(1, plain.References());
}

TEST(SplitString, DropsEmptyTokensAndKeepsOrder) {
    std::vector<std::wstring> tokens;
    SplitString(L"..window..Velnor.Recognition.", L".", tokens);
    EXPECT_THAT(tokens, ElementsAre(L"window", L"Velnor", L"Recognition"));

    tokens.assign({L"kept"});
    SplitString(L"a=1&b=2", L"&=", tokens);
    EXPECT_THAT(tokens, ElementsAre(L"kept", L"a", L"1", L"b", L"2"));

    tokens.clear();
    SplitString(L"", L",", tokens);
    SplitString(L",,;", L",;", tokens);
    EXPECT_TRUE(tokens.empty());
}

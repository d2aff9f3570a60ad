// The scriptable object as script reaches it: late-bound through IDispatch,
// with the type library's names, DISPIDs and parameter types.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "HintoraFakes.h"
#include "scriptable/Hintora.h"
#include "ui/MessageWindows.h"

namespace {

class Script {
public:
    Script() { CHintora::CreateInstance(IID_IDispatch, reinterpret_cast<void**>(&m_dispatch)); }
    ~Script() {
        if (m_dispatch)
            m_dispatch->Release();
    }
    IDispatch* Object() const { return m_dispatch; }

    DISPID Id(const wchar_t* name) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id = DISPID_UNKNOWN;
        m_lastResult = m_dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        return id;
    }

    // Calls a method by name as a script does: strings arrive as VT_BSTR
    // values, not as references, and the result comes back as a variant.
    HRESULT Call(const wchar_t* name, std::vector<std::wstring> args, VARIANT* result) {
        DISPID id = Id(name);
        if (FAILED(m_lastResult))
            return m_lastResult;
        std::vector<VARIANT> values(args.size());
        for (size_t i = 0; i < args.size(); ++i) {
            VARIANT& v = values[args.size() - 1 - i];  // last-first
            VariantInit(&v);
            v.vt = VT_BSTR;
            v.bstrVal = AllocText(args[i]);
        }
        DISPPARAMS params = {values.empty() ? nullptr : values.data(), nullptr, static_cast<UINT>(values.size()), 0};
        EXCEPINFO exception = {};
        UINT argError = 0;
        VariantInit(result);
        HRESULT hr = m_dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result,
                                        &exception, &argError);
        m_exceptionCode = exception.scode;
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
        for (VARIANT& v : values)
            VariantClear(&v);
        return hr;
    }

    std::wstring CallText(const wchar_t* name, std::vector<std::wstring> args = {}) {
        VARIANT result;
        HRESULT hr = Call(name, args, &result);
        std::wstring text = SUCCEEDED(hr) && result.vt == VT_BSTR && result.bstrVal
                                ? std::wstring(result.bstrVal, SysStringLen(result.bstrVal))
                                : L"<failed>";
        VariantClear(&result);
        return text;
    }

    HRESULT LastResult() const { return m_lastResult; }
    SCODE ExceptionCode() const { return m_exceptionCode; }

private:
    IDispatch* m_dispatch = nullptr;
    HRESULT m_lastResult = S_OK;
    SCODE m_exceptionCode = 0;
};

}  // namespace

TEST(HintoraDispatch, NamesAndIdsComeFromTheTypeLibrary) {
    Script script;
    ASSERT_NE(nullptr, script.Object());
    const wchar_t* names[] = {L"Configure",   L"Start",         L"KeepMru",
                              L"Query",       L"GetVersion",    L"Update",
                              L"SetShortCut", L"GetMessage",    L"CreateOptionsJson",
                              L"GetShortCut", L"Save"};
    for (DISPID expected = 1; expected <= 11; ++expected) {
        EXPECT_EQ(expected, script.Id(names[expected - 1])) << names[expected - 1];
        EXPECT_EQ(S_OK, script.LastResult());
    }
    // Script names are matched without regard to case.
    EXPECT_EQ(5, script.Id(L"getversion"));
    script.Id(L"DeleteEverything");
    EXPECT_EQ(DISP_E_UNKNOWNNAME, script.LastResult());

    UINT count = 0;
    EXPECT_EQ(S_OK, script.Object()->GetTypeInfoCount(&count));
    EXPECT_EQ(1u, count);
    ITypeInfo* info = nullptr;
    ASSERT_EQ(S_OK, script.Object()->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info));
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(S_OK, info->GetTypeAttr(&attributes));
    EXPECT_TRUE(IsEqualGUID(IID_IHintora, attributes->guid));
    info->ReleaseTypeAttr(attributes);
    info->Release();
}

TEST(HintoraDispatch, StringAndIntegerArgumentsTravelThroughInvoke) {
    SettingsSandbox sandbox;
    ASSERT_TRUE(sandbox.Active());
    Script script;

    EXPECT_EQ(L"11,1,0,12", script.CallText(L"GetVersion"));

    // A string argument reaches SetShortCut and comes back from GetShortCut.
    VARIANT result;
    EXPECT_EQ(S_OK, script.Call(L"SetShortCut", {L"Ctrl+Alt+F3"}, &result));
    EXPECT_EQ(L"Ctrl+Alt+F3", sandbox.Product(L"EnglishShortCut"));
    EXPECT_EQ(L"Ctrl+Alt+F3", script.CallText(L"GetShortCut"));

    // Three strings in, an integer out: without a window nothing is written
    // and the status is 0.
    ASSERT_EQ(S_OK, script.Call(L"Configure", {L"de", L"F4", L"app,1"}, &result));
    EXPECT_EQ(VT_I4, result.vt);
    EXPECT_EQ(0, result.lVal);
    EXPECT_EQ(L"<missing>", sandbox.Product(L"PublishData"));

    // Save hands back the code of its last write: 0.
    EXPECT_EQ(S_OK, script.Call(L"Save", {L"showscore=1&tracemode=1"}, &result));
    EXPECT_EQ(L"1", SettingsSandbox::Read(sandbox.machine, L"Software\\Veltrane\\Norvik\\Hintora\\Test", L"showscore"));

    std::wstring json = script.CallText(L"Query");
    EXPECT_NE(std::wstring::npos, json.find(L"\"showscore\":\"1\"")) << json;
    EXPECT_NE(std::wstring::npos, json.find(L"\"EnglishShortCut\":\"Ctrl+Alt+F3\"")) << json;

    // Too few arguments are the script engine's error, not a call with nulls.
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, script.Call(L"Configure", {L"de"}, &result));
}

TEST(HintoraDispatch, MessagesAreHandedOutOnce) {
    Script script;
    g_currentMessage.Set(L"{\"Title\":\"x\"}");
    EXPECT_EQ(L"{\"Title\":\"x\"}", script.CallText(L"GetMessage"));
    EXPECT_EQ(L"", script.CallText(L"GetMessage"));

    VARIANT result;
    EXPECT_EQ(S_OK, script.Call(L"CreateOptionsJson", {}, &result));
    std::wstring options = script.CallText(L"GetMessage");
    EXPECT_EQ(0u, options.find(L"{\"Title\":")) << options;
    EXPECT_NE(std::wstring::npos, options.find(L"\"Ctrl\":\"Ctrl\"")) << options;
}

TEST(HintoraDispatch, NullPointersAreRefused) {
    IHintora* object = nullptr;
    ASSERT_EQ(S_OK, CHintora::CreateInstance(IID_IHintora, reinterpret_cast<void**>(&object)));
    BSTR text = SysAllocString(L"x");
    int status = 0;
    EXPECT_EQ(E_INVALIDARG, object->GetVersion(nullptr));
    EXPECT_EQ(E_INVALIDARG, object->GetMessage(nullptr));
    EXPECT_EQ(E_INVALIDARG, object->GetShortCut(nullptr));
    EXPECT_EQ(E_INVALIDARG, object->SetShortCut(nullptr));
    EXPECT_EQ(E_INVALIDARG, object->Query(nullptr));
    EXPECT_EQ(E_INVALIDARG, object->Save(nullptr));
    EXPECT_EQ(E_INVALIDARG, object->Update(nullptr));
    EXPECT_EQ(E_INVALIDARG, object->Configure(&text, &text, nullptr, &status));
    EXPECT_EQ(E_INVALIDARG, object->Configure(&text, &text, &text, nullptr));
    SysFreeString(text);
    object->Release();
}

TEST(HintoraDispatch, ObjectSafetyAndSite) {
    IObjectSafety* safety = nullptr;
    ASSERT_EQ(S_OK, CHintora::CreateInstance(IID_IObjectSafety, reinterpret_cast<void**>(&safety)));
    DWORD supported = 0;
    DWORD enabled = 0;
    EXPECT_EQ(S_OK, safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled));
    EXPECT_EQ(3u, supported);
    EXPECT_EQ(0u, enabled);
    EXPECT_EQ(E_POINTER, safety->GetInterfaceSafetyOptions(IID_IDispatch, nullptr, &enabled));
    EXPECT_EQ(E_NOINTERFACE, safety->GetInterfaceSafetyOptions(IID_IPersist, &supported, &enabled));
    EXPECT_EQ(0u, supported);

    EXPECT_EQ(E_FAIL, safety->SetInterfaceSafetyOptions(IID_IDispatch, 4, 4));
    EXPECT_EQ(S_OK, safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled));
    EXPECT_EQ(0u, enabled);
    EXPECT_EQ(S_OK, safety->SetInterfaceSafetyOptions(IID_IDispatch, 3, 1));
    EXPECT_EQ(S_OK, safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled));
    EXPECT_EQ(1u, enabled);
    EXPECT_EQ(E_NOINTERFACE, safety->SetInterfaceSafetyOptions(IID_IPersist, 1, 1));

    IObjectWithSite* withSite = nullptr;
    ASSERT_EQ(S_OK, safety->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(&withSite)));
    IUnknown* site = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(E_FAIL, withSite->GetSite(IID_IUnknown, reinterpret_cast<void**>(&site)));
    EXPECT_EQ(nullptr, site);
    EXPECT_EQ(E_POINTER, withSite->GetSite(IID_IUnknown, nullptr));

    FakePage page(L"http://content.example/pub/page.html");
    LONG siteReferences = page.site.References();
    LONG browserReferences = page.browser.References();
    EXPECT_EQ(S_OK, withSite->SetSite(page.site.Unknown()));
    EXPECT_EQ(S_OK, withSite->SetSite(page.site.Unknown())) << "the same site again holds it once";
    EXPECT_EQ(siteReferences + 1, page.site.References());
    EXPECT_EQ(browserReferences + 1, page.browser.References());
    IServiceProvider* provider = nullptr;
    EXPECT_EQ(S_OK, withSite->GetSite(IID_IServiceProvider, reinterpret_cast<void**>(&provider)));
    ASSERT_NE(nullptr, provider);
    provider->Release();
    // The site led to the browser.
    EXPECT_EQ(static_cast<IWebBrowser2*>(&page.browser), static_cast<CHintora*>(withSite)->WebBrowser());
    EXPECT_EQ(S_OK, withSite->SetSite(nullptr));
    EXPECT_EQ(nullptr, static_cast<CHintora*>(withSite)->WebBrowser());
    EXPECT_EQ(siteReferences, page.site.References());
    EXPECT_EQ(browserReferences, page.browser.References());
    withSite->Release();
    safety->Release();
}

TEST(HintoraDispatch, ToolbarCommands) {
    IOleCommandTarget* target = nullptr;
    ASSERT_EQ(S_OK, CHintora::CreateInstance(IID_IOleCommandTarget, reinterpret_cast<void**>(&target)));
    const GUID buttons = {0x2CE4B5D8, 0xA28F, 0x11D2, {0x86, 0xC5, 0x00, 0xC0, 0x4F, 0x8E, 0xEA, 0x99}};
    OLECMD commands[2] = {{0, 0}, {77, 0}};
    EXPECT_EQ(OLECMDERR_E_UNKNOWNGROUP, target->QueryStatus(nullptr, 2, commands, nullptr));
    EXPECT_EQ(OLECMDERR_E_UNKNOWNGROUP, target->QueryStatus(&IID_IDispatch, 2, commands, nullptr));
    EXPECT_EQ(0u, commands[0].cmdf);
    EXPECT_EQ(S_OK, target->QueryStatus(&buttons, 2, commands, nullptr));
    EXPECT_EQ(3u, commands[0].cmdf);
    EXPECT_EQ(3u, commands[1].cmdf) << "even commands that Exec ignores";
    EXPECT_EQ(S_OK, target->Exec(&buttons, 5, 0, nullptr, nullptr));
    target->Release();
}

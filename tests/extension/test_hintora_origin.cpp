// Any web page can create the scriptable object. The methods that change or
// reveal the machine's settings answer only the library's own pages and the
// configured content server's top-level setup page.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "HintoraFakes.h"
#include "scriptable/Hintora.h"

namespace {

const wchar_t kSetup[] = L"http://content.example/pub/hintorasetup.html?showscore=1";

struct Calls {
    HRESULT configure, save, query, update, keepMru, setShortCut;
    int status;
};

// Every guarded method once, as a page would call them.
Calls CallAll(CHintora* object) {
    Calls calls = {};
    BSTR language = SysAllocString(L"fr");
    BSTR key = SysAllocString(L"Ctrl+F2");
    BSTR publish = SysAllocString(L"app,1");
    BSTR params = SysAllocString(L"maxhit=5&tracemode=1");
    BSTR version = SysAllocString(L"10.0.0.1");
    BSTR json = nullptr;
    calls.status = -1;
    calls.configure = object->Configure(&language, &key, &publish, &calls.status);
    calls.save = object->Save(&params);
    calls.query = object->Query(&json);
    calls.update = object->Update(&version);
    calls.keepMru = object->KeepMru();
    calls.setShortCut = object->SetShortCut(&key);
    SysFreeString(json);
    for (BSTR text : {language, key, publish, params, version})
        SysFreeString(text);
    return calls;
}

CHintora* CreateFor(FakePage* page) {
    IHintora* object = nullptr;
    CHintora::CreateInstance(IID_IHintora, reinterpret_cast<void**>(&object));
    CHintora* hintora = static_cast<CHintora*>(object);
    if (page)
        hintora->SetSite(page->site.Unknown());
    return hintora;
}

}  // namespace

TEST(HintoraOrigin, LibraryPages) {
    const std::wstring module = L"c:\\program files\\hintora\\hintoraie.dll";
    EXPECT_TRUE(IsLibraryPageAddress(L"res://hintoraie.dll/206", module));
    EXPECT_TRUE(IsLibraryPageAddress(L"res://HintoraIE.dll/206", module));
    EXPECT_TRUE(IsLibraryPageAddress(L"res://C:\\Program Files\\Hintora\\HintoraIE.dll/203", module));
    EXPECT_TRUE(IsLibraryPageAddress(L"res://c:/program files/hintora/hintoraie.dll/203", module));
    EXPECT_FALSE(IsLibraryPageAddress(L"res://hintoraie.dll/", module));
    EXPECT_FALSE(IsLibraryPageAddress(L"res://ieframe.dll/acr_error.htm", module));
    EXPECT_FALSE(IsLibraryPageAddress(L"res://hintoraie.dll.evil/206", module));
    EXPECT_FALSE(IsLibraryPageAddress(L"http://evil.example/res://hintoraie.dll/206", module));
    EXPECT_FALSE(IsLibraryPageAddress(L"res://hintoraie.dll/206", L""));
    // A copy under another file name answers to its own name and the fixed one.
    EXPECT_TRUE(IsLibraryPageAddress(L"res://d:\\x\\hintoraie2.dll/206", L"d:\\x\\hintoraie2.dll"));
    EXPECT_TRUE(IsLibraryPageAddress(L"res://hintoraie.dll/206", L"d:\\x\\hintoraie2.dll"));
}

TEST(HintoraOrigin, SetupPages) {
    const std::wstring content = L"http://content.example/pub";
    EXPECT_TRUE(IsSetupPageAddress(L"http://content.example/pub/hintorasetup.html", content));
    EXPECT_TRUE(IsSetupPageAddress(L"http://CONTENT.example/other/hintorasetup.html?a=1#top", content));
    EXPECT_FALSE(IsSetupPageAddress(L"https://content.example/pub/hintorasetup.html", content)) << "other scheme";
    EXPECT_FALSE(IsSetupPageAddress(L"http://content.example:8080/pub/hintorasetup.html", content)) << "other port";
    EXPECT_FALSE(IsSetupPageAddress(L"http://evil.example/pub/hintorasetup.html", content));
    EXPECT_FALSE(IsSetupPageAddress(L"http://content.example@evil.example/hintorasetup.html", content));
    EXPECT_FALSE(IsSetupPageAddress(L"http://content.example/pub/other.html", content));
    EXPECT_FALSE(IsSetupPageAddress(L"http://content.example/pub/x.html?/hintorasetup.html", content));
    EXPECT_FALSE(IsSetupPageAddress(L"http://content.example/pub/HintoraSetup.html", content));
    // Before the first configuration any http or https setup page may configure.
    EXPECT_TRUE(IsSetupPageAddress(L"https://first.example/pub/hintorasetup.html", L""));
    EXPECT_FALSE(IsSetupPageAddress(L"file:///c:/pub/hintorasetup.html", L""));
    EXPECT_FALSE(IsSetupPageAddress(L"ftp://first.example/hintorasetup.html", L""));
}

TEST(HintoraOrigin, AForeignPageIsRefusedAndChangesNothing) {
    SettingsSandbox sandbox;
    ASSERT_TRUE(sandbox.Active());
    sandbox.PutProduct(L"ContentURL", L"http://content.example/pub");
    sandbox.PutProduct(L"EnglishShortCut", L"F9");
    const int entriesBefore = SettingsSandbox::CountEntries(sandbox.machine.Root()) +
                              SettingsSandbox::CountEntries(sandbox.user.Root());
    const BYTE keepMruBefore = g_bKeepMru;

    FakePage evil(L"http://evil.example/pub/hintorasetup.html?tracemode=1");
    CHintora* object = CreateFor(&evil);
    Calls calls = CallAll(object);
    EXPECT_EQ(E_ACCESSDENIED, calls.configure);
    EXPECT_EQ(E_ACCESSDENIED, calls.save);
    EXPECT_EQ(E_ACCESSDENIED, calls.query);
    EXPECT_EQ(E_ACCESSDENIED, calls.update);
    EXPECT_EQ(E_ACCESSDENIED, calls.keepMru);
    EXPECT_EQ(E_ACCESSDENIED, calls.setShortCut);
    EXPECT_EQ(0, calls.status);
    EXPECT_EQ(keepMruBefore, g_bKeepMru);
    EXPECT_EQ(entriesBefore, SettingsSandbox::CountEntries(sandbox.machine.Root()) +
                                 SettingsSandbox::CountEntries(sandbox.user.Root()));
    EXPECT_EQ(L"http://content.example/pub", sandbox.Product(L"ContentURL"));

    // The reading methods that pages need stay open to everyone.
    BSTR text = nullptr;
    EXPECT_EQ(S_OK, object->GetVersion(&text));
    SysFreeString(text);
    EXPECT_EQ(S_OK, object->GetShortCut(&text));
    SysFreeString(text);
    object->Release();
}

TEST(HintoraOrigin, TheConfiguredServersSetupPageInAFrameIsRefused) {
    SettingsSandbox sandbox;
    ASSERT_TRUE(sandbox.Active());
    sandbox.PutProduct(L"ContentURL", L"http://content.example/pub");
    FakePage top(L"http://evil.example/index.html");
    FakePage framed(kSetup);
    framed.MakeFrame(&top.window);
    CHintora* object = CreateFor(&framed);
    BSTR params = SysAllocString(L"maxhit=5");
    EXPECT_EQ(E_ACCESSDENIED, object->Save(&params));
    EXPECT_EQ(L"<missing>", SettingsSandbox::Read(sandbox.machine, L"Software\\Veltrane\\Norvik\\Hintora\\Test", L"maxhit"));
    SysFreeString(params);
    object->Release();
}

TEST(HintoraOrigin, AllowedCallers) {
    SettingsSandbox sandbox;
    ASSERT_TRUE(sandbox.Active());
    sandbox.PutProduct(L"ContentURL", L"http://content.example/pub");
    BSTR params = SysAllocString(L"maxhit=5");
    const std::wstring testKey = L"Software\\Veltrane\\Norvik\\Hintora\\Test";

    {  // the configured server's top-level setup page
        FakePage setup(kSetup);
        CHintora* object = CreateFor(&setup);
        EXPECT_EQ(S_OK, object->Save(&params));
        EXPECT_EQ(L"5", SettingsSandbox::Read(sandbox.machine, testKey, L"maxhit"));
        object->Release();
    }
    {  // the library's options page, whatever the page's frame
        FakePage top(L"http://evil.example/");
        FakePage options(L"res://hintoraie.dll/206");
        options.MakeFrame(&top.window);
        CHintora* object = CreateFor(&options);
        BSTR key = SysAllocString(L"Ctrl+F6");
        EXPECT_EQ(S_OK, object->SetShortCut(&key));
        EXPECT_EQ(L"Ctrl+F6", sandbox.Product(L"EnglishShortCut"));
        SysFreeString(key);
        object->Release();
    }
    {  // a host that neither gives a site nor asks for safety: a local script
        CHintora* object = CreateFor(nullptr);
        EXPECT_EQ(S_OK, object->Save(&params));
        EXPECT_EQ(S_OK, object->KeepMru());
        EXPECT_EQ(1, g_bKeepMru);
        object->Release();
    }
    {  // a browser that asked for untrusted-caller safety but gave no site
        CHintora* object = CreateFor(nullptr);
        object->SetInterfaceSafetyOptions(IID_IDispatch, INTERFACESAFE_FOR_UNTRUSTED_CALLER,
                                          INTERFACESAFE_FOR_UNTRUSTED_CALLER);
        EXPECT_EQ(E_ACCESSDENIED, object->Save(&params));
        EXPECT_EQ(E_ACCESSDENIED, object->KeepMru());
        object->Release();
    }
    SysFreeString(params);
}

TEST(HintoraOrigin, ScriptSeesTheRefusalAsAnError) {
    SettingsSandbox sandbox;
    ASSERT_TRUE(sandbox.Active());
    FakePage evil(L"http://evil.example/");
    CHintora* object = CreateFor(&evil);
    IDispatch* dispatch = static_cast<IHintora*>(object);
    LPOLESTR name = const_cast<LPOLESTR>(L"Save");
    DISPID id = 0;
    ASSERT_EQ(S_OK, dispatch->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id));
    VARIANT argument;
    VariantInit(&argument);
    argument.vt = VT_BSTR;
    argument.bstrVal = SysAllocString(L"tracemode=1");
    DISPPARAMS params = {&argument, nullptr, 1, 0};
    EXCEPINFO exception = {};
    VARIANT result;
    VariantInit(&result);
    HRESULT hr = dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, &exception,
                                  nullptr);
    EXPECT_TRUE(hr == E_ACCESSDENIED || (hr == DISP_E_EXCEPTION && exception.scode == E_ACCESSDENIED)) << std::hex << hr;
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    VariantClear(&argument);
    EXPECT_EQ(0, SettingsSandbox::CountEntries(sandbox.machine.Root()));
    object->Release();
}

TEST(HintoraUpdate, RemovesOnlyTheOldVersionsRegistrations) {
    SettingsSandbox sandbox;
    ASSERT_TRUE(sandbox.Active());
    const std::wstring button = L"Software\\Microsoft\\Internet Explorer\\Extensions\\{9292FEDB-34F7-400a-B03B-08722952A91C}";
    const std::wstring helper = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper "
                                L"Objects\\{0A9FA9EA-2BAE-439D-89B0-65792127BBD7}";
    const std::wstring clsid = L"CLSID\\{C0F7E046-4E1D-47C8-9354-4F53B5DC5CB8}";
    const std::wstring settings =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Settings\\{912DCC9E-014B-4c4f-83A0-866D5A8E01D8}";
    auto install = [&] {
        sandbox.machine.PutString(button, L"ButtonText", L"Hintora");
        sandbox.machine.PutString(helper, L"", L"HintoraIEBHO");
        sandbox.classes.PutString(clsid, L"", L"Hintora");
        sandbox.user.PutDword(settings, L"Flags", 0);
    };
    install();
    CHintora* object = CreateFor(nullptr);
    for (const wchar_t* other : {L"10.1.0", L" 10.0.0", L"9.0.0.0", L""}) {
        BSTR version = SysAllocString(other);
        EXPECT_EQ(S_OK, object->Update(&version));
        SysFreeString(version);
        EXPECT_TRUE(sandbox.machine.Exists(button)) << other;
        EXPECT_TRUE(sandbox.classes.Exists(clsid)) << other;
    }
    for (const wchar_t* old : {L"10.0.0.123", L"10,0,0,5"}) {
        BSTR version = SysAllocString(old);
        EXPECT_EQ(S_OK, object->Update(&version));
        SysFreeString(version);
        EXPECT_FALSE(sandbox.machine.Exists(button)) << old;
        EXPECT_FALSE(sandbox.machine.Exists(helper)) << old;
        EXPECT_FALSE(sandbox.classes.Exists(clsid)) << old;
        EXPECT_FALSE(sandbox.user.Exists(settings)) << old;
        EXPECT_TRUE(sandbox.machine.Exists(L"Software\\Microsoft\\Internet Explorer\\Extensions")) << "parents stay";
        install();
    }
    object->Release();
}

#include <gtest/gtest.h>

#include "base/ComModule.h"
#include "base/Registrar.h"
#include "PredefinedKeySandbox.h"
#include "RegistryDump.h"
#include "RegistryScripts.h"

#include <set>
#include <string>
#include <vector>

namespace {

const wchar_t kModule[] = L"C:\\Program Files\\O'Hara {x}\\HintoraIE.dll";

// Everything under the three sandboxed roots, as "HKCR\...", "HKLM\...",
// "HKCU\..." lines; the empty roots themselves are left out.
std::wstring Dump(const PredefinedKeySandbox& roots) {
    std::set<std::wstring> lines;
    DumpRegistryTree(roots.Classes(), L"HKCR", lines);
    DumpRegistryTree(roots.Machine(), L"HKLM", lines);
    DumpRegistryTree(roots.User(), L"HKCU", lines);
    lines.erase(L"HKCR");
    lines.erase(L"HKLM");
    lines.erase(L"HKCU");
    return JoinLines(lines);
}

std::wstring Lines(std::vector<std::wstring> lines) {
    return JoinLines(std::set<std::wstring>(lines.begin(), lines.end()));
}

// The lines of a text in the order Dump gives them.
std::wstring Sorted(const std::wstring& text) {
    std::set<std::wstring> lines;
    for (size_t start = 0, end; start < text.size(); start = end + 1) {
        end = text.find(L'\n', start);
        lines.insert(text.substr(start, end - start));
    }
    return JoinLines(lines);
}

std::wstring Script(UINT id) {
    std::wstring text;
    EXPECT_EQ(S_OK, LoadRegistryScript(GetModuleHandleW(nullptr), id, text)) << id;
    return text;
}

Registrar MakeRegistrar(bool perUser = false) {
    Registrar registrar;
    registrar.SetPerUser(perUser);
    EXPECT_EQ(S_OK, registrar.AddReplacement(L"Module", kModule));
    EXPECT_EQ(S_OK, g_module.AddCommonRGSReplacements(registrar));
    EXPECT_EQ(S_OK, registrar.AddReplacement(L"RootNodePref1", L"Veltrane"));
    return registrar;
}

// The CLSID, ProgID and version-independent ProgID keys of one class.
std::vector<std::wstring> ClassKeys(const std::wstring& root, const std::wstring& clsid, const std::wstring& name,
                                    const std::wstring& progId) {
    const std::wstring c = root + L"\\CLSID\\" + clsid;
    const std::wstring module = kModule;
    return {
        root + L"\\" + progId + L".1:@=s:" + name,
        root + L"\\" + progId + L".1\\CLSID:@=s:" + clsid,
        root + L"\\" + progId + L":@=s:" + name,
        root + L"\\" + progId + L"\\CLSID:@=s:" + clsid,
        root + L"\\" + progId + L"\\CurVer:@=s:" + progId + L".1",
        c + L":@=s:" + name,
        c + L"\\ProgID:@=s:" + progId + L".1",
        c + L"\\VersionIndependentProgID:@=s:" + progId,
        c + L"\\Programmable",
        c + L"\\InprocServer32:@=s:" + module,
        c + L"\\InprocServer32:ThreadingModel=s:Apartment",
        c + L"\\TypeLib:@=s:{15E45C56-6BDB-4A7B-B1D1-5027B9287A11}",
    };
}

struct ScriptCase {
    UINT id;
    std::vector<std::wstring> registered;  // everything registration writes
    std::vector<std::wstring> left;        // what unregistration leaves: NoRemove parents only
};

std::vector<ScriptCase> AllScripts(const std::wstring& classes) {
    const std::wstring module = kModule;
    const std::wstring ext = L"HKLM\\SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";
    const std::wstring button = ext + L"\\{9292FEDB-34F7-400a-B03B-08722952A91C}";
    const std::wstring options = ext + L"\\{912DCC9E-014B-4c4f-83A0-866D5A8E01D8}";
    const std::wstring bho = L"HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
    const std::wstring menuExt = L"HKCU\\Software\\Microsoft\\Internet Explorer\\MenuExt";

    std::vector<ScriptCase> cases;
    cases.push_back({IDR_HINTORAIE,
                     {
                         classes + L"\\AppID\\{45CFAB72-6588-46FC-A5C1-86215287720A}:@=s:HintoraIE",
                         classes + L"\\AppID\\HintoraIE.DLL:AppID=s:{45CFAB72-6588-46FC-A5C1-86215287720A}",
                         button + L":@=s:",
                         button + L":ButtonText=s:Hintora",
                         button + L":Default Visible=s:Yes",
                         button + L":Clsid=s:{1FBA04EE-3024-11d2-8F1F-0000F87ABD16}",
                         button + L":ClsidExtension=s:{C0F7E046-4E1D-47C8-9354-4F53B5DC5CB8}",
                         button + L":Icon=s:" + module + L",201",
                         button + L":HotIcon=s:" + module + L",201",
                         button + L":MenuText=s:Hintora",
                         options + L":@=s:",
                         options + L":Clsid=s:{1FBA04EE-3024-11d2-8F1F-0000F87ABD16}",
                         options + L":ClsidExtension=s:{895D9400-C8E1-45E4-8620-4156CACCDED9}",
                         options + L":MenuText=s:Hintora Options...",
                     },
                     {classes + L"\\AppID", ext}});

    ScriptCase hintora{IDR_HINTORA,
                       ClassKeys(classes, L"{C0F7E046-4E1D-47C8-9354-4F53B5DC5CB8}", L"Hintora", L"HintoraIE.Hintora"),
                       {classes + L"\\CLSID", menuExt}};
    hintora.registered.push_back(menuExt);
    cases.push_back(hintora);

    ScriptCase helper{IDR_HINTORAIEBHO,
                      ClassKeys(classes, L"{0A9FA9EA-2BAE-439D-89B0-65792127BBD7}", L"Hintora Helper",
                                L"HintoraIE.HintoraIEBHO"),
                      {classes + L"\\CLSID", bho}};
    helper.registered.push_back(bho + L"\\{0A9FA9EA-2BAE-439D-89B0-65792127BBD7}:@=s:HintoraIEBHO");
    helper.registered.push_back(bho + L"\\{0A9FA9EA-2BAE-439D-89B0-65792127BBD7}:NoExplorer=d:1");
    cases.push_back(helper);

    cases.push_back({IDR_VENDORKEY, {L"HKLM\\SOFTWARE\\Veltrane"}, {L"HKLM\\SOFTWARE\\Veltrane"}});

    cases.push_back({IDR_HINTORAOPTIONS,
                     ClassKeys(classes, L"{895D9400-C8E1-45E4-8620-4156CACCDED9}", L"HintoraOptions",
                               L"HintoraIE.HintoraOptions"),
                     {classes + L"\\CLSID"}});

    const std::wstring doc = classes + L"\\CLSID\\{D47F4B55-0473-4BB5-9B40-F16A7B9DC054}";
    cases.push_back({IDR_DOCUIHANDLER,
                     {
                         doc + L":@=s:CDocUIHandler",
                         doc + L"\\Programmable",
                         doc + L"\\InprocServer32:@=s:" + module,
                         doc + L"\\InprocServer32:ThreadingModel=s:Apartment",
                         doc + L"\\TypeLib:@=s:{15E45C56-6BDB-4A7B-B1D1-5027B9287A11}",
                         doc + L"\\Version:@=s:1.0",
                     },
                     {classes + L"\\CLSID"}});
    return cases;
}

}  // namespace

TEST(RegistrationScripts, EachScriptWritesExactlyItsKeysAndRemovesThemAgain) {
    for (const auto& c : AllScripts(L"HKCR")) {
        PredefinedKeySandbox roots;
        ASSERT_TRUE(roots.Ok());
        Registrar registrar = MakeRegistrar();
        std::wstring text = Script(c.id);

        ASSERT_EQ(S_OK, registrar.StringRegister(text)) << c.id << " " << registrar.LastError();
        EXPECT_EQ(Lines(c.registered), Dump(roots)) << "script " << c.id;
        ASSERT_EQ(S_OK, registrar.StringRegister(text)) << "registering twice: " << c.id;
        EXPECT_EQ(Lines(c.registered), Dump(roots)) << "script " << c.id;

        ASSERT_EQ(S_OK, registrar.StringUnregister(text)) << c.id << " " << registrar.LastError();
        EXPECT_EQ(Lines(c.left), Dump(roots)) << "script " << c.id;
        EXPECT_EQ(S_OK, registrar.StringUnregister(text)) << "unregistering what is gone: " << c.id;
    }
}

TEST(RegistrationScripts, PerUserPutsClassesUnderTheUsersClassesKeyOnly) {
    for (const auto& c : AllScripts(L"HKCU\\Software\\Classes")) {
        PredefinedKeySandbox roots;
        ASSERT_TRUE(roots.Ok());
        Registrar registrar = MakeRegistrar(true);
        std::wstring text = Script(c.id);
        ASSERT_EQ(S_OK, registrar.StringRegister(text)) << c.id << " " << registrar.LastError();
        EXPECT_EQ(Lines(c.registered), Dump(roots)) << "script " << c.id;
        ASSERT_EQ(S_OK, registrar.StringUnregister(text)) << c.id;
        EXPECT_EQ(Lines(c.left), Dump(roots)) << "script " << c.id;
    }
}

TEST(RegistrationScripts, UnregistrationKeepsForeignKeysValuesAndParents) {
    PredefinedKeySandbox roots;
    ASSERT_TRUE(roots.Ok());
    const HKEY cr = roots.Classes();
    const HKEY lm = roots.Machine();
    const std::wstring ext = L"SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";
    PredefinedKeySandbox::Put(cr, L"CLSID\\{0THER}", L"", L"other product");
    PredefinedKeySandbox::Put(cr, L"AppID\\{0THER}", L"", L"other app");
    PredefinedKeySandbox::Put(lm, ext + L"\\{0THER}", L"ButtonText", L"Other");
    PredefinedKeySandbox::Put(lm, L"SOFTWARE\\Veltrane\\OtherProduct", L"V", L"kept");
    PredefinedKeySandbox::Put(lm, L"SOFTWARE\\Microsoft\\Internet Explorer\\Main", L"Start Page", L"about:blank");
    PredefinedKeySandbox::Put(roots.User(), L"Software\\Microsoft\\Internet Explorer\\MenuExt\\Other", L"", L"x");
    const std::wstring before = Dump(roots);

    Registrar registrar = MakeRegistrar();
    const UINT ids[] = {IDR_HINTORAIE, IDR_HINTORA, IDR_HINTORAIEBHO, IDR_VENDORKEY, IDR_HINTORAOPTIONS,
                        IDR_DOCUIHANDLER};
    for (UINT id : ids)
        ASSERT_EQ(S_OK, registrar.StringRegister(Script(id))) << id;
    // Another product took over a value inside one of our normal keys and
    // added a subkey under our ProgID: neither may go with us.
    PredefinedKeySandbox::Put(cr, L"HintoraIE.Hintora\\CurVer", L"", L"Other.Hintora.2");
    PredefinedKeySandbox::Put(cr, L"HintoraIE.HintoraOptions\\Shell", L"", L"other");
    for (UINT id : ids)
        ASSERT_EQ(S_OK, registrar.StringUnregister(Script(id))) << id;

    const std::wstring expected = before + L"HKCR\\HintoraIE.Hintora\\CurVer:@=s:Other.Hintora.2\n" +
                                  L"HKCR\\HintoraIE.HintoraOptions\\Shell:@=s:other\n" +
                                  L"HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\n";
    EXPECT_EQ(Sorted(expected), Dump(roots));
}

TEST(RegistrationScripts, ForceRemoveClearsStaleContentBeforeWriting) {
    PredefinedKeySandbox roots;
    ASSERT_TRUE(roots.Ok());
    const std::wstring clsid = L"CLSID\\{C0F7E046-4E1D-47C8-9354-4F53B5DC5CB8}";
    PredefinedKeySandbox::Put(roots.Classes(), clsid + L"\\Stale", L"", L"old");
    PredefinedKeySandbox::Put(roots.Classes(), clsid + L"\\InprocServer32", L"", L"C:\\old\\HintoraIE.dll");
    Registrar registrar = MakeRegistrar();
    ASSERT_EQ(S_OK, registrar.StringRegister(Script(IDR_HINTORA)));
    EXPECT_FALSE(PredefinedKeySandbox::Exists(roots.Classes(), clsid + L"\\Stale"));
    EXPECT_EQ(kModule, PredefinedKeySandbox::String(roots.Classes(), clsid + L"\\InprocServer32", L""));
}

TEST(Registrar, MalformedOrUnresolvedScriptsWriteNothing) {
    PredefinedKeySandbox roots;
    ASSERT_TRUE(roots.Ok());
    Registrar registrar = MakeRegistrar();
    const wchar_t* scripts[] = {
        L"HKCU { First = s 'a' }\nHKCU { Second = s 'b' ",
        L"HKCU { First = s 'a' }\nHKCU { Second = s '%UNKNOWN%' }",
        L"HKCU { First = s 'a' Second = x 'b' }",
    };
    for (const wchar_t* text : scripts) {
        EXPECT_EQ(DISP_E_EXCEPTION, registrar.StringRegister(text)) << text;
        EXPECT_FALSE(registrar.LastError().empty());
        EXPECT_EQ(0u, registrar.LastError().find(L"line ")) << registrar.LastError();
        EXPECT_EQ(L"", Dump(roots)) << text;
    }
    PredefinedKeySandbox::Put(roots.User(), L"First", L"", L"a");
    EXPECT_EQ(DISP_E_EXCEPTION, registrar.StringUnregister(scripts[0]));
    EXPECT_TRUE(PredefinedKeySandbox::Exists(roots.User(), L"First")) << "nor does it remove anything";

    EXPECT_EQ(E_INVALIDARG, registrar.AddReplacement(L"", L"x"));
    EXPECT_EQ(E_INVALIDARG, registrar.AddReplacement(L"a%b", L"x"));
}

TEST(Registrar, ReportsAFailedWriteAndStopsThere) {
    PredefinedKeySandbox roots;
    ASSERT_TRUE(roots.Ok());
    Registrar registrar = MakeRegistrar();
    // A value name longer than the registry allows fails the write.
    std::wstring longName(20000, L'v');
    std::wstring text = L"HKCU { A = s 'a' { val '" + longName + L"' = s 'x' } B = s 'b' }";
    HRESULT hr = registrar.StringRegister(text);
    EXPECT_TRUE(FAILED(hr));
    EXPECT_NE(std::wstring::npos, registrar.LastError().find(L"cannot write value")) << registrar.LastError();
    EXPECT_FALSE(PredefinedKeySandbox::Exists(roots.User(), L"B")) << "registration stops at the first failure";
}

TEST(ComModule, RunsLibraryScriptsWithModuleCommonAndExtraReplacements) {
    PredefinedKeySandbox roots;
    ASSERT_TRUE(roots.Ok());
    CHintoraIEModule module;
    module.SetModuleHandle(GetModuleHandleW(nullptr));
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);

    EXPECT_EQ(S_OK, module.UpdateRegistryFromResource(IDR_VENDORKEY, true, {{L"RootNodePref1", L"Veltrane"}}));
    EXPECT_TRUE(PredefinedKeySandbox::Exists(roots.Machine(), L"SOFTWARE\\Veltrane"));
    EXPECT_EQ(DISP_E_EXCEPTION, module.UpdateRegistryFromResource(IDR_VENDORKEY, true))
        << "without RootNodePref1 the script cannot run";

    ASSERT_EQ(S_OK, module.UpdateRegistryFromResource(IDR_DOCUIHANDLER, true));
    EXPECT_EQ(path, PredefinedKeySandbox::String(roots.Classes(),
                                                 L"CLSID\\{D47F4B55-0473-4BB5-9B40-F16A7B9DC054}\\InprocServer32", L""))
        << "Module is the library's own path as the system gives it";

    module.SetPerUser(true);
    ASSERT_EQ(S_OK, module.UpdateRegistryFromResource(IDR_DOCUIHANDLER, true));
    EXPECT_TRUE(PredefinedKeySandbox::Exists(
        roots.User(), L"Software\\Classes\\CLSID\\{D47F4B55-0473-4BB5-9B40-F16A7B9DC054}\\InprocServer32"));
}

namespace {
std::vector<std::wstring> g_calls;
HRESULT g_failOn = S_OK;
const wchar_t* g_failName = nullptr;
HRESULT Record(const wchar_t* name, bool doRegister) {
    g_calls.push_back(std::wstring(doRegister ? L"+" : L"-") + name);
    return g_failName && wcscmp(g_failName, name) == 0 ? g_failOn : S_OK;
}
HRESULT RegA(bool r) { return Record(L"A", r); }
HRESULT RegB(bool r) { return Record(L"B", r); }
HRESULT RegC(bool r) { return Record(L"C", r); }
}  // namespace

TEST(ComModule, RegistrationWalksTheMapInOrderAndStopsAtTheFirstFailure) {
    PredefinedKeySandbox roots;
    ASSERT_TRUE(roots.Ok());
    CHintoraIEModule module;
    module.SetModuleHandle(GetModuleHandleW(nullptr));
    ObjectMapEntry entries[] = {{nullptr, nullptr, RegA, nullptr},
                                {nullptr, nullptr, RegB, nullptr},
                                {nullptr, nullptr, RegC, nullptr}};
    ClassObjectMap map(entries, 3);

    g_calls.clear();
    g_failName = nullptr;
    ASSERT_EQ(S_OK, module.RegisterServer(map, IDR_HINTORAIE, false));
    EXPECT_EQ((std::vector<std::wstring>{L"+A", L"+B", L"+C"}), g_calls);
    EXPECT_TRUE(PredefinedKeySandbox::Exists(roots.Classes(), L"AppID\\HintoraIE.DLL"));

    g_calls.clear();
    g_failName = L"B";
    g_failOn = E_ACCESSDENIED;
    EXPECT_EQ(E_ACCESSDENIED, module.RegisterServer(map, IDR_HINTORAIE, false));
    EXPECT_EQ((std::vector<std::wstring>{L"+A", L"+B"}), g_calls);

    // Unregistration reports the failure but still removes the AppID entries.
    g_calls.clear();
    EXPECT_EQ(E_ACCESSDENIED, module.UnregisterServer(map, IDR_HINTORAIE, false));
    EXPECT_EQ((std::vector<std::wstring>{L"-A", L"-B"}), g_calls);
    EXPECT_FALSE(PredefinedKeySandbox::Exists(roots.Classes(), L"AppID\\HintoraIE.DLL"));
    g_failName = nullptr;

    // The test program carries the library's type library: it registers with
    // the classes and goes with them.
    g_calls.clear();
    EXPECT_EQ(S_OK, module.RegisterServer(map, IDR_HINTORAIE, true));
    EXPECT_TRUE(PredefinedKeySandbox::Exists(roots.Classes(), L"TypeLib\\{15E45C56-6BDB-4A7B-B1D1-5027B9287A11}"));
    EXPECT_EQ(S_OK, module.UnregisterServer(map, IDR_HINTORAIE, true));
    EXPECT_FALSE(PredefinedKeySandbox::Exists(roots.Classes(), L"TypeLib\\{15E45C56-6BDB-4A7B-B1D1-5027B9287A11}"));
}

TEST(ComModule, OnlyTheWholeWordUserSelectsPerUserRegistration) {
    EXPECT_TRUE(IsPerUserCommandLine(L"user"));
    EXPECT_TRUE(IsPerUserCommandLine(L"USER"));
    EXPECT_TRUE(IsPerUserCommandLine(L"uSeR"));
    EXPECT_FALSE(IsPerUserCommandLine(L"users"));
    EXPECT_FALSE(IsPerUserCommandLine(L"user "));
    EXPECT_FALSE(IsPerUserCommandLine(L" user"));
    EXPECT_FALSE(IsPerUserCommandLine(L""));
    EXPECT_FALSE(IsPerUserCommandLine(nullptr));
}

#include "base/ComModule.h"
#include "base/ComOwners.h"

#include "base/Logger.h"

#include <oleauto.h>

#include <cwctype>

namespace HintoraIds {
const wchar_t kLibId[] = L"{15E45C56-6BDB-4A7B-B1D1-5027B9287A11}";
const wchar_t kAppId[] = L"{45CFAB72-6588-46FC-A5C1-86215287720A}";
const wchar_t kBhoClsid[] = L"{0A9FA9EA-2BAE-439D-89B0-65792127BBD7}";
const wchar_t kActiveXClsid[] = L"{C0F7E046-4E1D-47C8-9354-4F53B5DC5CB8}";
const wchar_t kOptionsClsid[] = L"{895D9400-C8E1-45E4-8620-4156CACCDED9}";
const wchar_t kDocUIHandlerClsid[] = L"{D47F4B55-0473-4BB5-9B40-F16A7B9DC054}";
}  // namespace HintoraIds

CHintoraIEModule g_module;

namespace {

// Registration runs in the system's default locale, whatever the calling
// thread had; the thread gets its own back afterwards.
class SystemLocaleScope {
public:
    SystemLocaleScope() : m_previous(GetThreadLocale()) { SetThreadLocale(LOCALE_SYSTEM_DEFAULT); }
    ~SystemLocaleScope() { SetThreadLocale(m_previous); }

private:
    LCID m_previous;
};

using TypeLibForUserRegister = HRESULT(WINAPI*)(ITypeLib*, OLECHAR*, OLECHAR*);
using TypeLibForUserUnregister = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);

FARPROC OleAutomationProc(const char* name) {
    HMODULE oleaut = GetModuleHandleW(L"oleaut32.dll");
    return oleaut ? GetProcAddress(oleaut, name) : nullptr;
}

}  // namespace

void CHintoraIEModule::SetModuleHandle(HINSTANCE instance) {
    m_hInstance = instance;
    wchar_t path[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
    m_strModulePath.assign(path, length < MAX_PATH ? length : MAX_PATH);
    for (auto& c : m_strModulePath)
        c = static_cast<wchar_t>(towlower(c));
}

HRESULT CHintoraIEModule::AddCommonRGSReplacements(Registrar& registrar) const {
    const std::pair<const wchar_t*, const wchar_t*> common[] = {
        {L"APPID", HintoraIds::kAppId},
        {L"GUID_BHO_CURRENT", HintoraIds::kBhoClsid},
        {L"GUID_ACTIVEX_CURRENT", HintoraIds::kActiveXClsid},
        {L"GUID_OPTIONS_CURRENT", HintoraIds::kOptionsClsid},
        {L"GUID_DOCUIHANDLER", HintoraIds::kDocUIHandlerClsid},
    };
    for (const auto& item : common) {
        HRESULT hr = registrar.AddReplacement(item.first, item.second);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

HRESULT CHintoraIEModule::UpdateRegistryFromResource(UINT resourceId, bool doRegister,
                                                     const std::vector<Replacement>& extra) const {
    Registrar registrar;
    registrar.SetPerUser(m_bPerUser);
    HRESULT hr = registrar.AddModuleReplacements(m_hInstance);
    if (SUCCEEDED(hr))
        hr = AddCommonRGSReplacements(registrar);
    for (size_t i = 0; SUCCEEDED(hr) && i < extra.size(); ++i)
        hr = registrar.AddReplacement(extra[i].first, extra[i].second);
    if (SUCCEEDED(hr))
        hr = registrar.ResourceRegister(m_hInstance, resourceId, doRegister);
    if (FAILED(hr)) {
        std::wstring line = g_logger.Log(L"CHintoraIEModule::UpdateRegistryFromResource() - %u %s [%s]", resourceId,
                                         doRegister ? L"register" : L"unregister", registrar.LastError().c_str());
        g_logger.LogError(line, static_cast<DWORD>(hr), true);
    }
    return hr;
}

HRESULT CHintoraIEModule::RegisterServer(ClassObjectMap& map, UINT appIdScript, bool withTypeLib) const {
    SystemLocaleScope locale;
    HRESULT hr = UpdateRegistryFromResource(appIdScript, true);
    if (FAILED(hr))
        return hr;
    hr = map.UpdateRegistry(true);
    if (FAILED(hr))
        return hr;
    return withTypeLib ? RegisterTypeLibrary() : S_OK;
}

HRESULT CHintoraIEModule::UnregisterServer(ClassObjectMap& map, UINT appIdScript, bool withTypeLib) const {
    SystemLocaleScope locale;
    // Removal goes on past a failure so as little as possible stays behind.
    HRESULT first = map.UpdateRegistry(false);
    HRESULT hr = withTypeLib ? UnregisterTypeLibrary() : S_OK;
    if (SUCCEEDED(first))
        first = hr;
    hr = UpdateRegistryFromResource(appIdScript, false);
    return SUCCEEDED(first) ? hr : first;
}

HRESULT CHintoraIEModule::RegisterTypeLibrary() const {
    ComPtr<ITypeLib> typeLib;
    HRESULT hr = LoadTypeLibEx(m_strModulePath.c_str(), REGKIND_NONE, &typeLib);
    if (FAILED(hr))
        return hr;
    OLECHAR* path = const_cast<OLECHAR*>(m_strModulePath.c_str());
    auto forUser = reinterpret_cast<TypeLibForUserRegister>(
        m_bPerUser ? OleAutomationProc("RegisterTypeLibForUser") : nullptr);
    return forUser ? forUser(typeLib.Get(), path, nullptr) : RegisterTypeLib(typeLib.Get(), path, nullptr);
}

HRESULT CHintoraIEModule::UnregisterTypeLibrary() const {
    ComPtr<ITypeLib> typeLib;
    HRESULT hr = LoadTypeLibEx(m_strModulePath.c_str(), REGKIND_NONE, &typeLib);
    if (FAILED(hr))
        return hr;
    TLIBATTR* attr = nullptr;
    hr = typeLib->GetLibAttr(&attr);
    if (SUCCEEDED(hr)) {
        auto forUser = reinterpret_cast<TypeLibForUserUnregister>(
            m_bPerUser ? OleAutomationProc("UnRegisterTypeLibForUser") : nullptr);
        hr = forUser ? forUser(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid, attr->syskind)
                     : UnRegisterTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid,
                                         attr->syskind);
        typeLib->ReleaseTLibAttr(attr);
    }
    return hr;
}

bool IsPerUserCommandLine(const wchar_t* commandLine) {
    return commandLine && CompareStringOrdinal(commandLine, -1, L"user", -1, TRUE) == CSTR_EQUAL;
}

std::wstring LibraryModulePath() {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&LibraryModulePath), &module))
        module = nullptr;
    wchar_t path[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::wstring();
    return LowerCase(std::wstring(path, length));
}

std::wstring LowerCase(std::wstring text) {
    if (!text.empty())
        CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

#pragma once
// The library's module object: module handle and path, the per-user flag,
// the replacement variables every registration script gets, and the
// registration walk of the exports.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "base/ClassFactory.h"
#include "base/Registrar.h"

namespace HintoraIds {
extern const wchar_t kLibId[];
extern const wchar_t kAppId[];
extern const wchar_t kBhoClsid[];
extern const wchar_t kActiveXClsid[];
extern const wchar_t kOptionsClsid[];
extern const wchar_t kDocUIHandlerClsid[];
}  // namespace HintoraIds

class CHintoraIEModule {
public:
    using Replacement = std::pair<std::wstring, std::wstring>;

    // Keeps the handle and the library's path in lower case.
    void SetModuleHandle(HINSTANCE instance);
    HINSTANCE ModuleHandle() const { return m_hInstance; }
    const std::wstring& ModulePath() const { return m_strModulePath; }

    // DllInstall with "user": HKCR goes to HKCU "Software\Classes" and the
    // type library is registered for the user, for the rest of the process.
    void SetPerUser(bool perUser) { m_bPerUser = perUser; }
    bool PerUser() const { return m_bPerUser; }

    // APPID and the four class identifiers; stops at the first failure.
    HRESULT AddCommonRGSReplacements(Registrar& registrar) const;

    // Runs one "REGISTRY" resource of the library with the module, common
    // and extra replacements.
    HRESULT UpdateRegistryFromResource(UINT resourceId, bool doRegister,
                                       const std::vector<Replacement>& extra = {}) const;

    // DllRegisterServer: script 101, then each class of the map, then the
    // type library; the first failure ends it.
    HRESULT RegisterServer(ClassObjectMap& map, UINT appIdScript, bool withTypeLib = true) const;
    // DllUnregisterServer: each class of the map, the type library, then script 101.
    HRESULT UnregisterServer(ClassObjectMap& map, UINT appIdScript, bool withTypeLib = true) const;

    HRESULT RegisterTypeLibrary() const;
    HRESULT UnregisterTypeLibrary() const;

private:
    HINSTANCE m_hInstance = nullptr;
    std::wstring m_strModulePath;
    bool m_bPerUser = false;
};

// True for the command line of DllInstall that asks for per-user
// registration: "user", whole text, without regard to case.
bool IsPerUserCommandLine(const wchar_t* commandLine);

extern CHintoraIEModule g_module;

// The library's own file path in lower case, found through the address of
// its own code (so also where no module object has been set up).
std::wstring LibraryModulePath();

// The text in lower case by the system's rules, as paths and addresses are
// compared.
std::wstring LowerCase(std::wstring text);

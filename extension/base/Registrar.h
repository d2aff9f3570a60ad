#pragma once
// Runs registration scripts (RegScript.h) against the registry.
//
// Registration creates every key of the script, deleting ForceRemove keys
// with their subtree first. Unregistration deletes ForceRemove keys with
// their subtree, never touches NoRemove keys beyond walking into them, and
// removes other keys only after their listed values are gone and nothing
// else (another product's value or subkey) remains in them.
#include <windows.h>

#include <string>

#include "base/RegScript.h"

class Registrar {
public:
    Registrar() = default;

    // E_INVALIDARG for a name that no script could reference.
    HRESULT AddReplacement(const std::wstring& name, const std::wstring& value);
    void ClearReplacements() { m_replacements.Clear(); }
    // "Module" and "Module_Raw": the library's full file path.
    HRESULT AddModuleReplacements(HMODULE module);

    // With the flag on, HKCR in a script stands for HKCU "Software\Classes".
    void SetPerUser(bool perUser) { m_bPerUser = perUser; }
    bool PerUser() const { return m_bPerUser; }

    HRESULT StringRegister(const std::wstring& script) { return Run(script, true); }
    HRESULT StringUnregister(const std::wstring& script) { return Run(script, false); }
    // Runs the "REGISTRY" resource with the given id of the module.
    HRESULT ResourceRegister(HMODULE module, UINT resourceId, bool doRegister);

    // Why the last run failed (parse fault or registry call), for the trace.
    const std::wstring& LastError() const { return m_strLastError; }

private:
    HRESULT Run(const std::wstring& script, bool doRegister);

    regscript::Replacements m_replacements;
    bool m_bPerUser = false;
    std::wstring m_strLastError;
};

// The text of a "REGISTRY" resource: UTF-16 with a byte-order mark, else
// UTF-8 (plain ASCII included).
std::wstring RegistryScriptFromBytes(const void* data, size_t size);
HRESULT LoadRegistryScript(HMODULE module, UINT resourceId, std::wstring& text);

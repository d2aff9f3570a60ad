#pragma once
#include <windows.h>
#include <string>

#include "common/Handles.h"

// The low mandatory label "S:(ML;;NW;;;LW)" that lets protected-mode tab
// processes write the library's shared objects and keys. Built once per
// process while the library loads.
class LowIntegrityHelper {
public:
    static const wchar_t kLabelSddl[];

    LowIntegrityHelper();
    ~LowIntegrityHelper();

    // Null when the label could not be built: nothing is labelled then.
    PACL LabelList() const { return m_pSacl; }

private:
    LowIntegrityHelper(const LowIntegrityHelper&) = delete;
    LowIntegrityHelper& operator=(const LowIntegrityHelper&) = delete;

    LocalMemory m_securityDescriptor;
    PACL m_pSacl = nullptr;
};

extern LowIntegrityHelper g_lowIntegrity;

// Labels a named kernel object (file mapping, event); the result is not examined.
void SetLowIntegrityLabelOnKernelObject(const std::wstring& name);

// Labels a registry key ("MACHINE\..." or "CURRENT_USER\..."); success
// when there is no label to set.
DWORD SetLowIntegrityLabelOnRegistryKey(const std::wstring& objectName);

// Gives BUILTIN\Users `permissions` on a registry key, replacing their
// entry. False when no access list could be built (nothing was written);
// otherwise `result` gets the code of the write.
bool GrantUsersAccessToRegistryKey(const std::wstring& objectName, DWORD permissions, DWORD* result);

// Labels a registry key ("MACHINE\..." or "CURRENT_USER\...") and gives
// BUILTIN\Users read and write access; failures are traced only.
void SetLowIntegrityLevelOnRegistryKey(const std::wstring& objectName);

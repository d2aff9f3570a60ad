#include "base/LowIntegrity.h"

#include "base/Logger.h"

#include <aclapi.h>
#include <sddl.h>

const wchar_t LowIntegrityHelper::kLabelSddl[] = L"S:(ML;;NW;;;LW)";

LowIntegrityHelper g_lowIntegrity;

LowIntegrityHelper::LowIntegrityHelper() {
    if (!m_securityDescriptor && !m_pSacl) {
        if (ConvertStringSecurityDescriptorToSecurityDescriptorW(
                kLabelSddl, SDDL_REVISION_1, reinterpret_cast<PSECURITY_DESCRIPTOR*>(m_securityDescriptor.Out()),
                nullptr)) {
            BOOL present = FALSE;
            BOOL defaulted = FALSE;
            PACL sacl = nullptr;
            if (GetSecurityDescriptorSacl(m_securityDescriptor.Get(), &present, &sacl, &defaulted) && present)
                m_pSacl = sacl;
        }
    }
    if (!m_securityDescriptor || !m_pSacl)
        m_pSacl = nullptr;
}

LowIntegrityHelper::~LowIntegrityHelper() {
    // The list lies inside the descriptor.
    m_pSacl = nullptr;
    m_securityDescriptor.Reset();
}

void SetLowIntegrityLabelOnKernelObject(const std::wstring& name) {
    PACL sacl = g_lowIntegrity.LabelList();
    if (!sacl)
        return;
    SetNamedSecurityInfoW(const_cast<LPWSTR>(name.c_str()), SE_KERNEL_OBJECT, LABEL_SECURITY_INFORMATION,
                          nullptr, nullptr, nullptr, sacl);
}

DWORD SetLowIntegrityLabelOnRegistryKey(const std::wstring& objectName) {
    PACL sacl = g_lowIntegrity.LabelList();
    if (!sacl)
        return ERROR_SUCCESS;
    return SetNamedSecurityInfoW(const_cast<LPWSTR>(objectName.c_str()), SE_REGISTRY_KEY,
                                 LABEL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, sacl);
}

bool GrantUsersAccessToRegistryKey(const std::wstring& objectName, DWORD permissions, DWORD* result) {
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    AllocatedSid users;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS, 0, 0,
                                  0, 0, 0, 0, users.Out()))
        return false;

    EXPLICIT_ACCESSW access = {};
    access.grfAccessPermissions = permissions;
    access.grfAccessMode = SET_ACCESS;
    access.grfInheritance = NO_INHERITANCE;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_GROUP;
    access.Trustee.ptstrName = reinterpret_cast<LPWSTR>(users.Get());
    LocalMemory dacl;
    DWORD built = SetEntriesInAclW(1, &access, nullptr, reinterpret_cast<PACL*>(dacl.Out()));
    users.Reset();
    if (built != ERROR_SUCCESS || !dacl)
        return false;

    DWORD rc = SetNamedSecurityInfoW(const_cast<LPWSTR>(objectName.c_str()), SE_REGISTRY_KEY,
                                     DACL_SECURITY_INFORMATION, nullptr, nullptr, static_cast<PACL>(dacl.Get()),
                                     nullptr);
    if (result)
        *result = rc;
    return true;
}

void SetLowIntegrityLevelOnRegistryKey(const std::wstring& objectName) {
    DWORD rc = SetLowIntegrityLabelOnRegistryKey(objectName);
    if (rc != ERROR_SUCCESS)
        g_logger.LogError(L"CHintora::SetLowIntegrityLevel SetLowIntegrityLevelToRegistry: " + objectName, rc,
                          false);
    if (GrantUsersAccessToRegistryKey(objectName, GENERIC_READ | GENERIC_WRITE, &rc))
        g_logger.LogError(L"CHintora::SetLowIntegrityLevel SetNamedSecurityInfo: " + objectName, rc, true);
}

#pragma once
#include <windows.h>

#include <string>

// The toolbar command and scriptable object. Only its settings write path
// lives here so far: every setting of the product key is stored through it.
class CHintora {
public:
    // 0 without writing anything when the value is empty; otherwise the code
    // of Registry::CreateOrOpenKeyAndWriteStringValue (the key is created
    // when missing). Key path, value name and value are trimmed.
    static LONG StoreDataInRegistry(HKEY root, const std::wstring& keyPath, const std::wstring& valueName,
                                    const std::wstring& value);
};

// Membership in the two parameter groups that setup pages save (exact,
// case-sensitive names).
bool IsTestParameter(const std::wstring& name);
bool IsAdvancedParameter(const std::wstring& name);

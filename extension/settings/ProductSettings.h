#pragma once
// The product's settings in the registry: where they live, the values the
// helper object and the pages read, and the one way values are stored.
#include <windows.h>

#include <string>

namespace ProductSettings {

extern const wchar_t kProductKey[];
extern const wchar_t kAdvancedKey[];
extern const wchar_t kTestKey[];

// A string value of the product key, trimmed; empty with the registry's
// code when it cannot be read.
LONG ReadValue(const wchar_t* name, std::wstring& text);
// The same when only the text counts.
std::wstring Value(const wchar_t* name);
// StoreDataInRegistry into the product key.
LONG StoreValue(const wchar_t* name, const std::wstring& value);

// The user's language code, "en" when none is stored.
void GetLanguage(std::wstring& language);
// "ApplicationOrder" of the product key; empty with the registry's code when
// it cannot be read.
LONG GetApplicationOrder(std::wstring& order);
LONG SetApplicationOrder(const std::wstring& order);
// The value of `name` in "PublishData" ("name,value;name,value"); `value`
// stays as it is when the name is not there.
void GetPublishData(const std::wstring& name, std::wstring& value);

// 0 without writing anything when the value is empty; otherwise the code
// of Registry::CreateOrOpenKeyAndWriteStringValue (the key is created
// when missing). Key path, value name and value are trimmed.
LONG StoreDataInRegistry(HKEY root, const std::wstring& keyPath, const std::wstring& valueName,
                         const std::wstring& value);

// Membership in the two parameter groups that setup pages save (exact,
// case-sensitive names).
bool IsTestParameter(const std::wstring& name);
bool IsAdvancedParameter(const std::wstring& name);

}  // namespace ProductSettings

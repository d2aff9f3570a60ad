#include "settings/ProductSettings.h"

#include "base/Logger.h"
#include "base/Registry.h"
#include "base/TextTokens.h"

namespace {

std::wstring TrimBlanks(const std::wstring& text) {
    const wchar_t* blanks = L" \t\r\n\v\f";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::wstring::npos)
        return std::wstring();
    size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

}  // namespace

namespace ProductSettings {

const wchar_t kProductKey[] = L"Software\\Veltrane\\Norvik\\Hintora";
const wchar_t kAdvancedKey[] = L"Software\\Veltrane\\Norvik\\Hintora\\Advanced";
const wchar_t kTestKey[] = L"Software\\Veltrane\\Norvik\\Hintora\\Test";

LONG StoreDataInRegistry(HKEY root, const std::wstring& keyPath, const std::wstring& valueName,
                         const std::wstring& value) {
    // The emptiness test comes before trimming: a value of blanks reaches the
    // registry wrapper, which refuses the empty text itself.
    if (value.empty())
        return 0;
    Registry registry(root);
    LONG rc = registry.CreateOrOpenKeyAndWriteStringValue(TrimBlanks(keyPath), TrimBlanks(valueName),
                                                          TrimBlanks(value));
    if (rc != 0)
        g_logger.LogError(L"CHintora::StoreDataInRegistry", static_cast<DWORD>(rc), true);
    return rc;
}

LONG ReadValue(const wchar_t* name, std::wstring& text) {
    return GetStringFromRegistry(HKEY_LOCAL_MACHINE, kProductKey, name, text);
}

std::wstring Value(const wchar_t* name) {
    std::wstring text;
    ReadValue(name, text);
    return text;
}

LONG StoreValue(const wchar_t* name, const std::wstring& value) {
    return StoreDataInRegistry(HKEY_LOCAL_MACHINE, kProductKey, name, value);
}

bool IsTestParameter(const std::wstring& name) {
    static const wchar_t* const names[] = {L"showtestpage", L"showscore", L"maxhit",
                                           L"maxsearch",    L"threshold", L"minscore"};
    for (const wchar_t* candidate : names)
        if (name == candidate)
            return true;
    return false;
}

bool IsAdvancedParameter(const std::wstring& name) {
    return name == L"tracemode" || name == L"usecache" || name == L"diagnosticmode";
}

void GetLanguage(std::wstring& language) {
    std::wstring text;
    LONG rc = ReadValue(L"Language", text);
    language = (rc != S_OK || text.empty()) ? std::wstring(L"en") : text;
    g_logger.Log(L"CHintoraIEBHO::GetLanguage() - language: %s", language.c_str());
}

LONG GetApplicationOrder(std::wstring& order) {
    std::wstring text;
    LONG rc = ReadValue(L"ApplicationOrder", text);
    order = rc == 0 ? text : std::wstring();
    return rc;
}

LONG SetApplicationOrder(const std::wstring& order) {
    return StoreValue(L"ApplicationOrder", order);
}

void GetPublishData(const std::wstring& name, std::wstring& value) {
    std::wstring data;
    if (ReadValue(L"PublishData", data) != 0)
        data.clear();
    for (const std::wstring& item : SplitTokens(data, L';')) {
        std::vector<std::wstring> parts = SplitTokens(item, L',');
        if (parts.size() == 2 && parts[0] == name) {
            value = parts[1];
            return;
        }
    }
}

}  // namespace ProductSettings

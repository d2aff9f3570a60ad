#include "Hintora.h"

#include "Logger.h"
#include "Registry.h"

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

LONG CHintora::StoreDataInRegistry(HKEY root, const std::wstring& keyPath, const std::wstring& valueName,
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

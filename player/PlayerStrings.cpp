// Interim lookup through the module's string table; the string-table owner
// replaces this file.
#include "PlayerStrings.h"

std::wstring LoadPlayerString(UINT id) {
    const wchar_t* text = nullptr;
    // A zero buffer size returns a read-only pointer into the resource.
    int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text)
        return std::wstring();
    return std::wstring(text, static_cast<size_t>(length));
}

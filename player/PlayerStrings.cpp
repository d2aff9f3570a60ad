#include "PlayerStrings.h"

#include <vector>

#include "Environment.h"
#include "common/Handles.h"
#include "StartupRules.h"
#include "resource.h"

namespace {

// 0 until ApplyUiLanguage runs on the thread: the thread's UI language then.
thread_local LANGID t_playerLanguage = 0;

const LANGID kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// Walks the RT_STRING block of the id in exactly that language.
bool FindStringInLanguage(HMODULE module, UINT id, LANGID language, std::wstring& text) {
    HRSRC res = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW((id >> 4) + 1), language);
    if (!res)
        return false;
    HGLOBAL global = LoadResource(module, res);
    if (!global)
        return false;
    const WCHAR* p = static_cast<const WCHAR*>(LockResource(global));
    DWORD size = SizeofResource(module, res) / sizeof(WCHAR);
    if (!p)
        return false;
    const WCHAR* end = p + size;
    for (UINT i = 0; i < (id & 15); ++i) {
        if (p >= end)
            return false;
        p += 1 + *p;
    }
    if (p >= end || *p == 0 || p + 1 + *p > end)
        return false;
    text.assign(p + 1, *p);
    return true;
}

}  // namespace

std::wstring LoadPlayerStringForLanguage(UINT id, LANGID language) {
    HMODULE module = GetModuleHandleW(nullptr);
    std::wstring text;
    if (FindStringInLanguage(module, id, language, text))
        return text;
    // Same language, any region (German of Austria finds German of Germany).
    LANGID primary = MAKELANGID(PRIMARYLANGID(language), SUBLANG_DEFAULT);
    if (primary != language && FindStringInLanguage(module, id, primary, text))
        return text;
    if (FindStringInLanguage(module, id, kEnglishUs, text))
        return text;
    if (FindStringInLanguage(module, id, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), text))
        return text;
    return std::wstring();
}

UINT StatusStringId(int code) {
    return code == 505 ? IDS_STATUS_505 : static_cast<UINT>(code);
}

LANGID PlayerThreadLanguage() {
    return t_playerLanguage ? t_playerLanguage : GetThreadUILanguage();
}

std::wstring LoadPlayerString(UINT id) {
    return LoadPlayerStringForLanguage(id, PlayerThreadLanguage());
}

void ApplyUiLanguage(const std::wstring& code) {
    LCID lcid = LanguageCodeToLcid(code);
    t_playerLanguage = LANGIDFROMLCID(lcid);
    const OSVERSIONINFOW version = WindowsVersion();
    if (version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 6)
        SetThreadUILanguage(LANGIDFROMLCID(lcid));
    else
        SetThreadLocale(lcid);
}

void LoadPlayerLanguage() {
    static const wchar_t kFileName[] = L"publishdata.json.js";
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return;
    std::wstring folder(path, n);
    size_t slash = folder.rfind(L'\\');
    if (slash == std::wstring::npos)
        return;
    folder.resize(slash + 1);
    if (folder.size() + (sizeof(kFileName) / sizeof(wchar_t) - 1) >= MAX_PATH)
        return;
    FileHandle file(CreateFileW((folder + kFileName).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid())
        return;
    std::string bytes;
    LARGE_INTEGER size;
    // The language key sits near the top; a huge file is not read whole.
    if (GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0 && size.QuadPart <= 64 * 1024 * 1024) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        if (!ReadFile(file.Get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr))
            read = 0;
        bytes.resize(read);
    }
    file.Reset();
    if (bytes.empty())
        return;
    int wide = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (wide <= 0)
        return;
    std::wstring text(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], wide);
    std::wstring code;
    if (FindPlayerLanguageCode(text, code))
        ApplyUiLanguage(code);
}

int ShowPlayerMessage(UINT id, UINT icon) {
    std::wstring text = LoadPlayerString(id);
    return MessageBoxW(nullptr, text.c_str(), L"play", MB_OK | icon);
}

#include "Environment.h"

std::wstring ProgramFolder() {
    wchar_t path[2000];
    DWORD n = GetModuleFileNameW(nullptr, path, 2000);
    if (n == 0 || n >= 2000)
        return std::wstring();
    std::wstring folder(path, n);
    size_t slash = folder.rfind(L'\\');
    folder.resize(slash == std::wstring::npos ? 0 : slash);
    return folder;
}

OSVERSIONINFOW WindowsVersion() {
    OSVERSIONINFOW version = {sizeof(version)};
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExW(&version);
#pragma GCC diagnostic pop
    return version;
}

std::string ToAnsiCodePage(const std::wstring& text) {
    if (text.empty())
        return std::string();
    int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return std::string();
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &bytes[0], n, nullptr, nullptr);
    return bytes;
}

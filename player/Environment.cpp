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

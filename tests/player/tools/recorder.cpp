// Stands in for a browser in the launch tests: appends its command line, as
// UTF-8 and one line per run, to the file named by HINTORA_RECORDER_OUT, then
// stays alive for HINTORA_RECORDER_LINGER_MS milliseconds when that is set.
#include <windows.h>

#include <cwchar>
#include <string>

int main() {
    wchar_t out[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"HINTORA_RECORDER_OUT", out, MAX_PATH) == 0)
        return 2;
    std::wstring line = GetCommandLineW();
    line += L"\n";
    int bytes = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, &utf8[0], bytes, nullptr, nullptr);
    utf8.resize(static_cast<size_t>(bytes - 1));

    HANDLE file = CreateFileW(out, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 3;
    DWORD written = 0;
    WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(file);

    wchar_t linger[32] = {};
    if (GetEnvironmentVariableW(L"HINTORA_RECORDER_LINGER_MS", linger, 32) != 0)
        Sleep(static_cast<DWORD>(wcstoul(linger, nullptr, 10)));
    return 0;
}

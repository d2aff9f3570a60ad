// The worker thread: starts the browser at the server's address, then ends
// the program after an hour without requests.
#include "BrowserWorker.h"

#include <psapi.h>

#include <vector>

#include "common/Handles.h"
#include "HttpDate.h"
#include "PlayerStrings.h"

const wchar_t kIeAppPathKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE";
const wchar_t kFirefoxKey[] = L"SOFTWARE\\Mozilla\\Mozilla Firefox";
const wchar_t kSafariKey[] = L"SOFTWARE\\Apple Computer, Inc.\\Safari";

RegistryKey OpenBrowserKey(const std::wstring& path) {
    RegistryKey key = OpenRegistryKey(HKEY_LOCAL_MACHINE, path.c_str(), KEY_QUERY_VALUE | KEY_WOW64_64KEY);
    if (!key.Valid())
        key = OpenRegistryKey(HKEY_LOCAL_MACHINE, path.c_str(), KEY_QUERY_VALUE);
    return key;
}

namespace {

// Registry values are read into a buffer of this many bytes.
const DWORD kValueBufferBytes = 1000;

enum : UINT {
    kMsgIeNotFound = 134,
    kMsgIeNotStarted = 135,
    kMsgFirefoxNotStarted = 138,
    kMsgFirefoxNotFound = 139,
    kMsgSafariNotStarted = 140,
    kMsgSafariNotFound = 141,
};

LONGLONG SystemUnixTime() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return UnixTimeFromFileTime(ft.dwHighDateTime, ft.dwLowDateTime);
}

LONGLONG Now(const BrowserWorkerSettings& settings) {
    return settings.now ? settings.now() : SystemUnixTime();
}

void ShowMessageBox(UINT id) {
    // The caption is the program's name, as the framework's message boxes have it.
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring caption = module;
    size_t slash = caption.find_last_of(L"\\/");
    if (slash != std::wstring::npos)
        caption.erase(0, slash + 1);
    size_t dot = caption.rfind(L'.');
    if (dot != std::wstring::npos)
        caption.erase(dot);
    MessageBoxW(nullptr, LoadPlayerString(id).c_str(), caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
}

void ShowMessage(const BrowserWorkerSettings& settings, UINT id) {
    if (settings.showMessage)
        settings.showMessage(id);
    else
        ShowMessageBox(id);
}

// A string value of an open key. Values that do not fit the buffer, are not
// strings or lack their terminator are read as empty rather than trusted.
std::wstring QueryString(const RegistryKey& key, const wchar_t* name) {
    wchar_t buffer[kValueBufferBytes / sizeof(wchar_t) + 1] = {};
    DWORD type = 0;
    DWORD bytes = kValueBufferBytes;
    if (RegQueryValueExW(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes) != ERROR_SUCCESS)
        return std::wstring();
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return std::wstring();
    buffer[bytes / sizeof(wchar_t)] = L'\0';
    std::wstring value = buffer;
    if (type == REG_EXPAND_SZ) {
        DWORD needed = ExpandEnvironmentStringsW(value.c_str(), nullptr, 0);
        if (needed == 0)
            return std::wstring();
        std::vector<wchar_t> expanded(needed);
        if (ExpandEnvironmentStringsW(value.c_str(), expanded.data(), needed) == 0)
            return std::wstring();
        value = expanded.data();
    }
    return value;
}


// The path without surrounding quotation marks, as the process list names it.
std::wstring Unquoted(const std::wstring& path) {
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"')
        return path.substr(1, path.size() - 2);
    return path;
}

// The started process; none when it could not be started. Nobody waits on
// its main thread.
KernelHandle StartProcess(const std::wstring& commandLine) {
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    // CreateProcessW may write into the command line.
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return KernelHandle();
    KernelHandle thread(pi.hThread);
    return KernelHandle(pi.hProcess);
}

bool ReadLogonId(HANDLE process, ULONGLONG* logonId) {
    KernelHandle token;
    if (!OpenProcessToken(process, TOKEN_QUERY | TOKEN_DUPLICATE, token.Out()))
        return false;
    TOKEN_STATISTICS stats = {};
    DWORD bytes = 0;
    BOOL ok = GetTokenInformation(token.Get(), TokenStatistics, &stats, sizeof(stats), &bytes);
    token.Reset();
    if (!ok)
        return false;
    *logonId = (static_cast<ULONGLONG>(static_cast<DWORD>(stats.AuthenticationId.HighPart)) << 32) |
               stats.AuthenticationId.LowPart;
    return true;
}

// Waits, within the search bound, until the started browser shows up among
// this logon session's processes, so the idle watch starts once it runs.
void WaitForBrowserProcess(const std::wstring& exePath, const BrowserWorkerSettings& settings) {
    const std::wstring image = Unquoted(exePath);
    const ULONGLONG logonId = GetOwnLogonId();
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        if (FindProcessByImageAndLogon(image, logonId) != 0)
            return;
        if (GetTickCount64() - start >= settings.processSearchLimitMs)
            return;
        Sleep(settings.processPollMs);
    }
}

void LaunchInternetExplorer(BrowserWorkerHost& host, const BrowserWorkerSettings& settings) {
    // The server's absolute URLs must name the host the browser uses.
    host.SetServerHostName(L"localhost");
    const std::wstring url = BuildStartUrl(L"localhost", host.ServerPort(), host.StartPage());

    PROCESS_INFORMATION pi = {};
    HRESULT hr = settings.ieLaunchUrl ? settings.ieLaunchUrl(url.c_str(), &pi, nullptr)
                                      : CallIELaunchURL(url.c_str(), &pi);
    if (SUCCEEDED(hr)) {
        KernelHandle thread(pi.hThread);
        KernelHandle process(pi.hProcess);
        if (process.Valid())
            WaitForInputIdle(process.Get(), 2000);
        WaitForIdleHour(host, settings);
        return;
    }
    if (hr != E_NOTIMPL) {
        ShowMessage(settings, kMsgIeNotStarted);
        return;
    }

    RegistryKey key = OpenBrowserKey(kIeAppPathKey);
    if (!key.Valid()) {
        ShowMessage(settings, kMsgIeNotFound);
        return;
    }
    const std::wstring exePath = QueryString(key, nullptr);
    key.Reset();

    host.SetServerHostName(L"localhost");
    KernelHandle process;
    if (!exePath.empty())
        process = StartProcess(BuildBrowserCommandLine(exePath, url));
    if (!process.Valid()) {
        ShowMessage(settings, kMsgIeNotStarted);
        return;
    }
    WaitForIdleHour(host, settings);
}

// Firefox and Safari: start the registered executable, wait for its process,
// then for the idle hour.
void LaunchFromPath(BrowserWorkerHost& host, const BrowserWorkerSettings& settings, const std::wstring& exePath,
                    UINT notStartedMessage) {
    const std::wstring url = BuildStartUrl(L"127.0.0.1", host.ServerPort(), host.StartPage());
    if (exePath.empty() || !StartProcess(BuildBrowserCommandLine(exePath, url)).Valid()) {
        ShowMessage(settings, notStartedMessage);
        return;
    }
    WaitForBrowserProcess(exePath, settings);
    WaitForIdleHour(host, settings);
}

void LaunchFirefox(BrowserWorkerHost& host, const BrowserWorkerSettings& settings) {
    RegistryKey key = OpenBrowserKey(kFirefoxKey);
    if (!key.Valid()) {
        ShowMessage(settings, kMsgFirefoxNotFound);
        return;
    }
    const std::wstring version = QueryString(key, L"CurrentVersion");
    key.Reset();
    // An empty version would name the parent key's "\Main" by accident.
    if (!version.empty())
        key = OpenBrowserKey(std::wstring(kFirefoxKey) + L"\\" + version + L"\\Main");
    if (!key.Valid()) {
        ShowMessage(settings, kMsgFirefoxNotFound);
        return;
    }
    const std::wstring exePath = QueryString(key, L"PathToExe");
    key.Reset();
    LaunchFromPath(host, settings, exePath, kMsgFirefoxNotStarted);
}

void LaunchSafari(BrowserWorkerHost& host, const BrowserWorkerSettings& settings) {
    RegistryKey key = OpenBrowserKey(kSafariKey);
    if (!key.Valid()) {
        ShowMessage(settings, kMsgSafariNotFound);
        return;
    }
    const std::wstring exePath = QueryString(key, L"BrowserExe");
    key.Reset();
    LaunchFromPath(host, settings, exePath, kMsgSafariNotStarted);
}

}  // namespace

DWORD WINAPI BrowserThreadProc(LPVOID param) {
    return RunBrowserWorker(*static_cast<BrowserWorkerHost*>(param), BrowserWorkerSettings());
}

DWORD RunBrowserWorker(BrowserWorkerHost& host, const BrowserWorkerSettings& settings) {
    switch (host.BrowserChoice()) {
    case 1:
        LaunchInternetExplorer(host, settings);
        break;
    case 2:
        LaunchFirefox(host, settings);
        break;
    case 3:
        LaunchSafari(host, settings);
        break;
    default:
        // The default browser is resolved at start-up on Windows NT; elsewhere
        // nothing is started.
        break;
    }
    PostMessageW(host.MainWindow(), WM_QUIT, 0, 0);
    return 0;
}

bool IsIdleHourOver(LONGLONG now, LONGLONG lastRequest) {
    // A negative difference (clock set back) counts as not idle.
    return now - lastRequest >= 3600;
}

void WaitForIdleHour(const BrowserWorkerHost& host, const BrowserWorkerSettings& settings) {
    for (;;) {
        Sleep(settings.idleCheckMs);
        if (IsIdleHourOver(Now(settings), host.LastRequestTime()))
            return;
    }
}

DWORD FindProcessByImageAndLogon(const std::wstring& imagePath, ULONGLONG logonId) {
    DWORD ids[1024];
    DWORD bytes = 0;
    if (!EnumProcesses(ids, sizeof(ids), &bytes))
        return 0;
    const DWORD count = bytes / sizeof(DWORD);
    for (DWORD i = 0; i < count; ++i) {
        if (ids[i] == 0)
            continue;
        KernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ids[i]));
        if (!process.Valid())
            continue;
        bool match = false;
        HMODULE module = nullptr;
        DWORD needed = 0;
        wchar_t name[MAX_PATH] = {};
        if (EnumProcessModules(process.Get(), &module, sizeof(module), &needed) &&
            GetModuleFileNameExW(process.Get(), module, name, MAX_PATH) != 0 &&
            CompareStringOrdinal(name, -1, imagePath.c_str(), -1, TRUE) == CSTR_EQUAL) {
            // A process whose logon session cannot be read is not ours.
            ULONGLONG processLogon = 0;
            match = ReadLogonId(process.Get(), &processLogon) && processLogon == logonId;
        }
        if (match)
            return ids[i];
    }
    return 0;
}

ULONGLONG GetOwnLogonId() {
    ULONGLONG logonId = 0;
    if (!ReadLogonId(GetCurrentProcess(), &logonId))
        return 0;
    return logonId;
}

HRESULT CallIELaunchURL(LPCWSTR url, PROCESS_INFORMATION* processInfo) {
    static const IELaunchURLFunc launch = []() -> IELaunchURLFunc {
        // Only the system's copy: the program runs from a content folder, where
        // a planted ieframe.dll must not be picked up.
        wchar_t path[MAX_PATH];
        UINT length = GetSystemDirectoryW(path, MAX_PATH);
        const wchar_t name[] = L"\\ieframe.dll";
        if (length == 0 || length + ARRAYSIZE(name) > MAX_PATH)
            return nullptr;
        lstrcatW(path, name);
        HMODULE library = LoadLibraryW(path);
        if (!library)
            return nullptr;
        return reinterpret_cast<IELaunchURLFunc>(reinterpret_cast<void*>(GetProcAddress(library, "IELaunchURL")));
    }();
    if (!launch)
        return E_NOTIMPL;
    return launch(url, processInfo, nullptr);
}

std::wstring BuildStartUrl(const std::wstring& host, int port, const std::wstring& startPage) {
    return L"http://" + host + L":" + std::to_wstring(port) + L"/" + startPage;
}

std::wstring BuildBrowserCommandLine(const std::wstring& exePath, const std::wstring& url) {
    // Unquoted, a path with blanks would be split: CreateProcess would first try
    // "C:\Program.exe", and the browser would open the pieces as addresses.
    std::wstring quoted = exePath;
    if (quoted.empty() || quoted.front() != L'"')
        quoted = L"\"" + quoted + L"\"";
    return quoted + L" " + url;
}

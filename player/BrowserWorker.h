#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "common/Handles.h"

// Machine keys whose presence shows that a browser is installed: Internet
// Explorer's App Paths entry, Firefox's and Safari's own keys.
extern const wchar_t kIeAppPathKey[];
extern const wchar_t kFirefoxKey[];
extern const wchar_t kSafariKey[];

// A browser's machine key, in the native registry view first (where a 64-bit
// browser registers) and then in this program's own (a 32-bit browser's on
// 64-bit Windows, which a 32-bit program would otherwise see alone). 32-bit
// Windows has one view and ignores the flag.
RegistryKey OpenBrowserKey(const std::wstring& path);

// What the worker thread needs from the application object. The application
// implements it; tests put a fake behind it.
class BrowserWorkerHost {
public:
    virtual ~BrowserWorkerHost() = default;
    // 0 system default (left as is only off Windows NT), 1 Internet Explorer,
    // 2 Firefox, 3 Safari.
    virtual int BrowserChoice() const = 0;
    virtual std::wstring StartPage() const = 0;
    // The server's listening port; 0 when it does not listen.
    virtual int ServerPort() const = 0;
    // The host name the server writes into absolute URLs.
    virtual void SetServerHostName(const std::wstring& hostName) = 0;
    // Receives WM_QUIT when the program is to end.
    virtual HWND MainWindow() const = 0;
    // Seconds since 1970 (UTC) of the last request; 0 before the first.
    virtual LONGLONG LastRequestTime() const = 0;
};

// The worker: starts the chosen browser at the server's address, waits for an
// idle hour, then posts WM_QUIT to the main window. Argument: BrowserWorkerHost*.
DWORD WINAPI BrowserThreadProc(LPVOID host);

// Internet Explorer's protected-mode launch function (ieframe.dll).
using IELaunchURLFunc = HRESULT(WINAPI*)(LPCWSTR url, PROCESS_INFORMATION* processInfo, void* options);

// How the worker waits and reports. BrowserThreadProc uses the defaults; tests
// shorten the waits and replace the clock, the message box and the launch
// function.
struct BrowserWorkerSettings {
    // Period of the idle watch.
    DWORD idleCheckMs = 10000;
    // Pause between two looks for a started Firefox or Safari process.
    DWORD processPollMs = 200;
    // How long to look for that process before going on to the idle watch: a
    // browser that hands the address to an instance we cannot see (another
    // logon session, a 64-bit process seen from a 32-bit program) never shows
    // up, and without a bound the program would never end.
    DWORD processSearchLimitMs = 60000;
    // Seconds since 1970 (UTC); empty: the system clock.
    std::function<LONGLONG()> now;
    // Shows the string-table message `id`; empty: a message box with the
    // exclamation icon.
    std::function<void(UINT id)> showMessage;
    // Empty: IELaunchURL bound from ieframe.dll at run time.
    IELaunchURLFunc ieLaunchUrl = nullptr;
};

// The body of BrowserThreadProc. Always posts WM_QUIT to the host's main
// window before it returns 0.
DWORD RunBrowserWorker(BrowserWorkerHost& host, const BrowserWorkerSettings& settings);

// Returns once the last request is an hour or more in the past, looking once
// per period. A clock set back before the last request keeps it waiting.
void WaitForIdleHour(const BrowserWorkerHost& host, const BrowserWorkerSettings& settings = BrowserWorkerSettings());

// True when `now` is an hour or more after `lastRequest`.
bool IsIdleHourOver(LONGLONG now, LONGLONG lastRequest);

// Identifier of the first process whose main image is `imagePath` (compared
// without regard to case) and that runs in logon session `logonId`; 0 when
// there is none.
DWORD FindProcessByImageAndLogon(const std::wstring& imagePath, ULONGLONG logonId);

// Logon session (authentication identifier) of this process; 0 when it
// cannot be read.
ULONGLONG GetOwnLogonId();

// IELaunchURL bound from ieframe.dll on first use; E_NOTIMPL when the library
// or the function is missing.
HRESULT CallIELaunchURL(LPCWSTR url, PROCESS_INFORMATION* processInfo);

// "http://HOST:PORT/" followed by the start page, unchanged.
std::wstring BuildStartUrl(const std::wstring& host, int port, const std::wstring& startPage);

// The browser's command line: the executable path, quoted unless it already
// is, a blank and the start URL.
std::wstring BuildBrowserCommandLine(const std::wstring& exePath, const std::wstring& url);

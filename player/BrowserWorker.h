#pragma once
#include <windows.h>

#include <string>

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

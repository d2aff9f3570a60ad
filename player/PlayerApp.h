#pragma once
// The play program's application object: start-up, the hidden main window,
// the server, the worker thread and the log.
#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

#include "BrowserWorker.h"
#include "common/Handles.h"
#include "RequestSocket.h"

class CLocalServer;

class CQXHttpApp : public BrowserWorkerHost, public RequestObserver {
public:
    CQXHttpApp();
    ~CQXHttpApp() override;

    // Runs start-up with the process command line. False when start-up
    // stopped early: no main window exists and the program is to end.
    BOOL InitInstance();
    // The message loop; returns the exit code.
    int Run();

    void WriteLogLine(const std::wstring& text, bool timestamp, bool lineEnd) override;
    void SetLastRequestTime(long long time) override;

    // BrowserWorkerHost
    int BrowserChoice() const override { return m_nBrowser; }
    std::wstring StartPage() const override { return m_strStartPage; }
    int ServerPort() const override;
    void SetServerHostName(const std::wstring& hostName) override;
    HWND MainWindow() const override { return m_hMainWnd; }
    LONGLONG LastRequestTime() const override { return m_lastRequest.load(); }

private:
    CQXHttpApp(const CQXHttpApp&) = delete;
    CQXHttpApp& operator=(const CQXHttpApp&) = delete;

    bool OpenLog();
    static void ResolveSystemBrowser(int& choice);

    HWND m_hMainWnd;
    std::unique_ptr<CLocalServer> m_server;
    std::wstring m_strStartPage;
    int m_nBrowser;
    bool m_bLog;
    CriticalSection m_logLock;
    FileHandle m_logFile;
    // Written by the main thread, read by the worker: atomic so that a
    // 32-bit build never sees half of it.
    std::atomic<LONGLONG> m_lastRequest;
    bool m_bSocketsStarted;
};

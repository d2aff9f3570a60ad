#pragma once
#include <windows.h>
#include <oaidl.h>
#include <string>

#include "base/ComOwners.h"

// Process-wide trace switch; the helper object sets it from the settings.
extern BYTE g_bTraceMode;

// The library's one trace writer. Lines go to an outside trace component
// (created by class identifier, never registered by us) and only while
// g_bTraceMode is set.
class Logger {
public:
    static const wchar_t kTraceClsid[];
    static const wchar_t kSourceTag[];

    Logger();
    ~Logger();

    HRESULT ConnectTraceObject();
    std::wstring Log(const wchar_t* format, ...);
    void LogError(const std::wstring& context, DWORD code, bool failuresOnly);
    static std::wstring GetErrorMessage(DWORD code);
    void Write(const std::wstring& text);

    // 0 = never tried, 1 = connected, 2 = creation failed.
    int ConnectionState() const { return m_nConnection; }

private:
    Logger(const Logger&) = delete;
    Logger& operator=(const Logger&) = delete;

    ComPtr<IDispatch> m_spTrace;
    int m_nConnection = 0;
    // The trace object is reached from tab threads and the options thread;
    // the global interface table hands each apartment a usable reference.
    DWORD m_dwGitCookie = 0;
    DWORD m_dwOwnerThread = 0;
};

extern Logger g_logger;

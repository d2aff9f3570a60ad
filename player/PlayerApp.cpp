#include "PlayerApp.h"

#include <ctime>
#include <vector>

#include "BrowserDialog.h"
#include "ConfigSave.h"
#include "LocalServer.h"
#include "PlayerStrings.h"
#include "StartupRules.h"
#include "resource.h"

namespace {

const wchar_t kDoNotAskKey[] = L"Software\\RaDir\\Developer\\DoNotAskAgain";
const wchar_t kDoNotAskValue[] = L"ZiruVurUI";
const wchar_t kBrowserKey[] = L"Software\\RaDir\\Developer\\ZiruVur";
const wchar_t kBrowserValue[] = L"Browser";

bool KeyExists(HKEY root, const wchar_t* path) {
    HKEY key;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// A string value read into at most maxBytes; always terminated.
bool ReadString(HKEY root, const wchar_t* path, const wchar_t* name, DWORD maxBytes, std::wstring& value) {
    HKEY key;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    std::vector<wchar_t> data(maxBytes / sizeof(wchar_t) + 1, L'\0');
    DWORD size = maxBytes, type = 0;
    LONG rc = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    data[size / sizeof(wchar_t)] = L'\0';
    value = data.data();
    return true;
}

HKEY OpenOrCreateForWriting(const wchar_t* path) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_WRITE, &key) == ERROR_SUCCESS)
        return key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                        nullptr, &key, nullptr) == ERROR_SUCCESS)
        return key;
    return nullptr;
}

void WriteSettings(DWORD doNotAsk, const wchar_t* browser) {
    if (HKEY key = OpenOrCreateForWriting(kDoNotAskKey)) {
        RegSetValueExW(key, kDoNotAskValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&doNotAsk), sizeof(doNotAsk));
        RegCloseKey(key);
    }
    if (HKEY key = OpenOrCreateForWriting(kBrowserKey)) {
        RegSetValueExW(key, kBrowserValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(browser),
                       static_cast<DWORD>((wcslen(browser) + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
}

bool IsWindowsNt() {
    return GetVersion() < 0x80000000;
}

DWORD MajorVersion() {
    OSVERSIONINFOW version = {sizeof(version)};
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExW(&version);
#pragma GCC diagnostic pop
    return version.dwMajorVersion;
}

}  // namespace

CQXHttpApp::CQXHttpApp()
    : m_hMainWnd(nullptr),
      m_pServer(nullptr),
      m_nBrowser(0),
      m_bLog(false),
      m_hLogFile(INVALID_HANDLE_VALUE),
      m_lastRequest(0),
      m_bSocketsStarted(false) {
    InitializeCriticalSection(&m_logLock);
    AttachConsole(ATTACH_PARENT_PROCESS);
    SetRequestObserver(this);
}

CQXHttpApp::~CQXHttpApp() {
    delete m_pServer;
    m_pServer = nullptr;
    if (m_bLog) {
        WriteLogLine(L"SESSION END", true, true);
        m_bLog = false;
        CloseHandle(m_hLogFile);
        m_hLogFile = INVALID_HANDLE_VALUE;
    }
    SetRequestObserver(nullptr);
    if (m_bSocketsStarted)
        WSACleanup();
    DeleteCriticalSection(&m_logLock);
}

BOOL CQXHttpApp::InitInstance() {
    m_strStartPage.clear();
    m_bLog = false;
    m_nBrowser = 0;
    bool ask = true;
    bool doNotAskStored = false;

    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kDoNotAskKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        DWORD value = 0, size = sizeof(value), type = 0;
        if (RegQueryValueExW(key, kDoNotAskValue, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
                ERROR_SUCCESS ||
            type != REG_DWORD)
            value = 0;
        RegCloseKey(key);
        ask = value == 0;
        doNotAskStored = value != 0;
    }

    const BOOL ieAvailable =
        KeyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE");
    const BOOL firefoxAvailable = KeyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Mozilla\\Mozilla Firefox");
    const BOOL safariAvailable = KeyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Apple Computer, Inc.\\Safari");

    std::wstring browser;
    if (ReadString(HKEY_CURRENT_USER, kBrowserKey, kBrowserValue, 100 * sizeof(wchar_t), browser)) {
        browser = LowerAscii(browser);
        if (browser == L"ie" && ieAvailable)
            m_nBrowser = 1;
        else if (browser == L"firefox" && firefoxAvailable)
            m_nBrowser = 2;
        else if (browser == L"safari" && safariAvailable)
            m_nBrowser = 3;
    }

    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) {
        ShowPlayerMessage(IDS_SOCKETS_INIT_FAILED, MB_ICONEXCLAMATION);
        return FALSE;
    }
    m_bSocketsStarted = true;

    PlayerCommandLine cl = ParsePlayerCommandLine(SplitCommandTokens(CommandTail(GetCommandLineW())));
    // "/log" before a usage request opens the log; the parser stops at the
    // usage request, so a later "/log" is never seen.
    if (cl.log && !OpenLog()) {
        ShowPlayerMessage(IDS_LOG_CREATE_FAILED, MB_ICONEXCLAMATION);
        return FALSE;
    }
    if (cl.usage) {
        LoadPlayerLanguage();
        ShowPlayerMessage(IDS_USAGE, MB_ICONINFORMATION);
        return FALSE;
    }
    if (cl.browser >= 0) {
        m_nBrowser = cl.browser;
        ask = false;
    }
    m_strStartPage = cl.startPage;
    if (cl.showDialog)
        ask = true;

    int doNotAsk = doNotAskStored ? 1 : 0;
    if (cl.reset) {
        WriteSettings(0, L"System");
        m_nBrowser = 0;
        doNotAsk = 0;
        ask = true;
    }

    if (ask) {
        LoadPlayerLanguage();
        int choice = m_nBrowser;
        CQXHttpDlg dialog(&choice, &doNotAsk, ieAvailable, firefoxAvailable, safariAvailable);
        INT_PTR result = dialog.DoModal();
        if (result == IDOK) {
            m_nBrowser = choice;
            const wchar_t* name = choice == 1 ? L"IE" : choice == 2 ? L"Firefox" : choice == 3 ? L"Safari" : L"System";
            WriteSettings(doNotAsk ? 1 : 0, name);
        } else if (result == IDCANCEL) {
            return FALSE;
        }
    }

    if (IsWindowsNt() && m_nBrowser == 0)
        ResolveSystemBrowser(m_nBrowser);

    if (m_bLog)
        WriteLogLine(L"SESSION BEGIN", true, true);

    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!CAsyncSocket::RegisterWindowClass(instance)) {
        ShowPlayerMessage(IDS_WNDCLASS_FAILED, MB_ICONEXCLAMATION);
        return FALSE;
    }

    // Before anything is served: a save cut short by the end of an earlier
    // run must not leave the content without its configuration.
    const std::wstring folder = ProgramFolder();
    if (!folder.empty())
        RestoreConfigBackup(folder + L"\\" + kConfigFileName);
    m_pServer = new CLocalServer(folder);

    // Message-only: the window only carries messages, and so the program
    // also runs where no desktop is available.
    m_hMainWnd = CreateWindowExW(0, CAsyncSocket::WindowClassName(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 instance, nullptr);
    if (!m_hMainWnd) {
        ShowPlayerMessage(IDS_WINDOW_FAILED, MB_ICONEXCLAMATION);
        return FALSE;
    }

    HANDLE worker = CreateThread(nullptr, 0, BrowserThreadProc, static_cast<BrowserWorkerHost*>(this), 0, nullptr);
    if (!worker) {
        // Without the worker nothing would ever end the program.
        DestroyWindow(m_hMainWnd);
        m_hMainWnd = nullptr;
        return FALSE;
    }
    CloseHandle(worker);
    return TRUE;
}

int CQXHttpApp::Run() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

void CQXHttpApp::ResolveSystemBrowser(int& choice) {
    std::wstring commandKey = L"http\\shell\\open\\command";
    if (MajorVersion() >= 6) {
        std::wstring progId;
        if (ReadString(HKEY_CURRENT_USER,
                       L"Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\http\\UserChoice",
                       L"Progid", 1000, progId) &&
            !progId.empty())
            commandKey = progId + L"\\shell\\open\\command";
    }
    std::wstring command;
    ReadString(HKEY_CLASSES_ROOT, commandKey.c_str(), nullptr, 1000, command);
    choice = BrowserChoiceFromCommand(command);
}

bool CQXHttpApp::OpenLog() {
    if (m_bLog)
        return true;  // a second "/log" keeps the file already open
    HANDLE file = CreateFileW(L"play.exe.log", GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    SetFilePointer(file, 0, nullptr, FILE_END);
    m_hLogFile = file;
    m_bLog = true;
    return true;
}

void CQXHttpApp::WriteLogLine(const std::wstring& text, bool timestamp, bool lineEnd) {
    EnterCriticalSection(&m_logLock);
    if (m_bLog) {
        std::wstring line;
        if (timestamp) {
            SYSTEMTIME now;
            GetLocalTime(&now);
            wchar_t stamp[32];
            swprintf(stamp, 32, L"%02d-%02d-%02d %02d:%02d:%02d ", now.wYear % 100, now.wMonth, now.wDay, now.wHour,
                     now.wMinute, now.wSecond);
            line = stamp;
        } else {
            line = L" ";
        }
        line += text;
        if (lineEnd)
            line += L"\r\n";
        int n = WideCharToMultiByte(CP_ACP, 0, line.data(), static_cast<int>(line.size()), nullptr, 0, nullptr,
                                    nullptr);
        if (n > 0) {
            std::string bytes(static_cast<size_t>(n), '\0');
            WideCharToMultiByte(CP_ACP, 0, line.data(), static_cast<int>(line.size()), &bytes[0], n, nullptr,
                                nullptr);
            DWORD written = 0;
            WriteFile(m_hLogFile, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        }
    }
    LeaveCriticalSection(&m_logLock);
}

void CQXHttpApp::SetLastRequestTime(long long time) {
    m_lastRequest.store(time);
}

int CQXHttpApp::ServerPort() const {
    return m_pServer ? static_cast<int>(m_pServer->port) : 0;
}

void CQXHttpApp::SetServerHostName(const std::wstring& hostName) {
    if (m_pServer)
        m_pServer->SetHost(hostName);
}

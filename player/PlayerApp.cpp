#include "PlayerApp.h"

#include <ctime>
#include <utility>
#include <vector>

#include "BrowserDialog.h"
#include "ConfigSave.h"
#include "Environment.h"
#include "LocalServer.h"
#include "PlayerStrings.h"
#include "StartupRules.h"
#include "resource.h"

namespace {

const wchar_t kDoNotAskKey[] = L"Software\\RaDir\\Developer\\DoNotAskAgain";
const wchar_t kDoNotAskValue[] = L"ZiruVurUI";
const wchar_t kBrowserKey[] = L"Software\\RaDir\\Developer\\ZiruVur";
const wchar_t kBrowserValue[] = L"Browser";

// A string value read into at most maxBytes; always terminated.
bool ReadString(HKEY root, const wchar_t* path, const wchar_t* name, DWORD maxBytes, std::wstring& value) {
    RegistryKey key = OpenRegistryKey(root, path, KEY_READ);
    if (!key.Valid())
        return false;
    std::vector<wchar_t> data(maxBytes / sizeof(wchar_t) + 1, L'\0');
    DWORD size = maxBytes, type = 0;
    LONG rc = RegQueryValueExW(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    key.Reset();
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    data[size / sizeof(wchar_t)] = L'\0';
    value = data.data();
    return true;
}

RegistryKey OpenOrCreateForWriting(const wchar_t* path) {
    RegistryKey key = OpenRegistryKey(HKEY_CURRENT_USER, path, KEY_WRITE);
    if (key.Valid())
        return key;
    HKEY created = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                        nullptr, &created, nullptr) == ERROR_SUCCESS)
        return RegistryKey(created);
    return RegistryKey();
}

void WriteSettings(DWORD doNotAsk, const wchar_t* browser) {
    RegistryKey key = OpenOrCreateForWriting(kDoNotAskKey);
    if (key.Valid())
        RegSetValueExW(key.Get(), kDoNotAskValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&doNotAsk),
                       sizeof(doNotAsk));
    key = OpenOrCreateForWriting(kBrowserKey);
    if (key.Valid())
        RegSetValueExW(key.Get(), kBrowserValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(browser),
                       static_cast<DWORD>((wcslen(browser) + 1) * sizeof(wchar_t)));
}

bool IsWindowsNt() {
    return GetVersion() < 0x80000000;
}

}  // namespace

CQXHttpApp::CQXHttpApp()
    : m_hMainWnd(nullptr),
      m_nBrowser(0),
      m_bLog(false),
      m_lastRequest(0),
      m_bSocketsStarted(false) {
    AttachConsole(ATTACH_PARENT_PROCESS);
    SetRequestObserver(this);
}

CQXHttpApp::~CQXHttpApp() {
    m_server.reset();
    if (m_bLog) {
        WriteLogLine(L"SESSION END", true, true);
        m_bLog = false;
        m_logFile.Reset();
    }
    SetRequestObserver(nullptr);
    if (m_bSocketsStarted)
        WSACleanup();
}

BOOL CQXHttpApp::InitInstance() {
    m_strStartPage.clear();
    m_bLog = false;
    m_nBrowser = 0;
    bool ask = true;
    bool doNotAskStored = false;

    RegistryKey key = OpenRegistryKey(HKEY_CURRENT_USER, kDoNotAskKey, KEY_READ);
    if (key.Valid()) {
        DWORD value = 0, size = sizeof(value), type = 0;
        if (RegQueryValueExW(key.Get(), kDoNotAskValue, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
                ERROR_SUCCESS ||
            type != REG_DWORD)
            value = 0;
        key.Reset();
        ask = value == 0;
        doNotAskStored = value != 0;
    }

    const BOOL ieAvailable = OpenBrowserKey(kIeAppPathKey).Valid();
    const BOOL firefoxAvailable = OpenBrowserKey(kFirefoxKey).Valid();
    const BOOL safariAvailable = OpenBrowserKey(kSafariKey).Valid();

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
    m_server = std::make_unique<CLocalServer>(folder);
    // The message box alone says nothing of the cause.
    if (m_bLog && m_server->Port() == 0)
        WriteLogLine(LoadPlayerString(IDS_SOCKET_FAILED) + L" (" + m_server->ListenFailure() + L")", true, true);

    // Message-only: the window only carries messages, and so the program
    // also runs where no desktop is available.
    m_hMainWnd = CreateWindowExW(0, CAsyncSocket::WindowClassName(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 instance, nullptr);
    if (!m_hMainWnd) {
        ShowPlayerMessage(IDS_WINDOW_FAILED, MB_ICONEXCLAMATION);
        return FALSE;
    }

    KernelHandle worker(
        CreateThread(nullptr, 0, BrowserThreadProc, static_cast<BrowserWorkerHost*>(this), 0, nullptr));
    if (!worker.Valid()) {
        // Without the worker nothing would ever end the program.
        DestroyWindow(m_hMainWnd);
        m_hMainWnd = nullptr;
        return FALSE;
    }
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
    if (WindowsVersion().dwMajorVersion >= 6) {
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
    FileHandle file(CreateFileW(L"play.exe.log", GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!file.Valid())
        return false;
    SetFilePointer(file.Get(), 0, nullptr, FILE_END);
    m_logFile = std::move(file);
    m_bLog = true;
    return true;
}

void CQXHttpApp::WriteLogLine(const std::wstring& text, bool timestamp, bool lineEnd) {
    CriticalSection::Lock lock(m_logLock);
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
        const std::string bytes = ToAnsiCodePage(line);
        if (!bytes.empty()) {
            DWORD written = 0;
            WriteFile(m_logFile.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        }
    }
}

void CQXHttpApp::SetLastRequestTime(long long time) {
    m_lastRequest.store(time);
}

int CQXHttpApp::ServerPort() const {
    return m_server ? static_cast<int>(m_server->Port()) : 0;
}

void CQXHttpApp::SetServerHostName(const std::wstring& hostName) {
    if (m_server)
        m_server->SetHost(hostName);
}

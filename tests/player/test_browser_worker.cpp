// The worker's browser launch roads, its bounded wait for the browser process
// and the idle rule. Browser keys of the test prefix point at
// browser_recorder.exe, which writes its command line to a file.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "BrowserWorker.h"

namespace {

const wchar_t kIeKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE";
const wchar_t kFirefoxKey[] = L"SOFTWARE\\Mozilla\\Mozilla Firefox";
const wchar_t kSafariKey[] = L"SOFTWARE\\Apple Computer, Inc.\\Safari";

std::wstring TestDirectory() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir = path;
    return dir.substr(0, dir.find_last_of(L'\\') + 1);
}

std::wstring RecorderPath() { return TestDirectory() + L"browser_recorder.exe"; }

void PutMachineString(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, REG_SZ, value.c_str(),
                                             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))));
}

// Owns the browser keys of the test prefix for one test. Test programs run in
// parallel, so a named mutex serialises the tests that touch these keys; the
// App Paths entry the prefix came with is put back afterwards.
class BrowserKeys {
public:
    BrowserKeys() {
        m_lock = CreateMutexW(nullptr, FALSE, L"HintoraTests_BrowserKeys");
        DWORD wait = WaitForSingleObject(m_lock, 120000);
        m_locked = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;

        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kIeKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            m_ieKeyExisted = true;
            DWORD bytes = 0;
            if (RegQueryValueExW(key, nullptr, nullptr, &m_ieType, nullptr, &bytes) == ERROR_SUCCESS) {
                m_ieHadValue = true;
                m_ieValue.resize(bytes);
                RegQueryValueExW(key, nullptr, nullptr, &m_ieType, m_ieValue.data(), &bytes);
                m_ieValue.resize(bytes);
            }
            RegCloseKey(key);
        }
        // Stale entries of an interrupted run would change what the tests see.
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kFirefoxKey);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kSafariKey);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kIeKey);
    }
    ~BrowserKeys() {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kFirefoxKey);
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Mozilla");
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kSafariKey);
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Apple Computer, Inc.");
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kIeKey);
        if (m_ieKeyExisted) {
            HKEY key = nullptr;
            RegCreateKeyExW(HKEY_LOCAL_MACHINE, kIeKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
            if (key && m_ieHadValue)
                RegSetValueExW(key, nullptr, 0, m_ieType, m_ieValue.data(), static_cast<DWORD>(m_ieValue.size()));
            if (key)
                RegCloseKey(key);
        }
        if (m_locked)
            ReleaseMutex(m_lock);
        CloseHandle(m_lock);
    }
    bool Locked() const { return m_locked; }

    void SetIePath(const std::wstring& path) { PutMachineString(kIeKey, nullptr, path); }
    void SetFirefox(const std::wstring& version, const std::wstring& path) {
        PutMachineString(kFirefoxKey, L"CurrentVersion", version);
        if (!path.empty())
            PutMachineString(std::wstring(kFirefoxKey) + L"\\" + version + L"\\Main", L"PathToExe", path);
    }
    void SetSafari(const std::wstring& path) { PutMachineString(kSafariKey, L"BrowserExe", path); }

private:
    HANDLE m_lock = nullptr;
    bool m_locked = false;
    bool m_ieKeyExisted = false;
    bool m_ieHadValue = false;
    DWORD m_ieType = REG_SZ;
    std::vector<BYTE> m_ieValue;
};

// The recorder's output file and how long it stays alive, for one test.
class Recording {
public:
    explicit Recording(DWORD lingerMs = 0) {
        wchar_t dir[MAX_PATH];
        GetTempPathW(MAX_PATH, dir);
        wchar_t name[MAX_PATH];
        wsprintfW(name, L"%shintora_recorder_%lu_%lu.txt", dir, GetCurrentProcessId(), GetTickCount());
        m_path = name;
        DeleteFileW(m_path.c_str());
        SetEnvironmentVariableW(L"HINTORA_RECORDER_OUT", m_path.c_str());
        SetEnvironmentVariableW(L"HINTORA_RECORDER_LINGER_MS",
                                lingerMs ? std::to_wstring(lingerMs).c_str() : nullptr);
    }
    ~Recording() {
        SetEnvironmentVariableW(L"HINTORA_RECORDER_OUT", nullptr);
        SetEnvironmentVariableW(L"HINTORA_RECORDER_LINGER_MS", nullptr);
        DeleteFileW(m_path.c_str());
    }
    // The recorded command lines; waits up to `timeoutMs` for the first one.
    std::vector<std::string> Lines(DWORD timeoutMs = 10000) const {
        ULONGLONG start = GetTickCount64();
        while (GetFileAttributesW(m_path.c_str()) == INVALID_FILE_ATTRIBUTES && GetTickCount64() - start < timeoutMs)
            Sleep(50);
        Sleep(50);
        std::vector<std::string> lines;
        std::ifstream in(m_path.c_str());
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

private:
    std::wstring m_path;
};

std::string Narrow(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

class FakeHost : public BrowserWorkerHost {
public:
    FakeHost() {
        m_window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    }
    ~FakeHost() override { DestroyWindow(m_window); }

    int BrowserChoice() const override { return choice; }
    std::wstring StartPage() const override { return startPage; }
    int ServerPort() const override { return port; }
    void SetServerHostName(const std::wstring& name) override { hostNames.push_back(name); }
    HWND MainWindow() const override { return m_window; }
    LONGLONG LastRequestTime() const override { return lastRequest.load(); }

    // Takes the quit message off this thread's queue.
    bool QuitPosted() {
        MSG msg;
        return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
    }

    int choice = 0;
    std::wstring startPage = L"index.html";
    int port = 4321;
    std::vector<std::wstring> hostNames;
    std::atomic<LONGLONG> lastRequest{0};

private:
    HWND m_window = nullptr;
};

// Quick waits, a clock far past any request, and messages recorded together
// with whether the quit message had already been posted.
struct FastSettings : BrowserWorkerSettings {
    FastSettings() {
        idleCheckMs = 1;
        processPollMs = 20;
        processSearchLimitMs = 1000;
        now = [] { return static_cast<LONGLONG>(1700000000); };
        showMessage = [this](UINT id) {
            MSG msg;
            quitBeforeMessage = quitBeforeMessage ||
                                PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
            messages.push_back(id);
        };
    }
    std::vector<UINT> messages;
    bool quitBeforeMessage = false;
};

bool IeLaunchFunctionPresent() {
    HMODULE ieframe = LoadLibraryW(L"ieframe.dll");
    bool present = ieframe && GetProcAddress(ieframe, "IELaunchURL");
    if (ieframe)
        FreeLibrary(ieframe);
    return present;
}

std::wstring g_launchedUrl;
HRESULT g_launchResult = S_OK;
HRESULT WINAPI FakeIELaunchURL(LPCWSTR url, PROCESS_INFORMATION* pi, void*) {
    g_launchedUrl = url;
    *pi = PROCESS_INFORMATION();
    return g_launchResult;
}

class BrowserLaunch : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(keys.Locked()); }
    BrowserKeys keys;
    FakeHost host;
    FastSettings settings;
};

}  // namespace

TEST_F(BrowserLaunch, InternetExplorerFromAppPathsOpensLocalhostWithStartPage) {
    if (IeLaunchFunctionPresent())
        GTEST_SKIP() << "this system has IELaunchURL; the App Paths road is not taken";
    Recording recording;
    keys.SetIePath(RecorderPath());
    host.choice = 1;

    EXPECT_EQ(0u, RunBrowserWorker(host, settings));

    auto lines = recording.Lines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("\"" + Narrow(RecorderPath()) + "\" http://localhost:4321/index.html", lines[0]);
    ASSERT_FALSE(host.hostNames.empty());
    for (const auto& name : host.hostNames)
        EXPECT_EQ(L"localhost", name);
    EXPECT_TRUE(settings.messages.empty());
    EXPECT_TRUE(host.QuitPosted());
}

TEST_F(BrowserLaunch, InternetExplorerLaunchFunctionIsUsedWithoutAppPaths) {
    Recording recording;
    keys.SetIePath(RecorderPath());
    host.choice = 1;
    settings.ieLaunchUrl = FakeIELaunchURL;
    g_launchResult = S_OK;
    g_launchedUrl.clear();

    RunBrowserWorker(host, settings);

    EXPECT_EQ(L"http://localhost:4321/index.html", g_launchedUrl);
    EXPECT_EQ(std::vector<std::wstring>{L"localhost"}, host.hostNames);
    EXPECT_TRUE(recording.Lines(300).empty()) << "App Paths must not be used";
    EXPECT_TRUE(host.QuitPosted());
}

TEST_F(BrowserLaunch, InternetExplorerFailuresShowTheirMessageBeforeQuitting) {
    host.choice = 1;

    // Launch function missing and no App Paths entry.
    g_launchResult = E_NOTIMPL;
    settings.ieLaunchUrl = FakeIELaunchURL;
    RunBrowserWorker(host, settings);
    EXPECT_EQ(std::vector<UINT>{134}, settings.messages);
    EXPECT_FALSE(settings.quitBeforeMessage);
    EXPECT_TRUE(host.QuitPosted());

    // App Paths names a program that does not exist.
    settings.messages.clear();
    keys.SetIePath(TestDirectory() + L"no_such_browser.exe");
    RunBrowserWorker(host, settings);
    EXPECT_EQ(std::vector<UINT>{135}, settings.messages);
    EXPECT_TRUE(host.QuitPosted());

    // The launch function fails for another reason: no App Paths fallback.
    settings.messages.clear();
    g_launchResult = E_ACCESSDENIED;
    RunBrowserWorker(host, settings);
    EXPECT_EQ(std::vector<UINT>{135}, settings.messages);
    EXPECT_FALSE(settings.quitBeforeMessage);
    EXPECT_TRUE(host.QuitPosted());
}

TEST_F(BrowserLaunch, FirefoxOpensLoopbackAddressFromVersionKey) {
    // The recorder outlives the search's bound, which is far above what
    // starting it takes even on a busy machine.
    const DWORD searchLimitMs = 30000;
    Recording recording(searchLimitMs + 5000);
    keys.SetFirefox(L"99.0 (x64 en-US)", RecorderPath());
    host.choice = 2;
    host.startPage = L"course/start.htm?x=1";
    settings.processSearchLimitMs = searchLimitMs;

    ULONGLONG start = GetTickCount64();
    RunBrowserWorker(host, settings);
    ULONGLONG elapsed = GetTickCount64() - start;

    auto lines = recording.Lines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("\"" + Narrow(RecorderPath()) + "\" http://127.0.0.1:4321/course/start.htm?x=1", lines[0]);
    EXPECT_TRUE(host.hostNames.empty()) << "only Internet Explorer uses localhost";
    EXPECT_TRUE(settings.messages.empty());
    EXPECT_TRUE(host.QuitPosted());
    // The running recorder is found: the search did not run to its bound.
    EXPECT_LT(elapsed, searchLimitMs);
}

TEST_F(BrowserLaunch, FirefoxFailuresShowTheirMessageBeforeQuitting) {
    host.choice = 2;

    RunBrowserWorker(host, settings);  // no Firefox key
    EXPECT_EQ(std::vector<UINT>{139}, settings.messages);
    EXPECT_TRUE(host.QuitPosted());

    settings.messages.clear();
    keys.SetFirefox(L"12.0", L"");  // version named, its "\Main" key missing
    RunBrowserWorker(host, settings);
    EXPECT_EQ(std::vector<UINT>{139}, settings.messages);
    EXPECT_TRUE(host.QuitPosted());

    settings.messages.clear();
    keys.SetFirefox(L"12.0", TestDirectory() + L"no_such_firefox.exe");
    RunBrowserWorker(host, settings);
    EXPECT_EQ(std::vector<UINT>{138}, settings.messages);
    EXPECT_FALSE(settings.quitBeforeMessage);
    EXPECT_TRUE(host.QuitPosted());
}

TEST_F(BrowserLaunch, SafariRoadAndItsFailures) {
    host.choice = 3;

    RunBrowserWorker(host, settings);  // no Safari key
    EXPECT_EQ(std::vector<UINT>{141}, settings.messages);
    EXPECT_TRUE(host.QuitPosted());

    settings.messages.clear();
    keys.SetSafari(TestDirectory() + L"no_such_safari.exe");
    RunBrowserWorker(host, settings);
    EXPECT_EQ(std::vector<UINT>{140}, settings.messages);
    EXPECT_TRUE(host.QuitPosted());

    settings.messages.clear();
    Recording recording;
    keys.SetSafari(RecorderPath());
    host.startPage = L"";
    RunBrowserWorker(host, settings);
    auto lines = recording.Lines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("\"" + Narrow(RecorderPath()) + "\" http://127.0.0.1:4321/", lines[0]);
    EXPECT_TRUE(settings.messages.empty());
    EXPECT_TRUE(host.QuitPosted());
}

TEST_F(BrowserLaunch, SearchForABrowserProcessThatNeverShowsUpIsBounded) {
    // The process list names the image without the "\\.\\", so the search
    // never matches: as with a browser that hands the address to an instance
    // the program cannot see. The recorder stays alive meanwhile.
    Recording recording(5000);
    keys.SetFirefox(L"1.0", TestDirectory() + L".\\browser_recorder.exe");
    host.choice = 2;
    settings.processSearchLimitMs = 1500;

    ULONGLONG start = GetTickCount64();
    RunBrowserWorker(host, settings);
    ULONGLONG elapsed = GetTickCount64() - start;

    EXPECT_EQ(1u, recording.Lines().size());
    EXPECT_GE(elapsed, 1400u);
    EXPECT_LT(elapsed, 8000u);
    EXPECT_TRUE(host.QuitPosted());
}

TEST_F(BrowserLaunch, NoBrowserChoiceStartsNothingAndQuits) {
    Recording recording;
    keys.SetIePath(RecorderPath());
    host.choice = 0;
    RunBrowserWorker(host, settings);
    EXPECT_TRUE(recording.Lines(300).empty());
    EXPECT_TRUE(settings.messages.empty());
    EXPECT_TRUE(host.QuitPosted());
}

// The thread procedure itself, with the program's own timing: the browser
// starts, makes no request, and the program ends at the first look, ten
// seconds later.
TEST_F(BrowserLaunch, ThreadWithoutRequestsQuitsAtTheFirstLookAfterTenSeconds) {
    Recording recording(20000);
    keys.SetFirefox(L"2.0", RecorderPath());
    host.choice = 2;

    ULONGLONG start = GetTickCount64();
    HANDLE thread = CreateThread(nullptr, 0, BrowserThreadProc, &host, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 60000));
    ULONGLONG elapsed = GetTickCount64() - start;
    DWORD code = 1;
    GetExitCodeThread(thread, &code);
    CloseHandle(thread);

    EXPECT_EQ(0u, code);
    EXPECT_EQ(1u, recording.Lines().size());
    EXPECT_GE(elapsed, 9900u);
    EXPECT_LT(elapsed, 25000u);
    EXPECT_TRUE(host.QuitPosted());
}

TEST(IdleWatch, HourRuleWithAClockThatMovesAndGoesBack) {
    FakeHost host;
    host.lastRequest = 1000000;

    auto run = [&host](std::vector<LONGLONG> clock) {
        size_t looks = 0;
        BrowserWorkerSettings settings;
        settings.idleCheckMs = 1;
        settings.now = [&] { return clock[std::min(looks++, clock.size() - 1)]; };
        WaitForIdleHour(host, settings);
        return looks;
    };

    // 3,599 seconds keeps it running; 3,600 ends the wait at that look.
    EXPECT_EQ(2u, run({1000000 + 3599, 1000000 + 3600}));
    EXPECT_EQ(1u, run({1000000 + 7200}));
    // A clock set back before the last request counts as activity.
    EXPECT_EQ(4u, run({1000000 - 50000, 1000000 - 10, 1000000 + 10, 1000000 + 3601}));

    // Before the first request the last-request time is 0: the first look ends it.
    host.lastRequest = 0;
    EXPECT_EQ(1u, run({1700000000}));
}

TEST(ProcessSearch, FindsARunningProgramOnlyInItsOwnLogonSession) {
    // Wine reports logon session 0 for every process; Windows never does.
    const ULONGLONG own = GetOwnLogonId();

    // A copy under a name of its own, so that recorders of other tests running
    // meanwhile cannot be the match.
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring image =
        std::wstring(temp) + L"hintora_search_" + std::to_wstring(GetCurrentProcessId()) + L".exe";
    ASSERT_TRUE(CopyFileW(RecorderPath().c_str(), image.c_str(), FALSE));

    Recording recording(10000);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::wstring commandLine = L"\"" + image + L"\"";
    ASSERT_TRUE(CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    recording.Lines();  // it has started once it wrote its line

    std::wstring upper = image;
    CharUpperW(&upper[0]);
    EXPECT_EQ(pi.dwProcessId, FindProcessByImageAndLogon(image, own));
    EXPECT_EQ(pi.dwProcessId, FindProcessByImageAndLogon(upper, own)) << "case must not matter";
    EXPECT_EQ(0u, FindProcessByImageAndLogon(image, own + 1)) << "another logon session";
    EXPECT_EQ(0u, FindProcessByImageAndLogon(image.substr(0, image.size() - 1), own));

    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(0u, FindProcessByImageAndLogon(image, own)) << "the program has ended";
    DeleteFileW(image.c_str());
}

TEST(BrowserCommandLine, PathIsQuotedOnceAndAddressFollowsABlank) {
    EXPECT_EQ(L"\"C:\\Program Files\\Mozilla Firefox\\firefox.exe\" http://127.0.0.1:80/a b.htm",
              BuildBrowserCommandLine(L"C:\\Program Files\\Mozilla Firefox\\firefox.exe",
                                      BuildStartUrl(L"127.0.0.1", 80, L"a b.htm")));
    EXPECT_EQ(L"\"C:\\x\\safari.exe\" http://127.0.0.1:0/",
              BuildBrowserCommandLine(L"\"C:\\x\\safari.exe\"", BuildStartUrl(L"127.0.0.1", 0, L"")));
}

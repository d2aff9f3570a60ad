// The loopback server in this process: a client thread talks to it over
// real sockets while the test thread runs the message loop.
#include <gtest/gtest.h>
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <future>
#include <set>
#include <string>
#include <vector>

#include "../extension/ImportPatch.h"
#include "AsyncSocket.h"
#include "ConfigSave.h"
#include "common/Handles.h"
#include "HttpDate.h"
#include "LocalServer.h"
#include "RequestSocket.h"
#include "ServedFolder.h"

namespace {

std::wstring MakeTempFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring base = std::wstring(temp) + L"hintora-play-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                        std::to_wstring(GetTickCount64());
    CreateDirectoryW(base.c_str(), nullptr);
    wchar_t full[MAX_PATH];
    GetFullPathNameW(base.c_str(), MAX_PATH, full, nullptr);
    return full;
}

enum class Dated { MinuteAgo, Now, MinuteAhead };

// Published content was written well before it is asked for: files are dated
// a minute back unless the test wants another date.
void WriteFileBytes(const std::wstring& path, const std::string& bytes, Dated dated = Dated::MinuteAgo) {
    FileHandle h(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(h.Valid());
    DWORD written = 0;
    if (!bytes.empty())
        WriteFile(h.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    // Dated from the clock the server reads, also "now": the file system
    // stamps writes from a coarser clock, which just after the turn of a
    // second can still show the one before.
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
    const ULONGLONG minute = 60ULL * 10000000ULL;
    if (dated == Dated::MinuteAgo)
        t.QuadPart -= minute;
    else if (dated == Dated::MinuteAhead)
        t.QuadPart += minute;
    FILETIME when{t.LowPart, t.HighPart};
    SetFileTime(h.Get(), nullptr, nullptr, &when);
}

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring child = path + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
}

struct Reply {
    bool connected = false;
    bool ended = false;  // the server closed; not a receive error or time-out
    std::string bytes;
    std::string status;
    std::string head;
    std::string body;
    std::string Header(const std::string& name) const {
        std::string key = "\r\n" + name + ": ";
        size_t at = head.find(key);
        if (at == std::string::npos)
            return "<none>";
        size_t end = head.find("\r\n", at + key.size());
        return head.substr(at + key.size(), end - at - key.size());
    }
};

std::wstring Wide(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}

enum class Close { Keep, HalfClose, HalfCloseThenWait };

// A blocking client socket connected to address:port; none when the
// connection is refused. A receive buffer size makes a slow reader.
SocketHandle Connect(UINT port, const char* address = "127.0.0.1", int receiveBuffer = 0) {
    SocketHandle s(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (receiveBuffer)
        setsockopt(s.Get(), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&receiveBuffer),
                   sizeof(receiveBuffer));
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<u_short>(port));
    inet_pton(AF_INET, address, &addr.sin_addr);
    DWORD timeout = 10000;
    setsockopt(s.Get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));
    if (connect(s.Get(), reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0)
        s.Reset();
    return s;
}

// Reads until the server closes (or 10 s pass), after what was read already.
// A pause after each read makes a slow reader, of 16 KB at a time.
Reply ReadReply(SOCKET s, DWORD pauseMs = 0, const std::string& readBefore = std::string()) {
    Reply reply;
    reply.connected = true;
    reply.bytes = readBefore;
    std::vector<char> chunk(pauseMs ? 16 * 1024 : 64 * 1024);
    for (;;) {
        int n = recv(s, chunk.data(), static_cast<int>(chunk.size()), 0);
        reply.ended = n == 0;
        if (n <= 0)
            break;
        reply.bytes.append(chunk.data(), n);
        if (pauseMs)
            Sleep(pauseMs);
    }
    size_t end = reply.bytes.find("\r\n\r\n");
    reply.head = reply.bytes.substr(0, end == std::string::npos ? reply.bytes.size() : end);
    reply.status = reply.head.substr(0, reply.head.find("\r\n"));
    if (end != std::string::npos)
        reply.body = reply.bytes.substr(end + 4);
    return reply;
}

// Blocking client on its own thread: connects, sends, reads the answer.
Reply Talk(UINT port, std::string request, Close how = Close::Keep, const char* address = "127.0.0.1") {
    SocketHandle s = Connect(port, address);
    if (!s)
        return Reply();
    if (!request.empty())
        send(s.Get(), request.data(), static_cast<int>(request.size()), 0);
    if (how != Close::Keep)
        shutdown(s.Get(), SD_SEND);
    if (how == Close::HalfCloseThenWait)
        Sleep(1000);
    return ReadReply(s.Get());
}

// Sends the head, then a byte every 200 ms, until the server answers or
// closes (at most 50 bytes); returns what it answered.
Reply Trickle(UINT port, std::string head) {
    SocketHandle s = Connect(port);
    if (!s)
        return Reply();
    if (!head.empty())
        send(s.Get(), head.data(), static_cast<int>(head.size()), 0);
    for (int i = 0; i < 50; ++i) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(s.Get(), &readable);
        timeval wait = {0, 200000};
        if (select(0, &readable, nullptr, nullptr, &wait) != 0 || send(s.Get(), "X", 1, 0) != 1)
            break;
    }
    return ReadReply(s.Get());
}

// The socket send as the server's thread sees it under test: at most 7,000
// bytes a call, as a busy connection's sends may take (loopback sends under
// wine take everything), and never blocking, as for a client that reads
// faster than the server sends: a full connection is waited out.
typedef int(WSAAPI* SendFunction)(SOCKET, const char*, int, int);
SendFunction g_send = nullptr;
DWORD g_serverThread = 0;
int WSAAPI ShortSend(SOCKET s, const char* data, int length, int flags) {
    if (GetCurrentThreadId() != g_serverThread)
        return g_send(s, data, length, flags);
    for (;;) {
        int sent = g_send(s, data, std::min(length, 7000), flags);
        if (sent != SOCKET_ERROR || WSAGetLastError() != WSAEWOULDBLOCK)
            return sent;
        Sleep(1);
    }
}

// Runs the message loop until the future is ready.
template <typename T>
T Pump(std::future<T>& f, int seconds = 20) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (f.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (std::chrono::steady_clock::now() > deadline)
            break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return f.get();
}

// Runs the message loop until done() holds; false when it does not within
// the time.
template <typename Done>
bool PumpUntil(Done done, int seconds = 20) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done())
            return true;
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

// Handles every message already queued, and those they queue in turn.
void PumpQueued() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Where the server's socket notifications go, as it selected them, and the
// handle of the connection it accepted last: a test can queue a
// notification for that handle as the system would have queued it for an
// earlier connection with the same handle.
typedef int(WSAAPI* AsyncSelectFunction)(SOCKET, HWND, u_int, long);
typedef SOCKET(WSAAPI* AcceptFunction)(SOCKET, sockaddr*, int*);
AsyncSelectFunction g_asyncSelect = nullptr;
AcceptFunction g_accept = nullptr;
HWND g_notifyWindow = nullptr;
UINT g_notifyMessage = 0;
SOCKET g_accepted = INVALID_SOCKET;
int WSAAPI RecordingAsyncSelect(SOCKET s, HWND window, u_int message, long events) {
    g_notifyWindow = window;
    g_notifyMessage = message;
    return g_asyncSelect(s, window, message, events);
}
SOCKET WSAAPI RecordingAccept(SOCKET s, sockaddr* address, int* length) {
    SOCKET accepted = g_accept(s, address, length);
    if (accepted != INVALID_SOCKET)
        g_accepted = accepted;
    return accepted;
}

class ServerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WSADATA wsa;
        WSAStartup(MAKEWORD(2, 2), &wsa);
    }

    void SetUp() override {
        base = MakeTempFolder();
        root = base + L"\\content";
        CreateDirectoryW(root.c_str(), nullptr);
        CreateDirectoryW((root + L"\\sub").c_str(), nullptr);
        CreateDirectoryW((root + L"\\empty").c_str(), nullptr);
        CreateDirectoryW((base + L"\\content2").c_str(), nullptr);
        WriteFileBytes(root + L"\\hello.txt", "hello world");
        WriteFileBytes(root + L"\\sub\\index.html", "<p>sub</p>");
        WriteFileBytes(root + L"\\zero.txt", "");
        WriteFileBytes(root + L"\\data.qqq", "unknown type");
        WriteFileBytes(base + L"\\content2\\secret.txt", "secret");
        WriteFileBytes(base + L"\\secret.txt", "secret");
        server = new CLocalServer(root);
        ASSERT_NE(server->Port(), 0u) << server->ListenFailure();
    }

    void TearDown() override {
        delete server;
        // Let closing connections finish before the folder goes.
        std::promise<int> p;
        std::future<int> f = p.get_future();
        std::thread t([&] { Sleep(100); p.set_value(0); });
        Pump(f);
        t.join();
        RemoveTree(base);
    }

    Reply Get(const std::string& request, Close how = Close::Keep) {
        std::future<Reply> f = std::async(std::launch::async, Talk, server->Port(), request, how, "127.0.0.1");
        return Pump(f);
    }

    // HTTP/1.1 requests name the server they are for.
    std::string HostLine() const { return "Host: 127.0.0.1:" + std::to_string(server->Port()) + "\r\n"; }

    Reply GetUrl(const std::string& url) { return Get("GET " + url + " HTTP/1.1\r\n" + HostLine() + "\r\n"); }

    std::wstring base, root;
    CLocalServer* server = nullptr;
};

TEST_F(ServerTest, ServesAFileWithItsHeaders) {
    Reply r = GetUrl("/hello.txt");
    EXPECT_EQ(r.status, "HTTP/1.1 200 OK");
    EXPECT_EQ(r.Header("Server"), "QXHttp 1.0");
    EXPECT_EQ(r.Header("Content-length"), "11");
    EXPECT_EQ(r.Header("Content-type"), "text/plain");
    EXPECT_EQ(r.Header("Expires"), "-1");
    EXPECT_EQ(r.Header("Cache-Control"), "no-cache");
    EXPECT_EQ(r.Header("Connection"), "close");
    int64_t t;
    EXPECT_TRUE(ParseHttpDate(Wide(r.Header("Date")), t));
    EXPECT_TRUE(ParseHttpDate(Wide(r.Header("Last-Modified")), t));
    EXPECT_EQ(r.body, "hello world");

    r = GetUrl("/hello.txt/extra/info");
    EXPECT_EQ(r.status, "HTTP/1.1 200 OK");
    EXPECT_EQ(r.body, "hello world");

    r = GetUrl("/data.qqq");
    EXPECT_EQ(r.Header("Content-type"), "<none>");
    EXPECT_EQ(r.body, "unknown type");

    r = GetUrl("/zero.txt");
    EXPECT_EQ(r.Header("Content-length"), "0");
    EXPECT_EQ(r.body, "");
}

TEST_F(ServerTest, TheRegistrysContentTypeWinsOverTheTable) {
    // ".mht" is in the table as message/rfc822.
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, L".mht", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    wchar_t old[256];
    DWORD oldSize = sizeof(old), kind = 0;
    bool hadOld = RegQueryValueExW(key, L"Content Type", nullptr, &kind, reinterpret_cast<BYTE*>(old), &oldSize) ==
                  ERROR_SUCCESS;
    const wchar_t mine[] = L"text/x-from-registry";
    RegSetValueExW(key, L"Content Type", 0, REG_SZ, reinterpret_cast<const BYTE*>(mine), sizeof(mine));
    WriteFileBytes(root + L"\\page.mht", "mht");
    WriteFileBytes(root + L"\\other.MHT", "MHT");
    Reply first = GetUrl("/page.mht");
    Reply second = GetUrl("/other.MHT");
    if (hadOld)
        RegSetValueExW(key, L"Content Type", 0, kind, reinterpret_cast<const BYTE*>(old), oldSize);
    else
        RegDeleteValueW(key, L"Content Type");
    RegCloseKey(key);
    EXPECT_EQ(first.Header("Content-type"), "text/x-from-registry");
    EXPECT_EQ(second.Header("Content-type"), "text/x-from-registry");
    EXPECT_EQ(second.body, "MHT");
}

TEST_F(ServerTest, FoldersRedirectToTheirDefaultDocument) {
    std::string port = std::to_string(server->Port());
    Reply r = GetUrl("/sub");
    EXPECT_EQ(r.status, "HTTP/1.1 302 Redirection");
    EXPECT_EQ(r.Header("Location"), "http://127.0.0.1:" + port + "/sub/index.html");
    EXPECT_EQ(r.Header("Content-length"), "0");
    EXPECT_EQ(r.Header("Connection"), "close");
    EXPECT_EQ(r.body, "");

    server->SetHost(L"localhost");
    r = GetUrl("/sub/");
    EXPECT_EQ(r.Header("Location"), "http://localhost:" + port + "/sub/index.html");

    EXPECT_EQ(GetUrl("/empty/").status, "HTTP/1.1 403 Forbidden");
    EXPECT_EQ(GetUrl("/").status, "HTTP/1.1 403 Forbidden");
}

TEST_F(ServerTest, MissingFilesAndHiddenFiles) {
    Reply r = GetUrl("/sub/missing.html");
    EXPECT_EQ(r.status, "HTTP/1.1 404 Not Found");
    EXPECT_NE(r.Header("Date"), "<none>");
    EXPECT_EQ(r.body, "");
    EXPECT_EQ(GetUrl("/missing/x.html").status, "HTTP/1.1 404 Not Found");

    WriteFileBytes(root + L"\\hidden.txt", "hidden");
    SetFileAttributesW((root + L"\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(GetUrl("/hidden.txt").status, "HTTP/1.1 403 Forbidden");
}

TEST_F(ServerTest, NothingOutsideTheFolderIsReached) {
    const char* hostile[] = {
        "/../secret.txt",         "/%2e%2e/secret.txt",      "/%2E%2E%2fsecret.txt",
        "/..%5csecret.txt",       "/sub/..\\..\\secret.txt", "/../content2/secret.txt",
        "/%2e%2e/content2/secret.txt", "/hello.txt%00.html", "/hello.txt::$DATA",
        "/C:/windows/win.ini",    "/CON",                    "/sub/nul.txt",
        "/hello.txt.",            "/hello.txt%20",           "/%c0%ae%c0%ae/secret.txt",
        "x/../secret.txt",        "/sub/../../secret.txt",   "/%u002e%u002e/secret.txt",
    };
    for (const char* url : hostile) {
        Reply r = GetUrl(url);
        EXPECT_TRUE(r.status == "HTTP/1.1 400 Bad Request" || r.status == "HTTP/1.1 404 Not Found") << url << " -> "
                                                                                                   << r.status;
        EXPECT_EQ(r.bytes.find("secret"), std::string::npos) << url;
    }
    EXPECT_EQ(GetUrl("/../secret.txt").status, "HTTP/1.1 400 Bad Request");
    EXPECT_EQ(GetUrl("/%2e%2e/x").status, "HTTP/1.1 400 Bad Request");
    // Still serving.
    EXPECT_EQ(GetUrl("/sub/../hello.txt").body, "hello world");
}

TEST_F(ServerTest, ConditionalRequests) {
    Reply first = GetUrl("/hello.txt");
    std::string modified = first.Header("Last-Modified");
    Reply r = Get("GET /hello.txt HTTP/1.1\r\n" + HostLine() + "If-Modified-Since: " + modified + "\r\n\r\n");
    EXPECT_EQ(r.status, "HTTP/1.1 304 Not Modified");
    EXPECT_EQ(r.Header("Connection"), "close");
    EXPECT_EQ(r.Header("Content-length"), "<none>");
    EXPECT_EQ(r.Header("Content-Length"), "<none>");
    EXPECT_EQ(r.body, "");

    int64_t t;
    ASSERT_TRUE(ParseHttpDate(Wide(modified), t));
    std::wstring earlier = FormatHttpDate(L"%a, %d %b %Y %H:%M:%S GMT", t - 1);
    r = Get("GET /hello.txt HTTP/1.1\r\n" + HostLine() + "If-Modified-Since: " +
            std::string(earlier.begin(), earlier.end()) +
            "\r\n\r\n");
    EXPECT_EQ(r.status, "HTTP/1.1 200 OK");
    EXPECT_EQ(r.body, "hello world");

    // Not dates, and a date after the server's clock, which it never sent.
    for (const char* bad :
         {"ab", "Sun, 06 Nov 1994 25:49:37 GMT", "Sun,", "garbage, x", "Fri, 01 Jan 2100 00:00:00 GMT"}) {
        r = Get(std::string("GET /hello.txt HTTP/1.1\r\n" + HostLine() + "If-Modified-Since: ") + bad + "\r\n\r\n");
        EXPECT_EQ(r.status, "HTTP/1.1 200 OK") << bad;
        EXPECT_EQ(r.body, "hello world");
    }

    // Two saves within one second share their date: a file written in the
    // second of the answer, or dated later, must never be confirmed by a 304.
    const std::wstring saved = root + L"\\saved.js";
    auto sinceItsDate = [&] {
        WIN32_FILE_ATTRIBUTE_DATA data;
        EXPECT_TRUE(GetFileAttributesExW(saved.c_str(), GetFileExInfoStandard, &data));
        std::wstring date = FormatHttpDate(L"%a, %d %b %Y %H:%M:%S GMT",
                                           UnixTimeFromFileTime(data.ftLastWriteTime.dwHighDateTime,
                                                                data.ftLastWriteTime.dwLowDateTime));
        return Get("GET /saved.js HTTP/1.1\r\n" + HostLine() + "If-Modified-Since: " +
                   std::string(date.begin(), date.end()) +
                   "\r\n\r\n");
    };
    bool sameSecond = false;
    for (int attempt = 0; attempt < 5 && !sameSecond; ++attempt) {
        // Start at the turn of a second, so that the whole exchange fits in it.
        time_t start = time(nullptr);
        while (time(nullptr) == start)
            Sleep(5);
        start = time(nullptr);
        WriteFileBytes(saved, "saved A", Dated::Now);
        Reply a = GetUrl("/saved.js");
        WriteFileBytes(saved, "saved B", Dated::Now);
        r = sinceItsDate();
        sameSecond = time(nullptr) == start;
        if (sameSecond) {
            EXPECT_EQ(a.body, "saved A");
            EXPECT_EQ(a.Header("Last-Modified"), "<none>");
            EXPECT_EQ(r.status, "HTTP/1.1 200 OK");
            EXPECT_EQ(r.body, "saved B");
        }
    }
    EXPECT_TRUE(sameSecond) << "no exchange fitted in one second";

    WriteFileBytes(saved, "from the future", Dated::MinuteAhead);
    r = sinceItsDate();
    EXPECT_EQ(r.status, "HTTP/1.1 200 OK");
    EXPECT_EQ(r.Header("Last-Modified"), "<none>");
    EXPECT_EQ(r.body, "from the future");
}

TEST_F(ServerTest, MethodsAndBodies) {
    Reply get = GetUrl("/hello.txt");
    Reply head = Get("HEAD /hello.txt HTTP/1.1\r\n" + HostLine() + "\r\n");
    EXPECT_EQ(head.status, "HTTP/1.1 200 OK");
    EXPECT_EQ(head.Header("Content-length"), "11");
    EXPECT_EQ(head.Header("Content-type"), get.Header("Content-type"));
    EXPECT_EQ(head.body, "");

    Reply post = Get("POST /hello.txt HTTP/1.1\r\n" + HostLine() + "Content-Length: 3\r\n\r\nabc");
    EXPECT_EQ(post.status, "HTTP/1.1 200 OK");
    EXPECT_EQ(post.body, "hello world");

    EXPECT_EQ(Get("POST /hello.txt HTTP/1.1\r\n" + HostLine() + "\r\n").status, "HTTP/1.1 501 Not Implemented");
    EXPECT_EQ(Get("GET /hello.txt HTTP/1.1\r\n" + HostLine() + "Content-Length: 2\r\n\r\nab").status,
              "HTTP/1.1 501 Not Implemented");
    EXPECT_EQ(Get("PUT /hello.txt HTTP/1.1\r\n" + HostLine() + "\r\n").status, "HTTP/1.1 501 Not Implemented");
    EXPECT_EQ(Get("DELETE /hello.txt HTTP/1.1\r\n" + HostLine() + "\r\n").status, "HTTP/1.1 501 Not Implemented");
    // A few empty lines before a request are skipped; more end its head.
    EXPECT_EQ(Get(std::string(10, '\n')).status, "HTTP/1.1 501 Not Implemented");
    EXPECT_EQ(Get("get /hello.txt HTTP/1.1\r\n" + HostLine() + "\r\n").body, "hello world");

    // Every answer says that the connection closes after it, and one
    // without a body says where it ends; no HEAD answer has a body.
    for (const Reply& full : {get, head, post, GetUrl("/sub")})
        EXPECT_EQ(full.Header("Connection"), "close") << full.status;
    Reply folder = Get("HEAD /sub HTTP/1.1\r\n" + HostLine() + "\r\n");
    EXPECT_EQ(folder.status, "HTTP/1.1 302 Redirection");
    EXPECT_EQ(folder.body, "");
    for (const std::string& request : {
             "GET /sub/missing.html HTTP/1.1\r\n" + HostLine(),
             "HEAD /sub/missing.html HTTP/1.1\r\n" + HostLine(),
             "GET /empty/ HTTP/1.1\r\n" + HostLine(),
             "GET /../secret.txt HTTP/1.1\r\n" + HostLine(),
             "PUT /hello.txt HTTP/1.1\r\n" + HostLine(),
             std::string("GET /hello.txt HTTP/1.1\r\nHost: evil.example\r\n"),
             std::string("GET /hello.txt HTTP/1.1\r\n"),
             "POST /hello.txt HTTP/1.1\r\n" + HostLine() + "Content-Length: x\r\n",
         }) {
        Reply r = Get(request + "\r\n");
        EXPECT_EQ(r.Header("Content-Length"), "0") << request << " -> " << r.status;
        EXPECT_EQ(r.Header("Connection"), "close") << request;
        EXPECT_EQ(r.body, "") << request;
    }
}

TEST_F(ServerTest, UnboundedInputIsRefused) {
    Reply r = Get("GET /" + std::string(20000, 'a') + " HTTP/1.1\r\n" + HostLine() + "\r\n");
    EXPECT_EQ(r.status, "HTTP/1.1 400 Bad Request");
    std::string many = "GET /hello.txt HTTP/1.1\r\n" + HostLine();
    for (int i = 0; i < 200; ++i)
        many += "X-" + std::to_string(i) + ": y\r\n";
    EXPECT_EQ(Get(many + "\r\n").status, "HTTP/1.1 400 Bad Request");
    EXPECT_EQ(Get("POST /hello.txt HTTP/1.1\r\n" + HostLine() + "Content-Length: -1\r\n\r\n").status,
              "HTTP/1.1 400 Bad Request");
    EXPECT_EQ(Get("POST /hello.txt HTTP/1.1\r\n" + HostLine() + "Content-Length: 4294967296\r\n\r\n").status,
              "HTTP/1.1 400 Bad Request");
    EXPECT_EQ(GetUrl("/hello.txt").body, "hello world");
}

TEST_F(ServerTest, LargeFilesArriveWholeAndInOrder) {
    std::string big;
    for (int i = 0; big.size() < 300000; ++i)
        big += std::to_string(i) + ",";
    WriteFileBytes(root + L"\\big.txt", big);
    Reply r = GetUrl("/big.txt");
    EXPECT_EQ(r.Header("Content-length"), std::to_string(big.size()));
    EXPECT_TRUE(r.body == big);

    // The client ends its sending side right after the request.
    r = Get("GET /big.txt HTTP/1.1\r\n" + HostLine() + "\r\n", Close::HalfClose);
    EXPECT_EQ(r.status, "HTTP/1.1 200 OK");
    EXPECT_TRUE(r.body == big);

    // Sends that take only part of what they are given, and a client that
    // keeps up with more chunks than one write notification's share.
    std::string huge;
    huge.reserve(34 << 20);
    for (int i = 0; huge.size() < (33 << 20); ++i)
        huge += std::to_string(i) + ",";
    WriteFileBytes(root + L"\\huge.txt", huge);
    Reply bigPiecemeal, hugePiecemeal;
    {
        ImportPatch shortSends("send", reinterpret_cast<void*>(&ShortSend));
        ASSERT_TRUE(shortSends.Active());
        g_send = shortSends.Original<SendFunction>();
        g_serverThread = GetCurrentThreadId();
        bigPiecemeal = GetUrl("/big.txt");
        hugePiecemeal = GetUrl("/huge.txt");
        g_serverThread = 0;
    }
    EXPECT_TRUE(bigPiecemeal.body == big);
    EXPECT_EQ(hugePiecemeal.Header("Content-length"), std::to_string(huge.size()));
    EXPECT_EQ(hugePiecemeal.body.size(), huge.size());
    EXPECT_TRUE(hugePiecemeal.body == huge);

    // A client that half-closes, then reads only once the answer has filled
    // the connection, gets it whole, and the connection goes with its end:
    // the client's end is not that of a linger longer than its patience.
    ASSERT_TRUE(PumpUntil([] { return CRequestSocket::LiveCount() == 0; }));
    CRequestSocket::SetTimeouts(60000, 60000);
    r = Get("GET /huge.txt HTTP/1.1\r\n" + HostLine() + "\r\n", Close::HalfCloseThenWait);
    CRequestSocket::SetTimeouts(60000, 5000);
    EXPECT_TRUE(r.ended);
    EXPECT_TRUE(r.body == huge);
    EXPECT_EQ(CRequestSocket::LiveCount(), 0u);
}

TEST_F(ServerTest, OneAnswerPerConnection) {
    Reply r = Get("GET /hello.txt HTTP/1.1\r\n" + HostLine() +
                  "\r\nGET /zero.txt HTTP/1.1\r\n\r\nGET /sub HTTP/1.1\r\n\r\n");
    EXPECT_EQ(r.status, "HTTP/1.1 200 OK");
    EXPECT_EQ(r.body, "hello world");  // the rest is never answered
    // A request arriving in one-byte pieces is answered once.
    r = Get("GET /hello.txt HTTP/1.1\r\n" + HostLine() + "\r\n" + std::string(5000, '\n'));
    EXPECT_EQ(r.body, "hello world");
}

TEST_F(ServerTest, HeadsAreReadAsHttp11Requires) {
    const std::string port = std::to_string(server->Port());
    const std::string host = HostLine();
    const std::string bad = "HTTP/1.1 400 Bad Request";
    const struct {
        std::string request;
        std::string status;
        std::string body;
    } cases[] = {
        // A carriage return that ends no line; a folded header line.
        {"GET /hello\r.txt HTTP/1.1\r\n" + host + "\r\n", bad, ""},
        {"GET /hello.txt HTTP/1.1\r\nHo\rst: 127.0.0.1:" + port + "\r\n\r\n", bad, ""},
        {"GET /hello.txt HTTP/1.1\r\n" + host + " evil.example\r\n\r\n", bad, ""},
        // The absolute form: its host counts, the Host field's does not.
        {"GET http://127.0.0.1:" + port + "/hello.txt HTTP/1.1\r\n" + host + "\r\n", "HTTP/1.1 200 OK",
         "hello world"},
        {"GET HTTP://LOCALHOST:" + port + "/hello.txt?x HTTP/1.1\r\nHost: evil.example\r\n\r\n",
         "HTTP/1.1 200 OK", "hello world"},
        {"GET http://evil.example:" + port + "/hello.txt HTTP/1.1\r\n" + host + "\r\n", "HTTP/1.1 403 Forbidden", ""},
        {"GET http://127.0.0.1:" + port + "@evil.example/hello.txt HTTP/1.0\r\n\r\n", "HTTP/1.1 403 Forbidden", ""},
        {"GET https://127.0.0.1:" + port + "/hello.txt HTTP/1.1\r\n" + host + "\r\n", bad, ""},
        {"GET http://127.0.0.1:" + port + "/hello.txt HTTP/1.1\r\n\r\n", bad, ""},
        // Empty lines before the request line.
        {"\r\nGET /hello.txt HTTP/1.1\r\n" + host + "\r\n", "HTTP/1.1 200 OK", "hello world"},
        // Versions: another major one, a malformed one, another 1.x, none.
        {"GET /hello.txt HTTP/2.0\r\n" + host + "\r\n", "HTTP/1.1 505 HTTP Version Not Supported", ""},
        {"GET /hello.txt HTTP/0.9\r\n\r\n", "HTTP/1.1 505 HTTP Version Not Supported", ""},
        {"GET /hello.txt http/1.1\r\n\r\n", bad, ""},
        {"GET /hello.txt HTTP/1.2\r\n" + host + "\r\n", "HTTP/1.1 200 OK", "hello world"},
        {"GET /hello.txt\r\n\r\n", "HTTP/1.1 200 OK", "hello world"},
    };
    for (const auto& c : cases) {
        Reply r = Get(c.request);
        EXPECT_EQ(r.status, c.status) << c.request;
        EXPECT_EQ(r.body, c.body) << c.request;
        if (c.body.empty()) {
            EXPECT_EQ(r.Header("Content-Length"), "0") << c.request;
            EXPECT_EQ(r.Header("Connection"), "close") << c.request;
        }
    }
    // A folder named by an absolute target redirects as any other.
    Reply r = Get("GET http://127.0.0.1:" + port + "/sub HTTP/1.1\r\n" + host + "\r\n");
    EXPECT_EQ(r.status, "HTTP/1.1 302 Redirection");
    EXPECT_EQ(r.Header("Location"), "http://127.0.0.1:" + port + "/sub/index.html");
}

// A client that sends "Expect: 100-continue" and waits for the server to ask
// for its body: sends the head and reads one answer head. Only when that is
// the interim "100 Continue" does it send the body and read the rest.
struct Continued {
    std::string interim;  // the interim answer, when one came
    Reply reply;          // the final answer
};

Continued TalkExpectingContinue(UINT port, const std::string& head, const std::string& body) {
    Continued c;
    SocketHandle s = Connect(port);
    if (!s)
        return c;
    send(s.Get(), head.data(), static_cast<int>(head.size()), 0);
    std::string first;
    char byte;
    while (first.find("\r\n\r\n") == std::string::npos && recv(s.Get(), &byte, 1, 0) == 1)
        first += byte;
    if (first.compare(0, 13, "HTTP/1.1 100 ") != 0) {
        c.reply = ReadReply(s.Get(), 0, first);
        return c;
    }
    c.interim = first;
    send(s.Get(), body.data(), static_cast<int>(body.size()), 0);
    c.reply = ReadReply(s.Get());
    return c;
}

TEST_F(ServerTest, IdleConnectionsAreClosed) {
    // A request cut short for time is answered 408 before the connection
    // closes; a connection that never sent a byte is closed without a word.
    auto expectTimedOut = [](const Reply& r) {
        EXPECT_EQ(r.status, "HTTP/1.1 408 Request Timeout");
        EXPECT_EQ(r.Header("Content-Length"), "0");
        EXPECT_EQ(r.Header("Connection"), "close");
        EXPECT_EQ(r.body, "");
    };
    // Only the idle rule can answer within the client's wait (it reads for
    // 10 s): the head's deadline is a minute away.
    CRequestSocket::SetTimeouts(1500, 500, 60000);
    Reply r = Get("GET /hello.txt HTTP/1.1\r\n");  // never finishes its header block
    EXPECT_TRUE(r.connected);
    expectTimedOut(r);
    r = Get("");  // connects and says nothing
    EXPECT_EQ(r.bytes, "");

    // A byte every 200 ms keeps the connection from being idle, but its head
    // is due a fixed time after it opened. Times count from before the
    // connect, which the server's opening cannot precede; no other rule
    // answers within the client's wait.
    CRequestSocket::SetTimeouts(60000, 500, 1500);
    auto start = std::chrono::steady_clock::now();
    std::future<Reply> trickle = std::async(std::launch::async, Trickle, server->Port(), std::string());
    expectTimedOut(Pump(trickle));
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GT(waited, std::chrono::milliseconds(1400));

    // A body may take longer than the head, up to the whole request's
    // deadline: a head at once, then a body byte every 200 ms for 3 s, twice
    // the head's time. The deadline stays far above what a slow client takes.
    CRequestSocket::SetTimeouts(60000, 500, 1500, 30000);
    std::future<Reply> slowBody = std::async(std::launch::async, [this] {
        SocketHandle s = Connect(server->Port());
        if (!s)
            return Reply();
        const std::string head = "POST /hello.txt HTTP/1.1\r\n" + HostLine() + "Content-Length: 15\r\n\r\n";
        send(s.Get(), head.data(), static_cast<int>(head.size()), 0);
        for (int i = 0; i < 15; ++i) {
            Sleep(200);
            send(s.Get(), "b", 1, 0);
        }
        return ReadReply(s.Get());
    });
    EXPECT_EQ(Pump(slowBody).body, "hello world");
    // But not past it.
    CRequestSocket::SetTimeouts(60000, 500, 1500, 3000);
    start = std::chrono::steady_clock::now();
    std::future<Reply> tooSlowBody = std::async(
        std::launch::async, Trickle, server->Port(),
        "POST /hello.txt HTTP/1.1\r\n" + HostLine() + "Content-Length: 1000\r\n\r\n");
    expectTimedOut(Pump(tooSlowBody));
    waited = std::chrono::steady_clock::now() - start;
    EXPECT_GT(waited, std::chrono::milliseconds(2900));

    // The deadlines are the request's: an answer that takes longer, to a
    // reader slower than them, still arrives whole.
    std::string big;
    for (int i = 0; big.size() < (8 << 20); ++i)
        big += std::to_string(i) + ",";
    WriteFileBytes(root + L"\\slow.txt", big);
    CRequestSocket::SetTimeouts(60000, 500, 500, 1000);
    start = std::chrono::steady_clock::now();
    std::future<Reply> slowReader = std::async(std::launch::async, [this] {
        SocketHandle s = Connect(server->Port(), "127.0.0.1", 4096);
        if (!s)
            return Reply();
        const std::string request = "GET /slow.txt HTTP/1.1\r\n" + HostLine() + "\r\n";
        send(s.Get(), request.data(), static_cast<int>(request.size()), 0);
        return ReadReply(s.Get(), 10);
    });
    r = Pump(slowReader);
    waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(r.status, "HTTP/1.1 200 OK");
    EXPECT_EQ(r.body.size(), big.size());
    EXPECT_TRUE(r.body == big);
    EXPECT_GT(waited, std::chrono::milliseconds(1500)) << "the answer did not outlast the deadline";

    CRequestSocket::SetTimeouts(60000, 5000);
    EXPECT_EQ(GetUrl("/hello.txt").body, "hello world");
}

TEST_F(ServerTest, SlowBodiesCannotHoldTheConnectionCap) {
    // Bodies trickled often enough never to be idle, on as many connections
    // as the server holds: the whole request's deadline ends them, and new
    // connections are served again. The idle limit stays far above any round
    // of the client's, so that a slow client is never idle; times are taken
    // from each connection's own opening, which the server's cannot precede.
    struct Slow {
        SocketHandle s;
        ULONGLONG connecting = 0, lastSent = 0;
    };
    std::vector<Slow> slow;
    // While they open, however long that takes, none is due: the cap is full
    // when one more connects.
    CRequestSocket::SetTimeouts(60000, 500, 1500, 600000);
    std::future<Reply> opening = std::async(std::launch::async, [this, &slow] {
        const std::string head = "POST /hello.txt HTTP/1.1\r\n" + HostLine() + "Content-Length: 100\r\n\r\nb";
        for (int i = 0; i < 512; ++i) {
            Slow c;
            c.connecting = GetTickCount64();
            c.s = Connect(server->Port());
            if (!c.s || send(c.s.Get(), head.data(), static_cast<int>(head.size()), 0) != static_cast<int>(head.size()))
                break;
            c.lastSent = GetTickCount64();
            u_long nonBlocking = 1;
            ioctlsocket(c.s.Get(), FIONBIO, &nonBlocking);
            slow.push_back(std::move(c));
        }
        // Accepted in order: this one finds the cap full.
        return Talk(server->Port(), "GET /hello.txt HTTP/1.1\r\n" + HostLine() + "\r\n");
    });
    Reply whileFull = Pump(opening, 120);
    ASSERT_EQ(slow.size(), 512u);
    EXPECT_TRUE(whileFull.connected);
    EXPECT_EQ(whileFull.bytes, "");

    // Now each is due this long after it opened.
    const DWORD deadlineMs = 5000;
    CRequestSocket::SetTimeouts(60000, 500, 1500, deadlineMs);
    struct Outcome {
        int stillOpen = 0;
        ULONGLONG earliestClose = ~0ULL, longestRound = 0;
        Reply afterwards;
    };
    std::future<Outcome> trickling = std::async(std::launch::async, [this, &slow, deadlineMs] {
        Outcome o;
        // Rounds until all are closed; long after the deadline, the server
        // has had every chance to close them.
        const ULONGLONG shortened = GetTickCount64();
        for (;;) {
            int open = 0;
            for (Slow& c : slow) {
                if (!c.s)
                    continue;
                char b;
                int n = recv(c.s.Get(), &b, 1, 0);
                const ULONGLONG now = GetTickCount64();
                if ((n == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) && send(c.s.Get(), "b", 1, 0) == 1) {
                    o.longestRound = std::max(o.longestRound, now - c.lastSent);
                    c.lastSent = now;
                    ++open;
                    continue;
                }
                c.s.Reset();
                o.earliestClose = std::min(o.earliestClose, now - c.connecting);
            }
            o.stillOpen = open;
            if (!open || GetTickCount64() - shortened > deadlineMs + 25000)
                break;
            Sleep(500);
        }
        // The server may still be letting the closed ones go.
        for (int i = 0; i < 50 && o.afterwards.body.empty(); ++i) {
            if (i)
                Sleep(200);
            o.afterwards = Talk(server->Port(), "GET /hello.txt HTTP/1.1\r\n" + HostLine() + "\r\n");
        }
        return o;
    });
    Outcome o = Pump(trickling, 120);
    CRequestSocket::SetTimeouts(60000, 5000);
    EXPECT_LT(o.longestRound, 60000u) << "the client was slower than the idle limit";
    EXPECT_EQ(o.stillOpen, 0) << "open long after the whole request's deadline";
    EXPECT_GE(o.earliestClose, deadlineMs) << "closed before the whole request's deadline";
    EXPECT_EQ(o.afterwards.body, "hello world");
}

TEST_F(ServerTest, NotificationsLeftFromAnEarlierConnectionDoNotEndALaterOne) {
    // A connection's notifications may still be queued when its handle is
    // closed, and the next connection accepted may get the same handle: a
    // close with the error of a connection its client reset, or a read or a
    // write, then arrives for one that has just begun or is being answered.
    ImportPatch selects("WSAAsyncSelect", reinterpret_cast<void*>(&RecordingAsyncSelect));
    ImportPatch accepts("accept", reinterpret_cast<void*>(&RecordingAccept));
    ASSERT_TRUE(selects.Active() && accepts.Active());
    g_asyncSelect = selects.Original<AsyncSelectFunction>();
    g_accept = accepts.Original<AcceptFunction>();
    server->StartListening();
    const UINT port = server->Port();
    ASSERT_NE(port, 0u);
    auto queueStale = [](long event, int error) {
        PostMessageW(g_notifyWindow, g_notifyMessage, static_cast<WPARAM>(g_accepted), WSAMAKESELECTREPLY(event, error));
        PumpQueued();
    };

    // Accepted, its request not sent yet.
    const std::string request = "GET /hello.txt HTTP/1.1\r\n" + HostLine() + "\r\n";
    const struct {
        long event;
        int error;
    } stale[] = {
        {FD_CLOSE, WSAECONNRESET}, {FD_CLOSE, WSAECONNABORTED}, {FD_CLOSE, 0},
        {FD_READ, 0},              {FD_WRITE, 0},
    };
    for (const auto& n : stale) {
        g_accepted = INVALID_SOCKET;
        std::promise<void> go;
        std::shared_future<void> sendNow = go.get_future().share();
        std::future<Reply> f = std::async(std::launch::async, [port, request, sendNow] {
            SocketHandle s = Connect(port);
            if (!s || sendNow.wait_for(std::chrono::seconds(20)) != std::future_status::ready)
                return Reply();
            send(s.Get(), request.data(), static_cast<int>(request.size()), 0);
            return ReadReply(s.Get());
        });
        const bool accepted = PumpUntil([] { return g_accepted != INVALID_SOCKET; });
        if (accepted)
            queueStale(n.event, n.error);
        go.set_value();
        Reply r = Pump(f);
        EXPECT_TRUE(accepted);
        EXPECT_EQ(r.status, "HTTP/1.1 200 OK") << n.event << " " << n.error;
        EXPECT_EQ(r.body, "hello world") << n.event << " " << n.error;
    }

    // Being answered, to a reader that has taken the first bytes.
    std::string big;
    for (int i = 0; big.size() < (8 << 20); ++i)
        big += std::to_string(i) + ",";
    WriteFileBytes(root + L"\\big.txt", big);
    for (const auto& n : stale) {
        g_accepted = INVALID_SOCKET;
        std::promise<void> started, go;
        std::shared_future<void> readOn = go.get_future().share();
        std::future<void> reading = started.get_future();
        std::future<Reply> f = std::async(std::launch::async, [this, port, readOn, &started] {
            SocketHandle s = Connect(port, "127.0.0.1", 4096);
            std::string first(16384, '\0');
            const std::string get = "GET /big.txt HTTP/1.1\r\n" + HostLine() + "\r\n";
            int n = 0;
            if (s && send(s.Get(), get.data(), static_cast<int>(get.size()), 0) > 0)
                n = recv(s.Get(), &first[0], static_cast<int>(first.size()), MSG_WAITALL);
            first.resize(n > 0 ? n : 0);
            started.set_value();
            if (readOn.wait_for(std::chrono::seconds(20)) != std::future_status::ready)
                return Reply();
            return ReadReply(s.Get(), 0, first);
        });
        const bool begun = PumpUntil([&] { return reading.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
        if (begun && g_accepted != INVALID_SOCKET)
            queueStale(n.event, n.error);
        go.set_value();
        Reply r = Pump(f, 60);
        EXPECT_TRUE(begun);
        EXPECT_EQ(r.status, "HTTP/1.1 200 OK") << n.event << " " << n.error;
        EXPECT_EQ(r.body.size(), big.size()) << n.event << " " << n.error;
        EXPECT_TRUE(r.body == big) << n.event << " " << n.error;
    }
}

TEST_F(ServerTest, ListensOnLoopbackOnlyAndRestarts) {
    UINT first = server->Port();
    std::future<Reply> other = std::async(std::launch::async, Talk, first, std::string("GET / HTTP/1.1\r\n\r\n"),
                                          Close::Keep, "127.0.0.2");
    EXPECT_FALSE(Pump(other).connected);

    server->StartListening();
    ASSERT_NE(server->Port(), 0u) << server->ListenFailure();
    EXPECT_NE(server->Port(), first);
    std::future<Reply> old = std::async(std::launch::async, Talk, first, std::string("GET / HTTP/1.1\r\n\r\n"),
                                        Close::Keep, "127.0.0.1");
    EXPECT_FALSE(Pump(old).connected);
    EXPECT_EQ(GetUrl("/hello.txt").body, "hello world");
}

int WSAAPI BindInUse(SOCKET, const sockaddr*, int) {
    WSASetLastError(WSAEADDRINUSE);
    return SOCKET_ERROR;
}

int WSAAPI ListenWithoutBuffers(SOCKET, int) {
    WSASetLastError(WSAENOBUFS);
    return SOCKET_ERROR;
}

std::vector<std::wstring> g_messages;

int WINAPI RecordMessage(HWND, LPCWSTR text, LPCWSTR, UINT) {
    g_messages.push_back(text);
    return IDOK;
}

// A start that cannot listen says which call failed and with what error,
// and shows its message; the next start that can clears both.
TEST_F(ServerTest, AFailedStartTellsTheCallAndItsError) {
    g_messages.clear();
    ImportPatch messages("MessageBoxW", reinterpret_cast<void*>(&RecordMessage));
    ASSERT_TRUE(messages.Active());
    {
        ImportPatch refused("bind", reinterpret_cast<void*>(&BindInUse));
        ASSERT_TRUE(refused.Active());
        server->StartListening();
    }
    EXPECT_EQ(server->Port(), 0u);
    EXPECT_EQ(server->ListenFailure(), L"bind: error 10048");
    {
        ImportPatch refused("listen", reinterpret_cast<void*>(&ListenWithoutBuffers));
        ASSERT_TRUE(refused.Active());
        server->StartListening();
    }
    EXPECT_EQ(server->Port(), 0u);
    EXPECT_EQ(server->ListenFailure(), L"listen: error 10055");
    EXPECT_EQ(g_messages, std::vector<std::wstring>(2, L"Socket couldn't be initialized!"));

    server->StartListening();
    ASSERT_NE(server->Port(), 0u) << server->ListenFailure();
    EXPECT_EQ(server->ListenFailure(), L"");
    EXPECT_EQ(GetUrl("/hello.txt").body, "hello world");
    EXPECT_EQ(g_messages.size(), 2u);
}

}  // namespace

namespace {

std::string ReadFileBytes(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string bytes;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(h, chunk, sizeof(chunk), &read, nullptr) && read > 0)
        bytes.append(chunk, read);
    CloseHandle(h);
    return bytes;
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::set<std::wstring> NamesIn(const std::wstring& folder) {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do
        names.insert(data.cFileName);
    while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

// MoveFileExW refusing to move a ".tmp" file into place.
typedef BOOL(WINAPI* MoveFunction)(LPCWSTR, LPCWSTR, DWORD);
MoveFunction g_moveFileEx = nullptr;
BOOL WINAPI MoveRefusingTemporaryFiles(LPCWSTR from, LPCWSTR to, DWORD flags) {
    std::wstring source = from;
    if (source.size() > 4 && source.compare(source.size() - 4, 4, L".tmp") == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return g_moveFileEx(from, to, flags);
}

// CopyFileW as it behaves for a read-only source: the copy is read-only too.
typedef BOOL(WINAPI* CopyFunction)(LPCWSTR, LPCWSTR, BOOL);
CopyFunction g_copyFile = nullptr;
BOOL WINAPI CopyMarkingReadOnly(LPCWSTR from, LPCWSTR to, BOOL failIfExists) {
    if (!g_copyFile(from, to, failIfExists))
        return FALSE;
    SetFileAttributesW(to, GetFileAttributesW(to) | FILE_ATTRIBUTE_READONLY);
    return TRUE;
}

bool IsReadOnly(const std::wstring& path) {
    DWORD attrs = GetFileAttributesW(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY);
}

void MarkReadOnly(const std::wstring& path) {
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
}

const std::string kSave = "/radozira/configurator/saveit.qxph";
const std::string kBom = "\xEF\xBB\xBF";

class ConfigSaveTest : public ServerTest {
protected:
    // Saves come from the content's own pages, which name themselves.
    std::string OwnPage() const {
        return "Referer: http://127.0.0.1:" + std::to_string(server->Port()) + "/radozira/setup.html\r\n";
    }
    Reply Post(const std::string& body, const std::string& method = "POST", const std::string& query = "") {
        return Get(method + " " + kSave + (query.empty() ? "" : "?" + query) + " HTTP/1.1\r\n" + HostLine() +
                   OwnPage() +
                   "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                   std::to_string(body.size()) + "\r\n\r\n" + body);
    }
    Reply SaveByGet(const std::string& query, const std::string& method = "GET") {
        return Get(method + " " + kSave + "?" + query + " HTTP/1.1\r\n" + HostLine() + OwnPage() + "\r\n");
    }
    std::wstring Config() const { return root + L"\\configdata.json.js"; }
};

TEST_F(ConfigSaveTest, SavesThroughQueryOrPostBody) {
    Reply r = SaveByGet("saveit_l=../../configdata.json.js&saveit_c=%7B%22a%22%3A1%7D");
    EXPECT_EQ(r.status, "HTTP/1.1 200 OK");
    EXPECT_EQ(r.Header("Content-Type"), "text/plain; charset=utf-8");
    EXPECT_EQ(r.Header("Content-Length"), "7");
    EXPECT_EQ(r.Header("Cache-Control"), "no-cache");
    EXPECT_EQ(r.Header("Connection"), "close");
    EXPECT_EQ(r.body, "UPDATED");
    EXPECT_EQ(ReadFileBytes(Config()), kBom + "{\"a\":1}");

    r = Post("saveit_l=../../configdata.json.js&saveit_c=caf%C3%A9+%E2%82%AC");
    EXPECT_EQ(r.body, "UPDATED");
    EXPECT_EQ(ReadFileBytes(Config()), kBom + "caf\xC3\xA9+\xE2\x82\xAC");
    EXPECT_FALSE(FileExists(Config() + L".tmp"));
    EXPECT_FALSE(FileExists(Config() + L".bak"));

    r = Post("saveit_l=../../configdata.json.js&saveit_c=");
    EXPECT_EQ(r.body, "UPDATED");
    EXPECT_EQ(ReadFileBytes(Config()), kBom);

    // A body field replaces the query's.
    r = Post("saveit_c=from-body", "POST", "saveit_l=../../configdata.json.js&saveit_c=from-query");
    EXPECT_EQ(ReadFileBytes(Config()), kBom + "from-body");
}

TEST_F(ConfigSaveTest, OnlyAnExactPostReadsTheBody) {
    Reply r = Post("saveit_l=../../configdata.json.js&saveit_c=x", "post");
    EXPECT_EQ(r.body, "FAILED");
    EXPECT_FALSE(FileExists(Config()));
    r = Post("saveit_c=body", "post", "saveit_l=../../configdata.json.js&saveit_c=query");
    EXPECT_EQ(r.body, "UPDATED");
    EXPECT_EQ(ReadFileBytes(Config()), kBom + "query");
}

TEST_F(ConfigSaveTest, RefusesOtherNamesAndPlaces) {
    WriteFileBytes(root + L"\\index.html", "keep");
    for (const char* location : {"../../ConfigData.json.js", "../../index.html", "../../../configdata.json.js",
                                 "../../../../configdata.json.js", "../../missing/configdata.json.js",
                                 "..%5c..%5cconfigdata.json.js", "../../configdata.json.js%00",
                                 "../../myconfigdata.json.js", "../../configdata.json.jsx", "../../configdata.json.js/",
                                 "../../configdata.json.js.tmp", "../../configdata.json.js%20"}) {
        Reply r = Post(std::string("saveit_l=") + location + "&saveit_c=x");
        EXPECT_EQ(r.body, "FAILED") << location;
    }
    EXPECT_EQ(Post("saveit_l=../../configdata.json.js").body, "FAILED");
    EXPECT_EQ(Post("saveit_c=x").body, "FAILED");
    EXPECT_EQ(ReadFileBytes(root + L"\\index.html"), "keep");
    EXPECT_FALSE(FileExists(base + L"\\configdata.json.js"));
    EXPECT_FALSE(FileExists(Config()));

    // The location is relative to the handler's own folder.
    CreateDirectoryW((root + L"\\radozira").c_str(), nullptr);
    CreateDirectoryW((root + L"\\radozira\\configurator").c_str(), nullptr);
    EXPECT_EQ(Post("saveit_l=/configdata.json.js&saveit_c=deep").body, "UPDATED");
    EXPECT_EQ(ReadFileBytes(root + L"\\radozira\\configurator\\configdata.json.js"), kBom + "deep");

    // A folder in the file's place is left alone.
    CreateDirectoryW(Config().c_str(), nullptr);
    EXPECT_EQ(Post("saveit_l=../../configdata.json.js&saveit_c=x").body, "FAILED");
    EXPECT_TRUE(FileExists(Config()));
}

TEST_F(ConfigSaveTest, ReplacesTheOldFileWhole) {
    WriteFileBytes(Config(), std::string(5000, 'o'));
    WriteFileBytes(Config() + L".bak", "stale backup");
    WriteFileBytes(Config() + L".tmp", "part of a save cut short");
    EXPECT_EQ(Post("saveit_l=../../configdata.json.js&saveit_c=new").body, "UPDATED");
    EXPECT_EQ(ReadFileBytes(Config()), kBom + "new");
    EXPECT_FALSE(FileExists(Config() + L".bak"));
    EXPECT_FALSE(FileExists(Config() + L".tmp"));
}

TEST_F(ConfigSaveTest, PutsABackupBackOnlyWhereTheFileIsMissing) {
    WriteFileBytes(Config() + L".bak", "old");
    EXPECT_TRUE(RestoreConfigBackup(Config()));
    EXPECT_EQ(ReadFileBytes(Config()), "old");
    EXPECT_FALSE(FileExists(Config() + L".bak"));

    WriteFileBytes(Config() + L".bak", "older");
    EXPECT_TRUE(RestoreConfigBackup(Config()));
    EXPECT_EQ(ReadFileBytes(Config()), "old");
    EXPECT_FALSE(RestoreConfigBackup(root + L"\\missing.js"));

    // A save whose new file cannot take the name keeps the old text there,
    // also when a save cut short had left it only in the backup, and leaves
    // none of its own files.
    ASSERT_TRUE(DeleteFileW(Config().c_str()));
    WriteFileBytes(Config() + L".bak", "only in the backup");
    {
        ImportPatch failingMoves("MoveFileExW", reinterpret_cast<void*>(&MoveRefusingTemporaryFiles));
        ASSERT_TRUE(failingMoves.Active());
        g_moveFileEx = failingMoves.Original<MoveFunction>();
        EXPECT_EQ(Post("saveit_l=../../configdata.json.js&saveit_c=new").body, "FAILED");
    }
    EXPECT_EQ(ReadFileBytes(Config()), "only in the backup");
    EXPECT_FALSE(FileExists(Config() + L".bak"));
    EXPECT_FALSE(FileExists(Config() + L".tmp"));
}

TEST_F(ConfigSaveTest, TheOldFileMayBeReadWhileASaveReplacesIt) {
    // A browser reading a large configuration slowly: a small receive
    // buffer, a little read, then a pause while the content saves.
    std::string old = kBom;
    for (int i = 0; old.size() < (8 << 20); ++i)
        old += std::to_string(i) + ",";
    WriteFileBytes(Config(), old);
    const std::set<std::wstring> names = NamesIn(root);
    std::promise<void> started, saved;
    std::future<void> reading = started.get_future();
    std::shared_future<void> resume = saved.get_future().share();
    std::future<Reply> slowReader = std::async(std::launch::async, [this, &started, resume] {
        SocketHandle s = Connect(server->Port(), "127.0.0.1", 4096);
        std::string request = "GET /configdata.json.js HTTP/1.1\r\n" + HostLine() + "\r\n";
        send(s.Get(), request.data(), static_cast<int>(request.size()), 0);
        char first[300];
        int n = recv(s.Get(), first, sizeof(first), 0);
        started.set_value();
        resume.wait();
        return ReadReply(s.Get(), 0, std::string(first, std::max(n, 0)));
    });
    Pump(reading);
    Reply r = Post("saveit_l=../../configdata.json.js&saveit_c=first");
    EXPECT_EQ(r.body, "UPDATED");
    EXPECT_TRUE(ReadFileBytes(Config()) == kBom + "first");
    // Also while the old file still waits for its reader to let it go.
    r = Post("saveit_l=../../configdata.json.js&saveit_c=new");
    EXPECT_EQ(r.body, "UPDATED");
    EXPECT_TRUE(ReadFileBytes(Config()) == kBom + "new");
    saved.set_value();
    Reply got = Pump(slowReader, 60);
    EXPECT_EQ(got.status, "HTTP/1.1 200 OK");
    EXPECT_EQ(got.body.size(), old.size());
    EXPECT_TRUE(got.body == old);
    // Once the reader is done, nothing of the save remains beside the file.
    EXPECT_EQ(NamesIn(root), names);
    EXPECT_EQ(GetUrl("/configdata.json.js").body, kBom + "new");

    // A program holding the file without letting it be moved makes the
    // save fail: the old text stays whole, and the save leaves nothing.
    {
        FileHandle held(CreateFileW(Config().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                    nullptr));
        ASSERT_TRUE(held.Valid());
        EXPECT_EQ(Post("saveit_l=../../configdata.json.js&saveit_c=newer").body, "FAILED");
    }
    EXPECT_EQ(ReadFileBytes(Config()), kBom + "new");
    EXPECT_EQ(NamesIn(root), names);
    EXPECT_EQ(Post("saveit_l=../../configdata.json.js&saveit_c=newer").body, "UPDATED");
    EXPECT_EQ(ReadFileBytes(Config()), kBom + "newer");
}

TEST_F(ConfigSaveTest, AClientWaitingToSendItsBodyIsAskedForItOrAnsweredAtOnce) {
    const std::string fields = "saveit_l=../../configdata.json.js&saveit_c=asked";
    const std::string length = "Content-Length: " + std::to_string(fields.size()) + "\r\n";
    const std::string expect = "Expect: 100-continue\r\n";
    auto talk = [this](const std::string& head, const std::string& body) {
        std::future<Continued> f =
            std::async(std::launch::async, TalkExpectingContinue, server->Port(), head, body);
        return Pump(f);
    };

    // Asked once, before the body, which is then read as always.
    Continued c = talk("POST " + kSave + " HTTP/1.1\r\n" + HostLine() + OwnPage() + length + expect + "\r\n", fields);
    EXPECT_EQ(c.interim, "HTTP/1.1 100 Continue\r\n\r\n");
    EXPECT_EQ(c.reply.status, "HTTP/1.1 200 OK");
    EXPECT_EQ(c.reply.body, "UPDATED");
    EXPECT_EQ(ReadFileBytes(Config()), kBom + "asked");
    c = talk("POST /hello.txt HTTP/1.1\r\n" + HostLine() + "Content-Length: 3\r\nEXPECT: 100-Continue\r\n\r\n", "abc");
    EXPECT_EQ(c.interim, "HTTP/1.1 100 Continue\r\n\r\n");
    EXPECT_EQ(c.reply.status, "HTTP/1.1 200 OK");
    EXPECT_EQ(c.reply.body, "hello world");

    // A head that decides the answer by itself is answered without the
    // body, which is never sent.
    const std::string own = "http://127.0.0.1:" + std::to_string(server->Port());
    const struct {
        std::string head;
        const char* status;
    } decided[] = {
        {"HEAD " + kSave + " HTTP/1.1\r\n" + HostLine() + OwnPage() + length + expect, "HTTP/1.1 405 Method Not Allowed"},
        {"POST " + kSave + " HTTP/1.1\r\n" + HostLine() + "Origin: http://evil.example\r\n" + length + expect,
         "HTTP/1.1 403 Forbidden"},
        {"POST " + kSave + " HTTP/1.1\r\n" + HostLine() + "Origin: http://evil.example\r\nOrigin: " + own + "\r\n" +
             length + expect,
         "HTTP/1.1 403 Forbidden"},
        {"POST " + kSave + " HTTP/1.1\r\nHost: evil.example\r\n" + OwnPage() + length + expect,
         "HTTP/1.1 403 Forbidden"},
        {"POST http://evil.example" + kSave + " HTTP/1.1\r\n" + HostLine() + OwnPage() + length + expect,
         "HTTP/1.1 403 Forbidden"},
        {"PUT /hello.txt HTTP/1.1\r\n" + HostLine() + length + expect, "HTTP/1.1 501 Not Implemented"},
    };
    for (const auto& d : decided) {
        c = talk(d.head + "\r\n", "saveit_l=../../configdata.json.js&saveit_c=never");
        EXPECT_EQ(c.interim, "") << d.head;
        EXPECT_EQ(c.reply.status, d.status) << d.head;
        EXPECT_EQ(c.reply.Header("Connection"), "close") << d.head;
    }
    EXPECT_EQ(ReadFileBytes(Config()), kBom + "asked");

    // One that sends part of its body with the head has not waited: an
    // interim answer would come to it as the final one. The rest follows
    // when the server has answered nothing for a while.
    std::future<Reply> unasked = std::async(std::launch::async, [this, &fields, &length, &expect] {
        SocketHandle s = Connect(server->Port());
        const std::string body = fields.substr(0, fields.size() - 5) + "early";
        const std::string first = "POST " + kSave + " HTTP/1.1\r\n" + HostLine() + OwnPage() + length + expect +
                                  "\r\n" + body.substr(0, 20);
        send(s.Get(), first.data(), static_cast<int>(first.size()), 0);
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(s.Get(), &readable);
        timeval wait = {1, 0};
        select(0, &readable, nullptr, nullptr, &wait);
        send(s.Get(), body.data() + 20, static_cast<int>(body.size() - 20), 0);
        return ReadReply(s.Get());
    });
    Reply early = Pump(unasked);
    EXPECT_EQ(early.status, "HTTP/1.1 200 OK");
    EXPECT_EQ(early.body, "UPDATED");
    EXPECT_EQ(ReadFileBytes(Config()), kBom + "early");

    // An HTTP/1.0 client is never asked: it sends its body after a pause.
    std::future<Reply> f = std::async(std::launch::async, [this, &expect] {
        SocketHandle s = Connect(server->Port());
        const std::string body = "saveit_l=../../configdata.json.js&saveit_c=1.0";
        const std::string head = "POST " + kSave + " HTTP/1.0\r\n" + OwnPage() +
                                 "Content-Length: " + std::to_string(body.size()) + "\r\n" + expect + "\r\n";
        send(s.Get(), head.data(), static_cast<int>(head.size()), 0);
        Sleep(300);
        send(s.Get(), body.data(), static_cast<int>(body.size()), 0);
        return ReadReply(s.Get());
    });
    Reply r = Pump(f);
    EXPECT_EQ(r.status, "HTTP/1.1 200 OK");
    EXPECT_EQ(r.body, "UPDATED");
    EXPECT_EQ(ReadFileBytes(Config()), kBom + "1.0");
}

TEST_F(ConfigSaveTest, UrlIsMatchedExactly) {
    EXPECT_EQ(GetUrl("/radozira/configurator/SAVEIT.qxph?saveit_l=../../configdata.json.js&saveit_c=x").status,
              "HTTP/1.1 404 Not Found");
    EXPECT_FALSE(FileExists(Config()));
}

TEST_F(ConfigSaveTest, WritesNothingForOtherMethodsNorForHeadsItCannotReadOneWay) {
    const std::string fields = "saveit_l=../../configdata.json.js&saveit_c=x";
    // Pages save by GET or POST; any other method, HEAD above all, is told
    // which of them to use.
    for (const char* method : {"HEAD", "OPTIONS", "PUT", "DELETE", "PATCH"}) {
        Reply r = SaveByGet(fields, method);
        EXPECT_EQ(r.status, "HTTP/1.1 405 Method Not Allowed") << method;
        EXPECT_EQ(r.Header("Allow"), "GET, POST") << method;
        EXPECT_EQ(r.Header("Content-Length"), "0") << method;
        EXPECT_EQ(r.body, "") << method;
        r = Post(fields, method);
        EXPECT_EQ(r.status, "HTTP/1.1 405 Method Not Allowed") << method;
    }
    // A body whose end the server cannot tell, a Host hidden behind a blank
    // or given twice, or none at all.
    const std::string line = "POST " + kSave + " HTTP/1.1\r\n";
    const std::string length = "Content-Length: " + std::to_string(fields.size()) + "\r\n";
    const std::string host = HostLine();
    const std::string evil = "Host : evil.example:" + std::to_string(server->Port()) + "\r\n";
    const struct {
        std::string request;
        const char* status;
    } refused[] = {
        {line + host + OwnPage() + "Transfer-Encoding: chunked\r\n\r\n" + "2c\r\n" + fields + "\r\n0\r\n\r\n",
         "HTTP/1.1 501 Not Implemented"},
        {line + host + OwnPage() + length + "Transfer-Encoding: chunked\r\n\r\n" + fields,
         "HTTP/1.1 501 Not Implemented"},
        {line + host + OwnPage() + "Content-Length: 3abc\r\n\r\n" + fields, "HTTP/1.1 400 Bad Request"},
        {line + host + OwnPage() + "Content-Length: 5, " + std::to_string(fields.size()) + "\r\n\r\n" + fields,
         "HTTP/1.1 400 Bad Request"},
        {line + host + OwnPage() + "Content-Length: 5\r\n" + length + "\r\n" + fields, "HTTP/1.1 400 Bad Request"},
        {line + evil + OwnPage() + length + "\r\n" + fields, "HTTP/1.1 400 Bad Request"},
        {line + host + evil + OwnPage() + length + "\r\n" + fields, "HTTP/1.1 400 Bad Request"},
        {line + host + host + OwnPage() + length + "\r\n" + fields, "HTTP/1.1 400 Bad Request"},
        {line + OwnPage() + length + "\r\n" + fields, "HTTP/1.1 400 Bad Request"},
        // Which of two Origins or two Referers a check reads is not certain.
        {line + host + "Origin: http://evil.example\r\nOrigin: http://127.0.0.1:" + std::to_string(server->Port()) +
             "\r\n" + length + "\r\n" + fields,
         "HTTP/1.1 403 Forbidden"},
        {line + host + OwnPage() + OwnPage() + length + "\r\n" + fields, "HTTP/1.1 403 Forbidden"},
    };
    for (const auto& c : refused) {
        Reply r = Get(c.request);
        EXPECT_EQ(r.status, c.status) << c.request;
        EXPECT_EQ(r.body, "") << c.request;
    }
    EXPECT_FALSE(FileExists(Config()));
    EXPECT_FALSE(FileExists(Config() + L".tmp"));

    // The same length twice names that length.
    EXPECT_EQ(Get(line + host + OwnPage() + length + length + "\r\n" + fields).body, "UPDATED");
    EXPECT_EQ(ReadFileBytes(Config()), kBom + "x");
}

TEST_F(ConfigSaveTest, AReadOnlyConfigurationIsLeftAsItIs) {
    WriteFileBytes(Config(), kBom + "keep");
    MarkReadOnly(Config());
    const std::set<std::wstring> names = NamesIn(root);
    const std::string fields = "saveit_l=../../configdata.json.js&saveit_c=new";
    // What earlier saves left beside it goes.
    WriteFileBytes(Config() + L".bak", kBom + "keep");
    MarkReadOnly(Config() + L".bak");
    WriteFileBytes(Config() + L".tmp", kBom + "part of a save cut short");
    EXPECT_EQ(Post(fields).body, "FAILED");
    EXPECT_EQ(NamesIn(root), names);
    EXPECT_EQ(SaveByGet(fields).body, "FAILED");
    {
        FileHandle reader = OpenServedFile(Config());
        ASSERT_TRUE(reader.Valid());
        EXPECT_EQ(Post(fields).body, "FAILED");
    }
    EXPECT_EQ(ReadFileBytes(Config()), kBom + "keep");
    EXPECT_TRUE(IsReadOnly(Config()));
    EXPECT_EQ(NamesIn(root), names);

    // Its owner's mark taken off, it is saved as any other.
    ASSERT_TRUE(SetFileAttributesW(Config().c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(Post(fields).body, "UPDATED");
    EXPECT_EQ(ReadFileBytes(Config()), kBom + "new");
}

TEST_F(ConfigSaveTest, AReadOnlyBackupLeftBehindNeitherStopsASaveNorStays) {
    const std::wstring backup = Config() + L".bak";
    const auto save = [this](const std::string& text) {
        return Post("saveit_l=../../configdata.json.js&saveit_c=" + text).body;
    };
    WriteFileBytes(Config(), kBom + "old");
    const std::set<std::wstring> names = NamesIn(root);

    WriteFileBytes(backup, "stale");
    MarkReadOnly(backup);
    EXPECT_EQ(save("first"), "UPDATED");
    EXPECT_EQ(ReadFileBytes(Config()), kBom + "first");
    EXPECT_FALSE(IsReadOnly(Config()));
    EXPECT_EQ(NamesIn(root), names);

    // Also while a browser still reads the configuration, which is then
    // moved aside past the stale backup; it goes when the reader is done.
    WriteFileBytes(backup, "stale");
    MarkReadOnly(backup);
    {
        FileHandle reader = OpenServedFile(Config());
        ASSERT_TRUE(reader.Valid());
        EXPECT_EQ(save("second"), "UPDATED");
        EXPECT_EQ(ReadFileBytes(Config()), kBom + "second");
        char bytes[16] = {};
        DWORD read = 0;
        ReadFile(reader.Get(), bytes, sizeof(bytes), &read, nullptr);
        EXPECT_EQ(std::string(bytes, read), kBom + "first");
    }
    EXPECT_EQ(NamesIn(root), names);

    // A save cut short between its steps left the old text only in a
    // read-only backup: start-up puts it back writable, and saves go on.
    ASSERT_TRUE(DeleteFileW(Config().c_str()));
    WriteFileBytes(backup, kBom + "only in the backup");
    MarkReadOnly(backup);
    EXPECT_TRUE(RestoreConfigBackup(Config()));
    EXPECT_EQ(ReadFileBytes(Config()), kBom + "only in the backup");
    EXPECT_FALSE(IsReadOnly(Config()));
    EXPECT_EQ(NamesIn(root), names);
    EXPECT_EQ(save("third"), "UPDATED");
    EXPECT_EQ(ReadFileBytes(Config()), kBom + "third");
    // A save that finds the backup there before start-up did the same.
    ASSERT_TRUE(DeleteFileW(Config().c_str()));
    WriteFileBytes(backup, kBom + "only in the backup");
    MarkReadOnly(backup);
    EXPECT_EQ(save("fourth"), "UPDATED");
    EXPECT_EQ(ReadFileBytes(Config()), kBom + "fourth");
    EXPECT_FALSE(IsReadOnly(Config()));
    EXPECT_EQ(NamesIn(root), names);
}

TEST_F(ConfigSaveTest, ABackupCopiedReadOnlyIsNoObstacle) {
    // Copies keep their source's attributes, so a configuration marked
    // read-only while a save ran gives a read-only backup.
    WriteFileBytes(Config(), kBom + "old");
    const std::set<std::wstring> names = NamesIn(root);
    {
        ImportPatch copies("CopyFileW", reinterpret_cast<void*>(&CopyMarkingReadOnly));
        ASSERT_TRUE(copies.Active());
        g_copyFile = copies.Original<CopyFunction>();
        EXPECT_EQ(Post("saveit_l=../../configdata.json.js&saveit_c=first").body, "UPDATED");
        EXPECT_EQ(NamesIn(root), names);
        FileHandle reader = OpenServedFile(Config());
        ASSERT_TRUE(reader.Valid());
        EXPECT_EQ(Post("saveit_l=../../configdata.json.js&saveit_c=second").body, "UPDATED");
    }
    EXPECT_EQ(ReadFileBytes(Config()), kBom + "second");
    EXPECT_FALSE(IsReadOnly(Config()));
    EXPECT_EQ(NamesIn(root), names);
}

}  // namespace

namespace {

// The request log as the application would write it, line by line.
class LogLines : public RequestObserver {
public:
    void SetLastRequestTime(long long) override {}
    void WriteLogLine(const std::wstring& text, bool, bool lineEnd) override {
        current += text;
        if (lineEnd) {
            lines.push_back(current);
            current.clear();
        }
    }
    std::vector<std::wstring> lines;
    std::wstring current;
};

class TimedOutRequestTest : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        SetRequestObserver(&log);
    }
    void TearDown() override {
        SetRequestObserver(nullptr);
        CRequestSocket::SetTimeouts(60000, 5000);
        ServerTest::TearDown();
    }
    LogLines log;
};

TEST_F(TimedOutRequestTest, AHeadRefusedBeforeItsBodyIsAnsweredAndLoggedOnce) {
    // A client that waits to be asked for its body and is refused instead
    // sends nothing more, and may keep the connection open: when the
    // server lets it go, the refusal stays its one answer and log line.
    CRequestSocket::SetTimeouts(60000, 500, 1500, 3000);
    const std::string waits = "Content-Length: 40\r\nExpect: 100-continue\r\n\r\n";
    const struct {
        std::string head;
        std::string status;
        std::wstring logged;
    } cases[] = {
        {"POST /radozira/configurator/saveit.qxph HTTP/1.1\r\n" + HostLine() + "Origin: http://evil.example\r\n" +
             waits,
         "HTTP/1.1 403 Forbidden", L""},
        {"PUT /hello.txt HTTP/1.1\r\n" + HostLine() + waits, "HTTP/1.1 501 Not Implemented", L"PUT /hello.txt"},
    };
    for (const auto& c : cases) {
        log.lines.clear();
        const size_t live = CRequestSocket::LiveCount();
        std::promise<void> answered, released;
        std::future<void> gotAnswer = answered.get_future();
        std::shared_future<void> closeNow = released.get_future().share();
        std::future<Reply> f = std::async(std::launch::async, [this, &c, &answered, closeNow] {
            SocketHandle s = Connect(server->Port());
            if (s)
                send(s.Get(), c.head.data(), static_cast<int>(c.head.size()), 0);
            Reply first = s ? ReadReply(s.Get()) : Reply();
            answered.set_value();
            closeNow.wait_for(std::chrono::seconds(20));
            return first;
        });
        const bool read = PumpUntil([&] { return gotAnswer.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
        const bool letGo = PumpUntil([&] { return CRequestSocket::LiveCount() == live; });
        released.set_value();
        Reply r = Pump(f);
        EXPECT_TRUE(read && letGo) << c.status;
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.bytes.find("HTTP/1.1 ", 1), std::string::npos) << r.bytes;
        ASSERT_EQ(log.lines.size(), 1u) << c.status;
        EXPECT_NE(log.lines[0].find(c.logged), std::wstring::npos) << log.lines[0];
        EXPECT_NE(log.lines[0].find(Wide(c.status.substr(9))), std::wstring::npos) << log.lines[0];
    }
}

TEST_F(TimedOutRequestTest, AClientThatKeepsSendingAfterIts408IsAnsweredOnceAndHeld) {
    const long long lingerMs = 3000;
    CRequestSocket::SetTimeouts(60000, static_cast<DWORD>(lingerMs), 1500);
    struct Seen {
        std::string answer;
        long long heldMs = -1;  // from the last look that found no answer to the first refused send
    };
    std::future<Seen> f = std::async(std::launch::async, [this] {
        Seen seen;
        SocketHandle s = Connect(server->Port());
        if (!s)
            return seen;
        // A header line that never ends, a byte every 100 ms, until the
        // answer has come.
        const std::string head = "GET /hello.txt HTTP/1.1\r\n" + HostLine() + "X-Slow: ";
        send(s.Get(), head.data(), static_cast<int>(head.size()), 0);
        // The server sent its answer after the start of the last look that
        // found nothing to read, however late this thread saw it.
        auto notYetSent = std::chrono::steady_clock::now();
        for (int i = 0; i < 200 && seen.answer.find("\r\n\r\n") == std::string::npos; ++i) {
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(s.Get(), &readable);
            timeval wait = {0, 100000};
            const auto looking = std::chrono::steady_clock::now();
            const int ready = select(0, &readable, nullptr, nullptr, &wait);
            if (ready == 0)
                notYetSent = looking;
            if (ready == 1) {
                char chunk[1024];
                int n = recv(s.Get(), chunk, sizeof(chunk), 0);
                if (n <= 0)
                    break;
                seen.answer.append(chunk, n);
            } else if (send(s.Get(), "x", 1, 0) != 1) {
                break;
            }
        }
        if (seen.answer.find("\r\n\r\n") == std::string::npos)
            return seen;
        // Then more, unread by anyone: the server takes it until it closes.
        for (int i = 0; i < 200; ++i) {
            Sleep(100);
            if (send(s.Get(), "x", 1, 0) != 1) {
                seen.heldMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  std::chrono::steady_clock::now() - notYetSent)
                                  .count();
                break;
            }
        }
        return seen;
    });
    Seen seen = Pump(f, 40);
    EXPECT_EQ(seen.answer.substr(0, seen.answer.find("\r\n")), "HTTP/1.1 408 Request Timeout");
    EXPECT_EQ(log.lines.size(), 1u) << "the request was logged once per answer";
    for (const std::wstring& line : log.lines) {
        EXPECT_NE(line.find(L"GET /hello.txt"), std::wstring::npos) << line;
        EXPECT_NE(line.find(L"408"), std::wstring::npos) << line;
    }
    ASSERT_GE(seen.heldMs, 0) << "the connection was never closed";
    // The server's linger starts with its last send, which came after the
    // client's last look that found nothing; the margin is the two clocks'
    // granularity, far below the timer tick that would end the connection
    // early.
    EXPECT_GE(seen.heldMs, lingerMs - 20) << "closed before its linger time";
}

}  // namespace

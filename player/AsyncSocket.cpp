#include "AsyncSocket.h"

#include <ws2tcpip.h>

#include <unordered_map>

namespace {

const UINT WM_SOCKET_NOTIFY = WM_USER + 1;

// Live sockets of the thread by handle; a notification for a handle that is
// gone (already closed) is dropped. Never destroyed: the application object
// closes its sockets during static destruction.
std::unordered_map<SOCKET, CAsyncSocket*>& SocketMap() {
    static auto* map = new std::unordered_map<SOCKET, CAsyncSocket*>;
    return *map;
}

HWND g_notifyWindow = nullptr;

HWND NotifyWindow() {
    if (!g_notifyWindow) {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        CAsyncSocket::RegisterWindowClass(instance);
        g_notifyWindow = CreateWindowExW(0, CAsyncSocket::WindowClassName(), L"", 0, 0, 0, 0, 0,
                                         HWND_MESSAGE, nullptr, instance, nullptr);
    }
    return g_notifyWindow;
}

}  // namespace

bool CAsyncSocket::RegisterWindowClass(HINSTANCE instance) {
    WNDCLASSW wc = {};
    if (GetClassInfoW(instance, WindowClassName(), &wc))
        return true;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = WindowClassName();
    return RegisterClassW(&wc) != 0;
}

LRESULT CALLBACK CAsyncSocket::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_SOCKET_NOTIFY)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    auto it = SocketMap().find(static_cast<SOCKET>(wParam));
    if (it == SocketMap().end())
        return 0;
    CAsyncSocket* socket = it->second;
    int error = WSAGETSELECTERROR(lParam);
    switch (WSAGETSELECTEVENT(lParam)) {
        case FD_ACCEPT: socket->OnAccept(error); break;
        case FD_READ: socket->OnReceive(error); break;
        case FD_WRITE: socket->OnSend(error); break;
        case FD_CLOSE: socket->OnClose(error); break;
        default: break;
    }
    return 0;
}

CAsyncSocket::CAsyncSocket() : m_peer(), m_hasPeer(false) {}

CAsyncSocket::~CAsyncSocket() {
    Close();
}

void CAsyncSocket::Attach(SOCKET s) {
    Close();
    m_socket.Reset(s);
    SocketMap()[s] = this;
}

void CAsyncSocket::Close() {
    if (!m_socket.Valid())
        return;
    // Out of the map before the handle can be reused by another socket.
    SocketMap().erase(m_socket.Get());
    m_socket.Reset();
    m_hasPeer = false;
}

// Records the failure before the socket is closed, since closing may
// change the thread's last error.
bool CAsyncSocket::Fail(const wchar_t* call, int error) {
    m_failure.call = call;
    m_failure.error = error;
    Close();
    return false;
}

bool CAsyncSocket::Create(UINT port, long events, const wchar_t* address) {
    HWND window = NotifyWindow();
    if (!window)
        return Fail(L"CreateWindowEx", static_cast<int>(GetLastError()));
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return Fail(L"socket", WSAGetLastError());
    Attach(s);
    if (!AsyncSelect(events))
        return Fail(L"WSAAsyncSelect", WSAGetLastError());
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<u_short>(port));
    if (InetPtonW(AF_INET, address, &addr.sin_addr) != 1)
        return Fail(L"InetPton", WSAGetLastError());
    if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == SOCKET_ERROR)
        return Fail(L"bind", WSAGetLastError());
    return true;
}

bool CAsyncSocket::Listen(int backlog) {
    if (listen(m_socket.Get(), backlog) == SOCKET_ERROR)
        return Fail(L"listen", WSAGetLastError());
    return true;
}

bool CAsyncSocket::Accept(CAsyncSocket& connected) {
    sockaddr_in peer = {};
    int len = sizeof(peer);
    SOCKET s = accept(m_socket.Get(), reinterpret_cast<sockaddr*>(&peer), &len);
    if (s == INVALID_SOCKET)
        return false;
    connected.Attach(s);
    connected.m_peer = peer;
    connected.m_hasPeer = len == sizeof(peer) && peer.sin_family == AF_INET;
    return true;
}

bool CAsyncSocket::AsyncSelect(long events) {
    HWND window = NotifyWindow();
    return window && WSAAsyncSelect(m_socket.Get(), window, WM_SOCKET_NOTIFY, events) != SOCKET_ERROR;
}

bool CAsyncSocket::PostWriteNotification() {
    HWND window = NotifyWindow();
    return window && PostMessageW(window, WM_SOCKET_NOTIFY, static_cast<WPARAM>(m_socket.Get()),
                                  WSAMAKESELECTREPLY(FD_WRITE, 0));
}

int CAsyncSocket::Receive(void* buffer, int length) {
    return recv(m_socket.Get(), static_cast<char*>(buffer), length, 0);
}

int CAsyncSocket::Send(const void* buffer, int length) {
    return send(m_socket.Get(), static_cast<const char*>(buffer), length, 0);
}

bool CAsyncSocket::ShutDown(int how) {
    return shutdown(m_socket.Get(), how) != SOCKET_ERROR;
}

static bool AddressOf(const sockaddr_in& addr, std::wstring& address, UINT& port) {
    wchar_t text[INET_ADDRSTRLEN] = L"";
    if (!InetNtopW(AF_INET, const_cast<in_addr*>(&addr.sin_addr), text, INET_ADDRSTRLEN))
        return false;
    address = text;
    port = ntohs(addr.sin_port);
    return true;
}

bool CAsyncSocket::GetSockName(std::wstring& address, UINT& port) {
    sockaddr_in addr = {};
    int len = sizeof(addr);
    if (getsockname(m_socket.Get(), reinterpret_cast<sockaddr*>(&addr), &len) == SOCKET_ERROR)
        return false;
    return AddressOf(addr, address, port);
}

bool CAsyncSocket::GetPeerName(std::wstring& address, UINT& port) {
    if (m_hasPeer)
        return AddressOf(m_peer, address, port);
    sockaddr_in addr = {};
    int len = sizeof(addr);
    if (getpeername(m_socket.Get(), reinterpret_cast<sockaddr*>(&addr), &len) == SOCKET_ERROR)
        return false;
    return AddressOf(addr, address, port);
}

void CAsyncSocket::OnAccept(int) {}
void CAsyncSocket::OnReceive(int) {}
void CAsyncSocket::OnSend(int) {}
void CAsyncSocket::OnClose(int) {}

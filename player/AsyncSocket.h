#pragma once
// A small asynchronous socket: Windows Sockets with WSAAsyncSelect, whose
// notifications arrive through a message-only window of the class "QXHttp"
// and are handed to the socket object's On... operations on the thread that
// runs the message loop.
#include <winsock2.h>
#include <windows.h>

#include <string>

#include "common/Handles.h"

struct SocketTraits {
    using Type = SOCKET;
    static SOCKET None() { return INVALID_SOCKET; }
    static void Close(SOCKET socket) { closesocket(socket); }
};
using SocketHandle = UniqueHandle<SocketTraits>;

// The call that failed and the error it left (WSAGetLastError, or
// GetLastError for the notification window).
struct SocketFailure {
    const wchar_t* call = nullptr;
    int error = 0;
};

class CAsyncSocket {
public:
    CAsyncSocket();
    virtual ~CAsyncSocket();

    // Stream socket bound to address:port (0 lets the system choose),
    // selecting the given FD_ events.
    bool Create(UINT port, long events, const wchar_t* address);
    bool Listen(int backlog);
    // Why the last Create or Listen failed.
    const SocketFailure& LastFailure() const { return m_failure; }
    // Accepts a pending connection into an unused socket object.
    bool Accept(CAsyncSocket& connected);
    bool AsyncSelect(long events);
    // Queues a write notification for this socket behind those already
    // queued, as if there were room again.
    bool PostWriteNotification();
    int Receive(void* buffer, int length);
    int Send(const void* buffer, int length);
    bool ShutDown(int how);
    bool GetSockName(std::wstring& address, UINT& port);
    bool GetPeerName(std::wstring& address, UINT& port);
    void Close();

    // The window procedure of the class "QXHttp": socket notifications go to
    // their socket objects, everything else to DefWindowProcW.
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static const wchar_t* WindowClassName() { return L"QXHttp"; }
    static bool RegisterWindowClass(HINSTANCE instance);

protected:
    virtual void OnAccept(int error);
    virtual void OnReceive(int error);
    virtual void OnSend(int error);
    virtual void OnClose(int error);

private:
    CAsyncSocket(const CAsyncSocket&) = delete;
    CAsyncSocket& operator=(const CAsyncSocket&) = delete;
    void Attach(SOCKET s);
    bool Fail(const wchar_t* call, int error);

    SocketHandle m_socket;

    // The peer's address as accept() gave it: under wine every socket call
    // costs round trips to the wine server, so it is not asked for again.
    sockaddr_in m_peer;
    bool m_hasPeer;
    SocketFailure m_failure;
};

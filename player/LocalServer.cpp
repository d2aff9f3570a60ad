#include "LocalServer.h"

#include <new>

#include "PlayerStrings.h"
#include "RequestSocket.h"
#include "resource.h"

std::wstring ProgramFolder() {
    wchar_t path[2000];
    DWORD n = GetModuleFileNameW(nullptr, path, 2000);
    if (n == 0 || n >= 2000)
        return std::wstring();
    std::wstring folder(path, n);
    size_t slash = folder.rfind(L'\\');
    folder.resize(slash == std::wstring::npos ? 0 : slash);
    return folder;
}

CListenSocket::~CListenSocket() = default;

void CListenSocket::OnAccept(int) {
    // Beyond the cap a new connection is closed at once; those already open
    // go on being served.
    if (CRequestSocket::LiveCount() >= kMaxConnections) {
        CAsyncSocket refused;
        Accept(refused);
        return;
    }
    CRequestSocket* connection = new (std::nothrow) CRequestSocket(server);
    if (!connection)
        return;
    // The connection inherits its notifications from this socket.
    if (!Accept(*connection))
        connection->Release();
}

CLocalServer::CLocalServer() : CLocalServer(ProgramFolder()) {}

CLocalServer::CLocalServer(const std::wstring& folder)
    : root(folder), port(0), listenSocket(nullptr), host(L"127.0.0.1") {
    InitializeCriticalSection(&hostLock);
    StartListening();
}

CLocalServer::~CLocalServer() {
    StopListening();
    DeleteCriticalSection(&hostLock);
}

void CLocalServer::StopListening() {
    if (listenSocket) {
        listenSocket->Close();
        delete listenSocket;
        listenSocket = nullptr;
    }
    port = 0;
}

void CLocalServer::StartListening() {
    StopListening();
    listenSocket = new CListenSocket(this);
    if (!listenSocket->Create(0, FD_ACCEPT | CRequestSocket::kEvents, L"127.0.0.1") || !listenSocket->Listen(SOMAXCONN)) {
        ShowPlayerMessage(IDS_SOCKET_FAILED, MB_ICONEXCLAMATION);
        StopListening();
        return;
    }
    std::wstring address;
    UINT boundPort = 0;
    if (listenSocket->GetSockName(address, boundPort))
        port = boundPort;
}

std::wstring CLocalServer::Host() const {
    EnterCriticalSection(&hostLock);
    std::wstring copy = host;
    LeaveCriticalSection(&hostLock);
    return copy;
}

void CLocalServer::SetHost(const std::wstring& name) {
    EnterCriticalSection(&hostLock);
    host = name;
    LeaveCriticalSection(&hostLock);
}

#include "LocalServer.h"

#include <new>

#include "Environment.h"
#include "PlayerStrings.h"
#include "resource.h"

// The listening socket: every accepted connection becomes a request socket
// that serves the server's site.
class CListenSocket : public CAsyncSocket {
public:
    explicit CListenSocket(const ServedSite& site) : site(site) {}

    // Open connections at most.
    static const size_t kMaxConnections = 512;

protected:
    void OnAccept(int error) override;

private:
    const ServedSite& site;
};

void CListenSocket::OnAccept(int) {
    // Beyond the cap a new connection is closed at once; those already open
    // go on being served.
    if (CRequestSocket::LiveCount() >= kMaxConnections) {
        CAsyncSocket refused;
        Accept(refused);
        return;
    }
    CRequestSocket* connection = new (std::nothrow) CRequestSocket(site);
    if (!connection)
        return;
    // The connection inherits its notifications from this socket.
    if (!Accept(*connection))
        connection->Release();
}

CLocalServer::CLocalServer() : CLocalServer(ProgramFolder()) {}

CLocalServer::CLocalServer(const std::wstring& folder) : root(folder), port(0), host(L"127.0.0.1") {
    StartListening();
}

CLocalServer::~CLocalServer() {
    StopListening();
}

void CLocalServer::StopListening() {
    listenSocket.reset();
    port = 0;
}

void CLocalServer::StartListening() {
    StopListening();
    failure = SocketFailure();
    listenSocket = std::make_unique<CListenSocket>(*this);
    if (!listenSocket->Create(0, FD_ACCEPT | CRequestSocket::kEvents, L"127.0.0.1") || !listenSocket->Listen(SOMAXCONN)) {
        failure = listenSocket->LastFailure();
        ShowPlayerMessage(IDS_SOCKET_FAILED, MB_ICONEXCLAMATION);
        StopListening();
        return;
    }
    std::wstring address;
    UINT boundPort = 0;
    if (listenSocket->GetSockName(address, boundPort))
        port = boundPort;
    else
        failure = SocketFailure{L"getsockname", WSAGetLastError()};
}

std::wstring CLocalServer::ListenFailure() const {
    if (!failure.call)
        return std::wstring();
    return std::wstring(failure.call) + L": error " + std::to_wstring(failure.error);
}

std::wstring CLocalServer::Host() const {
    CriticalSection::Lock lock(hostLock);
    return host;
}

void CLocalServer::SetHost(const std::wstring& name) {
    CriticalSection::Lock lock(hostLock);
    host = name;
}

#pragma once
// The loopback server: the served folder, the listening socket on
// 127.0.0.1 at a port the system picks, and the host name for absolute URLs.
#include "AsyncSocket.h"

#include <string>

class CLocalServer;

class CListenSocket : public CAsyncSocket {
public:
    explicit CListenSocket(CLocalServer* server = nullptr) : server(server) {}
    ~CListenSocket() override;

    CLocalServer* server;

    // Open connections at most.
    static const size_t kMaxConnections = 512;

protected:
    void OnAccept(int error) override;
};

class CLocalServer {
public:
    CLocalServer();
    // Serves root instead of the program's folder (tests).
    explicit CLocalServer(const std::wstring& root);
    ~CLocalServer();

    void StartListening();

    // The host name is set by the browser worker while the main thread may be
    // writing a redirect, so it is read and written under a lock.
    std::wstring Host() const;
    void SetHost(const std::wstring& host);

    std::wstring root;
    UINT port;
    CListenSocket* listenSocket;

private:
    CLocalServer(const CLocalServer&) = delete;
    CLocalServer& operator=(const CLocalServer&) = delete;
    void StopListening();

    std::wstring host;
    mutable CRITICAL_SECTION hostLock;
};

// The folder that holds the program file, without a trailing "\".
std::wstring ProgramFolder();

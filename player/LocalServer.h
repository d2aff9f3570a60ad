#pragma once
// The loopback server: the served folder, the listening socket on
// 127.0.0.1 at a port the system picks, and the host name for absolute URLs.
// It accepts the connections; each one then lives on its own.
#include <winsock2.h>

#include <memory>
#include <string>

#include "common/Handles.h"
#include "RequestSocket.h"

class CListenSocket;

class CLocalServer : public ServedSite {
public:
    // Serves the program's folder.
    CLocalServer();
    // Serves root instead (tests).
    explicit CLocalServer(const std::wstring& root);
    ~CLocalServer() override;

    // Listens anew at a port the system picks; the old port stops listening.
    void StartListening();

    const std::wstring& Root() const override { return root; }
    unsigned Port() const override { return port; }
    // Why the last start did not listen, as "bind: error 10048"; empty while
    // listening.
    std::wstring ListenFailure() const;
    // The host name is set by the browser worker while the main thread may be
    // writing a redirect, so it is read and written under a lock.
    std::wstring Host() const override;
    void SetHost(const std::wstring& host);

private:
    CLocalServer(const CLocalServer&) = delete;
    CLocalServer& operator=(const CLocalServer&) = delete;
    void StopListening();

    std::wstring root;
    UINT port;
    std::unique_ptr<CListenSocket> listenSocket;
    SocketFailure failure;
    std::wstring host;
    mutable CriticalSection hostLock;
};

#pragma once
// One accepted connection: reads one request, answers it (a registered URL
// handler or a file of the served folder), sends the answer and closes.
// The socket owns itself through its reference count.
#include <string>
#include <vector>

#include "AsyncSocket.h"
#include "common/Handles.h"
#include "HttpParse.h"
#include "Request.h"

// What a connection needs from the server that accepted it. The server
// implements it and outlives its connections' answers; a connection knows
// nothing else of it.
class ServedSite {
public:
    virtual ~ServedSite() = default;
    // The served folder, without a trailing "\".
    virtual const std::wstring& Root() const = 0;
    // The listening port; 0 when the server does not listen.
    virtual unsigned Port() const = 0;
    // The host name for absolute URLs; it may change while connections run.
    virtual std::wstring Host() const = 0;
};

class CRequestSocket : public CAsyncSocket {
public:
    explicit CRequestSocket(const ServedSite& site);

    virtual long AddRef();
    virtual long Release();

    // Time-outs for a connection that makes no progress: while the request is
    // read or the answer sent, and after the answer while the peer is given
    // the chance to close first. The head and whole-request deadlines count
    // from the opening of the connection, so that a client trickling bytes
    // cannot keep it (nor, with many such, the connection cap). A request
    // that any of them cuts short is answered 408; an answer being sent is
    // limited by the idle time-out alone.
    static void SetTimeouts(DWORD idleMs, DWORD lingerMs, DWORD headMs = 30000, DWORD requestMs = 60000);
    // Number of live request sockets.
    static size_t LiveCount();

    // Notifications of a connection, selected once on the listening socket
    // and inherited by every accepted one. Write notifications are asked for
    // only by an answer that may fill the connection, before any of it is
    // sent: under wine each one is a round trip, and most answers go out in
    // one send.
    static const long kEvents = FD_READ | FD_CLOSE;
    static const long kSendingEvents = kEvents | FD_WRITE;

    // Answers a request to the URL it is registered for, from the request and
    // the served folder. False passes the request on to the file service.
    typedef bool (*UrlHandler)(CRequest& request, const std::wstring& root, std::wstring& contentType,
                               std::vector<unsigned char>& answer);

protected:
    ~CRequestSocket() override;
    void OnReceive(int error) override;
    void OnSend(int error) override;
    void OnClose(int error) override;

private:
    // Reading
    void Complete();
    void HeadRead();
    void FinishAnswer();
    void SendSome();
    void SelectWriteNotifications();
    bool InputEnded();
    void DrainInput();
    void CloseNow(bool shutDownFirst);
    void AnswerTimeout();
    void Touch();

    // Answering
    bool AnswerFromHead(UrlHandler handler);
    void ProcessRequest();
    void ResolveTarget();
    void TryDefaultDocument();
    std::wstring PathToUrl(const std::wstring& path) const;
    bool OpenTargetFile();
    void ReadFirstChunk();
    void AddContentType();
    void CloseFile();

    // Writing the answer into the buffer
    void AppendText(const std::wstring& text);
    void AppendBytes(const void* data, size_t n);
    void StartResponse(const std::wstring& statusText);
    void StartResponseById(int code);
    void SendStatusOnly(int code);
    void EndEmptyAnswer();
    void AddHeader(const std::wstring& name, const std::wstring& value);
    void AddHeader(const std::wstring& name, long long value);

    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD);

    CRequest* request;
    std::vector<unsigned char> buffer;
    int pending;
    RequestReader reader;  // keeps the parse state and the partial line
    FileHandle file;
    long refCount;
    int closing;
    const ServedSite& site;

    bool m_answered;      // ProcessRequest ran: never answer twice
    bool m_headRead;      // the head was seen complete with its body to come
    bool m_peerClosed;    // the peer sent FIN; finish the answer, then close
    bool m_draining;      // answer sent; waiting for the peer to close
    bool m_readPassedOver;  // a read notification came while answering
    bool m_writeSelected;   // write notifications are selected
    ULONGLONG m_lastActivity;
    ULONGLONG m_opened;
    int64_t m_fileSize;   // of the open file, as its headers give it
};

// Sets the time of the last request that the idle watch reads, and writes
// request log lines; the application object provides them (null in tests).
class RequestObserver {
public:
    virtual ~RequestObserver() = default;
    virtual void SetLastRequestTime(long long time) = 0;
    virtual void WriteLogLine(const std::wstring& text, bool timestamp, bool lineEnd) = 0;
};
void SetRequestObserver(RequestObserver* observer);

#include "RequestSocket.h"

#include <algorithm>
#include <ctime>
#include <new>
#include <set>

#include "ConfigSave.h"
#include "Environment.h"
#include "HttpDate.h"
#include "PlayerStrings.h"
#include "ServedFolder.h"
#include "UrlPath.h"
#include "resource.h"

namespace {

RequestObserver* g_observer = nullptr;

// Never destroyed, like the socket map: sockets may end during static
// destruction.
std::set<CRequestSocket*>& LiveSockets() {
    static auto* live = new std::set<CRequestSocket*>;
    return *live;
}

UINT_PTR g_timer = 0;
DWORD g_idleTimeoutMs = 60000;
DWORD g_lingerTimeoutMs = 5000;
DWORD g_headDeadlineMs = 30000;
// The whole request, body included. A local browser sends its body right
// behind the head, and the largest body taken (16 MB) crosses the loopback
// in under half a second even under wine; a minute leaves room for a busy
// machine and still frees the cap soon from clients that trickle bodies.
DWORD g_requestDeadlineMs = 60000;

const size_t kReceiveSize = 1024;
// A request body is read in larger pieces: under wine every receive costs
// several round trips to the wine server.
const size_t kBodyPiece = 64 * 1024;
// The file goes out in chunks of this size, for the same reason. 512 KB
// reaches what wine allows a blocking server (256 KB about three quarters of
// it, 1 MB no more than 512 KB), and keeps the buffers of the most
// connections the server holds open at 256 MB, well inside a 32-bit process.
const size_t kSendChunk = 512 * 1024;
const int kChunksPerNotification = 64;
const wchar_t kDefaultDateFormat[] = L"%a, %d %b %Y %H:%M:%S GMT";

void Log(const std::wstring& text, bool timestamp, bool lineEnd) {
    if (g_observer)
        g_observer->WriteLogLine(text, timestamp, lineEnd);
}

// A request came: the idle watch starts over.
void NoteRequestTime() {
    if (g_observer)
        g_observer->SetLastRequestTime(static_cast<long long>(time(nullptr)));
}

// GET and HEAD without a body, POST with one: what the file service answers.
bool FileServiceTakes(const CRequest& r) {
    const std::wstring method = LowerAscii(r.method);
    if (r.contentLength == 0)
        return method == L"get" || method == L"head";
    return r.contentLength > 0 && method == L"post";
}

int64_t FileTimeToUnix(const FILETIME& ft) {
    return UnixTimeFromFileTime(ft.dwHighDateTime, ft.dwLowDateTime);
}

// The URLs that a handler answers instead of the file service.
const struct {
    const wchar_t* url;
    CRequestSocket::UrlHandler handler;
} kUrlHandlers[] = {
    {kConfigSaveUrl, &AnswerConfigSave},
};

CRequestSocket::UrlHandler FindUrlHandler(const std::wstring& url) {
    for (const auto& entry : kUrlHandlers)
        if (url == entry.url)
            return entry.handler;
    return nullptr;
}

}  // namespace

void SetRequestObserver(RequestObserver* observer) {
    g_observer = observer;
}

// --- lifetime -------------------------------------------------------------

CRequestSocket::CRequestSocket(const ServedSite& site)
    : request(nullptr),
      buffer(kReceiveSize),
      pending(0),
      refCount(1),
      closing(0),
      site(site),
      m_answered(false),
      m_headRead(false),
      m_peerClosed(false),
      m_draining(false),
      m_readPassedOver(false),
      m_writeSelected(false),
      m_lastActivity(GetTickCount64()),
      m_opened(m_lastActivity),
      m_fileSize(0) {
    LiveSockets().insert(this);
    // One timer watches every connection and stays for the program's life.
    if (!g_timer)
        g_timer = SetTimer(nullptr, 0, 1000, TimerProc);
}

CRequestSocket::~CRequestSocket() {
    LiveSockets().erase(this);
    CloseFile();
    if (request) {
        request->finished = 1;
        request->Release();
    }
}

long CRequestSocket::AddRef() {
    return ++refCount;
}

long CRequestSocket::Release() {
    long n = --refCount;
    if (n == 0)
        delete this;
    return n;
}

void CRequestSocket::SetTimeouts(DWORD idleMs, DWORD lingerMs, DWORD headMs, DWORD requestMs) {
    g_idleTimeoutMs = idleMs;
    g_lingerTimeoutMs = lingerMs;
    g_headDeadlineMs = headMs;
    g_requestDeadlineMs = requestMs;
}

size_t CRequestSocket::LiveCount() {
    return LiveSockets().size();
}

void CALLBACK CRequestSocket::TimerProc(HWND, UINT, UINT_PTR, DWORD) {
    ULONGLONG now = GetTickCount64();
    std::set<CRequestSocket*> snapshot = LiveSockets();
    for (CRequestSocket* s : snapshot) {
        if (!LiveSockets().count(s))
            continue;
        DWORD limit = s->m_draining ? g_lingerTimeoutMs : g_idleTimeoutMs;
        bool late = false;
        if (!s->m_answered) {
            DWORD deadline = s->reader.State() < kBody ? g_headDeadlineMs : g_requestDeadlineMs;
            late = now - s->m_opened >= deadline;
        }
        if (now - s->m_lastActivity < limit && !late)
            continue;
        if (s->m_answered)
            s->CloseNow(true);
        else
            s->AnswerTimeout();
    }
}

void CRequestSocket::AnswerTimeout() {
    // A request cut short is told so, or the browser shows a bare network
    // error that the page cannot explain; a connection that never sent a
    // byte has no request to answer.
    if (!request || !reader.Begun()) {
        CloseNow(true);
        return;
    }
    m_answered = true;
    buffer.clear();
    pending = 0;
    if (!FindUrlHandler(request->url))
        Log(SanitizeForLog(request->method) + L" " + SanitizeForLog(request->url), true, false);
    SendStatusOnly(408);
    SendSome();
}

void CRequestSocket::Touch() {
    m_lastActivity = GetTickCount64();
}

void CRequestSocket::CloseNow(bool shutDownFirst) {
    if (shutDownFirst)
        ShutDown(SD_BOTH);
    closing = 1;
    Release();
}

// --- reading ----------------------------------------------------------------

void CRequestSocket::OnReceive(int) {
    if (m_draining) {
        DrainInput();
        return;
    }
    // Read notifications already queued when the request completed; the
    // next read notification comes only after a receive.
    if (m_answered) {
        m_readPassedOver = true;
        return;
    }
    if (!request) {
        request = new (std::nothrow) CRequest;
        if (!request) {
            CloseNow(true);
            return;
        }
    }
    if (reader.State() == kBody && buffer.size() < kBodyPiece)
        buffer.resize(kBodyPiece);
    int n = Receive(buffer.data(), static_cast<int>(buffer.size()));
    if (n == SOCKET_ERROR || n == 0)
        return;  // an error or the end of input: the close notification follows
    Touch();
    if (reader.Feed(*request, buffer.data(), static_cast<size_t>(n)))
        Complete();
    else if (reader.AwaitingBody() && !m_headRead)
        HeadRead();
}

void CRequestSocket::Complete() {
    m_answered = true;
    buffer.clear();
    ProcessRequest();
    SendSome();
}

// The head is read; the body it announces has not come yet. A client that
// waits to be asked for its body learns at once when the head alone decides
// the answer (a refusal), and is asked otherwise, once.
void CRequestSocket::HeadRead() {
    m_headRead = true;
    if (!reader.ExpectsContinue() || !request->body.empty())
        return;
    NoteRequestTime();
    buffer.clear();
    if (AnswerFromHead(FindUrlHandler(request->url))) {
        m_answered = true;
        SendSome();
        return;
    }
    static const char kContinue[] = "HTTP/1.1 100 Continue\r\n\r\n";
    const int size = static_cast<int>(sizeof(kContinue) - 1);
    // Nothing has been sent on the connection yet, so its send buffer takes
    // these few bytes whole. Should it not, part of an interim answer would
    // spoil the final one: the connection ends instead.
    if (Send(kContinue, size) != size)
        CloseNow(true);
}

// A close notification is taken as a hint only: one queued for an earlier
// connection can arrive after its handle was closed and reused by this one,
// with that connection's error. Only the end of input that this socket
// shows itself ends the connection.
void CRequestSocket::OnClose(int) {
    if (m_draining) {
        DrainInput();
        return;
    }
    if (m_answered) {
        // A half-close after the request still gets the whole answer; a
        // connection that is really gone shows itself as a send error.
        if (InputEnded()) {
            m_peerClosed = true;
            SendSome();
        }
        return;
    }
    // The rest of the request may still wait unread behind the close.
    unsigned char chunk[kReceiveSize];
    for (;;) {
        int n = Receive(chunk, sizeof(chunk));
        if (n == 0 || (n == SOCKET_ERROR && WSAGetLastError() != WSAEWOULDBLOCK)) {
            CloseNow(false);
            return;
        }
        if (n == SOCKET_ERROR)
            break;
        if (!request) {
            request = new (std::nothrow) CRequest;
            if (!request) {
                CloseNow(true);
                return;
            }
        }
        Touch();
        if (reader.Feed(*request, chunk, static_cast<size_t>(n))) {
            m_peerClosed = InputEnded();
            Complete();
            return;
        }
    }
    // The connection goes on: what came is read as a receive would.
    if (reader.AwaitingBody() && !m_headRead)
        HeadRead();
}

// Reads and drops what the peer still sends; true once its input has ended
// (its close, or a connection that failed).
bool CRequestSocket::InputEnded() {
    unsigned char chunk[kReceiveSize];
    for (;;) {
        int n = Receive(chunk, sizeof(chunk));
        if (n > 0)
            continue;
        return n == 0 || WSAGetLastError() != WSAEWOULDBLOCK;
    }
}

void CRequestSocket::DrainInput() {
    if (InputEnded())
        CloseNow(false);
}

// --- sending ----------------------------------------------------------------

void CRequestSocket::OnSend(int) {
    if (m_answered && !m_draining)
        SendSome();
}

void CRequestSocket::SendSome() {
    // Sends until the connection would block (a write notification then
    // follows when there is room), the answer is out, or this connection has
    // had its share: several chunks per notification, since under load every
    // notification round trip costs far more than a send. With its share
    // sent, it queues a write notification of its own, so that the other
    // connections have their turn first; should that fail, it goes on.
    for (int chunk = 0;; ++chunk) {
        if (chunk >= kChunksPerNotification && PostWriteNotification())
            return;
        while (pending > 0) {
            int sent = Send(buffer.data(), pending);
            if (sent == SOCKET_ERROR) {
                if (WSAGetLastError() != WSAEWOULDBLOCK)
                    CloseNow(true);
                else
                    SelectWriteNotifications();
                return;
            }
            Touch();
            if (request)
                request->bytesSent += sent;
            // Keep the buffer's size: it sets the size of the next chunks.
            memmove(buffer.data(), buffer.data() + sent, pending - sent);
            pending -= sent;
        }
        if (file.Valid()) {
            DWORD read = 0;
            if (!buffer.empty() &&
                ReadFile(file.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) && read > 0)
                pending = static_cast<int>(read);
            else
                CloseFile();
        }
        if (!file.Valid() && pending == 0) {
            FinishAnswer();
            return;
        }
    }
}

// Only before the connection has taken any of the answer: under wine, a
// send that would not fit is taken whole and its rest sent later, and
// selecting again on a connection whose peer has half-closed loses that
// rest. A larger answer selects before its first send; an answer of one
// send comes here only when that send would block, and nothing of it has
// been taken.
void CRequestSocket::SelectWriteNotifications() {
    if (!m_writeSelected)
        m_writeSelected = AsyncSelect(kSendingEvents);
}

void CRequestSocket::FinishAnswer() {
    if (m_peerClosed) {
        CloseNow(true);
        return;
    }
    // Closing with unread input would reset the connection and could cost
    // the client the end of the answer: end our side, then wait for the
    // peer's close while discarding what it still sends.
    ShutDown(SD_SEND);
    m_draining = true;
    Touch();
    // The peer's close, or more input, is notified; only a read notification
    // passed over while answering has to be re-armed by reading.
    if (m_readPassedOver)
        DrainInput();
}

void CRequestSocket::CloseFile() {
    file.Reset();
}

// --- answer text ------------------------------------------------------------

void CRequestSocket::AppendBytes(const void* data, size_t n) {
    if (static_cast<size_t>(pending) + n > buffer.size())
        buffer.resize(pending + (n / 1024 + 1) * 1024);
    memcpy(buffer.data() + pending, data, n);
    pending += static_cast<int>(n);
}

void CRequestSocket::AppendText(const std::wstring& text) {
    const std::string bytes = ToAnsiCodePage(text);
    if (!bytes.empty())
        AppendBytes(bytes.data(), bytes.size());
}

void CRequestSocket::StartResponse(const std::wstring& statusText) {
    AppendText(L"HTTP/1.1 " + statusText + L"\r\n");
    Log(statusText, false, true);
    std::wstring serverName = LoadPlayerString(IDS_SERVER_NAME);
    if (!serverName.empty())
        AddHeader(L"Server", serverName);
    std::wstring format = LoadPlayerString(IDS_HTTP_DATE_FORMAT);
    if (format.empty())
        format = kDefaultDateFormat;
    AddHeader(L"Date", FormatHttpDate(format, static_cast<int64_t>(time(nullptr))));
}

void CRequestSocket::StartResponseById(int code) {
    std::wstring text = LoadPlayerString(StatusStringId(code));
    if (request)
        request->status = code;
    StartResponse(text);
}

void CRequestSocket::SendStatusOnly(int code) {
    StartResponseById(code);
    EndEmptyAnswer();
}

// The connection closes after every answer: a client that keeps connections
// must be told, or it sends its next request into one that is gone. The
// length tells where an answer without a body ends.
void CRequestSocket::EndEmptyAnswer() {
    AddHeader(L"Content-Length", 0LL);
    AddHeader(L"Connection", L"close");
    AppendText(L"\r\n");
}

void CRequestSocket::AddHeader(const std::wstring& name, const std::wstring& value) {
    AppendText(name + L": " + value + L"\r\n");
}

void CRequestSocket::AddHeader(const std::wstring& name, long long value) {
    AddHeader(name, std::to_wstring(value));
}

// --- dispatch and file service ---------------------------------------------

// The answers that the head alone decides: refusals, written here, true
// then. False when the request is to be served.
bool CRequestSocket::AnswerFromHead(UrlHandler handler) {
    const CRequest& r = *request;
    // Handler URLs are logged by their status alone, as their answers are.
    auto refuse = [&](int code) {
        if (!handler)
            Log(SanitizeForLog(r.method) + L" " + SanitizeForLog(r.url), true, false);
        SendStatusOnly(code);
        return true;
    };
    if (reader.Rejected())
        return refuse(reader.Refusal());

    // Only requests addressed to this server by its own name are served, so
    // that a page of another site reaching the port through a rebound DNS
    // name can read nothing. HTTP/1.0 requests without a Host header still
    // work. (An absolute target's host has taken the Host header's place.)
    const unsigned port = site.Port();
    auto host = r.headers.find(L"host");
    if (host != r.headers.end() && !IsOwnHost(host->second, port))
        return refuse(403);
    // Nor can another site's page read anything by script tag or fetch; a
    // link from it still opens the content.
    if (IsOtherSiteRead(r))
        return refuse(403);

    if (!handler) {
        if (!FileServiceTakes(r))
            return refuse(501);
        return false;
    }
    // Pages save by GET with the fields in the query, or by POST; any other
    // method (HEAD above all, whose answer has no body) writes nothing.
    const std::wstring method = LowerAscii(r.method);
    if (method != L"get" && method != L"post") {
        StartResponseById(405);
        AddHeader(L"Allow", L"GET, POST");
        EndEmptyAnswer();
        return true;
    }
    // A page of another site must not save, not even by an image tag that
    // sends no Origin or Referer, nor by naming one twice.
    if (reader.OriginRepeated() || !IsOwnPageRequest(r.headers, port)) {
        SendStatusOnly(403);
        return true;
    }
    return false;
}

void CRequestSocket::ProcessRequest() {
    NoteRequestTime();
    CRequest& r = *request;

    UrlHandler handler = FindUrlHandler(r.url);
    if (AnswerFromHead(handler))
        return;

    if (handler) {
        std::wstring contentType;
        std::vector<unsigned char> answer;
        bool answered;
        try {
            answered = handler(r, site.Root(), contentType, answer);
        } catch (...) {
            SendStatusOnly(500);
            return;
        }
        if (answered) {
            StartResponseById(200);
            AddHeader(L"Content-Type", contentType.empty() ? std::wstring(L"text/plain") : contentType);
            AddHeader(L"Content-Length", static_cast<long long>(answer.size()));
            AddHeader(L"Cache-Control", L"no-cache");
            AddHeader(L"Connection", L"close");
            AppendText(L"\r\n");
            if (!answer.empty())
                AppendBytes(answer.data(), answer.size());
            return;
        }
    }

    std::wstring address;
    UINT peerPort = 0;
    if (GetPeerName(address, peerPort))
        r.clientAddress = address;

    Log(SanitizeForLog(r.method) + L" " + SanitizeForLog(r.url), true, false);

    // A handler that passes a request on leaves it to these rules too.
    if (!FileServiceTakes(r)) {
        SendStatusOnly(501);
        return;
    }
    ResolveTarget();
    if (LowerAscii(r.method) == L"head") {
        if (r.status == 0)
            OpenTargetFile();
        CloseFile();  // no body follows
    } else if (r.status == 0 && OpenTargetFile()) {
        ReadFirstChunk();
    }
}

void CRequestSocket::ResolveTarget() {
    CRequest& r = *request;
    std::wstring target = r.url;
    if (!UrlToPath(site.Root(), target)) {
        SendStatusOnly(400);
        return;
    }
    Log(SanitizeForLog(target), false, false);

    DWORD attrs = GetFileAttributesW(target.c_str());
    std::wstring info;
    if (attrs == INVALID_FILE_ATTRIBUTES) {
        std::wstring rest = target;
        for (;;) {
            size_t slash = rest.rfind(L'\\');
            if (slash == std::wstring::npos) {
                rest.clear();
                break;
            }
            info = rest.substr(slash) + info;
            rest.resize(slash);
            if (rest.empty())
                break;
            attrs = GetFileAttributesW(rest.c_str());
            if (attrs != INVALID_FILE_ATTRIBUTES)
                break;
        }
        r.fileAttributes = attrs;
        if (rest.empty() || attrs == INVALID_FILE_ATTRIBUTES || (attrs & FILE_ATTRIBUTE_DIRECTORY)) {
            SendStatusOnly(404);
            return;
        }
        target = rest;
    }
    r.fileAttributes = attrs;
    while (target.size() > 1 && target.back() == L'\\')
        target.pop_back();
    r.filePath = target;
    if (!info.empty()) {
        r.pathInfo = info;
        std::wstring translated = info;
        for (wchar_t& c : translated)
            if (c == L'\\')
                c = L'/';
        if (UrlToPath(site.Root(), translated))
            r.pathTranslated = translated;
    }
    if (attrs & FILE_ATTRIBUTE_DIRECTORY)
        TryDefaultDocument();
}

void CRequestSocket::TryDefaultDocument() {
    CRequest& r = *request;
    std::wstring names = LoadPlayerString(IDS_DEFAULT_DOCUMENTS);
    size_t start = 0;
    while (start < names.size()) {
        size_t end = names.find(L'\n', start);
        if (end == std::wstring::npos)
            end = names.size();
        std::wstring name = names.substr(start, end - start);
        start = end + 1;
        if (!name.empty() && name.back() == L'\r')
            name.pop_back();
        if (name.empty())
            continue;
        std::wstring candidate = r.filePath;
        if (candidate.empty() || candidate.back() != L'\\')
            candidate += L'\\';
        candidate += name;
        DWORD attrs = GetFileAttributesW(candidate.c_str());
        if (attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY)) {
            std::wstring location = PathToUrl(candidate);
            StartResponseById(302);
            AddHeader(L"Location", location);
            AddHeader(L"Content-length", 0LL);
            AddHeader(L"Connection", L"close");
            AppendText(L"\r\n");
            return;
        }
    }
}

std::wstring CRequestSocket::PathToUrl(const std::wstring& path) const {
    const std::wstring& root = site.Root();
    std::wstring tail = path.size() > root.size() ? path.substr(root.size()) : std::wstring();
    for (wchar_t& c : tail)
        if (c == L'\\')
            c = L'/';
    const unsigned port = site.Port();
    std::wstring url = L"http://" + site.Host();
    if (port != 80)
        url += L":" + std::to_wstring(port);
    return url + EncodeUrlPath(tail);
}

bool CRequestSocket::OpenTargetFile() {
    CRequest& r = *request;
    if (r.fileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY)) {
        SendStatusOnly(403);
        return false;
    }
    file = OpenServedFile(r.filePath);
    if (!file.Valid()) {
        SendStatusOnly(503);
        return false;
    }
    bool result;
    // HTTP dates count whole seconds, so a file written in the second of this
    // answer, or dated later, may change again without its date changing: it
    // gets no date that a browser could revalidate against, and no 304.
    // Nor does a date later than the clock, which this server never sent.
    FILETIME written;
    const bool timed = GetFileTime(file.Get(), nullptr, nullptr, &written) != FALSE;
    const int64_t writtenAt = timed ? FileTimeToUnix(written) : 0;
    const int64_t now = static_cast<int64_t>(time(nullptr));
    const bool dated = timed && writtenAt < now;
    std::wstring since = r.GetHeader(L"If-Modified-Since");
    int64_t sinceTime = 0;
    if (dated && !since.empty() && ParseHttpDate(since, sinceTime) && sinceTime <= now && writtenAt <= sinceTime) {
        StartResponseById(304);
        CloseFile();
        result = false;
    } else {
        StartResponseById(200);
        AddContentType();
        LARGE_INTEGER size;
        // The whole 64-bit size: files of 4 GiB and more are sent whole too.
        m_fileSize = GetFileSizeEx(file.Get(), &size) ? static_cast<int64_t>(size.QuadPart) : 0;
        AddHeader(L"Content-length", static_cast<long long>(m_fileSize));
        if (dated) {
            std::wstring format = LoadPlayerString(IDS_HTTP_DATE_FORMAT);
            AddHeader(L"Last-Modified", FormatHttpDate(format.empty() ? kDefaultDateFormat : format, writtenAt));
        }
        AddHeader(L"Expires", L"-1");
        // A browser that does not take "-1" for a past date guesses a lifetime
        // from "Last-Modified" and reuses the file without asking: a saved
        // configuration would not show after a reload.
        AddHeader(L"Cache-Control", L"no-cache");
        result = true;
    }
    AddHeader(L"Connection", L"close");
    AppendText(L"\r\n");
    return result;
}

void CRequestSocket::AddContentType() {
    std::wstring type;
    if (LookupContentType(ExtensionOf(request->filePath), type))
        AddHeader(L"Content-type", type);
}

void CRequestSocket::ReadFirstChunk() {
    if (!file.Valid())
        return;
    // The buffer grows for the file, up to one chunk: a small file goes out
    // with its headers in one send, a large one in chunks of full size.
    const int64_t whole = pending + m_fileSize;
    size_t want = static_cast<size_t>(std::min<int64_t>(whole, kSendChunk));
    if (whole > static_cast<int64_t>(kSendChunk))
        SelectWriteNotifications();
    if (buffer.size() < want)
        buffer.resize(want);
    DWORD room = static_cast<DWORD>(buffer.size() - pending);
    DWORD read = 0;
    if (room > 0 && ReadFile(file.Get(), buffer.data() + pending, room, &read, nullptr) && read > 0)
        pending += static_cast<int>(read);
    else if (room > 0)
        CloseFile();
}

#pragma once
// Reading side of the loopback server: URL decoding and the request reader
// that turns received bytes into a CRequest. No Windows headers.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "Request.h"

// UTF-8 bytes to UTF-16; an invalid sequence becomes U+FFFD per bad byte.
std::wstring Utf8ToWide(const std::string& bytes);
// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string WideToUtf8(const std::wstring& text);

// Percent escapes (%XX, %uXXXX), each character cut to its low byte, then
// UTF-8. An escape with non-hex digits is kept as it stands.
std::wstring UrlDecode(const std::wstring& text);

// Parses name=value pairs joined by "&" (form fields); each name and value
// is URL-decoded and a later value replaces an earlier one. The bytes are
// taken as they are, so raw UTF-8 survives whatever the ANSI code page is.
void ParseUrlEncoded(const std::string& bytes, std::map<std::wstring, std::wstring>& fields);

// The bytes a query string was read from (the reader widens byte by byte).
std::string NarrowBytes(const std::wstring& text);

// Fills the request's form fields from its query and, for a "POST" (in
// exactly that case), its body, which wins over the query.
void ParseFormFields(CRequest& request);

// Whether a "Host" header value names this server: 127.0.0.1 or localhost
// (any case) with the server's port. Anything else may be a page of another
// site that reached the loopback port through a rebound DNS name.
bool IsOwnHost(const std::wstring& host, unsigned port);

// Whether an "Origin" or "Referer" value belongs to this server's own origin:
// "http://" and a host that IsOwnHost accepts; a Referer's path is ignored.
bool IsOwnOrigin(const std::wstring& value, unsigned port);

// Whether a request (lower-cased header names) comes from this server's own
// pages: an "Origin" or "Referer" names the server and none of them names
// another, and a "Sec-Fetch-Site", when sent, says "same-origin" or "none".
// A request that names no origin at all may come from any page (an image
// tag with a no-referrer policy), so it is not one.
bool IsOwnPageRequest(const std::map<std::wstring, std::wstring>& headers, unsigned port);

// Whether a browser names the request as one of a page of another site (or
// of another port of this host: "Sec-Fetch-Site" "cross-site" or
// "same-site") that is not a GET navigation ("Sec-Fetch-Mode" "navigate").
// Such a page may link to the content but not read it, by a script tag or a
// fetch. Requests without these headers (Internet Explorer sends none) are
// not such requests.
bool IsOtherSiteRead(const CRequest& request);

// Bounds on what one request may make the server hold.
struct RequestLimits {
    size_t maxLineChars = 8192;
    size_t maxHeaders = 100;
    int32_t maxBody = 16 * 1024 * 1024;
    // Empty lines skipped before the request line (a client may send one
    // after an earlier request's body); one more ends the head at once.
    size_t maxLeadingEmptyLines = 4;
};

// Parse states as the socket keeps them.
enum RequestState { kRequestLine = 0, kHeaders = 1, kBody = 2, kComplete = 4 };

class RequestReader {
public:
    explicit RequestReader(const RequestLimits& limits = RequestLimits()) : m_limits(limits) {}

    // Takes the next received bytes. Returns true once the request is
    // complete (state 4); Rejected() then tells whether it is refused before
    // it is answered, and Refusal() with which status. Bytes after
    // completion are ignored.
    bool Feed(CRequest& request, const unsigned char* data, size_t n);

    int State() const { return m_state; }
    bool Rejected() const { return m_refusal != 0; }
    // 400 for a request that breaks a bound or whose head is malformed (a
    // carriage return that ends no line, a tab or another control
    // character in the method or the target, a folded header line, a
    // Content-Length that is not one decimal number, a blank before a
    // header's colon, a missing or repeated Host, a version that is not
    // "HTTP/" digit "." digit, an absolute target of another scheme than
    // http); 501 for a body framed by Transfer-Encoding, which the server
    // does not decode; 505 for another major version than 1. 0 otherwise.
    int Refusal() const { return m_refusal; }
    // Whether any byte of a request has arrived.
    bool Begun() const { return m_state != kRequestLine || !m_line.empty() || m_emptyLines > 0 || m_cr; }
    // Whether the head is read and the body it announces has yet to come.
    bool AwaitingBody() const { return m_state == kBody; }
    // Whether the client waits for "100 Continue" before it sends its body:
    // an HTTP/1.x request (1.0 aside) with "Expect: 100-continue".
    bool ExpectsContinue() const { return m_expectsContinue && m_http11; }
    // Whether "Origin" or "Referer" came more than once: which of them a
    // check would read is not certain, so none of them names the page.
    bool OriginRepeated() const { return m_originCount > 1 || m_refererCount > 1; }

private:
    bool ReadLine(const unsigned char* data, size_t n, size_t& pos);
    void ParseLine(CRequest& request);
    void ParseRequestLine(CRequest& request);
    void ParseHeaderLine(CRequest& request);
    bool TakeContentLength(const std::wstring& value);
    void CheckHead(CRequest& request);
    void TakeBody(CRequest& request, const unsigned char* data, size_t n, size_t pos);
    void Reject(int status = 400);

    RequestLimits m_limits;
    std::wstring m_line;
    int m_state = kRequestLine;
    bool m_cr = false;        // the last byte read was a carriage return
    size_t m_emptyLines = 0;  // skipped before the request line
    size_t m_headerCount = 0;
    size_t m_hostCount = 0;
    size_t m_originCount = 0;
    size_t m_refererCount = 0;
    bool m_http11 = false;    // the version is HTTP/1.x other than 1.0
    bool m_expectsContinue = false;
    bool m_absoluteTarget = false;
    std::wstring m_authority;  // of an absolute target
    bool m_chunked = false;   // a Transfer-Encoding header came
    int64_t m_length = -1;    // the Content-Length; -1 while none came
    int m_refusal = 0;
};

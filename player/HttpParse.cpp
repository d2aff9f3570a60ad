#include "HttpParse.h"

namespace {

bool IsSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f';
}

std::wstring TrimLeft(const std::wstring& s) {
    size_t i = 0;
    while (i < s.size() && IsSpace(s[i]))
        ++i;
    return s.substr(i);
}

std::wstring TrimBlanks(const std::wstring& text) {
    size_t begin = text.find_first_not_of(L" \t");
    if (begin == std::wstring::npos)
        return std::wstring();
    size_t end = text.find_last_not_of(L" \t");
    return text.substr(begin, end - begin + 1);
}

std::wstring TrimRight(const std::wstring& s) {
    size_t n = s.size();
    while (n > 0 && IsSpace(s[n - 1]))
        --n;
    return s.substr(0, n);
}

int HexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

// Reads count hex digits at pos; -1 when one is not a hex digit.
long HexRun(const std::wstring& s, size_t pos, size_t count) {
    long v = 0;
    for (size_t i = 0; i < count; ++i) {
        int h = HexValue(s[pos + i]);
        if (h < 0)
            return -1;
        v = v * 16 + h;
    }
    return v;
}

void AppendCodePoint(std::wstring& out, uint32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (cp >> 10));
        out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
    } else {
        out += static_cast<wchar_t>(cp);
    }
}

}  // namespace

std::wstring Utf8ToWide(const std::string& bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    size_t i = 0;
    const size_t n = bytes.size();
    while (i < n) {
        unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out += static_cast<wchar_t>(b);
            ++i;
            continue;
        }
        size_t len = 0;
        uint32_t cp = 0, min = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            len = 2; cp = b & 0x1F; min = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            len = 3; cp = b & 0x0F; min = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            len = 4; cp = b & 0x07; min = 0x10000;
        }
        bool ok = len != 0 && i + len <= n;
        for (size_t k = 1; ok && k < len; ++k) {
            unsigned char c = static_cast<unsigned char>(bytes[i + k]);
            if ((c & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (c & 0x3F);
        }
        if (ok && (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)))
            ok = false;
        if (!ok) {
            out += static_cast<wchar_t>(0xFFFD);
            ++i;
            continue;
        }
        AppendCodePoint(out, cp);
        i += len;
    }
    return out;
}

std::string WideToUtf8(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t cp = static_cast<uint16_t>(text[i]);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() &&
            static_cast<uint16_t>(text[i + 1]) >= 0xDC00 && static_cast<uint16_t>(text[i + 1]) <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<uint16_t>(text[i + 1]) - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

std::wstring UrlDecode(const std::wstring& text) {
    std::wstring chars;
    chars.reserve(text.size());
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        wchar_t c = text[i];
        if (c != L'%') {
            chars += c;
            ++i;
            continue;
        }
        size_t after = n - i - 1;
        const bool wide = after >= 1 && (text[i + 1] == L'u' || text[i + 1] == L'U');
        if (wide && after < 5)
            break;  // a cut-off %u escape takes the rest of the text with it
        if (!wide && after < 2) {
            ++i;  // a lone '%' near the end is dropped
            continue;
        }
        // %uXXXX or %XX; an escape with other than hex digits stays as it is.
        const size_t digitsAt = i + (wide ? 2 : 1);
        const size_t digits = wide ? 4 : 2;
        long v = HexRun(text, digitsAt, digits);
        if (v < 0) {
            chars += c;
            ++i;
            continue;
        }
        chars += static_cast<wchar_t>(v);
        i = digitsAt + digits;
    }
    return Utf8ToWide(NarrowBytes(chars));
}

std::string NarrowBytes(const std::wstring& text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (wchar_t c : text)
        bytes += static_cast<char>(c & 0xFF);
    return bytes;
}

static std::wstring WidenBytes(const std::string& bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    for (char b : bytes)
        text += static_cast<wchar_t>(static_cast<unsigned char>(b));
    return text;
}

void ParseUrlEncoded(const std::string& bytes, std::map<std::wstring, std::wstring>& fields) {
    size_t i = 0;
    const size_t n = bytes.size();
    while (i < n) {
        size_t nameEnd = i;
        while (nameEnd < n && bytes[nameEnd] != '&' && bytes[nameEnd] != '=')
            ++nameEnd;
        std::string name = bytes.substr(i, nameEnd - i);
        std::string value;
        i = nameEnd;
        if (i < n && bytes[i] == '=') {
            size_t valueEnd = ++i;
            while (valueEnd < n && bytes[valueEnd] != '&')
                ++valueEnd;
            value = bytes.substr(i, valueEnd - i);
            i = valueEnd;
        }
        fields[UrlDecode(WidenBytes(name))] = UrlDecode(WidenBytes(value));
        if (i < n && bytes[i] == '&')
            ++i;
    }
}

void ParseFormFields(CRequest& request) {
    ParseUrlEncoded(NarrowBytes(request.query), request.formFields);
    if (request.method == L"POST")
        ParseUrlEncoded(std::string(request.body.begin(), request.body.end()), request.formFields);
}

void RequestReader::Reject(int status) {
    m_refusal = status;
    m_state = kComplete;
    m_line.clear();
}

bool RequestReader::ReadLine(const unsigned char* data, size_t n, size_t& pos) {
    while (pos < n) {
        unsigned char b = data[pos++];
        if (m_cr) {
            // A carriage return ends a line only together with a line feed;
            // taken alone, one reader could see a line end where another
            // sees none, so the head is refused.
            m_cr = false;
            if (b != 10) {
                Reject();
                return false;
            }
            return true;
        }
        if (b == 10)
            return true;
        if (b == 13) {
            m_cr = true;
            continue;
        }
        if (m_line.size() >= m_limits.maxLineChars) {
            Reject();
            return false;
        }
        m_line += static_cast<wchar_t>(b);
    }
    return false;
}

namespace {

// The version of a request line: "HTTP/" digit "." digit, case-sensitive.
enum class Version { Http10, Http11, OtherMajor, Invalid };

Version ReadVersion(const std::wstring& text) {
    if (text.size() != 8 || text.compare(0, 5, L"HTTP/") != 0 || text[6] != L'.')
        return Version::Invalid;
    const wchar_t major = text[5], minor = text[7];
    if (major < L'0' || major > L'9' || minor < L'0' || minor > L'9')
        return Version::Invalid;
    if (major != L'1')
        return Version::OtherMajor;
    // Another HTTP/1.x can be served as the highest minor version known.
    return minor == L'0' ? Version::Http10 : Version::Http11;
}

bool HasControlCharacter(const std::wstring& text) {
    for (wchar_t c : text)
        if (c < 0x20 || c == 0x7F)
            return true;
    return false;
}

// ALPHA *( ALPHA / DIGIT / "+" / "-" / "." )
bool IsScheme(const std::wstring& text) {
    if (text.empty() || !((text[0] >= L'a' && text[0] <= L'z') || (text[0] >= L'A' && text[0] <= L'Z')))
        return false;
    for (wchar_t c : text) {
        const bool alnum = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9');
        if (!alnum && c != L'+' && c != L'-' && c != L'.')
            return false;
    }
    return true;
}

}  // namespace

void RequestReader::ParseLine(CRequest& request) {
    if (m_state == kRequestLine)
        ParseRequestLine(request);
    else if (m_state == kHeaders)
        ParseHeaderLine(request);
    m_line.clear();
}

void RequestReader::ParseRequestLine(CRequest& request) {
    m_state = kHeaders;
    size_t sp = m_line.find(L' ');
    if (m_line.empty() || sp == std::wstring::npos)
        return;  // method, URL and version stay empty: answered 501
    request.method = m_line.substr(0, sp);
    std::wstring rest = TrimLeft(m_line.substr(sp + 1));
    size_t sp2 = rest.find(L' ');
    std::wstring url;
    if (!rest.empty() && sp2 != std::wstring::npos) {
        url = rest.substr(0, sp2);
        request.version = TrimBlanks(rest.substr(sp2 + 1));
    } else {
        url = TrimRight(rest);
    }
    // A tab or another control character inside the method or the target
    // leaves it open where one ends: a reader that splits at any white space
    // takes another target and version from the same line.
    if (HasControlCharacter(request.method) || HasControlCharacter(url)) {
        Reject();
        return;
    }
    // A request line without a version is read as one of HTTP/1.0.
    if (!request.version.empty()) {
        switch (ReadVersion(request.version)) {
        case Version::Invalid:
            Reject();
            return;
        case Version::OtherMajor:
            Reject(505);
            return;
        case Version::Http11:
            m_http11 = true;
            break;
        case Version::Http10:
            break;
        }
    }
    // The absolute form (as sent to a proxy) names the server in the
    // target; its path and query are read as those of the origin form.
    if (!url.empty() && url[0] != L'/') {
        size_t schemeEnd = url.find(L"://");
        if (schemeEnd != std::wstring::npos && IsScheme(url.substr(0, schemeEnd))) {
            const size_t start = schemeEnd + 3;
            const size_t end = url.find_first_of(L"/?#", start);
            m_authority = url.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
            // Only http is served here, and it always names a host.
            if (LowerAscii(url.substr(0, schemeEnd)) != L"http" || m_authority.empty()) {
                Reject();
                return;
            }
            m_absoluteTarget = true;
            url = end == std::wstring::npos ? std::wstring(L"/") : url.substr(end);
            if (url[0] != L'/')
                url = L"/" + url;
        }
    }
    size_t q = url.find(L'?');
    if (!url.empty() && q != std::wstring::npos) {
        request.query = url.substr(q + 1);
        url = url.substr(0, q);
    }
    request.url = UrlDecode(url);
}

void RequestReader::ParseHeaderLine(CRequest& request) {
    // A folded line continues the one before it; a reader that drops or
    // joins it sees another header than one that does not.
    if (!m_line.empty() && (m_line[0] == L' ' || m_line[0] == L'\t')) {
        Reject();
        return;
    }
    size_t colon = m_line.find(L':');
    if (colon == std::wstring::npos)
        return;
    if (++m_headerCount > m_limits.maxHeaders) {
        Reject();
        return;
    }
    std::wstring name = LowerAscii(m_line.substr(0, colon));
    std::wstring value = TrimLeft(m_line.substr(colon + 1));
    // "Host : x" is no Host header here, but a proxy or client may
    // take it for one: a name with a blank in it is refused.
    if (name.find_first_of(L" \t") != std::wstring::npos) {
        Reject();
        return;
    }
    if (name == L"host") {
        ++m_hostCount;
    } else if (name == L"origin") {
        ++m_originCount;
    } else if (name == L"referer") {
        ++m_refererCount;
    } else if (name == L"expect") {
        m_expectsContinue = LowerAscii(TrimBlanks(value)) == L"100-continue";
    } else if (name == L"transfer-encoding") {
        m_chunked = true;
    } else if (name == L"content-length" && !TakeContentLength(value)) {
        Reject();
        return;
    }
    request.headers[name] = value;
}

// Where the body ends must be certain, or the server and a proxy or client
// could see different requests: one decimal number, or a list of that same
// number, as repeated fields may be joined; anything else is refused.
bool RequestReader::TakeContentLength(const std::wstring& value) {
    const size_t n = value.size();
    size_t i = 0;
    for (;;) {
        while (i < n && (value[i] == L' ' || value[i] == L'\t'))
            ++i;
        const size_t digits = i;
        int64_t v = 0;
        for (; i < n && value[i] >= L'0' && value[i] <= L'9'; ++i) {
            v = v * 10 + (value[i] - L'0');
            if (v > m_limits.maxBody)
                v = m_limits.maxBody + int64_t(1);  // too large in any case
        }
        if (i == digits)
            return false;
        while (i < n && (value[i] == L' ' || value[i] == L'\t'))
            ++i;
        if (m_length >= 0 && v != m_length)
            return false;
        m_length = v;
        if (i == n)
            return true;
        if (value[i++] != L',')
            return false;
    }
}

void RequestReader::CheckHead(CRequest& request) {
    // An HTTP/1.1 client sends one Host also with an absolute target.
    if (m_hostCount > 1 || (m_hostCount == 0 && m_http11))
        Reject();
    else if (m_chunked)
        Reject(501);  // the body is not decoded, so it must not be taken
    else if (m_length > m_limits.maxBody)
        Reject();     // a body that cannot be held is never collected
    else if (m_absoluteTarget)
        request.headers[L"host"] = m_authority;  // the target's host counts, the field's does not
}

void RequestReader::TakeBody(CRequest& request, const unsigned char* data, size_t n, size_t pos) {
    size_t want = static_cast<size_t>(request.contentLength);
    size_t have = request.body.size();
    if (pos < n && have < want) {
        size_t take = n - pos;
        if (take > want - have)
            take = want - have;  // bytes beyond the length are dropped
        request.body.insert(request.body.end(), data + pos, data + pos + take);
    }
    if (request.body.size() >= want)
        m_state = kComplete;
}

bool RequestReader::Feed(CRequest& request, const unsigned char* data, size_t n) {
    if (m_state == kComplete)
        return true;
    size_t pos = 0;
    if (m_state == kRequestLine || m_state == kHeaders) {
        while (ReadLine(data, n, pos)) {
            if (m_line.empty() && m_state == kRequestLine && m_emptyLines < m_limits.maxLeadingEmptyLines) {
                ++m_emptyLines;
                continue;
            }
            if (m_line.empty()) {
                m_state = kBody;
                break;
            }
            ParseLine(request);
            if (Rejected())
                return true;
        }
        if (Rejected())
            return true;
        if (m_state == kBody) {
            CheckHead(request);
            if (Rejected())
                return true;
            if (m_length >= 0) {
                request.contentLength = static_cast<int32_t>(m_length);
                TakeBody(request, data, n, pos);
            } else {
                m_state = kComplete;
            }
        }
    } else if (m_state == kBody) {
        TakeBody(request, data, n, 0);
    }
    return m_state == kComplete;
}

bool IsOwnHost(const std::wstring& host, unsigned port) {
    const std::wstring value = LowerAscii(TrimBlanks(host));
    const std::wstring suffix = L":" + std::to_wstring(port);
    return value == L"127.0.0.1" + suffix || value == L"localhost" + suffix;
}

bool IsOwnOrigin(const std::wstring& value, unsigned port) {
    const std::wstring text = LowerAscii(TrimBlanks(value));
    const std::wstring scheme = L"http://";
    if (text.compare(0, scheme.size(), scheme) != 0)
        return false;
    size_t end = text.find_first_of(L"/?#", scheme.size());
    if (end == std::wstring::npos)
        end = text.size();
    return IsOwnHost(text.substr(scheme.size(), end - scheme.size()), port);
}

bool IsOwnPageRequest(const std::map<std::wstring, std::wstring>& headers, unsigned port) {
    bool named = false;
    for (const wchar_t* name : {L"origin", L"referer"}) {
        auto header = headers.find(name);
        if (header == headers.end())
            continue;
        if (!IsOwnOrigin(header->second, port))
            return false;
        named = true;
    }
    auto site = headers.find(L"sec-fetch-site");
    if (site != headers.end()) {
        const std::wstring value = LowerAscii(TrimBlanks(site->second));
        if (value != L"same-origin" && value != L"none")
            return false;
    }
    return named;
}

bool IsOtherSiteRead(const CRequest& request) {
    const std::wstring site = LowerAscii(TrimBlanks(request.GetHeader(L"Sec-Fetch-Site")));
    if (site != L"cross-site" && site != L"same-site")
        return false;
    const std::wstring mode = LowerAscii(TrimBlanks(request.GetHeader(L"Sec-Fetch-Mode")));
    return !(mode == L"navigate" && LowerAscii(request.method) == L"get");
}

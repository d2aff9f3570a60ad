#pragma once
#include <windows.h>

#include <string>

struct IXMLHTTPRequest;

// Synchronous requests through the platform's XMLHTTP object. Also reads
// res:// URLs, which answer with status 0.
class HttpRequest {
public:
    // GET of the URL. Without noSuffix a "?<tick count>" is appended so that
    // no stored copy answers. Succeeds for status 200 or 0 with a text.
    HRESULT Get(const std::wstring& url, bool noSuffix, std::wstring& text);

    // Creates, opens and sends the request; on success the caller owns and
    // releases the request object.
    HRESULT Open(const std::wstring& url, bool noSuffix, IXMLHTTPRequest** request,
                 const std::wstring& method);
};

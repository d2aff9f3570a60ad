#pragma once
#include <windows.h>

#include <string>

// Process-wide store of downloaded script texts by URL, with the URLs whose
// download failed. Several tab threads of one process use it at once.
class JsCache {
public:
    // Fills text on success; empties it when a download fails. With
    // skipKnownBad set, a URL that failed before is not tried again.
    static HRESULT GetJs(const std::wstring& url, std::wstring& text, bool skipKnownBad);

    // Clearing the flag drops every stored text; failed URLs stay known.
    static void SetUseCache(bool useCache);
};

#include "helper/JsCache.h"

#include "base/Logger.h"
#include "helper/HttpRequest.h"

#include <map>
#include <mutex>

namespace {

struct CacheState {
    std::mutex lock;
    std::map<std::wstring, std::wstring> texts;
    std::map<std::wstring, bool> failedUrls;
    bool useCache = true;
};

CacheState g_cache;

}  // namespace

HRESULT JsCache::GetJs(const std::wstring& url, std::wstring& text, bool skipKnownBad) {
    // Trace lines are written outside the lock: the trace component is a COM
    // call that may dispatch messages on this thread.
    bool useCache = true;
    bool knownBad = false;
    bool fromCache = false;
    {
        std::lock_guard<std::mutex> guard(g_cache.lock);
        if (skipKnownBad && g_cache.failedUrls.count(url)) {
            knownBad = true;
        } else {
            useCache = g_cache.useCache;
            if (useCache) {
                auto found = g_cache.texts.find(url);
                if (found != g_cache.texts.end()) {
                    text = found->second;
                    fromCache = true;
                }
            }
        }
    }
    if (knownBad) {
        g_logger.Log(L"JsCache::GetJs() - %hs: bad url, previously failed to download %s", "JsCache::GetJs",
                     url.c_str());
        return E_FAIL;
    }
    if (fromCache) {
        g_logger.Log(L"JsCache::GetJs() - Loading File from Cache = %s", url.c_str());
        return S_OK;
    }

    // The download blocks this tab only; other tabs keep using the cache.
    std::wstring downloaded;
    HttpRequest request;
    if (SUCCEEDED(request.Get(url, useCache, downloaded))) {
        g_logger.Log(L"JsCache::GetJs() - Loading File with HttpRequest = %s", url.c_str());
        {
            std::lock_guard<std::mutex> guard(g_cache.lock);
            // Caching may have been switched off while the request ran.
            if (g_cache.useCache)
                g_cache.texts[url] = downloaded;
        }
        text.swap(downloaded);
        return S_OK;
    }

    g_logger.Log(L"JsCache::GetJs() - %s download failed", url.c_str());
    text.clear();
    std::lock_guard<std::mutex> guard(g_cache.lock);
    g_cache.failedUrls[url] = true;
    return E_FAIL;
}

void JsCache::SetUseCache(bool useCache) {
    std::lock_guard<std::mutex> guard(g_cache.lock);
    g_cache.useCache = useCache;
    if (!useCache)
        g_cache.texts.clear();
}

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "LoopbackServer.h"

#include "helper/HtmlDomHelper.h"
#include "helper/HttpRequest.h"
#include "helper/JsCache.h"
#include "ScriptFakes.h"
#include "TraceCapture.h"

#include <msxml2.h>

#include <atomic>
#include <regex>
#include <thread>

using ::testing::ElementsAre;

namespace {

const int kTestScriptResource = 4700;

std::wstring OwnResourceUrl(int id) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return L"res://" + std::wstring(path) + L"/" + std::to_wstring(id);
}

// The cache is process-wide: every test starts and ends with caching on, and
// uses paths of its own so that no other test's entries answer for it.
class ScriptCache : public ::testing::Test {
protected:
    void SetUp() override { JsCache::SetUseCache(true); }
    void TearDown() override { JsCache::SetUseCache(true); }
    LoopbackServer server;
};

}  // namespace

TEST_F(ScriptCache, CachingOnMakesOneRequestPerUrl) {
    TraceCapture trace;
    server.Add("/on/one.js", "var one = 1;");
    server.Add("/on/two.js", "var two = 2;");
    const std::wstring one = server.Url("/on/one.js");

    std::wstring text;
    ASSERT_EQ(S_OK, JsCache::GetJs(one, text, false));
    EXPECT_EQ(L"var one = 1;", text);
    text.clear();
    ASSERT_EQ(S_OK, JsCache::GetJs(one, text, true));
    EXPECT_EQ(L"var one = 1;", text);
    ASSERT_EQ(S_OK, JsCache::GetJs(server.Url("/on/two.js"), text, false));
    EXPECT_EQ(L"var two = 2;", text);

    EXPECT_THAT(server.Requests(), ElementsAre("/on/one.js", "/on/two.js"));
    EXPECT_THAT(trace.Lines(), ElementsAre(L"JsCache::GetJs() - Loading File with HttpRequest = " + one,
                                           L"JsCache::GetJs() - Loading File from Cache = " + one,
                                           L"JsCache::GetJs() - Loading File with HttpRequest = " +
                                               server.Url("/on/two.js")));
}

TEST_F(ScriptCache, CachingOffRequestsWithTickSuffixEveryTimeAndStoresNothing) {
    server.Add("/off/a.js", "var a;");
    const std::wstring url = server.Url("/off/a.js");
    JsCache::SetUseCache(false);

    std::wstring text;
    ASSERT_EQ(S_OK, JsCache::GetJs(url, text, false));
    Sleep(20);
    ASSERT_EQ(S_OK, JsCache::GetJs(url, text, false));
    EXPECT_EQ(L"var a;", text);
    auto requests = server.Requests();
    ASSERT_EQ(2u, requests.size());
    for (const auto& target : requests)
        EXPECT_TRUE(std::regex_match(target, std::regex("/off/a\\.js\\?-?[0-9]+"))) << target;

    // Nothing was kept while caching was off.
    JsCache::SetUseCache(true);
    ASSERT_EQ(S_OK, JsCache::GetJs(url, text, false));
    EXPECT_EQ(3u, server.Count());
    EXPECT_EQ("/off/a.js", server.Requests().back());
}

TEST_F(ScriptCache, FailedUrlIsRememberedUntilTheSkipFlagIsClear) {
    TraceCapture trace;
    const std::wstring missing = server.Url("/bad/missing.js");

    std::wstring text = L"stale";
    EXPECT_EQ(E_FAIL, JsCache::GetJs(missing, text, true));
    EXPECT_EQ(L"", text);  // a 404 body is never handed out
    EXPECT_EQ(1u, server.Count());
    EXPECT_EQ(L"JsCache::GetJs() - " + missing + L" download failed", trace.Lines().back());

    text = L"kept";
    EXPECT_EQ(E_FAIL, JsCache::GetJs(missing, text, true));
    EXPECT_EQ(L"kept", text);
    EXPECT_EQ(1u, server.Count());
    EXPECT_EQ(L"JsCache::GetJs() - JsCache::GetJs: bad url, previously failed to download " + missing,
              trace.Lines().back());

    // Without the flag it is tried again; once served, it is served, but
    // the address stays known as bad for callers that skip such addresses.
    server.Add("/bad/missing.js", "late");
    EXPECT_EQ(S_OK, JsCache::GetJs(missing, text, false));
    EXPECT_EQ(L"late", text);
    EXPECT_EQ(2u, server.Count());
    text = L"kept";
    EXPECT_EQ(E_FAIL, JsCache::GetJs(missing, text, true));
    EXPECT_EQ(L"kept", text);
    EXPECT_EQ(2u, server.Count());
}

TEST_F(ScriptCache, SwitchingCachingOffDropsTextsButNotFailedUrls) {
    server.Add("/drop/good.js", "good");
    const std::wstring good = server.Url("/drop/good.js");
    const std::wstring bad = server.Url("/drop/bad.js");
    std::wstring text;
    ASSERT_EQ(S_OK, JsCache::GetJs(good, text, false));
    ASSERT_EQ(E_FAIL, JsCache::GetJs(bad, text, false));
    ASSERT_EQ(2u, server.Count());

    JsCache::SetUseCache(false);
    JsCache::SetUseCache(true);
    EXPECT_EQ(S_OK, JsCache::GetJs(good, text, false));
    EXPECT_EQ(3u, server.Count());
    EXPECT_EQ(E_FAIL, JsCache::GetJs(bad, text, true));
    EXPECT_EQ(3u, server.Count());
}

TEST_F(ScriptCache, TabThreadsShareTheCacheSafely) {
    // Readers on several threads while caching is switched off and on, so
    // that reads race clears and the inserts of fresh downloads. Any torn or
    // lost text, or a crash, is a fault. Races show up by chance: without
    // the lock this fails about every other run.
    const int kScripts = 20;
    const size_t kLength = 4000;
    std::vector<std::wstring> urls;
    for (int n = 0; n < kScripts; ++n) {
        std::string path = "/threads/" + std::to_string(n) + ".js";
        server.Add(path, std::string(kLength, static_cast<char>('a' + n % 26)));
        urls.push_back(server.Url(path));
        std::wstring text;
        ASSERT_EQ(S_OK, JsCache::GetJs(urls.back(), text, false));
    }
    const std::wstring bad = server.Url("/threads/bad.js");
    std::wstring text;
    ASSERT_EQ(E_FAIL, JsCache::GetJs(bad, text, false));

    std::atomic<int> wrong{0};
    std::atomic<bool> stop{false};
    std::vector<std::thread> tabs;
    for (int t = 0; t < 4; ++t) {
        tabs.emplace_back([&, t] {
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            for (int i = 0; !stop; ++i) {
                int n = (i * 7 + t * 13) % kScripts;
                std::wstring mine;
                if (JsCache::GetJs(urls[n], mine, true) != S_OK ||
                    mine != std::wstring(kLength, static_cast<wchar_t>(L'a' + n % 26)))
                    ++wrong;
                if (JsCache::GetJs(bad, mine, true) != E_FAIL)
                    ++wrong;
            }
            CoUninitialize();
        });
    }
    for (int round = 0; round < 50; ++round) {
        Sleep(30);
        JsCache::SetUseCache(false);
        JsCache::SetUseCache(true);
    }
    Sleep(50);
    stop = true;
    for (auto& tab : tabs)
        tab.join();
    EXPECT_EQ(0, wrong.load());
}

TEST_F(ScriptCache, TabsThatStoreAtOnceLoseNoScript) {
    // Each tab traces a finished download right before it stores the text;
    // there it waits until every tab has got that far, so the stores run
    // together. The addresses differ only at their end and all sort between
    // the same two stored ones: each store's comparisons are long and meet
    // the same place of the cache.
    const std::string prefix = "/stores/" + std::string(200000, 'p') + "/";
    auto add = [&](const std::string& name) {
        server.Add(prefix + name, "var " + name + ";");
        return server.Url(prefix + name);
    };
    for (const char* edge : {"a", "z"}) {
        std::wstring text;
        ASSERT_EQ(S_OK, JsCache::GetJs(add(edge), text, false));
    }

    const int kTabs = 4;
    const int kRounds = 5;
    std::vector<std::vector<std::wstring>> urls(kTabs);
    for (int round = 0; round < kRounds; ++round)
        for (int t = 0; t < kTabs; ++t)
            urls[t].push_back(add("m" + std::to_string(round) + "-" + std::to_string(t)));

    TraceCapture trace(true);
    std::atomic<int> arrived{0};
    trace.AfterWrite([&] {
        int all = (arrived++ / kTabs + 1) * kTabs;
        for (DWORD start = GetTickCount(); arrived < all && GetTickCount() - start < 10000;)
            Sleep(0);
    });
    std::atomic<int> failed{0};
    std::vector<std::thread> tabs;
    for (int t = 0; t < kTabs; ++t)
        tabs.emplace_back([&, t] {
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            for (const std::wstring& url : urls[t]) {
                std::wstring text;
                if (JsCache::GetJs(url, text, false) != S_OK)
                    ++failed;
            }
            CoUninitialize();
        });
    for (auto& tab : tabs)
        tab.join();
    trace.AfterWrite(nullptr);
    EXPECT_EQ(0, failed.load());
    EXPECT_EQ(kTabs * kRounds, arrived.load());

    const size_t downloads = server.Count();
    ASSERT_EQ(static_cast<size_t>(kTabs * kRounds + 2), downloads);
    for (const auto& mine : urls)
        for (const std::wstring& url : mine) {
            std::wstring text;
            EXPECT_EQ(S_OK, JsCache::GetJs(url, text, true));
        }
    EXPECT_EQ(downloads, server.Count()) << "a stored script was lost";
}

TEST(HttpRequest, ResourceOfOwnModuleAnswersWithStatusZero) {
    const std::wstring url = OwnResourceUrl(kTestScriptResource);
    HttpRequest request;
    ComPtr<IXMLHTTPRequest> xhr;
    ASSERT_EQ(S_OK, request.Open(url, true, &xhr, L"GET"));
    LONG status = -1;
    EXPECT_EQ(S_OK, xhr->get_status(&status));
    EXPECT_EQ(0, status);
    xhr.Reset();

    std::wstring text;
    ASSERT_EQ(S_OK, request.Get(url, true, text));
    EXPECT_THAT(text, ::testing::HasSubstr(L"Velnor.Recognition = {"));

    // With caching off the tick suffix goes onto the resource address too.
    std::wstring again;
    ASSERT_EQ(S_OK, request.Get(url, false, again));
    EXPECT_EQ(text, again);
}

TEST(HttpRequest, NotFoundAndUnreachableFail) {
    std::wstring closedPortUrl;
    {
        LoopbackServer server;
        std::wstring text = L"old";
        EXPECT_EQ(E_FAIL, HttpRequest().Get(server.Url("/nothing.js"), true, text));
        EXPECT_EQ(L"", text);
        EXPECT_THAT(server.Requests(), ElementsAre("/nothing.js"));
        closedPortUrl = server.Url("/gone.js");
    }
    std::wstring text = L"old";
    EXPECT_TRUE(FAILED(HttpRequest().Get(closedPortUrl, true, text)));
    EXPECT_EQ(L"", text);
}

TEST(InjectScript, RunsPrefixTextAndSuffixInThePage) {
    JScriptHost host;
    ASSERT_TRUE(host.Run(L"var window = this;"));
    HtmlDomHelper dom;
    ASSERT_EQ(S_OK, dom.InjectScript(host.Global(), L"window.Velnor={};(function(Velnor){",
                                     OwnResourceUrl(kTestScriptResource), L"\r\n})(window.Velnor);", false));
    Var a(L"a"), b(L"b"), c(L"c"), result;
    ASSERT_EQ(S_OK, dom.CallFunction(host.Global(), &result, L"window.Velnor.Recognition.Echo", a, b, c));
    EXPECT_EQ(L"c,b,a", result.Str());
}

TEST(InjectScript, KnownBadUrlRunsNothingAndDownloadsNothing) {
    LoopbackServer server;
    FakeScriptObject page;
    page.SetMethod(L"eval", [](DISPPARAMS*, VARIANT*) { return S_OK; });
    const std::wstring url = server.Url("/inject/bad.js");
    HtmlDomHelper dom;

    EXPECT_EQ(E_FAIL, dom.InjectScript(&page, L"(", url, L")", false));
    EXPECT_EQ(E_FAIL, dom.InjectScript(&page, L"(", url, L")", true));
    EXPECT_EQ(1u, server.Count());
    EXPECT_TRUE(page.calls.empty());
}

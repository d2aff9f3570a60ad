#include <gtest/gtest.h>

#include "UrlPath.h"

namespace {

TEST(UrlPathRules, PlainPathsPass) {
    for (const wchar_t* url : {L"/", L"/index.html", L"/a/b/c.js", L"/a b/\u00e9t\u00e9.html", L"/a/../b.html",
                               L"/./x", L"/.well-known/x", L"/console.html", L"/com10.txt", L""})
        EXPECT_TRUE(IsUrlPathAcceptable(url)) << url;
}

TEST(UrlPathRules, HostileNamesAreRefused) {
    const wchar_t* refused[] = {
        L"/a\\..\\..\\x",  L"/C:/Windows/win.ini", L"C:\\x",        L"/index.html::$DATA",
        L"/file:stream",   L"/CON",                 L"/con.txt",     L"/x/nul",
        L"/aux.html",      L"/LPT1",                L"/com9.log",    L"/CON .txt",
        L"/conout$",       L"/con.d/x",  L"/index.html.",         L"/index.html ", L"/dir./x",
        L"/...",           L"/a*.html",             L"/a?.html",     L"/a<b",
        L"/a|b",           L"/a\"b",                L"/a\tb",        L"/\x7f",
    };
    for (const wchar_t* url : refused)
        EXPECT_FALSE(IsUrlPathAcceptable(url)) << url;
    EXPECT_FALSE(IsUrlPathAcceptable(std::wstring(L"/index.html") + L'\0' + L".txt"));
}

TEST(UrlPathRules, ContainmentNeedsABackslashAfterTheRoot) {
    EXPECT_TRUE(IsPathInsideRoot(L"C:\\content", L"C:\\content"));
    EXPECT_TRUE(IsPathInsideRoot(L"C:\\content", L"C:\\content\\x"));
    EXPECT_FALSE(IsPathInsideRoot(L"C:\\content", L"C:\\content2\\x"));
    EXPECT_FALSE(IsPathInsideRoot(L"C:\\content", L"C:\\"));
    EXPECT_FALSE(IsPathInsideRoot(L"C:\\content", L"c:\\content\\x"));  // exact, with case
    EXPECT_TRUE(IsPathInsideRoot(L"X:", L"X:\\"));  // a program in a drive's root
    EXPECT_TRUE(IsPathInsideRoot(L"X:", L"X:\\a"));
}

TEST(UrlPathRules, EncodeForLocation) {
    EXPECT_EQ(EncodeUrlPath(L"/index.html"), L"/index.html");
    EXPECT_EQ(EncodeUrlPath(L"/a b/\u00e9.html"), L"/a%20b/%C3%A9.html");
    EXPECT_EQ(EncodeUrlPath(L"/100%/#x"), L"/100%25/%23x");
}

TEST(ContentTypes, TableAndExtension) {
    std::wstring type;
    EXPECT_TRUE(LookupMimeTable(L".JPG", type));
    EXPECT_EQ(type, L"image/jpeg");
    EXPECT_TRUE(LookupMimeTable(L".js", type));
    EXPECT_EQ(type, L"application/x-javascript");
    EXPECT_FALSE(LookupMimeTable(L".qqq", type));
    EXPECT_EQ(type, L"application/unknown");
    EXPECT_FALSE(LookupMimeTable(L"", type));

    EXPECT_EQ(ExtensionOf(L"C:\\c\\a.b.HTML"), L".HTML");
    EXPECT_EQ(ExtensionOf(L"C:\\c.d\\file"), L"");
    EXPECT_EQ(ExtensionOf(L"C:\\c\\file"), L"");
}

TEST(LogText, ControlCharactersCannotForgeLines) {
    EXPECT_EQ(SanitizeForLog(L"/a\r\n26-01-01 00:00:00 GET /x"), L"/a??26-01-01 00:00:00 GET /x");
    EXPECT_EQ(SanitizeForLog(L"/\u00e9 ok"), L"/\u00e9 ok");
}

}  // namespace

namespace {

TEST(ConfigLocation, RelativeToTheHandlersFolder) {
    const std::wstring handler = L"/radozira/configurator/saveit.qxph";
    EXPECT_EQ(ResolveInFolderOf(handler, L"../../configdata.json.js"), L"/radozira/configurator/../../configdata.json.js");
    EXPECT_EQ(ResolveInFolderOf(handler, L"/configdata.json.js"), L"/radozira/configurator/configdata.json.js");
    EXPECT_EQ(ResolveInFolderOf(L"/dir/", L"x"), L"/dir/x");
    EXPECT_EQ(ResolveInFolderOf(L"noslash", L"x"), L"noslashx");
    EXPECT_EQ(LastUrlPart(L"../../configdata.json.js"), L"configdata.json.js");
    EXPECT_EQ(LastUrlPart(L"configdata.json.js"), L"configdata.json.js");
    EXPECT_EQ(LastUrlPart(L"a/"), L"");
}

}  // namespace

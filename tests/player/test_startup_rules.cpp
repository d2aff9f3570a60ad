#include <gtest/gtest.h>

#include "StartupRules.h"

namespace {

PlayerCommandLine Parse(const std::wstring& tail) {
    return ParsePlayerCommandLine(SplitCommandTokens(tail));
}

TEST(CommandLine, TailSkipsTheProgramName) {
    EXPECT_EQ(CommandTail(L"play.exe /log x"), L"/log x");
    EXPECT_EQ(CommandTail(L"\"C:\\My Content\\play.exe\" /log"), L"/log");
    EXPECT_EQ(CommandTail(L"C:\\play.exe   /i"), L"/i");
    EXPECT_EQ(CommandTail(L"play.exe"), L"");
}

TEST(CommandLine, TokensSplitAtEveryBlank) {
    EXPECT_TRUE(SplitCommandTokens(L"").empty());
    EXPECT_EQ(SplitCommandTokens(L"a  b"), (std::vector<std::wstring>{L"a", L"", L"b"}));
    EXPECT_EQ(SplitCommandTokens(L"\"a b\""), (std::vector<std::wstring>{L"\"a", L"b\""}));
}

TEST(CommandLine, OptionsAndStartPage) {
    PlayerCommandLine cl = Parse(L"/BROWSER=Firefox x.html index.html");
    EXPECT_EQ(cl.browser, 2);
    EXPECT_EQ(cl.startPage, L"index.html");
    EXPECT_FALSE(cl.usage);

    cl = Parse(L"/browser=ie /i");
    EXPECT_EQ(cl.browser, 1);
    EXPECT_TRUE(cl.showDialog);
    cl = Parse(L"/i /browser=safari /reset");
    EXPECT_EQ(cl.browser, 3);
    EXPECT_TRUE(cl.showDialog);
    EXPECT_TRUE(cl.reset);

    cl = Parse(L"page.html /browser=system /unknown");
    EXPECT_EQ(cl.browser, 0);
    EXPECT_EQ(cl.startPage, L"/unknown");

    // A trailing blank makes an empty token, which empties the start page.
    cl = Parse(L"page.html ");
    EXPECT_EQ(cl.startPage, L"");
}

TEST(CommandLine, UsageStopsAtOnce) {
    PlayerCommandLine cl = Parse(L"/log /?");
    EXPECT_TRUE(cl.log);
    EXPECT_TRUE(cl.usage);

    cl = Parse(L"/HELP /log page.html");
    EXPECT_TRUE(cl.usage);
    EXPECT_FALSE(cl.log);
    EXPECT_EQ(cl.startPage, L"");
    EXPECT_TRUE(Parse(L"/h").usage);
}

TEST(PlayerLanguage, CodesToLocales) {
    EXPECT_EQ(LanguageCodeToLcid(L"de"), 1031u);
    EXPECT_EQ(LanguageCodeToLcid(L"DE"), 1031u);
    EXPECT_EQ(LanguageCodeToLcid(L"pt"), 2070u);
    EXPECT_EQ(LanguageCodeToLcid(L"es-MX"), 2058u);
    EXPECT_EQ(LanguageCodeToLcid(L"zh-cht"), 1028u);
    EXPECT_EQ(LanguageCodeToLcid(L"xx"), 1033u);
    EXPECT_EQ(LanguageCodeToLcid(L""), 1033u);
}

TEST(PlayerLanguage, FoundInPublishData) {
    std::wstring code;
    ASSERT_TRUE(FindPlayerLanguageCode(L"var p = {\"PlayerLanguage\":\"DE\",\"x\":1};", code));
    EXPECT_EQ(code, L"de");
    ASSERT_TRUE(FindPlayerLanguageCode(L"x{\"playerlanguage\":\"zh-chs\"}", code));
    EXPECT_EQ(code, L"zh-chs");
    ASSERT_TRUE(FindPlayerLanguageCode(L"x{\"playerlanguage\":\"fr-ca-extra\"}", code));
    EXPECT_EQ(code, L"fr-ca-");
    EXPECT_FALSE(FindPlayerLanguageCode(L"{\"title\":\"x\"}", code));
    EXPECT_FALSE(FindPlayerLanguageCode(L"\"playerlanguage\":\"de\"", code));  // at the very start
    EXPECT_FALSE(FindPlayerLanguageCode(L"{\"playerlanguage\": \"de\"}", code));
}

TEST(DefaultBrowser, FromOpenCommand) {
    EXPECT_EQ(BrowserChoiceFromCommand(L""), 1);
    EXPECT_EQ(BrowserChoiceFromCommand(L"\"C:\\Program Files\\Mozilla Firefox\\FIREFOX.EXE\" -osint -url \"%1\""), 2);
    EXPECT_EQ(BrowserChoiceFromCommand(L"\"C:\\Program Files\\Safari\\Safari.exe\" -url \"%1\""), 3);
    EXPECT_EQ(BrowserChoiceFromCommand(L"\"C:\\Program Files\\Internet Explorer\\iexplore.exe\" %1"), 1);
    EXPECT_EQ(BrowserChoiceFromCommand(L"\"C:\\Apps\\Other\\other.exe\" \"%1\""), 1);
    EXPECT_EQ(BrowserChoiceFromCommand(L"firefox.exe %1"), 1);  // no backslash before the name
}

}  // namespace

#include <gtest/gtest.h>

#include <thread>

#include "PlayerStrings.h"
#include "resource.h"

namespace {

const LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
const LANGID kIcelandic = MAKELANGID(LANG_ICELANDIC, SUBLANG_DEFAULT);

TEST(PlayerStrings, EnglishTexts) {
    EXPECT_EQ(LoadPlayerStringForLanguage(IDS_STATUS_404, kEnglish), L"404 Not Found");
    EXPECT_EQ(LoadPlayerStringForLanguage(IDS_STATUS_302, kEnglish), L"302 Redirection");
    EXPECT_EQ(LoadPlayerStringForLanguage(IDS_SERVER_NAME, kEnglish), L"QXHttp 1.0");
    EXPECT_EQ(LoadPlayerStringForLanguage(IDS_HTTP_DATE_FORMAT, kEnglish), L"%a, %d %b %Y %H:%M:%S GMT");
    EXPECT_EQ(LoadPlayerStringForLanguage(IDS_DEFAULT_DOCUMENTS, kEnglish),
              L"index.html\nindex.htm\ndefault.html\ndefault.htm");
    EXPECT_EQ(LoadPlayerStringForLanguage(IDS_OK, kEnglish), L"OK");
    EXPECT_EQ(LoadPlayerStringForLanguage(IDS_DIALOG_INFO, kEnglish).substr(0, 9), L"Play.exe ");
    EXPECT_EQ(LoadPlayerStringForLanguage(999, kEnglish), L"");
}

TEST(PlayerStrings, UsageTextIsSixteenLines) {
    std::wstring usage = LoadPlayerStringForLanguage(IDS_USAGE, kEnglish);
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (;;) {
        size_t end = usage.find(L"\r\n", start);
        lines.push_back(usage.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
        if (end == std::wstring::npos)
            break;
        start = end + 2;
    }
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(lines[0], L"How to use play.exe:");
    EXPECT_EQ(lines[2], L"play.exe [/browser=[system,ie,firefox,safari]] [/reset] [/log] [/i] [/?,/h,/help] [URL]");
    EXPECT_EQ(lines[7],
              L"/reset: Resets the browser to the system default. It also resets the 'Do not ask me again' option "
              L"to unchecked.");
    EXPECT_EQ(lines[15], L"URL: Launch URL.");
    for (int empty : {1, 3, 6, 8, 10, 12, 14})
        EXPECT_EQ(lines[empty], L"") << empty;
    EXPECT_EQ(usage.find(L'\n', usage.size() - 1), std::wstring::npos);
}

TEST(PlayerStrings, ExplicitLanguageWithEnglishFallback) {
    EXPECT_EQ(LoadPlayerStringForLanguage(IDS_STATUS_404, kIcelandic), L"404 Fannst ekki");
    // Missing in that language, entry by entry: English.
    EXPECT_EQ(LoadPlayerStringForLanguage(IDS_STATUS_400, kIcelandic), L"400 Bad Request");
    EXPECT_EQ(LoadPlayerStringForLanguage(IDS_STATUS_200, kIcelandic), L"200 OK");
    EXPECT_EQ(LoadPlayerStringForLanguage(IDS_STATUS_404, MAKELANGID(LANG_WELSH, SUBLANG_DEFAULT)),
              L"404 Not Found");
}

TEST(PlayerStrings, LanguageBelongsToTheThreadThatAppliedIt) {
    std::wstring mainText, otherText;
    std::thread([&] {
        ApplyUiLanguage(L"de");
        EXPECT_EQ(PlayerThreadLanguage(), MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN));
        ApplyUiLanguage(L"unknown");
        EXPECT_EQ(PlayerThreadLanguage(), kEnglish);
        mainText = LoadPlayerString(IDS_STATUS_200);
    }).join();
    std::thread([&] { otherText = LoadPlayerString(IDS_STATUS_200); }).join();
    EXPECT_EQ(mainText, L"200 OK");
    EXPECT_EQ(otherText, L"200 OK");  // 200 reads the same in every language
}

}  // namespace

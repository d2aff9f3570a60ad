#include <gtest/gtest.h>

#include <thread>

#include "PlayerStrings.h"
#include "resource.h"

namespace {

const LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
const LANGID kIcelandic = MAKELANGID(LANG_ICELANDIC, SUBLANG_DEFAULT);

// The texts themselves are pinned by the string table's tests; these check the
// loader's choice of language. They run where the player's language is
// German, so that a fallback to the thread's language shows.
TEST(PlayerStrings, ExplicitLanguageWithEnglishFallback) {
    std::thread([] {
        ApplyUiLanguage(L"de");
        EXPECT_EQ(LoadPlayerStringForLanguage(IDS_STATUS_404, kEnglish), L"404 Not Found");
        EXPECT_EQ(LoadPlayerStringForLanguage(999, kEnglish), L"") << "an unknown id";
        EXPECT_EQ(LoadPlayerStringForLanguage(IDS_STATUS_404, kIcelandic), L"404 Fannst ekki");
        // Another region of a language: that language.
        EXPECT_EQ(LoadPlayerStringForLanguage(IDS_STATUS_404, MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN_AUSTRIAN)),
                  L"404 Nicht gefunden");
        // Missing in that language, entry by entry: English.
        EXPECT_EQ(LoadPlayerStringForLanguage(IDS_STATUS_400, kIcelandic), L"400 Bad Request");
        EXPECT_EQ(LoadPlayerStringForLanguage(IDS_STATUS_200, kIcelandic), L"200 OK");
        EXPECT_EQ(LoadPlayerStringForLanguage(IDS_STATUS_404, MAKELANGID(LANG_WELSH, SUBLANG_DEFAULT)),
                  L"404 Not Found");
    }).join();
}

// Status texts are found by their code; 505's id is taken by another text.
TEST(PlayerStrings, StatusTextsByCode) {
    std::thread([] {
        ApplyUiLanguage(L"de");
        EXPECT_EQ(LoadPlayerString(StatusStringId(404)), L"404 Nicht gefunden");
        EXPECT_EQ(LoadPlayerString(StatusStringId(505)), L"505 HTTP-Version wird nicht unterst\u00fctzt");
        EXPECT_EQ(LoadPlayerStringForLanguage(StatusStringId(505), kEnglish), L"505 HTTP Version Not Supported");
        EXPECT_EQ(LoadPlayerStringForLanguage(IDS_LOG_CREATE_FAILED, kEnglish),
                  L"Cannot create LOG file! The directory may be write protected.");
    }).join();
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

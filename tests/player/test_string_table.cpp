#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

const WORD kLanguages[] = {1033, 1028, 1029, 1030, 1031, 1034, 1035, 1036, 1038, 1040, 1041,
                           1042, 1043, 1044, 1045, 1049, 1053, 1055, 2052, 2058, 2070, 3084};
constexpr WORD kEnglish = 1033;

const UINT kIds[] = {1,   2,   102, 103, 129, 130, 131, 133, 134, 135, 136, 137, 138, 139,
                     140, 141, 200, 201, 202, 204, 301, 302, 304, 400, 401, 403, 404, 405,
                     408, 500, 501, 502, 503, 504, 505, 600, 1000, 1001, 1002, 1003, 1004, 1005};
// Status lines by id and code: the id is the code, but for 505, whose id
// holds the log file's message.
const struct {
    UINT id;
    UINT code;
} kStatusLines[] = {{200, 200}, {201, 201}, {202, 202}, {204, 204}, {301, 301}, {302, 302},
                    {304, 304}, {400, 400}, {401, 401}, {403, 403}, {404, 404}, {405, 405},
                    {408, 408}, {500, 500}, {501, 501}, {502, 502}, {503, 503}, {600, 505}};

// Resource enumeration callbacks are stdcall on x86, which a lambda is not.
BOOL CALLBACK AddBlockName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
    if (IS_INTRESOURCE(name))
        reinterpret_cast<std::set<UINT>*>(param)->insert(LOWORD(reinterpret_cast<ULONG_PTR>(name)));
    return TRUE;
}

BOOL CALLBACK AddLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
    reinterpret_cast<std::set<WORD>*>(param)->insert(language);
    return TRUE;
}

// Every string of the table in one language: id -> text. String resources
// come in blocks of 16, each string stored as its length and its characters.
std::map<UINT, std::wstring> StringsOf(WORD language) {
    std::map<UINT, std::wstring> strings;
    HMODULE module = GetModuleHandleW(nullptr);
    std::set<UINT> blocks;
    for (UINT id : kIds)
        blocks.insert(id / 16 + 1);
    // Also blocks that no id asks for, should the table hold more.
    EnumResourceNamesW(module, RT_STRING, AddBlockName, reinterpret_cast<LONG_PTR>(&blocks));
    for (UINT block : blocks) {
        HRSRC found = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(block), language);
        if (!found)
            continue;
        const WCHAR* p = static_cast<const WCHAR*>(LockResource(LoadResource(module, found)));
        const WCHAR* end = p + SizeofResource(module, found) / sizeof(WCHAR);
        for (UINT i = 0; i < 16 && p < end; ++i) {
            WORD length = *p++;
            if (length)
                strings[(block - 1) * 16 + i] = std::wstring(p, length);
            p += length;
        }
    }
    return strings;
}

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(L"\r\n", start);
        lines.push_back(text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
        if (end == std::wstring::npos)
            return lines;
        start = end + 2;
    }
}

class StringTableTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        for (WORD language : kLanguages)
            s_tables[language] = StringsOf(language);
    }
    static const std::map<UINT, std::wstring>& Table(WORD language) { return s_tables[language]; }
    static std::wstring English(UINT id) { return Table(kEnglish).at(id); }

    static std::map<WORD, std::map<UINT, std::wstring>> s_tables;
};
std::map<WORD, std::map<UINT, std::wstring>> StringTableTest::s_tables;

}  // namespace

TEST_F(StringTableTest, ExactlyTheTwentyTwoLanguagesHoldTheTable) {
    std::set<WORD> expected(std::begin(kLanguages), std::end(kLanguages));
    std::set<UINT> blocks;
    for (UINT id : kIds)
        blocks.insert(id / 16 + 1);
    for (UINT block : blocks) {
        std::set<WORD> found;
        EnumResourceLanguagesW(GetModuleHandleW(nullptr), RT_STRING, MAKEINTRESOURCEW(block), AddLanguage,
                               reinterpret_cast<LONG_PTR>(&found));
        // The test program adds one Icelandic entry of its own to check
        // lookups in a language the program does not ship.
        found.erase(MAKELANGID(LANG_ICELANDIC, SUBLANG_DEFAULT));
        EXPECT_EQ(expected, found) << "block " << block;
    }
}

TEST_F(StringTableTest, EveryLanguageHoldsTheSameFortyTwoIds) {
    std::set<UINT> expected(std::begin(kIds), std::end(kIds));
    ASSERT_EQ(42u, expected.size());
    for (WORD language : kLanguages) {
        std::set<UINT> ids;
        for (const auto& entry : Table(language))
            ids.insert(entry.first);
        EXPECT_EQ(expected, ids) << "language " << language;
    }
}

TEST_F(StringTableTest, EnglishTextsAreExact) {
    EXPECT_EQ(L"OK", English(1));
    EXPECT_EQ(L"Cancel", English(2));
    EXPECT_EQ(L"Play", English(102));
    EXPECT_EQ(L"Windows sockets initialization failed.", English(103));
    EXPECT_EQ(L"%a, %d %b %Y %H:%M:%S GMT", English(129));
    EXPECT_EQ(L"QXHttp 1.0", English(130));
    EXPECT_EQ(L"index.html\nindex.htm\ndefault.html\ndefault.htm", English(131));
    EXPECT_EQ(L"Couldn't find IEXPLORE.EXE!", English(134));
    EXPECT_EQ(L"Socket couldn't be initialized!", English(137));
    EXPECT_EQ(L"200 OK", English(200));
    EXPECT_EQ(L"302 Redirection", English(302));
    EXPECT_EQ(L"404 Not Found", English(404));
    EXPECT_EQ(L"405 Method Not Allowed", English(405));
    EXPECT_EQ(L"408 Request Timeout", English(408));
    EXPECT_EQ(L"Cannot create LOG file! The directory may be write protected.", English(505));
    EXPECT_EQ(L"505 HTTP Version Not Supported", English(600));
    EXPECT_EQ(L"Do not ask me again", English(1004));
    EXPECT_EQ(L"Play.exe is used to service content from a file system. When deploying content from a "
              L"web server, use either default.htm or index.html.",
              English(1005));
}

TEST_F(StringTableTest, EnglishUsageTextHasSixteenLines) {
    const std::vector<std::wstring> expected = {
        L"How to use play.exe:",
        L"",
        L"play.exe [/browser=[system,ie,firefox,safari]] [/reset] [/log] [/i] [/?,/h,/help] [URL]",
        L"",
        L"/browser: Explicitly selects which browser to use. When used, the player UI is not shown and "
        L"the content is directly launched.",
        L"The system option launches using the system default browser. If the system browser is not a "
        L"supported browser, IE will be launched.",
        L"",
        L"/reset: Resets the browser to the system default. It also resets the 'Do not ask me again' "
        L"option to unchecked.",
        L"",
        L"/log: Log results into file. Log file will be created in the directory where the play.exe is "
        L"started from.",
        L"",
        L"/i: Forces the UI to show.",
        L"",
        L"/?, /h, /help: List all of the command line options.",
        L"",
        L"URL: Launch URL.",
    };
    EXPECT_EQ(expected, Lines(English(504)));
}

TEST_F(StringTableTest, UsageTextKeepsItsShapeInEveryLanguage) {
    const std::vector<std::wstring> english = Lines(English(504));
    for (WORD language : kLanguages) {
        std::vector<std::wstring> lines = Lines(Table(language).at(504));
        ASSERT_EQ(16u, lines.size()) << "language " << language;
        EXPECT_EQ(english[2], lines[2]) << "language " << language;
        for (size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(english[i].empty(), lines[i].empty()) << "language " << language << " line " << i + 1;
            EXPECT_EQ(std::wstring::npos, lines[i].find_first_of(L"\r\n"));
        }
        // Each option paragraph still starts with the option it explains.
        for (size_t i : {4, 7, 9, 11, 13, 15}) {
            std::wstring option = english[i].substr(0, english[i].find(L':'));
            EXPECT_EQ(0u, lines[i].find(option)) << "language " << language << " line " << i + 1;
        }
    }
}

TEST_F(StringTableTest, FixedEntriesAreTheSameInEveryLanguage) {
    for (WORD language : kLanguages) {
        for (UINT id : {129u, 130u, 131u, 200u})
            EXPECT_EQ(English(id), Table(language).at(id)) << "language " << language << " id " << id;
    }
}

TEST_F(StringTableTest, TranslatedEntriesDifferFromEnglish) {
    for (WORD language : kLanguages) {
        if (language == kEnglish)
            continue;
        for (UINT id : {2u, 103u, 404u, 405u, 408u, 504u, 505u, 600u, 1000u, 1004u, 1005u})
            EXPECT_NE(English(id), Table(language).at(id)) << "language " << language << " id " << id;
    }
}

TEST_F(StringTableTest, StatusLinesStartWithTheirCode) {
    for (WORD language : kLanguages) {
        for (const auto& line : kStatusLines) {
            const UINT id = line.id;
            std::wstring text = Table(language).at(id);
            std::wstring code = std::to_wstring(line.code) + L" ";
            EXPECT_EQ(0u, text.find(code)) << "language " << language << " id " << id;
            EXPECT_GT(text.size(), code.size());
            // One line of an HTTP answer.
            EXPECT_EQ(std::wstring::npos, text.find_first_of(L"\r\n")) << "language " << language << " id " << id;
        }
    }
}

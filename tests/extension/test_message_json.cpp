#include <gtest/gtest.h>

#include "base/JsonText.h"
#include "helper/HintoraIEBHO.h"
#include "ProductKeySandbox.h"
#include "ui/MessageWindows.h"

#include <thread>
#include <vector>

TEST(MessageJson, EscapesQuoteBackslashAndControlCharacters) {
    EXPECT_EQ(L"plain <BR /> text \x00e4\x4e2d", EscapeJsonText(L"plain <BR /> text \x00e4\x4e2d"));
    EXPECT_EQ(L"say \\\"hi\\\"", EscapeJsonText(L"say \"hi\""));
    EXPECT_EQ(L"C:\\\\dir\\\\file", EscapeJsonText(L"C:\\dir\\file"));
    EXPECT_EQ(L"a\\nb\\rc\\td\\be\\ff", EscapeJsonText(L"a\nb\rc\td\be\ff"));
    EXPECT_EQ(L"\\u0001\\u001f", EscapeJsonText(std::wstring(L"\x0001\x001f")));
    EXPECT_EQ(L"x\\u2028y\\u2029", EscapeJsonText(L"x\x2028y\x2029"));
    // The terminating zero of a C string never reaches the text; an embedded
    // one is escaped like any other control character.
    EXPECT_EQ(L"a\\u0000b", EscapeJsonText(std::wstring(L"a\0b", 3)));
}

TEST(MessageJson, KeepsTheFieldOrderWhateverTheArgumentOrder) {
    EXPECT_EQ(L"{\"Title\":\"T\",\"Text\":\"Line<BR />[a\\\"b]\",\"Close\":\"C\",\"Type\":\"critical\"}",
              FormatMessageJson(L"T", L"Line<BR />[a\"b]", L"C", L"critical"));
}

TEST(MessageJson, CurrentMessageIsHandedOutOnce) {
    g_currentMessage.Set(L"{\"x\":\"1\"}");
    std::wstring text;
    CHintoraIEBHO::GetCurrentMessage(text);
    EXPECT_EQ(L"{\"x\":\"1\"}", text);
    CHintoraIEBHO::GetCurrentMessage(text);
    EXPECT_EQ(L"", text);
}

TEST(MessageJson, OptionsJsonOfAnUnknownLanguageIsEmptyButWellFormed) {
    ProductKeySandbox sandbox;
    ASSERT_TRUE(sandbox.Active());
    sandbox.PutProduct(L"Language", L"xx");
    CHintoraIEBHO::SetOptionsMessage();
    std::wstring text;
    CHintoraIEBHO::GetCurrentMessage(text);
    EXPECT_EQ(L"{\"Title\":\"\",\"TabTitle\":\"\",\"GroupTitle\":\"\",\"Key\":\"\",\"Restart\":\"\",\"Warning\":\"\","
              L"\"Ctrl\":\"\",\"Alt\":\"\",\"Shift\":\"\",\"Apply\":\"\",\"Cancel\":\"\",\"Ok\":\"\"}",
              text);
}

TEST(MessageJson, CurrentMessageSurvivesTheOptionsThreadAndTabThreadsTogether) {
    // Tab threads replace the text while the options thread takes it: every
    // text taken is one that was set whole.
    const std::wstring a(300, L'a');
    const std::wstring b(5000, L'b');
    std::vector<std::thread> threads;
    bool torn = false;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 3000; ++i) {
                if (t % 2)
                    g_currentMessage.Set((i % 2) ? a : b);
                else {
                    std::wstring taken = g_currentMessage.Take();
                    if (!taken.empty() && taken != a && taken != b)
                        torn = true;
                }
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_FALSE(torn);
    g_currentMessage.Clear();
}

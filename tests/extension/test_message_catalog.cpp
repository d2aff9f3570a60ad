#include <gtest/gtest.h>
#include <windows.h>

#include <condition_variable>
#include <cwctype>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "messages/MessageCatalog.h"

namespace {

const wchar_t* const kLanguages[] = {
    L"EN", L"ZH-CHT", L"ZH-CHS", L"TR", L"SV", L"RU", L"PT", L"PL", L"NO", L"NL", L"KO",
    L"JA", L"IT", L"HU", L"FR-CA", L"FR", L"FI", L"ES-MX", L"ES", L"DE", L"DA", L"CS"};

const wchar_t* const kKeys[] = {
    L"PRODUCTNAME", L"DOV_PRODUCTNAME", L"SETUP_NOTSUPPORTED_PROT", L"SETUP_SUPPORTED_BROWSERS",
    L"SETUP_TITLE", L"SETUP_INSTALLATION", L"SETUP_INSTALLATION_FAILED",
    L"SETUP_INSTALLATION_SUCCESS", L"SETUP_CONFIGURATION", L"SETUP_CONFIGURATION_FAILED",
    L"SETUP_CONFIGURATION_SUCCESS", L"SETUP_DATA", L"SETUP_WAIT", L"SETUP_REMOVE",
    L"SETUP_REMOVE_THEN_UPGRADE", L"SETUP_REMOVE_BEFORE_DOWNGRADE", L"SETUP_DETECT",
    L"SETUP_ERROR_COMP", L"SETUP_RESTART", L"SETUP_BUTTONVISIBLITYWARNING", L"SETUP_POPUPBLOCKER",
    L"DIAGNOSTICMODE", L"POPUPBLOCKER_MESSAGE", L"GATEWAY_WAIT", L"GATEWAY_LOAD",
    L"HINTORA_NO_BHO", L"COMMON_CLOSE", L"COMMON_CANCEL", L"COMMON_OK", L"COMMON_APPLY",
    L"COMMON_CTRL", L"COMMON_ALT", L"COMMON_SHIFT", L"COMMON_ERROR_OCCURED", L"COMMON_ERROR_CODE",
    L"COMMON_CONTACT", L"HINTORA_OPTIONS_TITLE", L"HINTORA_OPTIONS_TAB_LABEL",
    L"HINTORA_OPTIONS_HOTKEY_LABEL", L"HINTORA_OPTIONS_KEY_LABEL", L"HINTORA_OPTIONS_KEY_RESTART",
    L"HINTORA_OPTIONS_HOTKEY_WARNING", L"HINTORA_MESSAGES_NO_CONTENT", L"HINTORA_MESSAGES_TITLE",
    L"HINTORA_MESSAGES_NOTSUPPORTED_PROTOCOL", L"HINTORA_MESSAGES_RUN_CONFIGURATION",
    L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PROTOCOL", L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PLAYER",
    L"HINTORA_MESSAGES_WAIT", L"HINTORA_MENUITEM_OPTIONS", L"HINTORA_MENUITEM_PREFERENCES",
    L"HINTORA_CONTEXTMENUITEM_SEARCH", L"SETUP_GET", L"SETUP_UPGRADE", L"SETUP_INSTALL",
    L"SETUP_UPGRADE_TEXT", L"SETUP_DETECTED", L"SETUP_CURRENTVERSION", L"SETUP_INSTALLEDVERSION",
    L"SETUP_UPTODATE"};

constexpr size_t kLanguageCount = sizeof(kLanguages) / sizeof(kLanguages[0]);
constexpr size_t kKeyCount = sizeof(kKeys) / sizeof(kKeys[0]);
static_assert(kLanguageCount == 22, "22 languages");
static_assert(kKeyCount == 60, "60 keys");

bool IsIdeographicLanguage(const std::wstring& language) {
    return language == L"ZH-CHT" || language == L"ZH-CHS" || language == L"KO" || language == L"JA";
}

std::wstring Text(const wchar_t* key, const wchar_t* language) {
    std::wstring text;
    MessageCatalog::Instance()->Lookup(key, language, text);
    return text;
}

// Leaves the process without a catalogue, whichever thread built the last
// one, as long as that thread is no longer running.
void DropCatalogue() {
    MessageCatalog::Release();
    MessageCatalog::Release();
}

class MessageCatalogTest : public ::testing::Test {
protected:
    void SetUp() override { DropCatalogue(); }
    void TearDown() override { DropCatalogue(); }
};

// A thread that builds the catalogue, then stays alive until told to end.
class BuilderThread {
public:
    BuilderThread()
        : m_thread([this] {
              m_catalogue = MessageCatalog::Instance();
              std::unique_lock<std::mutex> lock(m_lock);
              m_built = true;
              m_changed.notify_all();
              m_changed.wait(lock, [this] { return m_stop; });
          }) {
        std::unique_lock<std::mutex> lock(m_lock);
        m_changed.wait(lock, [this] { return m_built; });
    }
    ~BuilderThread() { End(); }

    std::weak_ptr<MessageCatalog> Catalogue() const { return m_catalogue; }

    void End() {
        if (!m_thread.joinable())
            return;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_stop = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_built = false;
    bool m_stop = false;
    std::weak_ptr<MessageCatalog> m_catalogue;
    std::thread m_thread;
};

}  // namespace

// --- Contents of the tables -------------------------------------------------

TEST_F(MessageCatalogTest, BuildHoldsEveryKeyOnceInEveryLanguage) {
    auto catalogue = MessageCatalog::Instance();
    EXPECT_EQ(1320u, catalogue->Count());
    for (auto language : kLanguages) {
        for (auto key : kKeys) {
            std::wstring text;
            EXPECT_TRUE(catalogue->Lookup(key, language, text)) << language << L" " << key;
            EXPECT_FALSE(text.empty()) << language << L" " << key;
        }
    }
}

TEST_F(MessageCatalogTest, EnglishTextsOfTheKeysTheLibraryShows) {
    const struct {
        const wchar_t* key;
        const wchar_t* text;
    } expected[] = {
        {L"PRODUCTNAME", L"Hintora"},
        {L"HINTORA_NO_BHO", L"Hintora Helper add-on is unavailable or disabled."},
        {L"COMMON_CLOSE", L"Close"},
        {L"COMMON_CANCEL", L"Cancel"},
        {L"COMMON_OK", L"OK"},
        {L"COMMON_APPLY", L"Apply"},
        {L"COMMON_CTRL", L"Ctrl"},
        {L"COMMON_ALT", L"Alt"},
        {L"COMMON_SHIFT", L"Shift"},
        {L"COMMON_ERROR_OCCURED", L"An unexpected error has occurred."},
        {L"COMMON_ERROR_CODE", L"Error code is "},
        {L"HINTORA_OPTIONS_TITLE", L"Options"},
        {L"HINTORA_OPTIONS_TAB_LABEL", L"Hintora Options"},
        {L"HINTORA_OPTIONS_HOTKEY_LABEL", L"Hotkey Options"},
        {L"HINTORA_OPTIONS_KEY_LABEL", L"Specify hotkey to launch Hintora"},
        {L"HINTORA_OPTIONS_KEY_RESTART", L"Please restart the browser for your changes to take effect."},
        {L"HINTORA_OPTIONS_HOTKEY_WARNING",
         L"Please carefully select a key combination so that it does not conflict with the browser "
         L"or the application you are using."},
        {L"HINTORA_MESSAGES_NO_CONTENT", L"Content is not available for this application."},
        {L"HINTORA_MESSAGES_TITLE", L"Hintora"},
        {L"HINTORA_MESSAGES_NOTSUPPORTED_PROTOCOL",
         L"Hintora was configured to use unsupported protocol or bad url."},
        {L"HINTORA_MESSAGES_RUN_CONFIGURATION", L"Please reconfigure Hintora and try again."},
        {L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PROTOCOL",
         L"Hintora only supports web pages with http and https protocols."},
        {L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PLAYER", L"Hintora does not support this web page."},
        {L"HINTORA_MESSAGES_WAIT", L"Please wait while Hintora processes your previous request."},
        {L"HINTORA_MENUITEM_OPTIONS", L"Hintora &Options..."},
        {L"DOV_PRODUCTNAME", L"Dovrane"},
    };
    for (const auto& entry : expected)
        EXPECT_EQ(std::wstring(entry.text), Text(entry.key, L"en")) << entry.key;
    EXPECT_EQ(14u, Text(L"COMMON_ERROR_CODE", L"en").size());
}

TEST_F(MessageCatalogTest, EveryTextCanBePlacedIntoThePagesJson) {
    for (auto language : kLanguages) {
        for (auto key : kKeys) {
            std::wstring text = Text(key, language);
            // No escaping happens on the way into JSON and HTML.
            EXPECT_EQ(std::wstring::npos, text.find_first_of(L"\"\\")) << language << L" " << key;
            EXPECT_EQ(std::wstring::npos, text.find_first_of(L"<>")) << language << L" " << key;
            EXPECT_EQ(std::wstring::npos, text.find(L'%')) << language << L" " << key;
            EXPECT_EQ(std::wstring::npos, text.find_first_of(L"\r\n\t")) << language << L" " << key;
        }
    }
}

TEST_F(MessageCatalogTest, ProductNamesStayUntranslated) {
    const wchar_t* namedKeys[kKeyCount];
    size_t named = 0;
    for (auto key : kKeys)
        if (Text(key, L"EN").find(L"Hintora") != std::wstring::npos)
            namedKeys[named++] = key;
    ASSERT_GT(named, 20u);
    for (auto language : kLanguages) {
        EXPECT_EQ(L"Hintora", Text(L"PRODUCTNAME", language)) << language;
        EXPECT_EQ(L"Hintora", Text(L"HINTORA_MESSAGES_TITLE", language)) << language;
        for (size_t i = 0; i < named; ++i)
            EXPECT_NE(std::wstring::npos, Text(namedKeys[i], language).find(L"Hintora"))
                << language << L" " << namedKeys[i];
        EXPECT_NE(std::wstring::npos, Text(L"HINTORA_MENUITEM_PREFERENCES", language).find(L"Dovrane"))
            << language;
    }
}

TEST_F(MessageCatalogTest, MenuTextsCarryExactlyOneAccessLetter) {
    const struct {
        const wchar_t* key;
        const wchar_t* bracketed;
    } menus[] = {
        {L"HINTORA_MENUITEM_OPTIONS", L"(&O)"},
        {L"HINTORA_MENUITEM_PREFERENCES", L"(&P)"},
        {L"HINTORA_CONTEXTMENUITEM_SEARCH", L"(&S)"},
    };
    for (auto language : kLanguages) {
        for (auto key : kKeys) {
            std::wstring text = Text(key, language);
            size_t ampersands = 0;
            for (wchar_t c : text)
                ampersands += c == L'&';
            bool isMenu = false;
            for (const auto& menu : menus)
                isMenu = isMenu || std::wstring(key) == menu.key;
            EXPECT_EQ(isMenu ? 1u : 0u, ampersands) << language << L" " << key;
        }
        for (const auto& menu : menus) {
            std::wstring text = Text(menu.key, language);
            size_t at = text.find(L'&');
            ASSERT_NE(std::wstring::npos, at) << language << L" " << menu.key;
            ASSERT_LT(at + 1, text.size());
            EXPECT_TRUE(iswalpha(text[at + 1])) << language << L" " << menu.key;
            size_t bracketed = text.find(menu.bracketed);
            if (IsIdeographicLanguage(language)) {
                // The Latin access letter follows the translated words.
                ASSERT_NE(std::wstring::npos, bracketed) << language << L" " << menu.key;
                ASSERT_GT(bracketed, 0u);
                EXPECT_GT(text[bracketed - 1], 0x7F) << language << L" " << menu.key;
            } else {
                EXPECT_EQ(std::wstring::npos, text.find(L"(&")) << language << L" " << menu.key;
            }
        }
    }
}

TEST_F(MessageCatalogTest, OnlyTheEnglishErrorCodeTextEndsWithABlank) {
    for (auto language : kLanguages) {
        for (auto key : kKeys) {
            std::wstring text = Text(key, language);
            ASSERT_FALSE(text.empty());
            EXPECT_FALSE(iswspace(text.front())) << language << L" " << key;
            bool trailingBlank = iswspace(text.back()) != 0;
            bool expected = std::wstring(language) == L"EN" && std::wstring(key) == L"COMMON_ERROR_CODE";
            EXPECT_EQ(expected, trailingBlank) << language << L" " << key;
        }
    }
}

TEST_F(MessageCatalogTest, ModifierNamesFitIntoHotKeyTexts) {
    EXPECT_EQ(L"Strg", Text(L"COMMON_CTRL", L"de"));
    EXPECT_EQ(L"Alt", Text(L"COMMON_ALT", L"de"));
    EXPECT_EQ(L"Umschalt", Text(L"COMMON_SHIFT", L"de"));
    for (auto language : kLanguages) {
        for (auto key : {L"COMMON_CTRL", L"COMMON_ALT", L"COMMON_SHIFT"}) {
            std::wstring word = Text(key, language);
            // Hot-key texts are words joined by "+".
            EXPECT_EQ(std::wstring::npos, word.find_first_of(L"+ ")) << language << L" " << key;
        }
    }
}

TEST_F(MessageCatalogTest, EveryLanguageHasItsOwnButtonTexts) {
    // A table copied from English without translation would show here.
    for (size_t i = 1; i < kLanguageCount; ++i) {
        EXPECT_NE(Text(L"COMMON_CLOSE", L"EN"), Text(L"COMMON_CLOSE", kLanguages[i])) << kLanguages[i];
        EXPECT_NE(Text(L"HINTORA_OPTIONS_HOTKEY_WARNING", L"EN"),
                  Text(L"HINTORA_OPTIONS_HOTKEY_WARNING", kLanguages[i]))
            << kLanguages[i];
    }
}

// --- Lookup ------------------------------------------------------------------

TEST_F(MessageCatalogTest, LanguageIgnoresCaseButKeyDoesNot) {
    for (auto language : {L"en", L"En", L"EN"})
        EXPECT_EQ(L"Close", Text(L"COMMON_CLOSE", language)) << language;
    EXPECT_EQ(L"確定", Text(L"COMMON_OK", L"zh-cht"));
    EXPECT_EQ(L"确定", Text(L"COMMON_OK", L"Zh-Chs"));

    std::wstring text;
    auto catalogue = MessageCatalog::Instance();
    EXPECT_FALSE(catalogue->Lookup(L"common_close", L"en", text));
    EXPECT_FALSE(catalogue->Lookup(L"COMMON_OK", L"zh", text));
    EXPECT_FALSE(catalogue->Lookup(L"COMMON_OK", L"zhcht", text));
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(L"", MessageCatalog::GetText(L"COMMON_CLOSE", L"xx"));
}

TEST_F(MessageCatalogTest, MissedLookupLeavesTheCallersText) {
    std::wstring text = L"before";
    EXPECT_FALSE(MessageCatalog::Instance()->Lookup(L"NO_SUCH_KEY", L"en", text));
    EXPECT_EQ(L"before", text);
    EXPECT_TRUE(MessageCatalog::Instance()->Lookup(L"COMMON_CLOSE", L"de", text));
    EXPECT_EQ(L"Schließen", text);
}

TEST_F(MessageCatalogTest, AddReplacesTheTextUnderTheSameCompositeKey) {
    auto catalogue = MessageCatalog::Instance();
    catalogue->Add(L"COMMON_CLOSE", L"en", L"Shut");
    EXPECT_EQ(1320u, catalogue->Count());
    EXPECT_EQ(L"Shut", Text(L"COMMON_CLOSE", L"EN"));
    catalogue->Add(L"COMMON_CLOSE", L"xx-yy", L"Zu");
    EXPECT_EQ(1321u, catalogue->Count());
    EXPECT_EQ(L"Zu", Text(L"COMMON_CLOSE", L"XX-YY"));
}

// --- Release -----------------------------------------------------------------

TEST_F(MessageCatalogTest, ReleaseOnTheBuildingThreadDestroysAndTheNextUseRebuilds) {
    MessageCatalog::Release();  // nothing to release

    std::weak_ptr<MessageCatalog> first = MessageCatalog::Instance();
    ASSERT_FALSE(first.expired());
    EXPECT_EQ(first.lock(), MessageCatalog::Instance());
    first.lock()->Add(L"COMMON_CLOSE", L"en", L"Shut");

    MessageCatalog::Release();
    EXPECT_TRUE(first.expired());

    auto second = MessageCatalog::Instance();
    EXPECT_EQ(1320u, second->Count());
    EXPECT_EQ(L"Close", Text(L"COMMON_CLOSE", L"en"));
}

TEST_F(MessageCatalogTest, ReleaseElsewhereWaitsForTheBuildingThreadToEnd) {
    BuilderThread builder;
    std::weak_ptr<MessageCatalog> catalogue = builder.Catalogue();
    ASSERT_FALSE(catalogue.expired());

    for (int i = 0; i < 3; ++i)
        MessageCatalog::Release();
    EXPECT_FALSE(catalogue.expired());
    EXPECT_EQ(catalogue.lock(), MessageCatalog::Instance());

    builder.End();
    MessageCatalog::Release();  // takes over the ownership the builder left
    EXPECT_FALSE(catalogue.expired());
    EXPECT_EQ(L"Close", Text(L"COMMON_CLOSE", L"en"));

    MessageCatalog::Release();
    EXPECT_TRUE(catalogue.expired());
    EXPECT_EQ(1320u, MessageCatalog::Instance()->Count());
}

TEST_F(MessageCatalogTest, ReleaseOnAWorkerThatBuiltItDestroys) {
    // The main thread uses the catalogue a worker built, and the worker
    // releases it itself while still running.
    std::weak_ptr<MessageCatalog> catalogue;
    std::thread worker([&] {
        catalogue = MessageCatalog::Instance();
        MessageCatalog::Release();
    });
    worker.join();
    EXPECT_TRUE(catalogue.expired());
}

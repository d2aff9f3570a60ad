// Hot-key, button and menu texts in the user's language, and the two stored
// forms of the hot key.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "HintoraFakes.h"
#include "base/Registry.h"
#include "scriptable/Hintora.h"
#include "settings/HotKeyTexts.h"

namespace {

const wchar_t kButton[] = L"Software\\Microsoft\\Internet Explorer\\Extensions\\{9292FEDB-34F7-400a-B03B-08722952A91C}";
const wchar_t kOptionsMenu[] =
    L"Software\\Microsoft\\Internet Explorer\\Extensions\\{912DCC9E-014B-4c4f-83A0-866D5A8E01D8}";
const wchar_t kMenuExt[] = L"Software\\Microsoft\\Internet Explorer\\MenuExt\\";

class HotKeyTextsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_sandbox.Active()); }

    std::wstring Localized(const std::wstring& text) {
        std::wstring out;
        LocalizeShortCut(text, out);
        return out;
    }
    std::wstring Button(const wchar_t* name) { return SettingsSandbox::Read(m_sandbox.machine, kButton, name); }
    bool ContextMenuExists(const std::wstring& menuText) { return m_sandbox.user.Exists(kMenuExt + menuText); }
    // The stored hot key in its two forms and the name, and the button, menu
    // and context-menu texts made of them.
    void ExpectTexts(const std::wstring& english, const std::wstring& shown, const std::wstring& name) {
        EXPECT_EQ(english, m_sandbox.Product(L"EnglishShortCut"));
        EXPECT_EQ(shown, m_sandbox.Product(L"ShortCut"));
        EXPECT_EQ(name, m_sandbox.Product(L"Name"));
        EXPECT_EQ(name + L"\t" + shown, Button(L"MenuText"));
        EXPECT_EQ(name, Button(L"ButtonText"));
        EXPECT_TRUE(ContextMenuExists(name + L"\t" + shown));
    }

    static HRESULT SetShortCut(const std::wstring& text) {
        IHintora* object = nullptr;
        CHintora::CreateInstance(IID_IHintora, reinterpret_cast<void**>(&object));
        BSTR value = AllocText(text);
        HRESULT hr = object->SetShortCut(&value);
        SysFreeString(value);
        object->Release();
        return hr;
    }
    static std::wstring GetShortCut() {
        IHintora* object = nullptr;
        CHintora::CreateInstance(IID_IHintora, reinterpret_cast<void**>(&object));
        BSTR value = nullptr;
        object->GetShortCut(&value);
        std::wstring text = value ? std::wstring(value, SysStringLen(value)) : L"<null>";
        SysFreeString(value);
        object->Release();
        return text;
    }

    SettingsSandbox m_sandbox;
};

}  // namespace

TEST_F(HotKeyTextsTest, LocalizingReplacesOnlyExactEnglishModifierWords) {
    EXPECT_EQ(L"Ctrl+Shift+F5", Localized(L"Ctrl+Shift+F5")) << "no language: English";
    m_sandbox.PutProduct(L"Language", L"en");
    EXPECT_EQ(L"Ctrl++F5", Localized(L"Ctrl++F5")) << "English texts are kept as given";

    m_sandbox.PutProduct(L"Language", L"de");
    EXPECT_EQ(L"Strg+Umschalt+F9", Localized(L"Ctrl+Shift+F9"));
    EXPECT_EQ(L"Strg+Alt+F1", Localized(L"Ctrl+Alt+F1"));
    EXPECT_EQ(L"F9", Localized(L"F9"));
    EXPECT_EQ(L"ctrl+F9", Localized(L"ctrl+F9"));
    EXPECT_EQ(L"Strg+F9", Localized(L"+Ctrl++F9+")) << "empty pieces are dropped";

    // A language the tables lack keeps the English words instead of losing them.
    m_sandbox.PutProduct(L"Language", L"xx");
    EXPECT_EQ(L"Ctrl+Shift+F9", Localized(L"Ctrl+Shift+F9"));
    std::wstring name;
    GetLocalizedProductName(L"Hintora", name);
    EXPECT_EQ(L"Hintora", name);
}

TEST_F(HotKeyTextsTest, EnglishUserAppliesAHotKey) {
    m_sandbox.PutProduct(L"Language", L"en");
    m_sandbox.PutProduct(L"ShortCut", L"F9");
    m_sandbox.user.PutString(kMenuExt + std::wstring(L"Hintora\tF9"), L"", L"res://old/203");

    EXPECT_EQ(S_OK, SetShortCut(L"Ctrl+Shift+F5"));
    ExpectTexts(L"Ctrl+Shift+F5", L"Ctrl+Shift+F5", L"Hintora");
    EXPECT_FALSE(ContextMenuExists(L"Hintora\tF9"));
    std::wstring target = SettingsSandbox::Read(m_sandbox.user, kMenuExt + std::wstring(L"Hintora\tCtrl+Shift+F5"), L"");
    EXPECT_EQ(0u, target.find(L"res://")) << target;
    EXPECT_EQ(L"/203", target.substr(target.size() - 4));
    // The MenuExt key itself and other entries under it stay.
    m_sandbox.user.PutString(kMenuExt + std::wstring(L"Other Product"), L"", L"x");
    EXPECT_EQ(S_OK, SetShortCut(L"F2"));
    EXPECT_TRUE(ContextMenuExists(L"Other Product"));
    EXPECT_FALSE(ContextMenuExists(L"Hintora\tCtrl+Shift+F5"));

    // Stored texts that name no single entry below MenuExt, from a setup
    // page's call or the options page's, delete nothing; and no entry is
    // made under a name that a later change could not delete.
    const std::wstring menuExt(kMenuExt, wcslen(kMenuExt) - 1);
    RegDeleteKeyW(m_sandbox.user.Root(), (kMenuExt + std::wstring(L"Hintora\tF2")).c_str());
    for (const wchar_t* stored : {L"\\", L"\\\\", L" \\ ", L"a\\b"}) {
        for (bool fromSetupPage : {true, false}) {
            m_sandbox.user.PutString(kMenuExt + std::wstring(L"\tF2"), L"", L"x");
            m_sandbox.PutProduct(L"Name", stored);
            RegDeleteKeyValueW(m_sandbox.machine.Root(), SettingsSandbox::kProduct, L"ShortCut");
            if (fromSetupPage)
                ModifyHintoraTextAndShortCut(L"Hintora", L"F9");
            else
                SetShortCut(L"F2");
            std::string what = testing::PrintToString(std::wstring(stored)) + (fromSetupPage ? " setup" : " options");
            EXPECT_TRUE(ContextMenuExists(L"Other Product")) << what;
            EXPECT_TRUE(ContextMenuExists(L"\tF2")) << what << ": a double backslash may resolve to it";
            EXPECT_EQ(L"<missing>", SettingsSandbox::Read(m_sandbox.user, menuExt, L"")) << what;
            std::vector<std::wstring> entries;
            Registry(m_sandbox.user.Root()).GetSubKeys(menuExt, entries);
            for (const std::wstring& entry : entries)
                EXPECT_TRUE(entry == L"Other Product" || entry == L"\tF2" || entry == L"Hintora\tF9")
                    << what << ": " << testing::PrintToString(entry);
        }
    }
}

TEST_F(HotKeyTextsTest, GermanHotKeyRoundTrips) {
    m_sandbox.PutProduct(L"Language", L"de");
    m_sandbox.PutProduct(L"Name", L"Altname");
    m_sandbox.PutProduct(L"ShortCut", L"F9");
    m_sandbox.user.PutString(kMenuExt + std::wstring(L"Altname\tF9"), L"", L"res://old/203");

    EXPECT_EQ(S_OK, SetShortCut(L"Ctrl+Shift+F9"));
    // Another language sets the language's product name.
    ExpectTexts(L"Ctrl+Shift+F9", L"Strg+Umschalt+F9", L"Hintora");
    EXPECT_FALSE(ContextMenuExists(L"Altname\tF9"));
    EXPECT_EQ(L"Ctrl+Shift+F9", GetShortCut()) << "the options page reads the English form back";

    // Applying the text read back changes nothing: no localized word creeps
    // into the English form.
    EXPECT_EQ(S_OK, SetShortCut(GetShortCut()));
    EXPECT_EQ(L"Ctrl+Shift+F9", m_sandbox.Product(L"EnglishShortCut"));
    EXPECT_EQ(L"Strg+Umschalt+F9", m_sandbox.Product(L"ShortCut"));
}

TEST_F(HotKeyTextsTest, StoredNamesAndEmptyValues) {
    // An English user keeps the stored name; an empty name counts as Hintora
    // when the old context-menu key is found.
    m_sandbox.PutProduct(L"Language", L"en");
    m_sandbox.PutProduct(L"Name", L"Custom");
    m_sandbox.PutProduct(L"ShortCut", L"F3");
    EXPECT_EQ(S_OK, SetShortCut(L"F4"));
    EXPECT_EQ(L"Custom", m_sandbox.Product(L"Name"));
    EXPECT_EQ(L"Custom\tF4", Button(L"MenuText"));

    m_sandbox.PutProduct(L"Name", L"");
    m_sandbox.user.PutString(kMenuExt + std::wstring(L"Hintora\tF4"), L"", L"x");
    ModifyHintoraTextAndShortCut(L"Hintora", L"F6");
    EXPECT_FALSE(ContextMenuExists(L"Hintora\tF4"));
    EXPECT_TRUE(ContextMenuExists(L"Hintora\tF6"));

    // Nothing to change: nothing is touched.
    ModifyHintoraTextAndShortCut(L"", L"");
    EXPECT_TRUE(ContextMenuExists(L"Hintora\tF6"));
}

TEST_F(HotKeyTextsTest, TextsTheHelperObjectCannotUseAreRefused) {
    m_sandbox.PutProduct(L"EnglishShortCut", L"F9");
    m_sandbox.PutProduct(L"ShortCut", L"F9");
    m_sandbox.user.PutString(kMenuExt + std::wstring(L"Hintora\tF9"), L"", L"x");
    // Texts that name no key would be shown while the key that works is F9.
    for (const wchar_t* text : {L"Ctrl+Bogus", L"Ctrl", L"", L"Ctrl+F13", L"..\\..\\F9"})
        EXPECT_EQ(E_INVALIDARG, SetShortCut(text)) << testing::PrintToString(std::wstring(text));
    // A readable key with a word that would break the menu key is dropped.
    EXPECT_EQ(S_OK, SetShortCut(L"Ctrl\t+F9"));
    EXPECT_EQ(L"F9", m_sandbox.Product(L"EnglishShortCut"));
    EXPECT_EQ(L"F9", m_sandbox.Product(L"ShortCut"));
    EXPECT_EQ(L"<missing>", Button(L"MenuText"));
    EXPECT_TRUE(ContextMenuExists(L"Hintora\tF9"));
    EXPECT_FALSE(ContextMenuExists(L"Hintora\tCtrl+Bogus"));
}

TEST_F(HotKeyTextsTest, AFailedStoreRestoresTheOldTexts) {
    m_sandbox.PutProduct(L"Language", L"en");
    m_sandbox.PutProduct(L"Name", L"Custom");
    m_sandbox.PutProduct(L"EnglishShortCut", L"Ctrl+F3");
    // Left from an earlier language: the shown form is not the English one.
    m_sandbox.PutProduct(L"ShortCut", L"Strg+F3");
    m_sandbox.machine.PutString(kButton, L"MenuText", L"Custom\tStrg+F3");
    m_sandbox.machine.PutString(kButton, L"ButtonText", L"Custom");
    m_sandbox.user.PutString(kMenuExt + std::wstring(L"Custom\tStrg+F3"), L"", L"res://x/203");

    // A name of blanks gets past the checks, and the store refuses it.
    ModifyHintoraTextAndShortCut(L"   ", L"Alt+F6");
    // The English form comes back from the English form, never from the shown one.
    ExpectTexts(L"Ctrl+F3", L"Strg+F3", L"Custom");
    EXPECT_FALSE(ContextMenuExists(L"   \tAlt+F6"));

    // A hot-key text too long for a key name: without its menu entry the new
    // texts are not stored either.
    std::wstring tooLong = L"Ctrl+" + std::wstring(300, L'x') + L"+F6";
    ModifyHintoraTextAndShortCut(L"Custom", tooLong);
    ExpectTexts(L"Ctrl+F3", L"Strg+F3", L"Custom");
}

TEST_F(HotKeyTextsTest, OptionsMenuText) {
    WriteOptionsMenuText(L"de");
    EXPECT_EQ(L"Hintora-&Optionen...", SettingsSandbox::Read(m_sandbox.machine, kOptionsMenu, L"MenuText"));
    WriteOptionsMenuText(L"");
    WriteOptionsMenuText(L"xx");
    EXPECT_EQ(L"Hintora-&Optionen...", SettingsSandbox::Read(m_sandbox.machine, kOptionsMenu, L"MenuText"));
}

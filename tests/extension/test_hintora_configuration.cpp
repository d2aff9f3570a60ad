// Setup pages configure the library: Configure from the page's own address,
// Save of test and advanced switches, Query of every setting.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "HintoraFakes.h"
#include "scriptable/Hintora.h"
#include "settings/ProductSettings.h"

namespace {

const wchar_t kTestKey[] = L"Software\\Veltrane\\Norvik\\Hintora\\Test";
const wchar_t kAdvancedKey[] = L"Software\\Veltrane\\Norvik\\Hintora\\Advanced";

class ConfigurationTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_sandbox.Active()); }

    // Configure called by the page at `address`; returns the status.
    int Configure(const std::wstring& address, const std::wstring& language, const std::wstring& key,
                  const std::wstring& publishData, HRESULT* result = nullptr) {
        FakePage page(address);
        IHintora* object = nullptr;
        CHintora::CreateInstance(IID_IHintora, reinterpret_cast<void**>(&object));
        static_cast<CHintora*>(object)->SetSite(page.site.Unknown());
        BSTR texts[] = {AllocText(language), AllocText(key), AllocText(publishData)};
        int status = -1;
        HRESULT hr = object->Configure(&texts[0], &texts[1], &texts[2], &status);
        if (result)
            *result = hr;
        for (BSTR text : texts)
            SysFreeString(text);
        static_cast<CHintora*>(object)->SetSite(nullptr);
        object->Release();
        return status;
    }

    std::wstring Test(const wchar_t* name) { return SettingsSandbox::Read(m_sandbox.machine, kTestKey, name); }
    std::wstring Advanced(const wchar_t* name) { return SettingsSandbox::Read(m_sandbox.machine, kAdvancedKey, name); }

    SettingsSandbox m_sandbox;
};

}  // namespace

TEST(Configuration, ContentUrlFromTheSetupPagesAddress) {
    EXPECT_EQ(L"http://c.example/pub", ContentUrlFromSetupAddress(L"http://c.example/pub/hintorasetup.html?showscore=1"));
    EXPECT_EQ(L"http://c.example/pub", ContentUrlFromSetupAddress(L"http://c.example/pub/pages/setup/other.html"));
    // A "/" in the query part or the fragment is no level of the address.
    EXPECT_EQ(L"http://c.example/pub", ContentUrlFromSetupAddress(L"http://c.example/pub/hintorasetup.html?next=/x"));
    EXPECT_EQ(L"http://c.example/pub", ContentUrlFromSetupAddress(L"http://c.example/pub/hintorasetup.html#a/b"));
    EXPECT_EQ(L"http://c.example/pub",
              ContentUrlFromSetupAddress(L"http://c.example/pub/pages/setup/other.html?a=/b/c#/d"));
    // Nor does the setup page's name there make the page the setup page.
    EXPECT_EQ(L"http://c.example/pub",
              ContentUrlFromSetupAddress(L"http://c.example/pub/pages/setup/other.html?next=hintorasetup.html"));
    EXPECT_EQ(L"http://c.example/pub",
              ContentUrlFromSetupAddress(L"http://c.example/pub/pages/setup/other.html#hintorasetup.html"));
}

TEST_F(ConfigurationTest, SaveParametersStoresOnlyKnownWellFormedItems) {
    CHintora* object = nullptr;
    CHintora::CreateInstance(IID_IHintora, reinterpret_cast<void**>(&object));
    EXPECT_EQ(0, object->SaveParameters(L"tracemode=1&usecache=0&color=red&bad&x=1=2"));
    EXPECT_EQ(L"1", Advanced(L"tracemode"));
    EXPECT_EQ(L"0", Advanced(L"usecache"));
    EXPECT_EQ(L"<missing>", Advanced(L"color"));
    EXPECT_EQ(L"<missing>", Test(L"color"));

    object->SaveParameters(L"&&threshold==40&&minscore=&ShowScore=1&maxhit= 7 ");
    EXPECT_EQ(L"40", Test(L"threshold"));
    EXPECT_EQ(L"<missing>", Test(L"minscore"));
    EXPECT_EQ(L"<missing>", Test(L"ShowScore"));
    EXPECT_EQ(L"7", Test(L"maxhit"));
    // No decoding and no change of case.
    object->SaveParameters(L"maxsearch=a%20b");
    EXPECT_EQ(L"a%20b", Test(L"maxsearch"));
    EXPECT_EQ(0, object->SaveParameters(L""));
    object->Release();
}

TEST_F(ConfigurationTest, FirstConfigurationFromTheSetupPage) {
    HRESULT hr = E_FAIL;
    EXPECT_EQ(0, Configure(L"http://c.example/pub/hintorasetup.html?showscore=1&maxhit=5&back=/x/y", L"de", L"",
                           L"app,1;x,2", &hr));
    EXPECT_EQ(S_OK, hr);
    EXPECT_EQ(L"http://c.example/pub", m_sandbox.Product(L"ContentURL"));
    EXPECT_EQ(L"1", Test(L"showscore"));
    EXPECT_EQ(L"5", Test(L"maxhit"));
    EXPECT_EQ(L"de", m_sandbox.Product(L"Language"));
    EXPECT_EQ(L"Hintora-&Optionen...",
              SettingsSandbox::Read(m_sandbox.machine,
                                    L"Software\\Microsoft\\Internet Explorer\\Extensions\\"
                                    L"{912DCC9E-014B-4c4f-83A0-866D5A8E01D8}",
                                    L"MenuText"));
    EXPECT_EQ(L"F9", m_sandbox.Product(L"EnglishShortCut")) << "an empty key means F9";
    EXPECT_EQ(L"F9", m_sandbox.Product(L"ShortCut"));
    EXPECT_EQ(L"app,1;x,2", m_sandbox.Product(L"PublishData"));
    const wchar_t mru[] = L"Software\\Veltrane\\Norvik\\HintoraLocationMRU\\0";
    EXPECT_EQ(L"http://c.example/pub", SettingsSandbox::Read(m_sandbox.machine, mru, L"Url"));
    EXPECT_EQ(L"Content 0", SettingsSandbox::Read(m_sandbox.machine, mru, L"Title"));
}

TEST_F(ConfigurationTest, StoredSettingsWin) {
    m_sandbox.PutProduct(L"ContentURL", L"http://c.example/old");
    m_sandbox.PutProduct(L"Language", L"de");
    m_sandbox.PutProduct(L"EnglishShortCut", L"Ctrl+F5");
    m_sandbox.PutProduct(L"ShortCut", L"Strg+F5");
    m_sandbox.PutProduct(L"PublishData", L"keep,1");

    EXPECT_EQ(0, Configure(L"http://c.example/new/hintorasetup.html?a", L"fr", L"Alt+F2", L""));
    EXPECT_EQ(L"http://c.example/new", m_sandbox.Product(L"ContentURL"));
    EXPECT_EQ(L"de", m_sandbox.Product(L"Language"));
    EXPECT_EQ(L"<missing>", SettingsSandbox::Read(m_sandbox.machine,
                                                  L"Software\\Microsoft\\Internet Explorer\\Extensions\\"
                                                  L"{912DCC9E-014B-4c4f-83A0-866D5A8E01D8}",
                                                  L"MenuText"))
        << "a stored language keeps its options-menu text";
    // The stored hot key wins, and its localized form never becomes the English one.
    EXPECT_EQ(L"Ctrl+F5", m_sandbox.Product(L"EnglishShortCut"));
    EXPECT_EQ(L"Strg+F5", m_sandbox.Product(L"ShortCut"));
    EXPECT_EQ(L"keep,1", m_sandbox.Product(L"PublishData"));
    EXPECT_EQ(L"<missing>", Test(L"a"));
    // Every configured location goes to the head of the list.
    const std::wstring mru = L"Software\\Veltrane\\Norvik\\HintoraLocationMRU\\";
    EXPECT_EQ(L"http://c.example/new", SettingsSandbox::Read(m_sandbox.machine, mru + L"0", L"Url"));
    EXPECT_EQ(L"<missing>", SettingsSandbox::Read(m_sandbox.machine, mru + L"1", L"Url"));
}

TEST_F(ConfigurationTest, AKeyTheHelperObjectCannotReadMeansF9) {
    EXPECT_EQ(0, Configure(L"http://c.example/pub/hintorasetup.html", L"en", L"Ctrl+Bogus", L""));
    EXPECT_EQ(L"F9", m_sandbox.Product(L"EnglishShortCut"));
    EXPECT_EQ(L"F9", m_sandbox.Product(L"ShortCut"));
}

TEST_F(ConfigurationTest, SaveAnswersAFailedStoreWithAnError) {
    IHintora* object = nullptr;
    CHintora::CreateInstance(IID_IHintora, reinterpret_cast<void**>(&object));
    BSTR text = AllocText(L"showscore=1&color=red");
    EXPECT_EQ(E_INVALIDARG, object->Save(nullptr));

    // A volatile product key cannot take the lasting Test subkey: the
    // store fails with a Win32 code, which a script must see as a failure.
    HKEY company = nullptr;
    HKEY product = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(m_sandbox.machine.Root(), L"Software\\Veltrane\\Norvik", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &company, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(company, L"Hintora", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                                             nullptr, &product, nullptr));
    RegCloseKey(product);
    RegCloseKey(company);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_CHILD_MUST_BE_VOLATILE), object->Save(&text));
    EXPECT_EQ(L"<missing>", Test(L"showscore"));

    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyW(m_sandbox.machine.Root(), SettingsSandbox::kProduct));
    EXPECT_EQ(S_OK, object->Save(&text));
    EXPECT_EQ(L"1", Test(L"showscore"));
    SysFreeString(text);
    object->Release();
}

TEST_F(ConfigurationTest, PagesOtherThanTheSetupPage) {
    // Not the setup page: refused, nothing written.
    HRESULT hr = S_OK;
    EXPECT_EQ(0, Configure(L"http://c.example/pub/pages/setup/other.html?showscore=1", L"en", L"F2", L"p,1", &hr));
    EXPECT_EQ(E_ACCESSDENIED, hr);
    EXPECT_EQ(L"<missing>", m_sandbox.Product(L"ContentURL"));
    EXPECT_EQ(L"<missing>", Test(L"showscore"));
}

TEST_F(ConfigurationTest, WithoutAWindowNothingIsWritten) {
    IHintora* object = nullptr;
    CHintora::CreateInstance(IID_IHintora, reinterpret_cast<void**>(&object));
    BSTR text = AllocText(L"de");
    int status = -1;
    EXPECT_EQ(S_OK, object->Configure(&text, &text, &text, &status));
    EXPECT_EQ(0, status);
    EXPECT_EQ(0, SettingsSandbox::CountEntries(m_sandbox.machine.Root()));
    SysFreeString(text);
    object->Release();
}

TEST_F(ConfigurationTest, QueryGathersTheProductKeyAndItsSubkeys) {
    IHintora* object = nullptr;
    CHintora::CreateInstance(IID_IHintora, reinterpret_cast<void**>(&object));
    BSTR json = nullptr;
    EXPECT_EQ(S_OK, object->Query(&json));
    EXPECT_STREQ(L"{}", json);
    SysFreeString(json);

    m_sandbox.PutProduct(L"Language", L"en");
    m_sandbox.machine.PutString(kTestKey, L"showscore", L"1");
    EXPECT_EQ(S_OK, object->Query(&json));
    std::wstring text(json, SysStringLen(json));
    SysFreeString(json);
    EXPECT_TRUE(text == L"{\"Language\":\"en\", \"showscore\":\"1\"}" ||
                text == L"{\"showscore\":\"1\", \"Language\":\"en\"}")
        << text;

    // Stored quotes and backslashes cannot break the page's JSON parser;
    // only string values are reported, and no deeper key is visited.
    m_sandbox.PutProduct(L"PublishData", L"say \"hi\"\\");
    m_sandbox.machine.PutString(kTestKey, L"odd\"name\\", L"v");
    DWORD number = 5;
    m_sandbox.machine.PutRaw(L"Software\\Veltrane\\Norvik\\Hintora", L"Number", REG_DWORD, &number, sizeof(number));
    m_sandbox.machine.PutString(std::wstring(kTestKey) + L"\\Deeper", L"hidden", L"1");
    EXPECT_EQ(S_OK, object->Query(&json));
    text.assign(json, SysStringLen(json));
    SysFreeString(json);
    EXPECT_NE(std::wstring::npos, text.find(L"\"PublishData\":\"say \\\"hi\\\"\\\\\"")) << text;
    EXPECT_NE(std::wstring::npos, text.find(L"\"odd\\\"name\\\\\":\"v\"")) << text;
    EXPECT_EQ(std::wstring::npos, text.find(L"Number")) << text;
    EXPECT_EQ(std::wstring::npos, text.find(L"hidden")) << text;
    object->Release();
}

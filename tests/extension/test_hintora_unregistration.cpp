// Removal of the product by CHintora's registration routine, against
// sandboxed registry roots: what goes, and what belongs to others and stays.
#include <gtest/gtest.h>
#include <windows.h>

#include "PredefinedKeySandbox.h"
#include "scriptable/Hintora.h"

namespace {

const wchar_t kVendor[] = L"Software\\Veltrane";
const wchar_t kMru[] = L"Software\\Veltrane\\Norvik\\HintoraLocationMRU\\0";
const wchar_t kProduct[] = L"Software\\Veltrane\\Norvik\\Hintora";
const wchar_t kMenuExt[] = L"Software\\Microsoft\\Internet Explorer\\MenuExt";
const wchar_t kStore[] = L"Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\Veltrane";
const wchar_t kStoreWow[] = L"Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\Wow6432Node\\Veltrane";

class Unregistration : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_roots.Ok());
        m_keepBefore = g_bKeepMru;
        g_bKeepMru = 0;
    }
    void TearDown() override { g_bKeepMru = m_keepBefore; }

    HKEY Machine() const { return HKEY_LOCAL_MACHINE; }
    HKEY User() const { return HKEY_CURRENT_USER; }

    PredefinedKeySandbox m_roots;
    BYTE m_keepBefore = 0;
};

}  // namespace

TEST_F(Unregistration, RemovesTheProductAndAnEmptyVendorKeyEverywhere) {
    PredefinedKeySandbox::Put(Machine(), kMru, L"Url", L"http://c.example/pub");
    PredefinedKeySandbox::Put(Machine(), kProduct, L"Name", L"Hintora");
    PredefinedKeySandbox::Put(Machine(), kProduct, L"ShortCut", L"F9");
    PredefinedKeySandbox::Put(User(), std::wstring(kMenuExt) + L"\\Hintora\tF9", L"", L"res://x/203");
    PredefinedKeySandbox::Put(User(), std::wstring(kStore) + L"\\Norvik\\Hintora", L"Name", L"x");
    PredefinedKeySandbox::Put(User(), std::wstring(kStoreWow) + L"\\Norvik\\Hintora", L"Name", L"x");

    EXPECT_EQ(S_OK, CHintora::UpdateRegistry(false));
    EXPECT_FALSE(PredefinedKeySandbox::Exists(Machine(), kVendor));
    EXPECT_FALSE(PredefinedKeySandbox::Exists(User(), kStore));
    EXPECT_FALSE(PredefinedKeySandbox::Exists(User(), kStoreWow));
    EXPECT_FALSE(PredefinedKeySandbox::Exists(User(), std::wstring(kMenuExt) + L"\\Hintora\tF9"));
    EXPECT_TRUE(PredefinedKeySandbox::Exists(User(), kMenuExt)) << "the browser's own key";
}

TEST_F(Unregistration, KeysNestedDeepUnderTheProductKeyGoToo) {
    // Users and low-integrity processes may write below the product key.
    std::wstring deep = kProduct;
    for (int depth = 0; depth < 300; ++depth)
        deep += L"\\n";
    PredefinedKeySandbox::Put(Machine(), deep, L"V", L"x");
    PredefinedKeySandbox::Put(User(), std::wstring(kStore) + L"\\Norvik\\Hintora" + deep.substr(wcslen(kProduct)), L"V",
                              L"x");
    ASSERT_TRUE(PredefinedKeySandbox::Exists(Machine(), deep));

    EXPECT_EQ(S_OK, CHintora::UpdateRegistry(false));
    EXPECT_FALSE(PredefinedKeySandbox::Exists(Machine(), kVendor));
    EXPECT_FALSE(PredefinedKeySandbox::Exists(User(), kStore));
}

TEST_F(Unregistration, KeepMruKeepsTheLocationListAndTheVendorKey) {
    PredefinedKeySandbox::Put(Machine(), kMru, L"Url", L"http://c.example/pub");
    PredefinedKeySandbox::Put(Machine(), kProduct, L"Language", L"de");
    PredefinedKeySandbox::Put(User(), std::wstring(kStore) + L"\\Norvik\\Hintora", L"Name", L"x");
    PredefinedKeySandbox::Put(User(), std::wstring(kStore) + L"\\Norvik\\HintoraLocationMRU\\0", L"Url", L"u");
    g_bKeepMru = 1;

    EXPECT_EQ(S_OK, CHintora::UpdateRegistry(false));
    EXPECT_EQ(L"http://c.example/pub", PredefinedKeySandbox::String(Machine(), kMru, L"Url"));
    EXPECT_FALSE(PredefinedKeySandbox::Exists(Machine(), kProduct));
    EXPECT_FALSE(PredefinedKeySandbox::Exists(User(), std::wstring(kStore) + L"\\Norvik\\Hintora"));
    EXPECT_TRUE(PredefinedKeySandbox::Exists(User(), std::wstring(kStore) + L"\\Norvik\\HintoraLocationMRU\\0"));
}

TEST_F(Unregistration, OtherProductsOfTheVendorKeepTheirKeys) {
    // Another product in the machine key, and only in one of the two
    // per-user copies: each copy is judged by its own contents.
    PredefinedKeySandbox::Put(Machine(), std::wstring(kVendor) + L"\\Kestrel", L"Path", L"C:\\k");
    PredefinedKeySandbox::Put(Machine(), kProduct, L"Name", L"Hintora");
    PredefinedKeySandbox::Put(User(), std::wstring(kStore) + L"\\Kestrel", L"Path", L"C:\\k");
    PredefinedKeySandbox::Put(User(), std::wstring(kStoreWow) + L"\\NORVIK\\Hintora", L"Name", L"x");

    EXPECT_EQ(S_OK, CHintora::UpdateRegistry(false));
    EXPECT_EQ(L"C:\\k", PredefinedKeySandbox::String(Machine(), std::wstring(kVendor) + L"\\Kestrel", L"Path"));
    EXPECT_FALSE(PredefinedKeySandbox::Exists(Machine(), std::wstring(kVendor) + L"\\Norvik"));
    EXPECT_EQ(L"C:\\k", PredefinedKeySandbox::String(User(), std::wstring(kStore) + L"\\Kestrel", L"Path"));
    EXPECT_FALSE(PredefinedKeySandbox::Exists(User(), kStoreWow));

    // A value of the vendor key itself is another product's too.
    PredefinedKeySandbox::Put(Machine(), kVendor, L"InstallDir", L"C:\\v");
    RegDeleteTreeW(Machine(), (std::wstring(kVendor) + L"\\Kestrel").c_str());
    EXPECT_EQ(S_OK, CHintora::UpdateRegistry(false));
    EXPECT_EQ(L"C:\\v", PredefinedKeySandbox::String(Machine(), kVendor, L"InstallDir"));
}

TEST_F(Unregistration, AContextMenuNameThatReachesAnotherKeyIsLeftAlone) {
    // A stored name with a backslash would name another product's entry
    // (or a key below it) under the browser's context-menu key.
    PredefinedKeySandbox::Put(Machine(), kProduct, L"Name", L"Other\\Sub");
    PredefinedKeySandbox::Put(Machine(), kProduct, L"ShortCut", L"F9");
    PredefinedKeySandbox::Put(User(), std::wstring(kMenuExt) + L"\\Other\\Sub\tF9", L"", L"res://other/1");

    EXPECT_EQ(S_OK, CHintora::UpdateRegistry(false));
    EXPECT_EQ(L"res://other/1",
              PredefinedKeySandbox::String(User(), std::wstring(kMenuExt) + L"\\Other\\Sub\tF9", L""));
}

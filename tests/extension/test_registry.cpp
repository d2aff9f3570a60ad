#include <gtest/gtest.h>

#include "base/Registry.h"
#include "ImportPatch.h"
#include "RegistrySandbox.h"

#include <map>
#include <string>
#include <vector>

namespace {

// Sees the byte counts of the writes that this program makes through
// RegSetValueExW. The system quietly adds a terminator that a caller left
// out, so a value read back looks right either way.
class SetValueSpy {
public:
    SetValueSpy() : m_patch("RegSetValueExW", reinterpret_cast<void*>(&Spy)) {
        s_real = m_patch.Original<Function>();
    }
    static std::vector<DWORD>& Counts() {
        static std::vector<DWORD> counts;
        return counts;
    }

private:
    using Function = LONG(WINAPI*)(HKEY, LPCWSTR, DWORD, DWORD, const BYTE*, DWORD);
    static LONG WINAPI Spy(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD bytes) {
        Counts().push_back(bytes);
        return s_real(key, name, reserved, type, data, bytes);
    }
    static inline Function s_real = nullptr;
    ImportPatch m_patch;
};

// Counts the reads that this program makes through RegQueryValueExW, and
// runs `Before` ahead of each: a value may change between two reads.
class QueryValueSpy {
public:
    QueryValueSpy() : m_patch("RegQueryValueExW", reinterpret_cast<void*>(&Spy)) {
        s_real = m_patch.Original<Function>();
        s_calls = 0;
        Before = nullptr;
    }
    ~QueryValueSpy() { Before = nullptr; }
    static int Calls() { return s_calls; }
    static inline void (*Before)(HKEY key, LPCWSTR name, int call) = nullptr;

private:
    using Function = LONG(WINAPI*)(HKEY, LPCWSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
    static LONG WINAPI Spy(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD bytes) {
        ++s_calls;
        if (Before)
            Before(key, name, s_calls);
        return s_real(key, name, reserved, type, data, bytes);
    }
    static inline Function s_real = nullptr;
    static inline int s_calls = 0;
    ImportPatch m_patch;
};

std::wstring Letters(size_t length) {
    std::wstring text;
    for (size_t i = 0; i < length; ++i)
        text += static_cast<wchar_t>(L'a' + i % 26);
    return text;
}

}  // namespace

TEST(Registry, ReadsStringsOfAnyLengthAndTrimsOnlyInTheFreeFunction) {
    RegistrySandbox box;
    std::wstring longText = Letters(1300);
    box.PutString(L"K", L"Long", longText);
    box.PutString(L"K", L"Padded", L"  \t value with inner  spaces \r\n");
    box.PutString(L"K", L"Expand", L"%TEMP%\\x", REG_EXPAND_SZ);

    Registry registry(box.Root());
    std::wstring text;
    EXPECT_EQ(0, registry.GetStringValue(L"K", L"Long", text));
    EXPECT_EQ(longText, text);
    EXPECT_EQ(0, registry.GetStringValue(L"K", L"Padded", text));
    EXPECT_EQ(L"  \t value with inner  spaces \r\n", text);
    EXPECT_EQ(0, registry.GetStringValue(L"K", L"Expand", text));
    EXPECT_EQ(L"%TEMP%\\x", text) << "expandable strings come back unexpanded";

    EXPECT_EQ(0, GetStringFromRegistry(box.Root(), L"K", L"Padded", text));
    EXPECT_EQ(L"value with inner  spaces", text);

    // Every tab reads several values at its start: a large one must cost a
    // read or two, not one per few hundred characters.
    std::wstring hugeText = Letters(1 << 20);
    box.PutString(L"K", L"Huge", hugeText);
    {
        QueryValueSpy spy;
        EXPECT_EQ(0, registry.GetStringValue(L"K", L"Huge", text));
        EXPECT_LE(QueryValueSpy::Calls(), 2);
    }
    EXPECT_TRUE(text == hugeText) << text.size();

    // A value that grows between two reads is read again, whole.
    {
        static HKEY root;
        root = box.Root();
        QueryValueSpy spy;
        QueryValueSpy::Before = [](HKEY, LPCWSTR name, int call) {
            if (call == 2) {
                std::wstring grown = Letters(5000);
                RegSetKeyValueW(root, L"K", name, REG_SZ, grown.c_str(),
                                static_cast<DWORD>((grown.size() + 1) * sizeof(wchar_t)));
            }
        };
        EXPECT_EQ(0, registry.GetStringValue(L"K", L"Long", text));
        EXPECT_EQ(3, QueryValueSpy::Calls());
    }
    EXPECT_TRUE(text == Letters(5000)) << text.size();

    // Text after an embedded terminator is not part of the string, here as
    // for the system's own readers.
    const wchar_t embedded[] = L"1\0junk";
    box.PutRaw(L"K", L"Embedded", REG_SZ, embedded, sizeof(embedded));
    EXPECT_EQ(0, registry.GetStringValue(L"K", L"Embedded", text));
    EXPECT_EQ(L"1", text);
    EXPECT_EQ(1u, text.size());
}

TEST(Registry, MissingKeysAndValuesGiveWin32CodesOrHResults) {
    RegistrySandbox box;
    box.PutString(L"K", L"Present", L"x");
    Registry registry(box.Root());
    std::wstring text = L"unchanged";

    EXPECT_EQ(static_cast<LONG>(0x80070002), registry.GetStringValue(L"K", L"Missing", text));
    EXPECT_EQ(L"unchanged", text);
    EXPECT_EQ(S_OK, GetStringFromRegistry(box.Root(), L"K", L"Missing", text));
    EXPECT_EQ(L"", text);

    text = L"unchanged";
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, registry.GetStringValue(L"NoSuchKey", L"Present", text));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, GetStringFromRegistry(box.Root(), L"NoSuchKey", L"Present", text));
    EXPECT_EQ(L"", text);

    EXPECT_EQ(E_INVALIDARG, registry.GetStringValue(L"", L"Present", text));
    EXPECT_EQ(E_INVALIDARG, registry.GetStringValue(L"K", L"", text));
}

TEST(Registry, RejectsValuesOfTheWrongTypeOrShape) {
    RegistrySandbox box;
    box.PutDword(L"K", L"Number", 7);
    box.PutString(L"K", L"Text", L"abc");
    const char odd[] = {'a', 0, 0};
    box.PutRaw(L"K", L"Odd", REG_SZ, odd, 3);
    // Stored without its terminator: the system adds a forgotten one only
    // when a zero follows the bytes handed to it.
    const wchar_t unterminated[] = L"abcX";
    box.PutRaw(L"K", L"Unterminated", REG_SZ, unterminated, 3 * sizeof(wchar_t));
    box.PutRaw(L"K", L"Empty", REG_SZ, nullptr, 0);

    Registry registry(box.Root());
    std::wstring text = L"before";
    EXPECT_EQ(static_cast<LONG>(0x8007000D), registry.GetStringValue(L"K", L"Number", text));
    EXPECT_EQ(static_cast<LONG>(0x8007000D), registry.GetStringValue(L"K", L"Odd", text));
    EXPECT_EQ(static_cast<LONG>(0x8007000D), registry.GetStringValue(L"K", L"Unterminated", text))
        << "read as [" << testing::PrintToString(text) << "]";
    EXPECT_EQ(L"before", text);
    EXPECT_EQ(0, registry.GetStringValue(L"K", L"Empty", text)) << (box.HasValue(L"K", L"Empty") ? "present" : "absent");
    EXPECT_EQ(L"", text);

    DWORD number = 0x1234;
    EXPECT_EQ(ERROR_INVALID_DATA, registry.GetDwordValue(L"K", L"Text", number));
    EXPECT_EQ(0x1234u, number);
    EXPECT_EQ(0, registry.GetDwordValue(L"K", L"Number", number));
    EXPECT_EQ(7u, number);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, registry.GetDwordValue(L"Nope", L"Number", number));
}

TEST(Registry, WritesOnlyNonEmptyTextToExistingKeys) {
    RegistrySandbox box;
    Registry registry(box.Root());
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, registry.SetStringValue(L"Missing", L"V", L"x"));
    EXPECT_FALSE(box.Exists(L"Missing"));

    ASSERT_EQ(0, registry.CreateKey(L"K"));
    EXPECT_EQ(E_INVALIDARG, registry.SetStringValue(L"K", L"V", L""));
    EXPECT_FALSE(box.HasValue(L"K", L"V"));

    EXPECT_EQ(0, registry.SetStringValue(L"K", L"", L"default"));
    std::wstring text;
    EXPECT_EQ(0, RegGetValueW(box.Root(), L"K", nullptr, RRF_RT_REG_SZ, nullptr, nullptr, nullptr));
    EXPECT_EQ(0, registry.SetStringValue(L"K", L"V", L"v1"));
    EXPECT_EQ(0, registry.GetStringValue(L"K", L"V", text));
    EXPECT_EQ(L"v1", text);
    {
        // Written with its terminator, which the reader insists on.
        SetValueSpy spy;
        SetValueSpy::Counts().clear();
        EXPECT_EQ(0, registry.SetStringValue(L"K", L"V", L"v12"));
        EXPECT_EQ(std::vector<DWORD>{4 * sizeof(wchar_t)}, SetValueSpy::Counts());
    }

    EXPECT_EQ(0, registry.CreateOrOpenKeyAndWriteStringValue(L"A\\B\\C", L"V", L"deep"));
    EXPECT_EQ(0, registry.GetStringValue(L"A\\B\\C", L"V", text));
    EXPECT_EQ(L"deep", text);
    EXPECT_EQ(E_INVALIDARG, registry.CreateOrOpenKeyAndWriteStringValue(L"A\\D", L"V", L""));
    EXPECT_FALSE(box.Exists(L"A\\D"));
}

TEST(Registry, DeletesWholeTreesAndReportsMissingKeys) {
    RegistrySandbox box;
    box.PutString(L"T\\a\\b\\c\\d", L"V", L"x");
    box.PutString(L"T\\a\\e", L"V", L"x");
    box.PutString(L"T\\f", L"V", L"x");
    box.PutString(L"Keep", L"V", L"x");

    EXPECT_EQ(0, DeleteKeyFromRegistry(box.Root(), L"T"));
    EXPECT_FALSE(box.Exists(L"T"));
    EXPECT_TRUE(box.Exists(L"Keep"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, DeleteKeyFromRegistry(box.Root(), L"T"));
    EXPECT_EQ(E_INVALIDARG, DeleteKeyFromRegistry(box.Root(), L""));
    EXPECT_TRUE(box.Exists(L"Keep"));

    // Anyone who may write below a key may nest keys there as deep as the
    // registry allows: the depth must not cost stack.
    HKEY level = nullptr;
    ASSERT_EQ(0, RegCreateKeyExW(box.Root(), L"Deep", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &level, nullptr));
    for (int depth = 0; depth < 300; ++depth) {
        HKEY next = nullptr;
        ASSERT_EQ(0, RegCreateKeyExW(level, L"n", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &next, nullptr)) << depth;
        if (depth % 50 == 0)
            RegSetValueExW(next, L"V", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"x"), 2 * sizeof(wchar_t));
        RegCloseKey(level);
        level = next;
    }
    RegCloseKey(level);
    EXPECT_EQ(0, DeleteKeyFromRegistry(box.Root(), L"Deep"));
    EXPECT_FALSE(box.Exists(L"Deep"));
}

TEST(Registry, ListsSubkeysAndOnlyPlainStringValues) {
    RegistrySandbox box;
    box.PutString(L"L\\one", L"V", L"x");
    box.PutString(L"L\\two", L"V", L"x");
    box.PutString(L"L", L"Plain", L"text");
    box.PutString(L"L", L"Expand", L"%PATH%", REG_EXPAND_SZ);
    box.PutDword(L"L", L"Number", 3);

    Registry registry(box.Root());
    std::vector<std::wstring> names{L"already"};
    EXPECT_EQ(0, registry.GetSubKeys(L"L", names));
    EXPECT_EQ((std::vector<std::wstring>{L"already", L"one", L"two"}), names);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, registry.GetSubKeys(L"Nope", names));

    std::map<std::wstring, std::wstring> values{{L"Plain", L"old"}, {L"Other", L"kept"}};
    EXPECT_EQ(0, GetStringChildrenFromRegistry(box.Root(), L"L", values));
    EXPECT_EQ((std::map<std::wstring, std::wstring>{{L"Other", L"kept"}, {L"Plain", L"text"}}), values);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, GetStringChildrenFromRegistry(box.Root(), L"Nope", values));
}

TEST(Registry, KeyExistsOnlyForKeysThatOpen) {
    RegistrySandbox box;
    box.PutString(L"Present\\Child", L"V", L"x");
    Registry registry(box.Root());
    EXPECT_TRUE(registry.KeyExists(L"Present"));
    EXPECT_TRUE(registry.KeyExists(L"Present\\Child"));
    EXPECT_FALSE(registry.KeyExists(L"Absent"));
}

TEST(Registry, KeyHelpersGiveTheCallsCodesAndDropTheKeyHeldBefore) {
    RegistrySandbox box;
    RegistryKey key;
    ASSERT_EQ(ERROR_SUCCESS, CreateKey(box.Root(), L"Made\\Deep", Registry::kReadWrite, key));
    ASSERT_TRUE(key.Valid());
    const wchar_t text[] = L"written";
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExW(key.Get(), L"V", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                                            sizeof(text)));

    std::wstring read;
    EXPECT_EQ(0, Registry(box.Root()).GetStringValue(L"Made\\Deep", L"V", read));
    EXPECT_EQ(L"written", read);

    // The key now held is the one just opened, with its narrower access.
    ASSERT_EQ(ERROR_SUCCESS, OpenKey(box.Root(), L"Made\\Deep", Registry::kRead, key));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegSetValueExW(key.Get(), L"V", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                                                  sizeof(text)));

    EXPECT_EQ(ERROR_FILE_NOT_FOUND, OpenKey(box.Root(), L"Absent", Registry::kRead, key));
    EXPECT_FALSE(key.Valid()) << "a failed open leaves no key behind, not the one held before";
}

TEST(GetParentUrl, DropsTheLastSegment) {
    EXPECT_EQ(L"http://server/a", GetParentUrl(L"http://server/a/page.html"));
    EXPECT_EQ(L"http://server/a", GetParentUrl(L"http://server/a/"));
    EXPECT_EQ(L"no-slash", GetParentUrl(L"no-slash"));
}

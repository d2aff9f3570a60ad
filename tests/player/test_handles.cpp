// The owners close what they hold exactly once, and never what they gave up.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "common/Handles.h"

namespace {

// Handles are numbers here; every close is written down.
std::vector<int> g_closed;

struct CountingTraits {
    using Type = int;
    static int None() { return -1; }
    static void Close(int value) { g_closed.push_back(value); }
};
using Owned = UniqueHandle<CountingTraits>;

TEST(UniqueHandle, ClosesOnceWhateverWayItGoes) {
    g_closed.clear();
    {
        Owned empty;
        EXPECT_FALSE(empty.Valid());
        Owned one(1);
        Owned two(2);
        two.Reset(3);  // 2 closes at once
        EXPECT_EQ(g_closed, std::vector<int>{2});
        one = std::move(two);  // 1 closes, 3 moves over
        EXPECT_EQ(g_closed, (std::vector<int>{2, 1}));
        EXPECT_FALSE(two.Valid());
        EXPECT_EQ(one.Get(), 3);
        Owned given(4);
        EXPECT_EQ(given.Detach(), 4);  // given up: never closed
        Owned received(5);
        *received.Out() = 6;  // 5 closes before the slot is handed out
        EXPECT_EQ(g_closed, (std::vector<int>{2, 1, 5}));
    }
    EXPECT_EQ(g_closed, (std::vector<int>{2, 1, 5, 6, 3}));
}

std::wstring TempFileName() {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + L"hintora-handles-" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
}

FileHandle OpenExclusive(const std::wstring& path) {
    return FileHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
}

TEST(UniqueHandle, AFileIsFreeAgainOnceItsOwnerGoes) {
    const std::wstring path = TempFileName();
    {
        FileHandle first = OpenExclusive(path);
        ASSERT_TRUE(first.Valid());
        EXPECT_FALSE(OpenExclusive(path).Valid());  // still held
    }
    EXPECT_TRUE(OpenExclusive(path).Valid());
    DeleteFileW(path.c_str());
}

TEST(RegistryKeyOwner, AMissingKeyOpensToNone) {
    EXPECT_FALSE(OpenRegistryKey(HKEY_CURRENT_USER, L"Software\\Hintora\\NoSuchKeyForTests", KEY_READ).Valid());
    EXPECT_TRUE(OpenRegistryKey(HKEY_CURRENT_USER, L"Software", KEY_READ).Valid());
}

}  // namespace

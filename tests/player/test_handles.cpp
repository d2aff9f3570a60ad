// The owners that the library and the player share close what they hold
// exactly once, and never what they gave up.
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

// Kernel objects: whether a handle is still open.
bool IsOpen(HANDLE handle) {
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

TEST(UniqueHandle, ClosesWhatItHoldsOnceAndNotWhatItHandedOn) {
    HANDLE first = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE second = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second);
    {
        KernelHandle owner(first);
        EXPECT_TRUE(owner);
        KernelHandle moved(std::move(owner));
        EXPECT_FALSE(owner);
        EXPECT_EQ(first, moved.Get());
        moved.Reset(second);
        EXPECT_FALSE(IsOpen(first)) << "replaced: closed";
        EXPECT_TRUE(IsOpen(second));
        EXPECT_EQ(second, moved.Detach());
        EXPECT_FALSE(moved);
    }
    EXPECT_TRUE(IsOpen(second)) << "handed on: left open";
    {
        KernelHandle owner(second);
    }
    EXPECT_FALSE(IsOpen(second)) << "closed as its owner goes";

    // Failed creations hold nothing to close.
    EXPECT_FALSE(FileHandle(INVALID_HANDLE_VALUE));
    EXPECT_FALSE(KernelHandle());
}

TEST(MappedView, IsUnmappedWhenItsOwnerGoes) {
    KernelHandle mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, nullptr));
    ASSERT_TRUE(mapping);
    void* address = nullptr;
    {
        MappedView view(MapViewOfFile(mapping.Get(), FILE_MAP_ALL_ACCESS, 0, 0, 4096));
        ASSERT_TRUE(view);
        address = view.Get();
        static_cast<char*>(address)[0] = 'x';
        MEMORY_BASIC_INFORMATION info = {};
        ASSERT_NE(0u, VirtualQuery(address, &info, sizeof(info)));
        EXPECT_EQ(static_cast<DWORD>(MEM_COMMIT), info.State);
    }
    MEMORY_BASIC_INFORMATION info = {};
    ASSERT_NE(0u, VirtualQuery(address, &info, sizeof(info)));
    EXPECT_EQ(static_cast<DWORD>(MEM_FREE), info.State) << "the view is gone";
    EXPECT_FALSE(MappedView(nullptr)) << "a failed mapping holds nothing to free";
}

}  // namespace

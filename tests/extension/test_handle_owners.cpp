// The handle owners on real kernel objects: each closes what it holds exactly
// once, and not what it handed on.
#include <gtest/gtest.h>
#include <windows.h>

#include <utility>

#include "common/Handles.h"

namespace {

bool IsOpen(HANDLE handle) {
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

}  // namespace

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

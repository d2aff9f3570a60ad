#include <gtest/gtest.h>
#include <windows.h>

#include <utility>

#include "base/HandleOwners.h"

namespace {

bool IsOpen(HANDLE handle) {
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

}  // namespace

TEST(HandleOwners, EachHandleIsClosedOnceByItsLastOwner) {
    HANDLE first = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE second = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_TRUE(first && second);
    {
        UniqueHandle owner(first);
        UniqueHandle moved(std::move(owner));
        EXPECT_FALSE(owner);
        EXPECT_EQ(first, moved.get());
        // Taking another handle closes the one held before.
        moved.Reset(second);
        EXPECT_FALSE(IsOpen(first));
        EXPECT_TRUE(IsOpen(second));
        // The same handle again is no change.
        moved.Reset(second);
        EXPECT_TRUE(IsOpen(second));
    }
    EXPECT_FALSE(IsOpen(second));

    HANDLE kept = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    {
        UniqueHandle owner(kept);
        EXPECT_EQ(kept, owner.Detach());
    }
    EXPECT_TRUE(IsOpen(kept)) << "a detached handle belongs to the caller";
    UniqueHandle(kept).Reset();
    EXPECT_FALSE(IsOpen(kept));
}

TEST(HandleOwners, AViewIsUnmappedWhenItsOwnerGoes) {
    UniqueHandle mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, nullptr));
    ASSERT_TRUE(mapping);
    void* address = nullptr;
    {
        MappedView view(MapViewOfFile(mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, 4096));
        ASSERT_TRUE(view);
        address = view.get();
        static_cast<char*>(address)[0] = 'x';
        MEMORY_BASIC_INFORMATION info = {};
        ASSERT_NE(0u, VirtualQuery(address, &info, sizeof(info)));
        EXPECT_EQ(static_cast<DWORD>(MEM_COMMIT), info.State);
    }
    MEMORY_BASIC_INFORMATION info = {};
    ASSERT_NE(0u, VirtualQuery(address, &info, sizeof(info)));
    EXPECT_EQ(static_cast<DWORD>(MEM_FREE), info.State) << "the view is gone";
}

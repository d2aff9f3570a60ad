#include <gtest/gtest.h>

#include "base/ThreadSlot.h"

TEST(ThreadBhoSlot, OnlyInternetExplorerHostsGetTheSlot) {
    EXPECT_TRUE(ThreadBhoSlot::IsBrowserHostPath(L"C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE"));
    EXPECT_TRUE(ThreadBhoSlot::IsBrowserHostPath(L"c:\\program files (x86)\\internet explorer\\IExplore.exe"));
    EXPECT_FALSE(ThreadBhoSlot::IsBrowserHostPath(L"C:\\Windows\\System32\\regsvr32.exe"));
    EXPECT_FALSE(ThreadBhoSlot::IsBrowserHostPath(L"C:\\iexplore\\run.exe"));
    EXPECT_FALSE(ThreadBhoSlot::IsBrowserHostPath(L""));

    // This test program is no browser: nothing is allocated, and freeing
    // what was never allocated does nothing.
    EXPECT_FALSE(ThreadBhoSlot::AllocateForHost());
    EXPECT_FALSE(ThreadBhoSlot::IsAllocated());
    EXPECT_EQ(TLS_OUT_OF_INDEXES, ThreadBhoSlot::Index());
    EXPECT_EQ(nullptr, ThreadBhoSlot::Get());
    EXPECT_FALSE(ThreadBhoSlot::Set(nullptr));
    ThreadBhoSlot::Free();
    EXPECT_FALSE(ThreadBhoSlot::IsAllocated());
}

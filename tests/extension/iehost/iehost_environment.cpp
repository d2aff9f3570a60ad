#include <gtest/gtest.h>

#include "base/ThreadSlot.h"

// This program stands where Internet Explorer stands: the slot is allocated
// as the library's process attach does it.
namespace {
class BrowserHostEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ThreadBhoSlot::AllocateForHost(); }
    void TearDown() override { ThreadBhoSlot::Free(); }
};
const auto* const g_browserHost = ::testing::AddGlobalTestEnvironment(new BrowserHostEnvironment);
}  // namespace

TEST(BrowserHost, TheSlotExistsInABrowserNamedHost) {
    EXPECT_TRUE(ThreadBhoSlot::IsAllocated());
    EXPECT_NE(TLS_OUT_OF_INDEXES, ThreadBhoSlot::Index());
}

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "FakeSite.h"
#include "ReferenceBalance.h"

namespace {

// A fake that deletes itself on its last Release, as enumerators do.
class SelfDeleting final : public SelfDeletingFake<IUnknown> {
public:
    STDMETHODIMP QueryInterface(REFIID, void** ppv) override {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
};

FakeSite* g_longLived = nullptr;
SelfDeleting* g_leaked = nullptr;

}  // namespace

TEST(ReferenceBalance, AFakeLeftWithAReferenceOrReleasedTooOftenFailsTheTest) {
    EXPECT_NONFATAL_FAILURE(
        {
            FakeSite site;
            site.Unknown()->AddRef();
        },
        "FakeSite left with 2 references, 1 expected");
    // Taken back later, an over-release is still one.
    EXPECT_NONFATAL_FAILURE(
        {
            FakeSite site;
            site.Unknown()->Release();
            site.Unknown()->AddRef();
        },
        "FakeSite released more often than it was referenced: its count fell to 0, 1 expected");
    {
        FakeSite balanced;
        balanced.Unknown()->AddRef();
        balanced.Unknown()->Release();
    }
}

TEST(ReferenceBalance, FakesAliveAtTheEndOfATestAreCheckedThere) {
    // A fake held over from an earlier test answers only for what this one
    // does to it.
    g_longLived = new FakeSite;
    g_longLived->Unknown()->AddRef();
    FakeReferences::TestStarting();
    FakeReferences::CheckLive();
    EXPECT_NONFATAL_FAILURE(
        {
            g_longLived->Unknown()->AddRef();
            FakeReferences::CheckLive();
        },
        "FakeSite left with 3 references, 2 expected, at the end of the test");
    g_longLived->Unknown()->Release();
    delete g_longLived;

    g_leaked = new SelfDeleting;
    EXPECT_NONFATAL_FAILURE(FakeReferences::CheckLive(), "SelfDeleting still alive with 1 references");
    g_leaked->Release();
}

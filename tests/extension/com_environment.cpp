#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

// The library runs on COM threads of the browser: so do the tests.
namespace {
class ComEnvironment : public ::testing::Environment {
public:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }
};
const auto* const g_comEnvironment = ::testing::AddGlobalTestEnvironment(new ComEnvironment);
}  // namespace

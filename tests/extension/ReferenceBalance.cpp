#include "ReferenceBalance.h"

#include <gtest/gtest.h>

#include <cxxabi.h>
#include <cstdlib>
#include <set>
#include <string>

namespace {

// Fakes may come and go on any thread of the test program.
SRWLOCK g_lock = SRWLOCK_INIT;
unsigned g_test = 0;  // serial of the running test, 0 before the first
bool g_testRunning = false;

std::set<FakeReferences*>& Live() {
    static auto* live = new std::set<FakeReferences*>;  // outlives every static fake
    return *live;
}

class Locked {
public:
    Locked() { AcquireSRWLockExclusive(&g_lock); }
    ~Locked() { ReleaseSRWLockExclusive(&g_lock); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
};

std::string TypeName(const std::type_info* type) {
    if (!type)
        return "a fake";
    int status = 0;
    char* readable = abi::__cxa_demangle(type->name(), nullptr, nullptr, &status);
    std::string name = status == 0 && readable ? readable : type->name();
    std::free(readable);
    return name;
}

class ReferenceBalanceListener : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo&) override { FakeReferences::TestStarting(); }
    // Runs before the result printer reports the test (end events go to the
    // listeners in reverse order), so a failure here still fails the test.
    void OnTestEnd(const ::testing::TestInfo&) override { FakeReferences::TestEnded(); }
};

const bool g_listening = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new ReferenceBalanceListener);
    return true;
}();

}  // namespace

FakeReferences::Registration::Registration(FakeReferences* fake) {
    Locked lock;
    fake->m_test = g_test;
    Live().insert(fake);
}

FakeReferences::~FakeReferences() {
    Locked lock;
    Live().erase(this);
    // Outside a test nobody would hear of it; the end of the last test the
    // fake lived through has checked it.
    if (g_testRunning && !m_self && !Balanced())
        Report("when it went away");
}

ULONG FakeReferences::AddRef(const std::type_info& fake) {
    m_type = &fake;
    return static_cast<ULONG>(InterlockedIncrement(&m_count));
}

ULONG FakeReferences::Release(const std::type_info& fake) {
    m_type = &fake;
    LONG count = InterlockedDecrement(&m_count);
    // The lowest count shows an over-release even when a later AddRef hides it.
    for (LONG lowest = m_lowest; count < lowest; lowest = m_lowest)
        InterlockedCompareExchange(&m_lowest, count, lowest);
    return static_cast<ULONG>(count);
}

void FakeReferences::Report(const char* when) {
    // Alive, a fake that deletes itself still knows its type.
    std::string name = TypeName(m_type ? m_type : m_self ? &typeid(*m_self) : nullptr);
    if (m_self)
        ADD_FAILURE() << name << " still alive with " << m_count << " references " << when;
    else if (m_lowest < m_start)
        ADD_FAILURE() << name << " released more often than it was referenced: its count fell to " << m_lowest
                      << ", " << m_start << " expected, " << when;
    else
        ADD_FAILURE() << name << " left with " << m_count << " references, " << m_start << " expected, " << when;
}

void FakeReferences::TestStarting() {
    Locked lock;
    ++g_test;
    g_testRunning = true;
    // A fake that outlives tests answers for what each test did to it.
    for (FakeReferences* fake : Live()) {
        fake->m_start = fake->m_count;
        fake->m_lowest = fake->m_count;
    }
}

void FakeReferences::CheckLive() {
    Locked lock;
    for (FakeReferences* fake : Live()) {
        if (fake->m_self ? fake->m_test == g_test : !fake->Balanced())
            fake->Report("at the end of the test");
    }
}

void FakeReferences::TestEnded() {
    CheckLive();
    Locked lock;
    g_testRunning = false;
}

#pragma once
// The reference count of a fake, checked for balance: every reference the
// code under test takes must be given back by the end of the test. A fake
// left with more references than it started with shows a leak, one that fell
// below its start an over-release; either fails the running test, naming the
// fake's type and its count.
//
// A fake the test owns (on its stack, in its fixture, or longer) starts with
// the owner's one reference and is checked when it goes away and, while it
// lives on, at the end of every test. A fake that deletes itself on the last
// Release is a leak when it is still alive at the end of the test that made it.
#include <windows.h>

#include <typeinfo>

class FakeReferences {
public:
    // The count of a fake the test owns, which starts with the owner's reference.
    FakeReferences() = default;
    // The count of a fake that deletes itself on the last Release.
    FakeReferences(const IUnknown* self, LONG start) : m_self(self), m_count(start), m_start(start), m_lowest(start) {}
    ~FakeReferences();
    FakeReferences(const FakeReferences&) = delete;
    FakeReferences& operator=(const FakeReferences&) = delete;

    // The type is the fake's own (typeid(*this) in its AddRef), for the report.
    ULONG AddRef(const std::type_info& fake);
    ULONG Release(const std::type_info& fake);
    LONG Count() const { return m_count; }

    // Run by the test program's listener at the start and end of each test.
    static void TestStarting();
    static void TestEnded();
    // What the end of a test checks: the fakes still alive.
    static void CheckLive();

private:
    struct Registration {
        explicit Registration(FakeReferences* fake);
    };

    void Report(const char* when);
    bool Balanced() const { return m_count == m_start && m_lowest >= m_start; }

    const IUnknown* const m_self = nullptr;
    volatile LONG m_count = 1;
    LONG m_start = 1;
    volatile LONG m_lowest = 1;
    const std::type_info* volatile m_type = nullptr;
    unsigned m_test = 0;  // the test during which the fake was made
    Registration m_registration{this};
};

// The IUnknown counting of a fake that deletes itself on its last Release.
template <class I>
class SelfDeletingFake : public I {
public:
    virtual ~SelfDeletingFake() = default;
    STDMETHODIMP_(ULONG) AddRef() override { return m_references.AddRef(typeid(*this)); }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG refs = m_references.Release(typeid(*this));
        if (refs == 0)
            delete this;
        return refs;
    }

protected:
    explicit SelfDeletingFake(LONG start = 1) : m_references(this, start) {}

private:
    FakeReferences m_references;
};

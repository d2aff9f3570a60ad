#include <gtest/gtest.h>

#include "base/ClassFactory.h"
#include "ReferenceBalance.h"

#include <objbase.h>

namespace {

// {6A0F6E41-7C2B-4D1E-9A57-3B8C2F1D0E11}
const CLSID kSampleClsid = {0x6a0f6e41, 0x7c2b, 0x4d1e, {0x9a, 0x57, 0x3b, 0x8c, 0x2f, 0x1d, 0x0e, 0x11}};
const CLSID kOtherClsid = {0x6a0f6e42, 0x7c2b, 0x4d1e, {0x9a, 0x57, 0x3b, 0x8c, 0x2f, 0x1d, 0x0e, 0x11}};

int g_liveSamples = 0;

class Sample : public SelfDeletingFake<IUnknown> {
public:
    Sample() : SelfDeletingFake(0) { ++g_liveSamples; }
    ~Sample() override { --g_liveSamples; }
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (riid == IID_IUnknown) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }

private:
    ModuleObjectLock m_lock;
};

}  // namespace

TEST(ClassFactory, CreatesObjectsThatHoldTheModuleWhileTheyLive) {
    const LONG base = ModuleLockCount();
    IClassFactory* factory = new ClassFactory(CreateComObject<Sample>);
    factory->AddRef();
    EXPECT_EQ(base, ModuleLockCount()) << "a factory alone never keeps the library loaded";

    IUnknown* first = nullptr;
    IUnknown* second = nullptr;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&first)));
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&second)));
    EXPECT_NE(first, second);
    EXPECT_EQ(2, g_liveSamples);
    EXPECT_EQ(base + 2, ModuleLockCount());

    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IDispatch, &none));
    EXPECT_EQ(nullptr, none);
    EXPECT_EQ(2, g_liveSamples) << "an object whose interface was refused is gone again";
    none = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(first, IID_IUnknown, &none));
    EXPECT_EQ(nullptr, none);
    EXPECT_EQ(E_POINTER, factory->CreateInstance(nullptr, IID_IUnknown, nullptr));

    first->Release();
    second->Release();
    EXPECT_EQ(0, g_liveSamples);
    EXPECT_EQ(base, ModuleLockCount());

    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    EXPECT_EQ(base + 2, ModuleLockCount());
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    EXPECT_EQ(base, ModuleLockCount());

    EXPECT_EQ(E_NOINTERFACE, factory->QueryInterface(IID_IDispatch, &none));
    EXPECT_EQ(0u, factory->Release());
}

TEST(ClassFactory, ObjectMapHandsOutOneFactoryPerClassAndOnlyForItsClasses) {
    ObjectMapEntry entries[] = {{&kSampleClsid, CreateComObject<Sample>, nullptr, nullptr}};
    ClassObjectMap map(entries, 1);
    ASSERT_TRUE(map.Init());
    const LONG base = ModuleLockCount();

    IClassFactory* first = nullptr;
    IClassFactory* second = nullptr;
    ASSERT_EQ(S_OK, map.GetClassObject(kSampleClsid, IID_IClassFactory, reinterpret_cast<void**>(&first)));
    ASSERT_EQ(S_OK, map.GetClassObject(kSampleClsid, IID_IClassFactory, reinterpret_cast<void**>(&second)));
    EXPECT_EQ(first, second) << "the factory is made once, on the first request";
    EXPECT_EQ(base, ModuleLockCount());

    IUnknown* object = nullptr;
    ASSERT_EQ(S_OK, first->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&object)));
    EXPECT_EQ(base + 1, ModuleLockCount());
    object->Release();
    first->Release();
    second->Release();

    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, map.GetClassObject(kOtherClsid, IID_IClassFactory, &none));
    EXPECT_EQ(nullptr, none);
    EXPECT_EQ(E_POINTER, map.GetClassObject(kSampleClsid, IID_IClassFactory, nullptr));
    none = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, map.GetClassObject(kSampleClsid, IID_IDispatch, &none));
    EXPECT_EQ(nullptr, none);

    map.Term();
    EXPECT_EQ(nullptr, entries[0].factory.Get());
    EXPECT_EQ(base, ModuleLockCount());
}

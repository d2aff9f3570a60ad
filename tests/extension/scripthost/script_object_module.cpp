// Serves CHintora under the test class {6B0E51B8-4C0F-4F4B-9D55-2C7A1E3B9F10}
// ("HintoraTest.Hintora"), so script tests never touch the product's own
// registration.
#include <windows.h>
#include <ole2.h>

#include "scriptable/Hintora.h"

namespace {

const CLSID kTestClsid = {0x6B0E51B8, 0x4C0F, 0x4F4B, {0x9D, 0x55, 0x2C, 0x7A, 0x1E, 0x3B, 0x9F, 0x10}};
LONG g_objects = 0;

// Not reference-checked: it serves cscript, a process the test's checks do not reach.
class Factory : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *ppv = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return CHintora::CreateInstance(riid, ppv);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock)
            InterlockedIncrement(&g_objects);
        else
            InterlockedDecrement(&g_objects);
        return S_OK;
    }
};

Factory g_factory;

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (clsid != kTestClsid)
        return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(riid, ppv);
}

// The process keeps the library until it ends: objects hold no count here.
STDAPI DllCanUnloadNow() {
    return S_FALSE;
}

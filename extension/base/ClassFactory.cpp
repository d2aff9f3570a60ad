#include "base/ClassFactory.h"

namespace {
volatile LONG g_lockCount = 0;
}  // namespace

LONG ModuleLock() {
    return InterlockedIncrement(&g_lockCount);
}

LONG ModuleUnlock() {
    return InterlockedDecrement(&g_lockCount);
}

LONG ModuleLockCount() {
    return InterlockedCompareExchange(&g_lockCount, 0, 0);
}

STDMETHODIMP ClassFactory::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
        *ppv = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) ClassFactory::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_refs));
}

STDMETHODIMP_(ULONG) ClassFactory::Release() {
    LONG refs = InterlockedDecrement(&m_refs);
    if (refs == 0)
        delete this;
    return static_cast<ULONG>(refs);
}

STDMETHODIMP ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    return m_creator(riid, ppv);
}

STDMETHODIMP ClassFactory::LockServer(BOOL lock) {
    if (lock)
        ModuleLock();
    else
        ModuleUnlock();
    return S_OK;
}

bool ClassObjectMap::Init() {
    if (m_bInitialized)
        return true;
    if (!InitializeCriticalSectionAndSpinCount(&m_lock, 0))
        return false;
    m_bInitialized = true;
    return true;
}

void ClassObjectMap::Term() {
    if (!m_bInitialized)
        return;
    for (auto& entry : *this)
        entry.factory.Reset();
    DeleteCriticalSection(&m_lock);
    m_bInitialized = false;
}

HRESULT ClassObjectMap::GetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    for (auto& entry : *this) {
        if (!entry.clsid || !IsEqualCLSID(*entry.clsid, clsid) || !entry.create)
            continue;
        if (!m_bInitialized)
            return E_UNEXPECTED;
        EnterCriticalSection(&m_lock);
        if (!entry.factory)
            entry.factory = new (std::nothrow) ClassFactory(entry.create);
        // Our own reference: Term may drop the map's once the lock is left.
        ComPtr<IClassFactory> factory = entry.factory;
        LeaveCriticalSection(&m_lock);
        if (!factory)
            return E_OUTOFMEMORY;
        return factory->QueryInterface(riid, ppv);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT ClassObjectMap::UpdateRegistry(bool doRegister) {
    for (auto& entry : *this) {
        if (!entry.updateRegistry)
            continue;
        HRESULT hr = entry.updateRegistry(doRegister);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

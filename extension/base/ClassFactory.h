#pragma once
// Class objects and the module lock count behind DllCanUnloadNow.
#include <windows.h>
#include <unknwn.h>

#include <new>

#include "base/ComOwners.h"

// The library may unload while the count is 0. Every live object of the
// library's classes holds one count, and so does every LockServer(TRUE).
LONG ModuleLock();
LONG ModuleUnlock();
LONG ModuleLockCount();

// A member of each COM object: holds one module lock for the object's life.
class ModuleObjectLock {
public:
    ModuleObjectLock() { ModuleLock(); }
    ~ModuleObjectLock() { ModuleUnlock(); }
    ModuleObjectLock(const ModuleObjectLock&) = delete;
    ModuleObjectLock& operator=(const ModuleObjectLock&) = delete;
};

// Makes a new object and hands out the asked interface; *ppv is null on failure.
using CreatorFunc = HRESULT (*)(REFIID riid, void** ppv);

// The usual creator: a heap object of class T that starts with no
// references and deletes itself on its last Release.
template <class T>
HRESULT CreateComObject(REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    // Our reference keeps the object alive through QueryInterface and frees
    // it when that fails.
    ComPtr<T> object(new (std::nothrow) T());
    if (!object)
        return E_OUTOFMEMORY;
    return object->QueryInterface(riid, ppv);
}

class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(CreatorFunc creator) : m_creator(creator) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    ~ClassFactory() = default;

    LONG m_refs = 0;
    CreatorFunc m_creator;
};

// One creatable class of the library, in registration order.
struct ObjectMapEntry {
    const CLSID* clsid;
    CreatorFunc create;
    // Runs the class's registration (true) or unregistration (false).
    HRESULT (*updateRegistry)(bool doRegister);
    ComPtr<IClassFactory> factory;  // made on first request, kept until Term
};

// The class objects of a map. Factories are made once, on first request,
// under the given lock, and shared by every caller after that. They hold
// no module lock themselves (LockServer does), so they never keep the
// library loaded.
class ClassObjectMap {
public:
    ClassObjectMap(ObjectMapEntry* entries, size_t count) : m_entries(entries), m_count(count) {}
    // False when the lock could not be set up: the library must not load then.
    bool Init();
    void Term();

    // E_POINTER for a null out pointer, CLASS_E_CLASSNOTAVAILABLE for a
    // class not in the map.
    HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** ppv);
    // Registration walks the map in order and stops at the first failure.
    HRESULT UpdateRegistry(bool doRegister);

    ObjectMapEntry* begin() const { return m_entries; }
    ObjectMapEntry* end() const { return m_entries + m_count; }

private:
    ObjectMapEntry* m_entries;
    size_t m_count;
    CRITICAL_SECTION m_lock;
    bool m_bInitialized = false;
};

#pragma once
// A stand-in for the outside trace component: an IDispatch with a "Write"
// method, registered for the test process under the component's class id.
#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "base/ComOwners.h"
#include "ReferenceBalance.h"

class FakeTraceComponent : public IDispatch {
public:
    std::vector<std::pair<std::wstring, std::wstring>> lines;  // (tag, text)
    // Runs after each line is written, as whatever the writer's call may let
    // run meanwhile.
    std::function<void()> afterWrite;
    // Set before the logger connects: every thread then calls the object
    // directly, as it would a free-threaded component, and each line is
    // written (and afterWrite run) on the thread that traces it.
    bool freeThreaded = false;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDispatch) {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        if (riid == IID_IMarshal && freeThreaded) {
            if (!m_marshaler)
                CoCreateFreeThreadedMarshaler(static_cast<IDispatch*>(this), &m_marshaler);
            if (m_marshaler)
                return m_marshaler->QueryInterface(riid, ppv);
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return m_references.AddRef(typeid(*this)); }
    STDMETHODIMP_(ULONG) Release() override { return m_references.Release(typeid(*this)); }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (count == 1 && lstrcmpiW(names[0], L"Write") == 0) {
            ids[0] = 1;
            return S_OK;
        }
        return DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        if (id != 1 || params->cArgs != 2)
            return DISP_E_BADPARAMCOUNT;
        // Arguments arrive last-first.
        {
            std::lock_guard<std::mutex> guard(m_linesLock);
            lines.emplace_back(params->rgvarg[1].bstrVal, params->rgvarg[0].bstrVal);
        }
        if (afterWrite)
            afterWrite();
        return S_OK;
    }

private:
    FakeReferences m_references;
    std::mutex m_linesLock;
    ComPtr<IUnknown> m_marshaler;
};

class FakeTraceFactory : public IClassFactory {
public:
    explicit FakeTraceFactory(FakeTraceComponent* component) : m_component(component) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *ppv = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return m_references.AddRef(typeid(*this)); }
    STDMETHODIMP_(ULONG) Release() override { return m_references.Release(typeid(*this)); }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return m_component->QueryInterface(riid, ppv);
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

private:
    FakeTraceComponent* m_component;
    FakeReferences m_references;
};

class FakeTraceRegistration {
public:
    FakeTraceRegistration() : m_factory(&m_component) {
        CLSID clsid;
        CLSIDFromString(L"{FF633C6F-8974-4826-8082-E65FD8F9FE40}", &clsid);
        CoRegisterClassObject(clsid, &m_factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &m_cookie);
    }
    ~FakeTraceRegistration() {
        if (m_cookie)
            CoRevokeClassObject(m_cookie);
    }
    FakeTraceComponent& Component() { return m_component; }

private:
    FakeTraceComponent m_component;
    FakeTraceFactory m_factory;
    DWORD m_cookie = 0;
};

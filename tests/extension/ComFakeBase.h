#pragma once
// Stand-ins for the browser's object model, which does not exist under
// wine: every method answers E_NOTIMPL unless a test overrides it.
#include <windows.h>
#include <oaidl.h>

#include "ReferenceBalance.h"

// The IUnknown and IDispatch part of a fake. It counts references without
// ever deleting: fakes belong to the test, and the count must be back at its
// start when the fake goes away.
template <class I>
class ComFakeBase : public I {
public:
    virtual ~ComFakeBase() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == __uuidof(I) || AlsoAnswers(riid)) {
            *ppv = static_cast<I*>(this);
            this->AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return QueryOther(riid, ppv);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return m_references.AddRef(typeid(*this)); }
    ULONG STDMETHODCALLTYPE Release() override { return m_references.Release(typeid(*this)); }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    // Further interfaces of the same object; the out pointer is already null.
    virtual HRESULT QueryOther(REFIID, void**) { return E_NOINTERFACE; }

    LONG References() const { return m_references.Count(); }

protected:
    // Base interfaces the object answers for with the same pointer.
    virtual bool AlsoAnswers(REFIID) const { return false; }

private:
    FakeReferences m_references;
};

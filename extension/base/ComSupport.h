#pragma once
// Small pieces the library's COM objects share.
#include <windows.h>
#include <exdisp.h>
#include <oaidl.h>

#include <string>

#include "base/ComOwners.h"

// The reference count of a heap object that deletes itself on its last
// release; any thread may call.
inline ULONG AddComReference(LONG& count) {
    return static_cast<ULONG>(InterlockedIncrement(&count));
}

template <typename T>
ULONG ReleaseComReference(T* object, LONG& count) {
    LONG left = InterlockedDecrement(&count);
    if (left == 0)
        delete object;
    return static_cast<ULONG>(left);
}

// IObjectWithSite::GetSite over the site an object keeps.
inline HRESULT QueryStoredSite(IUnknown* site, REFIID riid, void** ppvSite) {
    if (!ppvSite)
        return E_POINTER;
    *ppvSite = nullptr;
    if (!site)
        return E_FAIL;
    return site->QueryInterface(riid, ppvSite);
}

// The base of a sink for a browser's events: it answers for IDispatch and
// DWebBrowserEvents2, only receives Invoke calls, and has no type
// information or names to give.
class WebBrowserEventSink : public IDispatch {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (riid != IID_IUnknown && riid != IID_IDispatch && riid != DIID_DWebBrowserEvents2)
            return E_NOINTERFACE;
        *ppv = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info)
            *info = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
};

// The arguments of a browser event as Invoke receives them: each may come as
// the value itself or by reference.
namespace EventArgument {

inline IDispatch* Dispatch(const VARIANT& value) {
    if (value.vt == VT_DISPATCH)
        return value.pdispVal;
    if (value.vt == (VT_BYREF | VT_DISPATCH) && value.ppdispVal)
        return *value.ppdispVal;
    return nullptr;
}

inline VARIANT* Variant(VARIANT& value) {
    if (value.vt == (VT_BYREF | VT_VARIANT))
        return value.pvarVal;
    return &value;
}

inline VARIANT_BOOL Bool(const VARIANT& value) {
    if (value.vt == VT_BOOL)
        return value.boolVal;
    if (value.vt == (VT_BYREF | VT_BOOL) && value.pboolVal)
        return *value.pboolVal;
    return VARIANT_FALSE;
}

// A string, possibly behind a reference; empty for anything else.
inline std::wstring Text(const VARIANT* value) {
    if (!value)
        return std::wstring();
    if (value->vt == (VT_BYREF | VT_VARIANT))
        return Text(value->pvarVal);
    if (value->vt == VT_BSTR)
        return BstrToText(value->bstrVal);
    if (value->vt == (VT_BYREF | VT_BSTR) && value->pbstrVal)
        return BstrToText(*value->pbstrVal);
    return std::wstring();
}

}  // namespace EventArgument

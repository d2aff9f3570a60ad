#pragma once
#include <windows.h>
#include <oaidl.h>

// The type information of one of the library's interfaces: from TYPELIB 1 of
// the module this code runs in first, so an unregistered copy still answers
// scripts, else from the registered type library.
HRESULT LoadLibraryTypeInfo(REFGUID guid, ITypeInfo** info);

// IDispatch served from that type information for the interface `iid`,
// which `object` implements; the scriptable objects forward to these.
namespace TypeLibDispatch {
HRESULT GetTypeInfoCount(UINT* count);
HRESULT GetTypeInfo(REFGUID iid, UINT index, ITypeInfo** info);
HRESULT GetIDsOfNames(REFGUID iid, REFIID riid, LPOLESTR* names, UINT count, DISPID* ids);
HRESULT Invoke(REFGUID iid, IDispatch* object, DISPID id, REFIID riid, WORD flags, DISPPARAMS* params,
               VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr);
}  // namespace TypeLibDispatch

// The base of an object whose interface I is served from that type
// information: it implements I's IDispatch part, the object the rest.
template <class I>
class TypeLibDispatchImpl : public I {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* count) override { return TypeLibDispatch::GetTypeInfoCount(count); }
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        return TypeLibDispatch::GetTypeInfo(__uuidof(I), index, info);
    }
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return TypeLibDispatch::GetIDsOfNames(__uuidof(I), riid, names, count, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excepInfo, UINT* argErr) override {
        return TypeLibDispatch::Invoke(__uuidof(I), static_cast<I*>(this), id, riid, flags, params, result, excepInfo,
                                       argErr);
    }
};

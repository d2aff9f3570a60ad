#include "base/TypeLibrary.h"

#include <oleauto.h>

#include "base/ComOwners.h"
#include "HintoraIE_h.h"

HRESULT LoadLibraryTypeInfo(REFGUID guid, ITypeInfo** info) {
    if (!info)
        return E_POINTER;
    *info = nullptr;
    ComPtr<ITypeLib> library;
    HRESULT hr = E_FAIL;
    HMODULE module = nullptr;
    wchar_t path[MAX_PATH + 1] = {};
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCWSTR>(&LoadLibraryTypeInfo), &module)) {
        DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
        if (length > 0 && length < MAX_PATH)
            hr = LoadTypeLibEx(path, REGKIND_NONE, library.ReleaseAndGetAddressOf());
    }
    if (FAILED(hr) || !library)
        hr = LoadRegTypeLib(LIBID_HintoraIELib, 1, 0, LOCALE_NEUTRAL, library.ReleaseAndGetAddressOf());
    if (FAILED(hr) || !library)
        return FAILED(hr) ? hr : TYPE_E_CANTLOADLIBRARY;
    return library->GetTypeInfoOfGuid(guid, info);
}

namespace TypeLibDispatch {

namespace {

// Dispatch calls name no interface of their own (IID_NULL).
template <typename Use>
HRESULT WithTypeInfo(REFGUID iid, REFIID riid, Use use) {
    if (riid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    ComPtr<ITypeInfo> info;
    HRESULT hr = LoadLibraryTypeInfo(iid, &info);
    if (FAILED(hr))
        return hr;
    return use(info.Get());
}

}  // namespace

HRESULT GetTypeInfoCount(UINT* count) {
    if (!count)
        return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT GetTypeInfo(REFGUID iid, UINT index, ITypeInfo** info) {
    if (!info)
        return E_POINTER;
    *info = nullptr;
    if (index != 0)
        return DISP_E_BADINDEX;
    return LoadLibraryTypeInfo(iid, info);
}

HRESULT GetIDsOfNames(REFGUID iid, REFIID riid, LPOLESTR* names, UINT count, DISPID* ids) {
    return WithTypeInfo(iid, riid, [&](ITypeInfo* info) { return DispGetIDsOfNames(info, names, count, ids); });
}

HRESULT Invoke(REFGUID iid, IDispatch* object, DISPID id, REFIID riid, WORD flags, DISPPARAMS* params,
               VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) {
    return WithTypeInfo(iid, riid, [&](ITypeInfo* info) {
        return info->Invoke(object, id, flags, params, result, excepInfo, argErr);
    });
}

}  // namespace TypeLibDispatch

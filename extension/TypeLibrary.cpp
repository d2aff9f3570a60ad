#include "TypeLibrary.h"

#include <oleauto.h>

#include "HintoraIE_h.h"

HRESULT LoadLibraryTypeInfo(REFGUID guid, ITypeInfo** info) {
    if (!info)
        return E_POINTER;
    *info = nullptr;
    ITypeLib* library = nullptr;
    HRESULT hr = E_FAIL;
    HMODULE module = nullptr;
    wchar_t path[MAX_PATH + 1] = {};
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCWSTR>(&LoadLibraryTypeInfo), &module)) {
        DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
        if (length > 0 && length < MAX_PATH)
            hr = LoadTypeLibEx(path, REGKIND_NONE, &library);
    }
    if (FAILED(hr) || !library)
        hr = LoadRegTypeLib(LIBID_HintoraIELib, 1, 0, LOCALE_NEUTRAL, &library);
    if (FAILED(hr) || !library)
        return FAILED(hr) ? hr : TYPE_E_CANTLOADLIBRARY;
    hr = library->GetTypeInfoOfGuid(guid, info);
    library->Release();
    return hr;
}

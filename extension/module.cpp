// DLL entry points. The class objects and registration arrive with the
// component module; until then the library answers that it has no classes.
#include <windows.h>
#include <ole2.h>

#include "ThreadSlot.h"

static HINSTANCE g_hInstance = nullptr;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_hInstance = instance;
        DisableThreadLibraryCalls(instance);
        // Only Internet Explorer gets the slot that tab threads keep their
        // helper object in.
        ThreadBhoSlot::AllocateForHost();
    } else if (reason == DLL_PROCESS_DETACH) {
        ThreadBhoSlot::Free();
    }
    return TRUE;
}

STDAPI DllCanUnloadNow() {
    return S_OK;
}

STDAPI DllGetClassObject(REFCLSID, REFIID, LPVOID* ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllRegisterServer() {
    return S_OK;
}

STDAPI DllUnregisterServer() {
    return S_OK;
}

STDAPI DllInstall(BOOL, LPCWSTR) {
    return S_OK;
}

// DLL entry points: load and unload, the class objects of the four classes
// and their registration.
#include <windows.h>
#include <ole2.h>

#include "base/ClassFactory.h"
#include "base/ComModule.h"
#include "base/ThreadSlot.h"
#include "helper/HintoraIEBHO.h"
#include "HintoraIE_h.h"
#include "RegistryScripts.h"
#include "scriptable/Hintora.h"
#include "scriptable/HintoraOptions.h"
#include "ui/DocUIHandler.h"

namespace {

// The helper object's registration is its script alone.
HRESULT UpdateHelperObjectRegistry(bool doRegister) {
    return g_module.UpdateRegistryFromResource(IDR_HINTORAIEBHO, doRegister);
}

// Registration and unregistration walk the map in this order.
ObjectMapEntry g_objectEntries[] = {
    {&CLSID_DocUIHandler, &CDocUIHandler::CreateInstance, &CDocUIHandler::UpdateRegistry, nullptr},
    {&CLSID_HintoraIEBHO, &CHintoraIEBHO::CreateInstance, &UpdateHelperObjectRegistry, nullptr},
    {&CLSID_Hintora, &CHintora::CreateInstance, &CHintora::UpdateRegistry, nullptr},
    {&CLSID_HintoraOptions, &CHintoraOptions::CreateInstance, &CHintoraOptions::UpdateRegistry, nullptr},
};

ClassObjectMap g_objectMap(g_objectEntries, sizeof(g_objectEntries) / sizeof(g_objectEntries[0]));

bool g_bSlotAllocated = false;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module.SetModuleHandle(instance);
        // Any host may create the classes (a script host, the registration
        // tool), so the class objects' lock exists everywhere.
        if (!g_objectMap.Init())
            return FALSE;
        wchar_t host[MAX_PATH + 1] = {};
        DWORD length = GetModuleFileNameW(nullptr, host, MAX_PATH);
        if (length >= MAX_PATH)
            host[MAX_PATH] = L'\0';
        // Only Internet Explorer gets the slot that tab threads keep their
        // helper object in; its many threads need no attach calls.
        if (ThreadBhoSlot::IsBrowserHostPath(host)) {
            DisableThreadLibraryCalls(instance);
            g_bSlotAllocated = ThreadBhoSlot::AllocateForHost();
        }
    } else if (reason == DLL_PROCESS_DETACH) {
        if (g_bSlotAllocated) {
            ThreadBhoSlot::Free();
            g_bSlotAllocated = false;
        }
        // At process exit other libraries may already be gone: the class
        // objects are released only on an explicit unload.
        if (!reserved)
            g_objectMap.Term();
    }
    return TRUE;
}

STDAPI DllCanUnloadNow() {
    return ModuleLockCount() == 0 ? S_OK : S_FALSE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* ppv) {
    return g_objectMap.GetClassObject(clsid, riid, ppv);
}

STDAPI DllRegisterServer() {
    return g_module.RegisterServer(g_objectMap, IDR_HINTORAIE);
}

STDAPI DllUnregisterServer() {
    return g_module.UnregisterServer(g_objectMap, IDR_HINTORAIE);
}

STDAPI DllInstall(BOOL install, LPCWSTR commandLine) {
    if (IsPerUserCommandLine(commandLine))
        g_module.SetPerUser(true);
    if (!install)
        return DllUnregisterServer();
    HRESULT hr = DllRegisterServer();
    // A half-made registration is worse than none.
    if (FAILED(hr))
        DllUnregisterServer();
    return hr;
}

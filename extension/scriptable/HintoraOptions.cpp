#include "scriptable/HintoraOptions.h"

#include <servprov.h>
#include <shlguid.h>

#include <string>
#include <utility>

#include "base/ComModule.h"
#include "base/ComSupport.h"
#include "base/Logger.h"
#include "base/Registry.h"
#include "base/ThreadSlot.h"
#include "base/TypeLibrary.h"
#include "helper/HintoraIEBHO.h"
#include "messages/MessageCatalog.h"
#include "scriptable/Hintora.h"

CHintoraOptions::MessageBoxFunc CHintoraOptions::s_pfnMessageBox = MessageBoxW;

const wchar_t* const CHintoraOptions::kKillBitKeys[8] = {
    L"SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\{C0F7E046-4E1D-47C8-9354-4F53B5DC5CB8}",
    L"SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\{0A9FA9EA-2BAE-439D-89B0-65792127BBD7}",
    L"SOFTWARE\\Wow6432Node\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\"
    L"{C0F7E046-4E1D-47C8-9354-4F53B5DC5CB8}",
    L"SOFTWARE\\Wow6432Node\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\"
    L"{0A9FA9EA-2BAE-439D-89B0-65792127BBD7}",
    L"SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\{895D9400-C8E1-45E4-8620-4156CACCDED9}",
    L"SOFTWARE\\Wow6432Node\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\"
    L"{895D9400-C8E1-45E4-8620-4156CACCDED9}",
    L"SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\{D47F4B55-0473-4BB5-9B40-F16A7B9DC054}",
    L"SOFTWARE\\Wow6432Node\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\"
    L"{D47F4B55-0473-4BB5-9B40-F16A7B9DC054}",
};

HRESULT CHintoraOptions::CreateInstance(REFIID riid, void** ppv) {
    return CreateComObject<CHintoraOptions>(riid, ppv);
}

HRESULT CHintoraOptions::UpdateRegistry(bool doRegister) {
    return g_module.UpdateRegistryFromResource(kRegistryScript, doRegister);
}

CHintoraOptions::CHintoraOptions() {
    g_logger.ConnectTraceObject();
    if (SUCCEEDED(Initialize()))
        m_bBHO = 1;
    g_logger.Log(L"CHintoraOptions::CHintoraOptions() - this = [%08Ix] m_bBHO = [%d] m_spWindow = [%08Ix]",
                 reinterpret_cast<UINT_PTR>(this), static_cast<int>(m_bBHO),
                 reinterpret_cast<UINT_PTR>(m_spWindow.Get()));
}

CHintoraOptions::~CHintoraOptions() {
    m_spWindow.Reset();
    g_logger.Log(L"CHintoraOptions::~CHintoraOptions() - this = [%08Ix]", reinterpret_cast<UINT_PTR>(this));
}

HRESULT CHintoraOptions::Initialize() {
    return CHintora::TakeTabWindow(L"CHintoraOptions", m_spWindow);
}

// ---- IUnknown -------------------------------------------------------------

STDMETHODIMP CHintoraOptions::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IObjectWithSite)
        *ppv = static_cast<IObjectWithSite*>(this);
    else if (riid == IID_IDispatch || riid == IID_IHintoraOptions)
        *ppv = static_cast<IHintoraOptions*>(this);
    else if (riid == IID_IOleCommandTarget)
        *ppv = static_cast<IOleCommandTarget*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CHintoraOptions::AddRef() {
    return AddComReference(m_cRef);
}

STDMETHODIMP_(ULONG) CHintoraOptions::Release() {
    return ReleaseComReference(this, m_cRef);
}

// ---- IObjectWithSite ------------------------------------------------------

STDMETHODIMP CHintoraOptions::SetSite(IUnknown* site) {
    if (!site) {
        m_spWebBrowser.Reset();
        m_spWindow.Reset();
        m_spCommandTarget.Reset();
    } else if (!m_bBHO) {
        m_spCommandTarget.Reset();
        ComPtr<IWebBrowser2> browser;
        CHintora::FindToolbarBrowser(site, m_spCommandTarget, browser);
        if (browser)
            m_spWebBrowser = std::move(browser);
    }
    g_logger.Log(L"CHintoraOptions::SetSite() - pUnkSite = [%08Ix] m_spWebBrowser = [%08Ix]",
                 reinterpret_cast<UINT_PTR>(site), reinterpret_cast<UINT_PTR>(m_spWebBrowser.Get()));
    m_spUnkSite = site;
    return S_OK;
}

STDMETHODIMP CHintoraOptions::GetSite(REFIID riid, void** ppvSite) {
    return QueryStoredSite(m_spUnkSite.Get(), riid, ppvSite);
}

// ---- IOleCommandTarget ----------------------------------------------------

STDMETHODIMP CHintoraOptions::QueryStatus(const GUID* group, ULONG count, OLECMD* commands, OLECMDTEXT*) {
    return CHintora::ToolbarCommandStatus(group, count, commands);
}

bool CHintoraOptions::IsKillBitSet() {
    // The keys name both views themselves.
    Registry machine(HKEY_LOCAL_MACHINE, Registry::kAsWritten);
    for (const wchar_t* key : kKillBitKeys) {
        if (machine.KeyExists(key))
            return true;
    }
    return false;
}

STDMETHODIMP CHintoraOptions::Exec(const GUID*, DWORD id, DWORD, VARIANT*, VARIANT*) {
    try {
        g_logger.Log(L"CHintoraOptions::Exec() - nCmdID = %08x", id);
        if (IsKillBitSet()) {
            g_logger.Log(L"CHintoraOptions::Exec() - kill bit set, exiting.");
            return E_FAIL;
        }
        if (id != 0)
            return S_OK;

        CHintoraIEBHO* bho = ThreadBhoSlot::Get();
        if (!bho || CHintora::IsBhoDisabled()) {
            ShowNoHelperObjectMessage(s_pfnMessageBox);
            return S_OK;
        }

        // The helper object stays alive while it starts the dialog.
        ComPtr<IHintoraIEBHO> keepAlive(static_cast<IHintoraIEBHO*>(bho));
        bho->OpenOptionsWindow();
        return S_OK;
    } catch (...) {
        g_logger.LogError(L"CHintoraOptions::Exec() exception", GetLastError(), true);
        return S_OK;
    }
}

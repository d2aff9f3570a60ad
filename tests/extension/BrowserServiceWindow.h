#pragma once
// A fake window that also serves the browser behind it (IServiceProvider with
// SID_SWebBrowserApp), as the windows of a tab and of a frame do.
#include <windows.h>
#include <servprov.h>
#include <shlguid.h>

#include "NotImplComBases.h"

template <class Browser>
class BrowserServiceWindow : public NotImplIHTMLWindow2, public IServiceProvider {
public:
    Browser* browser = nullptr;  // null: the service is refused

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override { return NotImplIHTMLWindow2::QueryInterface(riid, ppv); }
    STDMETHODIMP_(ULONG) AddRef() override { return NotImplIHTMLWindow2::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return NotImplIHTMLWindow2::Release(); }
    HRESULT QueryOther(REFIID riid, void** ppv) override {
        if (riid == IID_IServiceProvider) {
            *ppv = static_cast<IServiceProvider*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP QueryService(REFGUID service, REFIID riid, void** ppv) override {
        if (service == SID_SWebBrowserApp && browser)
            return browser->QueryInterface(riid, ppv);
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
};

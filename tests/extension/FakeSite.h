#pragma once
// The site Internet Explorer hands an object: a command target that offers
// the browser as the SID_SWebBrowserApp service and, for an object a page
// script created, the page's document as the container dispatch.
#include <windows.h>
#include <docobj.h>
#include <exdisp.h>
#include <mshtml.h>
#include <servprov.h>
#include <shlguid.h>

#include "ReferenceBalance.h"

class FakeSite final : public IOleCommandTarget, public IServiceProvider {
public:
    IWebBrowser2* browser = nullptr;
    IHTMLDocument2* document = nullptr;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (riid == IID_IUnknown || riid == IID_IOleCommandTarget)
            *ppv = static_cast<IOleCommandTarget*>(this);
        else if (riid == IID_IServiceProvider)
            *ppv = static_cast<IServiceProvider*>(this);
        else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return m_references.AddRef(typeid(*this)); }
    STDMETHODIMP_(ULONG) Release() override { return m_references.Release(typeid(*this)); }
    LONG References() const { return m_references.Count(); }
    IUnknown* Unknown() { return static_cast<IOleCommandTarget*>(this); }

    STDMETHODIMP QueryStatus(const GUID*, ULONG, OLECMD*, OLECMDTEXT*) override { return E_NOTIMPL; }
    STDMETHODIMP Exec(const GUID*, DWORD, DWORD, VARIANT*, VARIANT*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryService(REFGUID service, REFIID riid, void** ppv) override {
        if (service == SID_SWebBrowserApp && browser)
            return browser->QueryInterface(riid, ppv);
        if (service == SID_SContainerDispatch && document)
            return document->QueryInterface(riid, ppv);
        *ppv = nullptr;
        return E_NOINTERFACE;
    }

private:
    FakeReferences m_references;
};

#pragma once
// Stand-ins for Internet Explorer's objects, which do not exist under wine:
// a browser with its event connection point, the site that hands the browser
// out, a page window and its document.
#include <gmock/gmock.h>
#include <windows.h>
#include <docobj.h>
#include <exdisp.h>
#include <mshtml.h>
#include <ocidl.h>
#include <servprov.h>
#include <shlguid.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "FakeSite.h"
#include "NotImplComBases.h"

class FakeWindow : public NotImplIHTMLWindow2 {
public:
    MOCK_METHOD(HRESULT, showModalDialog, (BSTR dialog, VARIANT* varArgIn, VARIANT* varOptions, VARIANT* varArgOut),
                (Calltype(STDMETHODCALLTYPE), override));
};

class FakeDocument : public NotImplIHTMLDocument2 {
public:
    IHTMLWindow2* window = nullptr;
    HRESULT STDMETHODCALLTYPE get_parentWindow(IHTMLWindow2** p) override {
        *p = window;
        if (window)
            window->AddRef();
        return window ? S_OK : E_FAIL;
    }
};

// The browser object with the one connection point the helper object uses.
class FakeBrowser : public NotImplIWebBrowser2, public IConnectionPointContainer, public IConnectionPoint {
public:
    MOCK_METHOD(HRESULT, Stop, (), (Calltype(STDMETHODCALLTYPE), override));
    MOCK_METHOD(HRESULT, Navigate2,
                (VARIANT * URL, VARIANT* Flags, VARIANT* TargetFrameName, VARIANT* PostData, VARIANT* Headers),
                (Calltype(STDMETHODCALLTYPE), override));

    IDispatch* document = nullptr;
    IDispatch* sink = nullptr;
    int advises = 0;
    int unadvises = 0;
    DWORD lastUnadvisedCookie = 0;

    ~FakeBrowser() override {
        if (sink)
            sink->Release();
    }

    HRESULT QueryOther(REFIID riid, void** ppv) override {
        if (riid == IID_IConnectionPointContainer) {
            *ppv = static_cast<IConnectionPointContainer*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override { return NotImplIWebBrowser2::QueryInterface(riid, ppv); }
    STDMETHODIMP_(ULONG) AddRef() override { return NotImplIWebBrowser2::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return NotImplIWebBrowser2::Release(); }

    HRESULT STDMETHODCALLTYPE get_Document(IDispatch** p) override {
        *p = document;
        if (document)
            document->AddRef();
        return S_OK;
    }

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** point) override {
        if (riid != DIID_DWebBrowserEvents2) {
            *point = nullptr;
            return CONNECT_E_NOCONNECTION;
        }
        *point = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }

    // IConnectionPoint
    STDMETHODIMP GetConnectionInterface(IID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer**) override { return E_NOTIMPL; }
    STDMETHODIMP Advise(IUnknown* unknown, DWORD* cookie) override {
        IDispatch* events = nullptr;
        if (FAILED(unknown->QueryInterface(DIID_DWebBrowserEvents2, reinterpret_cast<void**>(&events))))
            return CONNECT_E_CANNOTCONNECT;
        if (sink)
            sink->Release();
        sink = events;
        *cookie = static_cast<DWORD>(++advises) + 100;
        return S_OK;
    }
    STDMETHODIMP Unadvise(DWORD cookie) override {
        ++unadvises;
        lastUnadvisedCookie = cookie;
        if (sink) {
            sink->Release();
            sink = nullptr;
        }
        return S_OK;
    }
    STDMETHODIMP EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

    // Fires one event at the subscribed sink; arguments in the order the
    // event declares them (they travel last-first).
    HRESULT Fire(DISPID id, std::initializer_list<VARIANT> args) {
        if (!sink)
            return E_UNEXPECTED;
        std::vector<VARIANT> reversed(args.begin(), args.end());
        std::reverse(reversed.begin(), reversed.end());
        DISPPARAMS params = {reversed.empty() ? nullptr : reversed.data(), nullptr,
                             static_cast<UINT>(reversed.size()), 0};
        return sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    }
};

// Variants for firing events.
inline VARIANT DispatchArg(IDispatch* dispatch) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_DISPATCH;
    v.pdispVal = dispatch;
    return v;
}
// An argument passed by reference: the event's handler reads through it.
inline VARIANT ByRefArg(VARTYPE type, void* target) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BYREF | type;
    v.byref = target;
    return v;
}
inline VARIANT RefArg(VARIANT* target) { return ByRefArg(VT_VARIANT, target); }
inline VARIANT DispatchRefArg(IDispatch** target) { return ByRefArg(VT_DISPATCH, target); }
inline VARIANT BstrRefArg(BSTR* target) { return ByRefArg(VT_BSTR, target); }
inline VARIANT BoolRefArg(VARIANT_BOOL* target) { return ByRefArg(VT_BOOL, target); }

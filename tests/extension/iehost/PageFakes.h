#pragma once
// A page of frames as the browser's object model shows it to the helper
// object: each frame is a window with a document, the document holds the
// web-browser objects of its child frames, and the window's and document's
// script go to one scriptable object per frame.
#include <windows.h>
#include <exdisp.h>
#include <mshtml.h>
#include <ocidl.h>
#include <servprov.h>
#include <shlguid.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "BrowserServiceWindow.h"
#include "NotImplComBases.h"
#include "ReferenceBalance.h"
#include "ScriptFakes.h"
#include "ui/MessageWindows.h"

// Every call the pages' script received, across all frames, in order.
inline std::vector<std::wstring>& PageLog() {
    static std::vector<std::wstring> log;
    return log;
}

// The text of an argument as tests compare it.
inline std::wstring Describe(const VARIANT& value) {
    switch (value.vt) {
    case VT_BSTR:
        return value.bstrVal ? std::wstring(value.bstrVal, SysStringLen(value.bstrVal)) : std::wstring();
    case VT_I4:
        return std::to_wstring(value.lVal);
    case VT_NULL:
        return L"null";
    case VT_EMPTY:
        return L"empty";
    case VT_BOOL:
        return value.boolVal ? L"true" : L"false";
    case VT_DISPATCH:
        return L"object";
    default:
        break;
    }
    if ((value.vt & VT_ARRAY) && value.parray) {
        LONG low = 0, high = -1;
        SafeArrayGetLBound(value.parray, 1, &low);
        SafeArrayGetUBound(value.parray, 1, &high);
        std::wstring text = L"[";
        for (LONG i = low; i <= high; ++i) {
            VARIANT item;
            VariantInit(&item);
            SafeArrayGetElement(value.parray, &i, &item);
            if (i > low)
                text += L",";
            text += Describe(item);
            VariantClear(&item);
        }
        return text + L"]";
    }
    return L"vt" + std::to_wstring(value.vt);
}

// The arguments of a call in the order the script function declares them.
inline std::vector<std::wstring> Arguments(const DISPPARAMS* params) {
    std::vector<std::wstring> args;
    for (UINT i = params->cArgs; i > 0; --i)
        args.push_back(Describe(params->rgvarg[i - 1]));
    return args;
}

class UnknownList final : public SelfDeletingFake<IEnumUnknown> {
public:
    explicit UnknownList(std::vector<IUnknown*> items) : m_items(std::move(items)) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (riid == IID_IUnknown || riid == IID_IEnumUnknown) {
            *ppv = static_cast<IEnumUnknown*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP Next(ULONG count, IUnknown** items, ULONG* fetched) override {
        ULONG n = 0;
        while (n < count && m_next < m_items.size()) {
            items[n] = m_items[m_next++];
            items[n]->AddRef();
            ++n;
        }
        if (fetched)
            *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG) override { return E_NOTIMPL; }
    STDMETHODIMP Reset() override {
        m_next = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumUnknown**) override { return E_NOTIMPL; }

private:
    std::vector<IUnknown*> m_items;
    size_t m_next = 0;
};

class FrameDocument : public NotImplIHTMLDocument2, public IOleContainer {
public:
    std::wstring url;
    std::wstring domain;
    std::wstring readyState = L"complete";
    IHTMLWindow2* window = nullptr;
    IDispatch* script = nullptr;
    std::vector<IUnknown*> embedded;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override { return NotImplIHTMLDocument2::QueryInterface(riid, ppv); }
    STDMETHODIMP_(ULONG) AddRef() override { return NotImplIHTMLDocument2::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return NotImplIHTMLDocument2::Release(); }
    HRESULT QueryOther(REFIID riid, void** ppv) override {
        if (riid == IID_IOleContainer || riid == IID_IParseDisplayName) {
            *ppv = static_cast<IOleContainer*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }

    HRESULT STDMETHODCALLTYPE get_URL(BSTR* p) override {
        *p = SysAllocString(url.c_str());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_domain(BSTR* p) override {
        *p = SysAllocString(domain.c_str());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_readyState(BSTR* p) override {
        *p = SysAllocString(readyState.c_str());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Script(IDispatch** p) override {
        *p = script;
        if (script)
            script->AddRef();
        return script ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE get_parentWindow(IHTMLWindow2** p) override {
        *p = window;
        if (window)
            window->AddRef();
        return window ? S_OK : E_FAIL;
    }

    // IOleContainer
    STDMETHODIMP ParseDisplayName(IBindCtx*, LPOLESTR, ULONG*, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP EnumObjects(DWORD, IEnumUnknown** list) override {
        *list = new UnknownList(embedded);
        return S_OK;
    }
    STDMETHODIMP LockContainer(BOOL) override { return S_OK; }
};

// The web-browser object of a frame: what the container walk finds and
// what the frame's window hands out as its browser service.
class FrameBrowser : public NotImplIWebBrowser2 {
public:
    IDispatch* document = nullptr;
    HRESULT STDMETHODCALLTYPE get_Document(IDispatch** p) override {
        *p = document;
        if (document)
            document->AddRef();
        return S_OK;
    }
};

// The address a window reports as its location.
class FrameLocation : public NotImplIHTMLLocation {
public:
    std::wstring href;
    HRESULT STDMETHODCALLTYPE get_href(BSTR* p) override {
        *p = SysAllocString(href.c_str());
        return S_OK;
    }
};

class FrameWindow : public BrowserServiceWindow<IWebBrowser2> {
public:
    // What window.open does with (url, name); unset, it opens nothing.
    using Opener = std::function<HRESULT(const std::wstring&, const std::wstring&, IHTMLWindow2**)>;
    IHTMLDocument2* document = nullptr;
    FrameLocation location;
    Opener opener;
    IDispatch* script = nullptr;
    std::vector<IHTMLWindow2*> frames;
    // A frame of another domain refuses its document to a window walk.
    bool refusesDocument = false;
    std::vector<std::wstring> dialogs;
    int closes = 0;


    HRESULT STDMETHODCALLTYPE get_document(IHTMLDocument2** p) override {
        *p = refusesDocument ? nullptr : document;
        if (*p)
            (*p)->AddRef();
        return *p ? S_OK : E_ACCESSDENIED;
    }
    HRESULT STDMETHODCALLTYPE get_frames(IHTMLFramesCollection2** p) override {
        *p = this;
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE item(VARIANT* index, VARIANT* result) override {
        VariantInit(result);
        if (index->vt != VT_I4 || index->lVal < 0 || static_cast<size_t>(index->lVal) >= frames.size())
            return E_INVALIDARG;
        result->vt = VT_DISPATCH;
        result->pdispVal = frames[index->lVal];
        result->pdispVal->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_location(IHTMLLocation** p) override {
        *p = &location;
        location.AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE open(BSTR url, BSTR name, BSTR, VARIANT_BOOL, IHTMLWindow2** opened) override {
        *opened = nullptr;
        if (!opener)
            return E_NOTIMPL;
        return opener(url ? url : L"", name ? name : L"", opened);
    }
    HRESULT STDMETHODCALLTYPE close() override {
        ++closes;
        return S_OK;
    }
    // Runs while a modal message window is up.
    std::function<void()> duringDialog;
    HRESULT STDMETHODCALLTYPE showModalDialog(BSTR, VARIANT*, VARIANT*, VARIANT*) override {
        dialogs.push_back(g_currentMessage.Get());
        if (duringDialog)
            duringDialog();
        return S_OK;
    }
    // The window's own script members are those of its page.
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override {
        return script ? script->GetIDsOfNames(riid, names, count, lcid, ids) : E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argError) override {
        return script ? script->Invoke(id, riid, lcid, flags, params, result, exception, argError) : E_NOTIMPL;
    }
};

// One frame: its window, document, browser object and script.
struct Frame {
    // Script namespaces outlive the script that refers to them.
    std::vector<std::unique_ptr<FakeScriptObject>> objects;
    FrameWindow window;
    FrameDocument document;
    FrameBrowser browser;
    FakeScriptObject script;
    std::wstring name;
    std::vector<std::wstring> injected;
    bool velnorObject = true;
    bool tocLoaded = false;

    Frame(const std::wstring& frameName, const std::wstring& url, const std::wstring& domain) : name(frameName) {
        document.url = url;
        window.location.href = url;
        document.domain = domain;
        document.window = &window;
        document.script = &script;
        window.document = &document;
        window.script = &script;
        window.browser = &browser;
        browser.document = static_cast<IHTMLDocument2*>(&document);
        script.SetObject(L"window", &script);
        script.SetMethod(L"eval", [this](DISPPARAMS* params, VARIANT* result) {
            std::wstring code = Describe(params->rgvarg[0]);
            if (code == L"(typeof(Velnor) == 'object')")
                return Bool(result, velnorObject);
            if (code.find(L"onTocLoaded") != std::wstring::npos)
                return Bool(result, tocLoaded);
            injected.push_back(code);
            PageLog().push_back(name + L".inject");
            return S_OK;
        });
    }
    void Add(Frame& child) {
        document.embedded.push_back(static_cast<IWebBrowser2*>(&child.browser));
        window.frames.push_back(&child.window);
    }
    // A script namespace such as Velnor.Recognition or Quenta, created on use.
    FakeScriptObject& Namespace(const std::wstring& first, const std::wstring& second = std::wstring()) {
        objects.emplace_back(new FakeScriptObject);
        FakeScriptObject* outer = objects.back().get();
        script.SetObject(first, outer);
        if (second.empty())
            return *outer;
        objects.emplace_back(new FakeScriptObject);
        outer->SetObject(second, objects.back().get());
        return *objects.back();
    }

private:
    static HRESULT Bool(VARIANT* result, bool value) {
        if (result) {
            result->vt = VT_BOOL;
            result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
        }
        return S_OK;
    }
};

inline void ReturnText(VARIANT* result, const std::wstring& text) {
    if (result) {
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    }
}

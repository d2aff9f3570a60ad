#include "helper/HtmlDomHelper.h"

#include "base/Logger.h"
#include "helper/JsCache.h"

#include <exdisp.h>
#include <servprov.h>
#include <shlguid.h>

#include <new>

const wchar_t HtmlDomHelper::kEvalMethod[] = L"eval";
const wchar_t HtmlDomHelper::kExecScriptMethod[] = L"execScript";
const wchar_t HtmlDomHelper::kTemporaryEvalValue[] = L"__temporaryEvalValue__";

HRESULT HtmlDomHelper::InvokeHelperV(WORD flags, VARIANT* result, IDispatch* target,
                                     const wchar_t* name, UINT count, const VARIANT* args) {
    if (count && !args)
        return E_INVALIDARG;
    // The parameter block holds copies, cleared with it, so the callee cannot
    // change the caller's values.
    std::vector<Variant> block;
    try {
        std::vector<Variant>(count).swap(block);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    for (UINT i = 0; i < count; ++i)
        block[i].CopyFrom(args[i]);

    if (!target || !name) {
        g_logger.Log(L"HtmlDomHelper::InvokeHelperV() - E_INVALIDARG");
        return E_INVALIDARG;
    }
    ComPtr<IDispatch> hold(target);

    DISPID dispid = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = target->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &dispid);
    if (FAILED(hr)) {
        g_logger.Log(
            L"HtmlDomHelper::InvokeHelperV() - %hs: #ERROR# - IDispatch::GetIDsOfNames (\"%s\") failed w/err 0x%08lx",
            "HtmlDomHelper::InvokeHelperV", name, static_cast<unsigned long>(hr));
        return hr;
    }

    DISPID putId = DISPID_PROPERTYPUT;
    // A Variant is a VARIANT and nothing more, so the vector is an array of them.
    static_assert(sizeof(Variant) == sizeof(VARIANT), "Variant adds no members");
    DISPPARAMS params = {count ? block.data() : nullptr, nullptr, count, 0};
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }
    if (result)
        VariantClear(result);

    EXCEPINFO exception = {};
    UINT argError = 0;
    hr = target->Invoke(dispid, IID_NULL, LOCALE_SYSTEM_DEFAULT, flags, &params, result, &exception,
                        &argError);
    if (FAILED(hr) && exception.pfnDeferredFillIn)
        exception.pfnDeferredFillIn(&exception);
    // The record's strings are the caller's to free.
    Bstr source, description, helpFile;
    source.Reset(exception.bstrSource);
    description.Reset(exception.bstrDescription);
    helpFile.Reset(exception.bstrHelpFile);
    if (FAILED(hr))
        g_logger.Log(L"HtmlDomHelper::InvokeHelperV() - %hs: #ERROR# - IDispatch::Invoke bstrDescription [%s] uArgErr [%d]",
                     "HtmlDomHelper::InvokeHelperV", description.get() ? description.get() : L"",
                     static_cast<int>(argError));
    return hr;
}

HRESULT HtmlDomHelper::CallFunction(IDispatch* target, VARIANT* result, const std::wstring& path,
                                    UINT count, const VARIANT* args) {
    if (path.empty()) {
        g_logger.Log(L"HtmlDomHelper::CallFunction() - E_INVALIDARG");
        return E_INVALIDARG;
    }
    std::vector<std::wstring> names;
    SplitString(path, L".", names);
    if (names.empty())
        throw ComFailure(E_INVALIDARG);

    // A missing object in the middle of the path ends the walk: going on from
    // the object before it could call a same-named function that the caller
    // never meant.
    ComPtr<IDispatch> current(target);
    HRESULT hr = S_OK;
    for (size_t i = 0; i + 1 < names.size(); ++i) {
        Variant value;
        hr = InvokeHelperV(DISPATCH_PROPERTYGET, &value, current.Get(), names[i].c_str(), 0, nullptr);
        if (FAILED(hr))
            break;
        if (value.vt != VT_DISPATCH || !value.pdispVal) {
            hr = DISP_E_TYPEMISMATCH;
            break;
        }
        current = value.pdispVal;
    }
    if (SUCCEEDED(hr))
        hr = InvokeHelperV(DISPATCH_METHOD, result, current.Get(), names.back().c_str(), count, args);
    if (FAILED(hr))
        g_logger.LogError(L"HtmlDomHelper::CallFunction()", static_cast<DWORD>(hr), true);
    return hr;
}

HRESULT HtmlDomHelper::EvalScript(IDispatch* script, VARIANT* result, const VARIANT& code) {
    HRESULT hr = InvokeHelperV(DISPATCH_METHOD, result, script, kEvalMethod, 1, &code);
    if (FAILED(hr))
        hr = InvokeHelperV(DISPATCH_METHOD, result, script, kExecScriptMethod, 1, &code);
    return hr;
}

HRESULT HtmlDomHelper::Eval(IDispatch* script, const std::wstring& code, VARIANT* result) {
    Variant text(code);
    return EvalScript(script, result, text);
}

HRESULT HtmlDomHelper::EvalBool(IDispatch* script, const std::wstring& expression, bool* value) {
    if (!value)
        return E_POINTER;
    *value = false;

    Variant evaluated;
    HRESULT hr = Eval(script, expression, &evaluated);
    if (FAILED(hr) || evaluated.vt != VT_BOOL) {
        // Some document modes answer eval through IDispatch with nothing
        // useful; a global variable set by execScript can still be read back.
        Variant statement(L"var " + std::wstring(kTemporaryEvalValue) + L" = " + expression + L";");
        InvokeHelperV(DISPATCH_METHOD, nullptr, script, kExecScriptMethod, 1, &statement);
        evaluated.Clear();
        hr = Eval(script, kTemporaryEvalValue, &evaluated);
    }
    if (FAILED(hr))
        return hr;
    if (evaluated.vt == VT_BOOL) {
        *value = evaluated.boolVal == VARIANT_TRUE;
        return hr;
    }
    g_logger.Log(L"Result datatype is invalid. Expected: BOOL, actual: %d.", static_cast<int>(evaluated.vt));
    return HRESULT_FROM_WIN32(ERROR_INVALID_DATATYPE);
}

HRESULT HtmlDomHelper::RunScript(IDispatch* script, const VARIANT& code) {
    Variant copy;
    copy.CopyFrom(code);
    Variant discarded;
    return EvalScript(script, &discarded, copy);
}

HRESULT HtmlDomHelper::InjectScript(IDispatch* script, const std::wstring& prefix, const std::wstring& url,
                                    const std::wstring& suffix, bool skipKnownBad) {
    std::wstring text;
    HRESULT hr = JsCache::GetJs(url, text, skipKnownBad);
    if (FAILED(hr))
        return hr;
    Variant code(prefix + text + suffix);
    return RunScript(script, code);
}

HRESULT HtmlDomHelper::GetScriptObject(IHTMLWindow2* window, IDispatch** script) {
    if (!window)
        return E_FAIL;
    if (!script)
        return E_POINTER;
    *script = nullptr;
    ComPtr<IHTMLWindow2> hold(window);

    ComPtr<IHTMLDocument2> document;
    HRESULT hr = window->get_document(&document);
    if (FAILED(hr) || !document) {
        // A frame of another domain refuses its document; the frame's own
        // browser object still hands it out.
        hr = GetBrowserDocument(window, &document);
        if (FAILED(hr))
            return hr;
    }
    return document->get_Script(script);
}

HRESULT HtmlDomHelper::GetBrowserDocument(IUnknown* object, IHTMLDocument2** document) {
    if (!document)
        return E_POINTER;
    *document = nullptr;
    if (!object)
        return E_INVALIDARG;
    ComPtr<IUnknown> hold(object);

    ComPtr<IServiceProvider> provider;
    HRESULT hr = object->QueryInterface(IID_PPV_ARGS(&provider));
    if (FAILED(hr) || !provider)
        return FAILED(hr) ? hr : E_NOINTERFACE;
    ComPtr<IWebBrowser2> browser;
    hr = provider->QueryService(SID_SWebBrowserApp, IID_PPV_ARGS(&browser));
    if (FAILED(hr) || !browser)
        return FAILED(hr) ? hr : E_NOINTERFACE;
    ComPtr<IDispatch> documentDispatch;
    hr = browser->get_Document(&documentDispatch);
    if (FAILED(hr) || !documentDispatch)
        return FAILED(hr) ? hr : E_FAIL;
    hr = documentDispatch->QueryInterface(IID_PPV_ARGS(document));
    if (SUCCEEDED(hr) && !*document)
        return E_NOINTERFACE;
    return hr;
}

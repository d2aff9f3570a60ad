#pragma once
#include <windows.h>
#include <oaidl.h>
#include <mshtml.h>

#include <string>
#include <type_traits>
#include <vector>

#include "base/ComOwners.h"
#include "base/TextTokens.h"

// The library's road into page script: calls by dotted path, evaluation and
// script injection through a window's or script object's IDispatch.
//
// Argument order: the values handed to InvokeHelperV, InvokeHelper and
// CallFunction go into the parameter block unchanged, and IDispatch reads
// that block last-first. The first value handed is therefore the script
// function's last parameter. Callers hand their arguments reversed.
//
// Result values must be initialised (VariantInit) by the caller; a value they
// already hold is cleared before the call.
class HtmlDomHelper {
    template <class... Values>
    using EnableForVariants =
        std::enable_if_t<(std::is_convertible<const Values&, const VARIANT&>::value && ...)>;

public:
    static const wchar_t kEvalMethod[];
    static const wchar_t kExecScriptMethod[];
    static const wchar_t kTemporaryEvalValue[];

    HRESULT InvokeHelperV(WORD flags, VARIANT* result, IDispatch* target, const wchar_t* name,
                          UINT count, const VARIANT* args);

    template <class... Values, class = EnableForVariants<Values...>>
    HRESULT InvokeHelper(WORD flags, VARIANT* result, IDispatch* target, const wchar_t* name,
                         const Values&... values) {
        const VARIANT args[] = {VARIANT(), static_cast<const VARIANT&>(values)...};
        return InvokeHelperV(flags, result, target, name, sizeof...(Values), args + 1);
    }

    HRESULT CallFunction(IDispatch* target, VARIANT* result, const std::wstring& path, UINT count,
                         const VARIANT* args);

    template <class... Values, class = EnableForVariants<Values...>>
    HRESULT CallFunction(IDispatch* target, VARIANT* result, const std::wstring& path,
                         const Values&... values) {
        const VARIANT args[] = {VARIANT(), static_cast<const VARIANT&>(values)...};
        return CallFunction(target, result, path, sizeof...(Values), args + 1);
    }

    HRESULT EvalScript(IDispatch* script, VARIANT* result, const VARIANT& code);
    HRESULT Eval(IDispatch* script, const std::wstring& code, VARIANT* result);
    HRESULT EvalBool(IDispatch* script, const std::wstring& expression, bool* value);
    HRESULT RunScript(IDispatch* script, const VARIANT& code);
    HRESULT InjectScript(IDispatch* script, const std::wstring& prefix, const std::wstring& url,
                         const std::wstring& suffix, bool skipKnownBad);

    HRESULT GetScriptObject(IHTMLWindow2* window, IDispatch** script);
    // The document of a window or frame through its own browser object, which
    // also hands out the document of a frame of another domain.
    static HRESULT GetBrowserDocument(IUnknown* object, IHTMLDocument2** document);
};


#pragma once
// Automation values exchanged with page script by the helper object.
#include <windows.h>
#include <oaidl.h>

#include <string>

#include "helper/HtmlDomHelper.h"

// A VARIANT that clears itself; copies are not allowed.
class Value : public VARIANT {
public:
    Value() { VariantInit(this); }
    explicit Value(const std::wstring& text) {
        VariantInit(this);
        bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        if (!bstrVal)
            throw ComFailure(E_OUTOFMEMORY);
        vt = VT_BSTR;
    }
    explicit Value(LONG number) {
        VariantInit(this);
        vt = VT_I4;
        lVal = number;
    }
    ~Value() { VariantClear(this); }
    Value(const Value&) = delete;
    Value& operator=(const Value&) = delete;

    void Clear() { VariantClear(this); }
    // The text of a string value; empty for anything else.
    std::wstring Text() const {
        return vt == VT_BSTR && bstrVal ? std::wstring(bstrVal, SysStringLen(bstrVal)) : std::wstring();
    }
};

// The value's text through the platform's conversion; a null string is the
// empty text. A value without a text form (a null, say) raises ComFailure.
std::wstring VariantToString(const VARIANT& value);

// A property of a script object as text: empty when the object or the
// property does not exist; ComFailure when its value has no text form.
std::wstring ReadTextProperty(HtmlDomHelper& dom, IDispatch* object, const wchar_t* name);

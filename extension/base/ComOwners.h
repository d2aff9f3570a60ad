#pragma once
// The library's owners of OLE Automation values. Interfaces are held in
// Microsoft::WRL::ComPtr; strings and variants in the two types below, so no
// code frees one by hand.
#include <windows.h>
#include <oaidl.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <exception>
#include <string>

using Microsoft::WRL::ComPtr;

// Raised for failures that the COM methods and timer procedures catch with
// their catch-all: a failed value copy, a path without any name.
class ComFailure : public std::exception {
public:
    explicit ComFailure(HRESULT hr) : m_hr(hr) {}
    HRESULT Code() const { return m_hr; }
    const char* what() const noexcept override { return "COM failure"; }

private:
    HRESULT m_hr;
};

// The text of a BSTR someone else owns (an in parameter, say); a null
// string is the empty text.
inline std::wstring BstrToText(BSTR text) {
    return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

// A BSTR that frees itself; copies are not allowed.
class Bstr {
public:
    Bstr() = default;
    // Null when the system has no memory for it; the call it is handed to
    // then fails.
    explicit Bstr(const std::wstring& text)
        : m_value(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~Bstr() { SysFreeString(m_value); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& other) noexcept : m_value(other.Detach()) {}
    Bstr& operator=(Bstr&& other) noexcept {
        if (this != &other)
            Reset(other.Detach());
        return *this;
    }

    BSTR get() const { return m_value; }
    // For an out parameter: whatever was held is freed first.
    BSTR* Out() {
        Reset();
        return &m_value;
    }
    void Reset(BSTR value = nullptr) {
        if (value != m_value)
            SysFreeString(m_value);
        m_value = value;
    }
    // Hands the string to a caller that frees it.
    BSTR Detach() {
        BSTR value = m_value;
        m_value = nullptr;
        return value;
    }
    // A null string is the empty text.
    std::wstring Text() const { return BstrToText(m_value); }

private:
    BSTR m_value = nullptr;
};

// A VARIANT that clears itself; copies are not allowed. It is a VARIANT, so it
// goes wherever a VARIANT* or const VARIANT& is asked for.
class Variant : public VARIANT {
public:
    Variant() { VariantInit(this); }
    explicit Variant(const std::wstring& text) {
        VariantInit(this);
        bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        if (!bstrVal)
            throw ComFailure(E_OUTOFMEMORY);
        vt = VT_BSTR;
    }
    explicit Variant(LONG number) {
        VariantInit(this);
        vt = VT_I4;
        lVal = number;
    }
    ~Variant() { VariantClear(this); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;

    void Clear() { VariantClear(this); }
    // For an out parameter: whatever was held is cleared first.
    VARIANT* Out() {
        VariantClear(this);
        return this;
    }
    void CopyFrom(const VARIANT& source) {
        VariantClear(this);
        HRESULT hr = VariantCopy(this, const_cast<VARIANT*>(&source));
        if (FAILED(hr))
            throw ComFailure(hr);
    }
    // The text of a string value; empty for anything else.
    std::wstring Text() const {
        return vt == VT_BSTR ? BstrToText(bstrVal) : std::wstring();
    }
};

#pragma once
// Script objects for the page-scripting tests: a table-driven fake
// IDispatch, and wine's real JScript engine hosted through IActiveScript.
#include "ComFakeBase.h"

#include <activscp.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

// A script object with named properties and methods. Records every access
// as "get:<name>", "put:<name>" or "call:<name>".
class FakeScriptObject : public ComFakeBase<IDispatch> {
public:
    using Method = std::function<HRESULT(DISPPARAMS* params, VARIANT* result)>;

    ~FakeScriptObject() override {
        for (auto& member : m_members)
            VariantClear(&member.value);
    }

    void SetProperty(const std::wstring& name, const VARIANT& value) {
        Member& member = Find(name);
        VariantClear(&member.value);
        VariantCopy(&member.value, const_cast<VARIANT*>(&value));
    }
    void SetObject(const std::wstring& name, IDispatch* object) {
        VARIANT value;
        value.vt = VT_DISPATCH;
        value.pdispVal = object;
        SetProperty(name, value);
    }
    void SetMethod(const std::wstring& name, Method method) { Find(name).method = std::move(method); }

    std::vector<std::wstring> calls;

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        if (count != 1)
            return E_INVALIDARG;
        for (size_t i = 0; i < m_members.size(); ++i) {
            if (m_members[i].name == names[0]) {
                ids[0] = static_cast<DISPID>(i + 1);
                return S_OK;
            }
        }
        ids[0] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO*, UINT*) override {
        if (id < 1 || static_cast<size_t>(id) > m_members.size())
            return DISP_E_MEMBERNOTFOUND;
        Member& member = m_members[id - 1];
        if (flags & DISPATCH_PROPERTYPUT) {
            calls.push_back(L"put:" + member.name);
            if (params->cArgs != 1 || params->cNamedArgs != 1 ||
                params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
                return DISP_E_PARAMNOTOPTIONAL;
            VariantClear(&member.value);
            return VariantCopy(&member.value, &params->rgvarg[0]);
        }
        if ((flags & DISPATCH_METHOD) && member.method) {
            calls.push_back(L"call:" + member.name);
            return member.method(params, result);
        }
        if (flags & DISPATCH_PROPERTYGET) {
            calls.push_back(L"get:" + member.name);
            return result ? VariantCopy(result, &member.value) : S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    struct Member {
        std::wstring name;
        VARIANT value;
        Method method;
    };
    Member& Find(const std::wstring& name) {
        for (auto& member : m_members) {
            if (member.name == name)
                return member;
        }
        m_members.push_back(Member{name, VARIANT(), Method()});
        return m_members.back();
    }
    std::vector<Member> m_members;
};

// Wine's JScript engine with one script parsed; Global() is the script's
// global object, which plays the page's window.
class JScriptHost : public IActiveScriptSite {
public:
    JScriptHost() {
        static const CLSID kJScript = {0xF414C260, 0x6AC0, 0x11CF, {0xB6, 0xD1, 0x00, 0xAA, 0x00, 0xBB, 0xBB, 0x58}};
        if (FAILED(CoCreateInstance(kJScript, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript,
                                    reinterpret_cast<void**>(&m_script))))
            return;
        if (FAILED(m_script->QueryInterface(__uuidof(IActiveScriptParse), reinterpret_cast<void**>(&m_parse))))
            return;
        m_parse->InitNew();
        m_script->SetScriptSite(this);
    }
    ~JScriptHost() {
        if (m_global)
            m_global->Release();
        if (m_parse)
            m_parse->Release();
        if (m_script) {
            m_script->Close();
            m_script->Release();
        }
    }
    JScriptHost(const JScriptHost&) = delete;
    JScriptHost& operator=(const JScriptHost&) = delete;

    bool Run(const wchar_t* code) {
        if (!m_parse)
            return false;
        EXCEPINFO exception = {};
        HRESULT hr = m_parse->ParseScriptText(code, nullptr, nullptr, nullptr, 0, 0, 0, nullptr, &exception);
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
        if (FAILED(hr) || FAILED(m_script->SetScriptState(SCRIPTSTATE_CONNECTED)))
            return false;
        return m_global || SUCCEEDED(m_script->GetScriptDispatch(nullptr, &m_global));
    }
    IDispatch* Global() const { return m_global; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (riid == IID_IUnknown || riid == IID_IActiveScriptSite) {
            *ppv = static_cast<IActiveScriptSite*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return m_references.AddRef(typeid(*this)); }
    ULONG STDMETHODCALLTYPE Release() override { return m_references.Release(typeid(*this)); }
    HRESULT STDMETHODCALLTYPE GetLCID(LCID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetItemInfo(LPCOLESTR, DWORD, IUnknown**, ITypeInfo**) override {
        return TYPE_E_ELEMENTNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnStateChange(SCRIPTSTATE) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnScriptError(IActiveScriptError*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnEnterScript() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnLeaveScript() override { return S_OK; }

private:
    IActiveScript* m_script = nullptr;
    IActiveScriptParse* m_parse = nullptr;
    IDispatch* m_global = nullptr;
    FakeReferences m_references;
};

// An automation value that clears itself.
class Var : public VARIANT {
public:
    Var() { VariantInit(this); }
    explicit Var(const wchar_t* text) {
        VariantInit(this);
        vt = VT_BSTR;
        bstrVal = SysAllocString(text);
    }
    explicit Var(LONG number) {
        VariantInit(this);
        vt = VT_I4;
        lVal = number;
    }
    static Var Bool(bool flag) {
        Var value;
        value.vt = VT_BOOL;
        value.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
        return value;
    }
    Var(Var&& other) noexcept : VARIANT(other) { VariantInit(&other); }
    Var(const Var&) = delete;
    Var& operator=(const Var&) = delete;
    ~Var() { VariantClear(this); }

    std::wstring Str() const { return vt == VT_BSTR && bstrVal ? std::wstring(bstrVal) : std::wstring(); }
};

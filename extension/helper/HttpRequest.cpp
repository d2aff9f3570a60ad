#include "helper/HttpRequest.h"

#include <msxml2.h>

// Declared by the platform headers but in no import library.
extern "C" const IID IID_IXMLHTTPRequest = {
    0xED8C108D, 0x4349, 0x11D2, {0x91, 0xA4, 0x00, 0xC0, 0x4F, 0x79, 0x69, 0xE8}};
extern "C" const CLSID CLSID_XMLHTTP = {
    0xED8C108E, 0x4349, 0x11D2, {0x91, 0xA4, 0x00, 0xC0, 0x4F, 0x79, 0x69, 0xE8}};

namespace {

class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const std::wstring& text)
        : m_value(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~Bstr() { SysFreeString(m_value); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    BSTR get() const { return m_value; }
    BSTR* Out() {
        SysFreeString(m_value);
        m_value = nullptr;
        return &m_value;
    }

private:
    BSTR m_value = nullptr;
};

class RequestRef {
public:
    RequestRef() = default;
    ~RequestRef() {
        if (m_p)
            m_p->Release();
    }
    RequestRef(const RequestRef&) = delete;
    RequestRef& operator=(const RequestRef&) = delete;

    IXMLHTTPRequest** Out() { return &m_p; }
    IXMLHTTPRequest* operator->() const { return m_p; }
    IXMLHTTPRequest* Detach() {
        IXMLHTTPRequest* p = m_p;
        m_p = nullptr;
        return p;
    }

private:
    IXMLHTTPRequest* m_p = nullptr;
};

}  // namespace

HRESULT HttpRequest::Get(const std::wstring& url, bool noSuffix, std::wstring& text) {
    text.clear();
    RequestRef request;
    HRESULT hr = Open(url, noSuffix, request.Out(), L"GET");
    if (FAILED(hr))
        return hr;

    Bstr response;
    hr = request->get_responseText(response.Out());
    if (FAILED(hr))
        return hr;
    LONG status = 0;
    if (FAILED(request->get_status(&status)))
        status = 0;

    if (response.get() && (status == 200 || status == 0)) {
        text.assign(response.get(), SysStringLen(response.get()));
        return S_OK;
    }
    text.clear();
    return E_FAIL;
}

HRESULT HttpRequest::Open(const std::wstring& url, bool noSuffix, IXMLHTTPRequest** request,
                          const std::wstring& method) {
    if (!request)
        return E_POINTER;
    *request = nullptr;

    RequestRef created;
    HRESULT hr = CoCreateInstance(CLSID_XMLHTTP, nullptr, CLSCTX_ALL, IID_IXMLHTTPRequest,
                                  reinterpret_cast<void**>(created.Out()));
    if (FAILED(hr))
        return hr;

    std::wstring target = url;
    if (!noSuffix)
        target += L"?" + std::to_wstring(static_cast<int>(GetTickCount()));

    Bstr bstrMethod(method);
    Bstr bstrUrl(target);
    if (!bstrMethod.get() || !bstrUrl.get())
        return E_OUTOFMEMORY;
    VARIANT async;
    VariantInit(&async);
    async.vt = VT_BOOL;
    async.boolVal = VARIANT_FALSE;
    VARIANT missing;
    VariantInit(&missing);
    missing.vt = VT_ERROR;
    missing.scode = DISP_E_PARAMNOTFOUND;
    hr = created->open(bstrMethod.get(), bstrUrl.get(), async, missing, missing);
    if (FAILED(hr))
        return hr;

    VARIANT body;
    VariantInit(&body);
    hr = created->send(body);
    if (FAILED(hr))
        return hr;
    *request = created.Detach();
    return hr;
}

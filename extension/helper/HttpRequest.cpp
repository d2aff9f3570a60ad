#include "helper/HttpRequest.h"

#include "base/ComOwners.h"

#include <msxml2.h>

// Declared by the platform headers but in no import library.
extern "C" const IID IID_IXMLHTTPRequest = {
    0xED8C108D, 0x4349, 0x11D2, {0x91, 0xA4, 0x00, 0xC0, 0x4F, 0x79, 0x69, 0xE8}};
extern "C" const CLSID CLSID_XMLHTTP = {
    0xED8C108E, 0x4349, 0x11D2, {0x91, 0xA4, 0x00, 0xC0, 0x4F, 0x79, 0x69, 0xE8}};

HRESULT HttpRequest::Get(const std::wstring& url, bool noSuffix, std::wstring& text) {
    text.clear();
    ComPtr<IXMLHTTPRequest> request;
    HRESULT hr = Open(url, noSuffix, &request, L"GET");
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
        text = response.Text();
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

    ComPtr<IXMLHTTPRequest> created;
    HRESULT hr = CoCreateInstance(CLSID_XMLHTTP, nullptr, CLSCTX_ALL, IID_IXMLHTTPRequest,
                                  reinterpret_cast<void**>(created.GetAddressOf()));
    if (FAILED(hr))
        return hr;

    std::wstring target = url;
    if (!noSuffix)
        target += L"?" + std::to_wstring(static_cast<int>(GetTickCount()));

    Bstr bstrMethod(method);
    Bstr bstrUrl(target);
    if (!bstrMethod.get() || !bstrUrl.get())
        return E_OUTOFMEMORY;
    Variant async;
    async.vt = VT_BOOL;
    async.boolVal = VARIANT_FALSE;
    Variant missing;
    missing.vt = VT_ERROR;
    missing.scode = DISP_E_PARAMNOTFOUND;
    hr = created->open(bstrMethod.get(), bstrUrl.get(), async, missing, missing);
    if (FAILED(hr))
        return hr;

    Variant body;
    hr = created->send(body);
    if (FAILED(hr))
        return hr;
    *request = created.Detach();
    return hr;
}

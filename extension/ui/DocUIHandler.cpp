#include "ui/DocUIHandler.h"

#include <mshtmhst.h>

#include "base/ComModule.h"
#include "base/ComSupport.h"
#include "base/TypeLibrary.h"

namespace {

// Out pointers are cleared even where the answer is "not handled", so a
// caller that did not preset them never reads garbage.
template <typename T>
void ClearOut(T** out) {
    if (out)
        *out = nullptr;
}

}  // namespace

HRESULT CDocUIHandler::CreateInstance(REFIID riid, void** ppv) {
    return CreateComObject<CDocUIHandler>(riid, ppv);
}

HRESULT CDocUIHandler::UpdateRegistry(bool doRegister) {
    return g_module.UpdateRegistryFromResource(kRegistryScript, doRegister);
}

// ---- IUnknown -------------------------------------------------------------

STDMETHODIMP CDocUIHandler::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IDocHostUIHandlerDispatch ||
        riid == IID_IDocUIHandler) {
        *ppv = static_cast<IDocUIHandler*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CDocUIHandler::AddRef() {
    return AddComReference(m_cRef);
}

STDMETHODIMP_(ULONG) CDocUIHandler::Release() {
    return ReleaseComReference(this, m_cRef);
}

// ---- IDocHostUIHandlerDispatch ----------------------------------------------

STDMETHODIMP CDocUIHandler::ShowContextMenu(DWORD, DWORD, DWORD, IUnknown*, IDispatch*, HRESULT* dwRetVal) {
    if (!dwRetVal)
        return E_POINTER;
    // "Handled by the host": the page shows no context menu at all.
    *dwRetVal = S_OK;
    return S_OK;
}

STDMETHODIMP CDocUIHandler::GetHostInfo(DWORD* pdwFlags, DWORD*) {
    if (!pdwFlags)
        return E_POINTER;
    *pdwFlags |= DOCHOSTUIFLAG_DIALOG | DOCHOSTUIFLAG_SCROLL_NO;
    return S_OK;
}

STDMETHODIMP CDocUIHandler::ShowUI(DWORD, IUnknown*, IUnknown*, IUnknown*, IUnknown*, HRESULT*) {
    return S_OK;
}

STDMETHODIMP CDocUIHandler::HideUI() {
    return S_OK;
}

STDMETHODIMP CDocUIHandler::UpdateUI() {
    return S_FALSE;
}

STDMETHODIMP CDocUIHandler::EnableModeless(VARIANT_BOOL) {
    return S_FALSE;
}

STDMETHODIMP CDocUIHandler::OnDocWindowActivate(VARIANT_BOOL) {
    return S_FALSE;
}

STDMETHODIMP CDocUIHandler::OnFrameWindowActivate(VARIANT_BOOL) {
    return S_FALSE;
}

STDMETHODIMP CDocUIHandler::ResizeBorder(LONG, LONG, LONG, LONG, IUnknown*, VARIANT_BOOL) {
    return S_FALSE;
}

STDMETHODIMP CDocUIHandler::TranslateAccelerator(ULONG_PTR, DWORD, ULONG_PTR, ULONG_PTR, BSTR, DWORD, HRESULT*) {
    return S_FALSE;
}

STDMETHODIMP CDocUIHandler::GetOptionKeyPath(BSTR* pbstrKey, DWORD) {
    ClearOut(pbstrKey);
    return S_FALSE;
}

STDMETHODIMP CDocUIHandler::GetDropTarget(IUnknown*, IUnknown** ppDropTarget) {
    ClearOut(ppDropTarget);
    return E_NOTIMPL;
}

STDMETHODIMP CDocUIHandler::GetExternal(IDispatch** ppDispatch) {
    ClearOut(ppDispatch);
    return S_FALSE;
}

STDMETHODIMP CDocUIHandler::TranslateUrl(DWORD, BSTR, BSTR* pbstrURLOut) {
    ClearOut(pbstrURLOut);
    return S_FALSE;
}

STDMETHODIMP CDocUIHandler::FilterDataObject(IUnknown*, IUnknown** ppDORet) {
    ClearOut(ppDORet);
    return S_FALSE;
}

#pragma once
#include <windows.h>
#include <oaidl.h>

#include "base/ClassFactory.h"
#include "base/TypeLibrary.h"
#include "HintoraIE_h.h"

// The UI handler of the options dialog's browser control: it makes the page
// behave like a plain dialog (no context menu, no scroll bars, dialog
// look). The control host forwards the control's IDocHostUIHandler calls to it.
class CDocUIHandler : public TypeLibDispatchImpl<IDocUIHandler> {
public:
    // Registration script of the class.
    static const UINT kRegistryScript = 107;

    // Creates an object with the asked interface; the caller holds the one reference.
    static HRESULT CreateInstance(REFIID riid, void** ppv);
    // Object-map registration routine: runs the class's registration script.
    static HRESULT UpdateRegistry(bool doRegister);

    CDocUIHandler() = default;
    virtual ~CDocUIHandler() = default;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;


    // IDocHostUIHandlerDispatch
    STDMETHODIMP ShowContextMenu(DWORD dwID, DWORD x, DWORD y, IUnknown* pcmdtReserved, IDispatch* pdispReserved,
                                 HRESULT* dwRetVal) override;
    STDMETHODIMP GetHostInfo(DWORD* pdwFlags, DWORD* pdwDoubleClick) override;
    STDMETHODIMP ShowUI(DWORD dwID, IUnknown* pActiveObject, IUnknown* pCommandTarget, IUnknown* pFrame,
                        IUnknown* pDoc, HRESULT* dwRetVal) override;
    STDMETHODIMP HideUI() override;
    STDMETHODIMP UpdateUI() override;
    STDMETHODIMP EnableModeless(VARIANT_BOOL fEnable) override;
    STDMETHODIMP OnDocWindowActivate(VARIANT_BOOL fActivate) override;
    STDMETHODIMP OnFrameWindowActivate(VARIANT_BOOL fActivate) override;
    STDMETHODIMP ResizeBorder(LONG left, LONG top, LONG right, LONG bottom, IUnknown* pUIWindow,
                              VARIANT_BOOL fFrameWindow) override;
    STDMETHODIMP TranslateAccelerator(ULONG_PTR hWnd, DWORD nMessage, ULONG_PTR wParam, ULONG_PTR lParam,
                                      BSTR bstrGuidCmdGroup, DWORD nCmdID, HRESULT* dwRetVal) override;
    STDMETHODIMP GetOptionKeyPath(BSTR* pbstrKey, DWORD dw) override;
    STDMETHODIMP GetDropTarget(IUnknown* pDropTarget, IUnknown** ppDropTarget) override;
    STDMETHODIMP GetExternal(IDispatch** ppDispatch) override;
    STDMETHODIMP TranslateUrl(DWORD dwTranslate, BSTR bstrURLIn, BSTR* pbstrURLOut) override;
    STDMETHODIMP FilterDataObject(IUnknown* pDO, IUnknown** ppDORet) override;

private:
    CDocUIHandler(const CDocUIHandler&) = delete;
    CDocUIHandler& operator=(const CDocUIHandler&) = delete;

    LONG m_cRef = 0;
    ModuleObjectLock m_moduleLock;
};

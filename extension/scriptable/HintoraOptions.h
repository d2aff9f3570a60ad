#pragma once
#include <windows.h>
#include <docobj.h>
#include <exdisp.h>
#include <mshtml.h>
#include <ocidl.h>

#include "base/ClassFactory.h"
#include "base/ComOwners.h"
#include "base/TypeLibrary.h"
#include "HintoraIE_h.h"

// The command object of Internet Explorer's Tools-menu entry for the options:
// it asks the tab's helper object to open the options dialog, or tells the
// user when the tab has no working helper object.
class CHintoraOptions : public IObjectWithSite,
                        public TypeLibDispatchImpl<IHintoraOptions>,
                        public IOleCommandTarget {
public:
    // Registration script of the class.
    static const UINT kRegistryScript = 105;
    // Kill-bit keys under HKEY_LOCAL_MACHINE, in the order they are tried.
    static const wchar_t* const kKillBitKeys[8];

    // Creates an object with the asked interface; the caller holds the one reference.
    static HRESULT CreateInstance(REFIID riid, void** ppv);
    // Object-map registration routine: runs the class's registration script.
    static HRESULT UpdateRegistry(bool doRegister);

    // How the "no helper object" message reaches the user (MessageBoxW;
    // tests put their own here).
    using MessageBoxFunc = int(WINAPI*)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
    static MessageBoxFunc s_pfnMessageBox;

    CHintoraOptions();
    virtual ~CHintoraOptions();

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IObjectWithSite
    STDMETHODIMP SetSite(IUnknown* site) override;
    STDMETHODIMP GetSite(REFIID riid, void** ppvSite) override;


    // IOleCommandTarget
    STDMETHODIMP QueryStatus(const GUID* group, ULONG count, OLECMD* commands, OLECMDTEXT* text) override;
    STDMETHODIMP Exec(const GUID* group, DWORD id, DWORD options, VARIANT* in, VARIANT* out) override;

    IHTMLWindow2* Window() const { return m_spWindow.Get(); }
    IWebBrowser2* WebBrowser() const { return m_spWebBrowser.Get(); }
    IOleCommandTarget* CommandTarget() const { return m_spCommandTarget.Get(); }
    bool CreatedWithHelper() const { return m_bBHO != 0; }

private:
    CHintoraOptions(const CHintoraOptions&) = delete;
    CHintoraOptions& operator=(const CHintoraOptions&) = delete;

    // Takes the tab's window from the helper object of the calling thread.
    HRESULT Initialize();
    // Any kill-bit key of the add-on's classes exists.
    static bool IsKillBitSet();

    // First, so that it goes last: the module stays locked until every
    // interface below is let go.
    ModuleObjectLock m_moduleLock;
    LONG m_cRef = 0;
    ComPtr<IUnknown> m_spUnkSite;
    ComPtr<IHTMLWindow2> m_spWindow;
    ComPtr<IWebBrowser2> m_spWebBrowser;
    ComPtr<IOleCommandTarget> m_spCommandTarget;
    BYTE m_bBHO = 0;
};

#pragma once
#include <windows.h>
#include <docobj.h>
#include <exdisp.h>
#include <mshtml.h>
#include <objsafe.h>
#include <ocidl.h>

#include <string>
#include <vector>

#include "base/ClassFactory.h"
#include "base/ComOwners.h"
#include "base/TypeLibrary.h"
#include "HintoraIE_h.h"

// Set by KeepMru; unregistration keeps the content-location list while set.
extern BYTE g_bKeepMru;

// The toolbar button's command target and the scriptable object "HintoraIE.Hintora".
// It starts help requests in the tab's helper object, hands the options page
// its texts, and carries the configuration and hot-key methods of setup pages.
class CHintora : public IObjectWithSite,
                 public TypeLibDispatchImpl<IHintora>,
                 public IObjectSafety,
                 public IOleCommandTarget {
public:
    // Creates an object with the asked interface; the caller holds the one reference.
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    // The class's registration (scripts 102, 101, 104, 105 and 107, labels
    // and localized texts) and the clean-up of everything the product left
    // behind on unregistration.
    static HRESULT UpdateRegistry(bool doRegister);

    CHintora();
    virtual ~CHintora();

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IObjectWithSite
    STDMETHODIMP SetSite(IUnknown* site) override;
    STDMETHODIMP GetSite(REFIID riid, void** ppvSite) override;


    // IHintora
    STDMETHODIMP Configure(BSTR* pLanguage, BSTR* pKey, BSTR* pPublishData, int* status) override;
    STDMETHODIMP Start() override;
    STDMETHODIMP KeepMru() override;
    STDMETHODIMP Query(BSTR* pParams) override;
    STDMETHODIMP GetVersion(BSTR* pVal) override;
    STDMETHODIMP Update(BSTR* pVersion) override;
    STDMETHODIMP SetShortCut(BSTR* pVal) override;
    STDMETHODIMP GetMessage(BSTR* pVal) override;
    STDMETHODIMP CreateOptionsJson() override;
    STDMETHODIMP GetShortCut(BSTR* pVal) override;
    STDMETHODIMP Save(BSTR* pVal) override;

    // IObjectSafety
    STDMETHODIMP GetInterfaceSafetyOptions(REFIID riid, DWORD* supported, DWORD* enabled) override;
    STDMETHODIMP SetInterfaceSafetyOptions(REFIID riid, DWORD mask, DWORD enabled) override;

    // IOleCommandTarget
    STDMETHODIMP QueryStatus(const GUID* group, ULONG count, OLECMD* commands, OLECMDTEXT* text) override;
    STDMETHODIMP Exec(const GUID* group, DWORD id, DWORD options, VARIANT* in, VARIANT* out) override;

    // Internet Explorer's add-on manager has switched the helper object off.
    static bool IsBhoDisabled();
    // What a toolbar site leads to: its command target and the browser that
    // target provides; either is left empty when the site has none.
    static void FindToolbarBrowser(IUnknown* site, ComPtr<IOleCommandTarget>& target, ComPtr<IWebBrowser2>& browser);
    // Puts the tab's window from the thread's helper object into tabWindow
    // (kept as it is when the helper object has none); shared by the toolbar
    // object and the options entry (owner names the caller in trace lines).
    static HRESULT TakeTabWindow(const wchar_t* owner, ComPtr<IHTMLWindow2>& tabWindow);
    // The toolbar button's and the options entry's command status: every
    // command of the button group is supported and enabled.
    static HRESULT ToolbarCommandStatus(const GUID* group, ULONG count, OLECMD* commands);

    // Stores the "name=value&..." pairs of a setup page's parameters that
    // belong to the test or advanced group; the code of the last store.
    LONG SaveParameters(const std::wstring& parameters);

    IHTMLWindow2* Window() const { return m_spWindow.Get(); }
    IWebBrowser2* WebBrowser() const { return m_spWebBrowser.Get(); }
    bool CreatedWithHelper() const { return m_bBHO != 0; }

private:
    CHintora(const CHintora&) = delete;
    CHintora& operator=(const CHintora&) = delete;

    // Takes the window of the tab's helper object into m_spWindow.
    HRESULT Initialize();
    // Takes the top window from m_spWebBrowser into m_spWindow.
    HRESULT SetWindow();

    // Whether the current caller may change or read the machine's settings:
    // a local host that never asked for untrusted-caller safety and gave no
    // site, one of the library's own pages, or a top-level setup page of the
    // configured content server.
    bool IsCallerAllowed();
    // The document of the page that created the object, through its site.
    HRESULT GetCallerDocument(ComPtr<IHTMLDocument2>& document);
    // This object answers for the interface.
    bool Implements(REFIID riid);
    // A copy of the text for a BSTR out parameter; E_OUTOFMEMORY when no copy
    // could be made.
    static HRESULT HandOutText(const std::wstring& text, BSTR* out);

    // First, so that it goes last: the module stays locked until every
    // interface below is let go.
    ModuleObjectLock m_moduleLock;
    LONG m_cRef = 0;
    ComPtr<IUnknown> m_spUnkSite;

    DWORD m_dwCurrentSafety = 0;
    ComPtr<IHTMLWindow2> m_spWindow;
    ComPtr<IWebBrowser2> m_spWebBrowser;
    BYTE m_bBHO = 0;
};

// The content URL that a setup page at this address configures: the address
// without its query part and fragment, cut before its last "/" for
// "hintorasetup.html", else before its third "/" from the end.
std::wstring ContentUrlFromSetupAddress(const std::wstring& address);

// The message that the tab has no working helper object (it is missing or
// the add-on is switched off), in the user's language, through `messageBox`.
void ShowNoHelperObjectMessage(int(WINAPI* messageBox)(HWND, LPCWSTR, LPCWSTR, UINT));

// "{"name":"text", ...}" of the product key and its direct subkeys.
std::wstring BuildQueryJson();

// Caller-origin rules (see CHintora::IsCallerAllowed). The module path is the
// library's own file path.
bool IsLibraryPageAddress(const std::wstring& address, const std::wstring& modulePath);
bool IsSetupPageAddress(const std::wstring& address, const std::wstring& contentUrl);

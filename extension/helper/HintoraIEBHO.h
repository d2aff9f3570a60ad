#pragma once
#include <windows.h>
#include <ocidl.h>
#include <exdisp.h>
#include <mshtml.h>

#include <map>
#include <string>
#include <vector>

#include "base/ClassFactory.h"
#include "base/ComOwners.h"
#include "base/ComSupport.h"
#include "HintoraIE_h.h"

// Process-wide switches written by every helper object's Initialize.
extern BYTE g_bBhoPresent;
extern BYTE g_bDiagnosticMode;

// The browser helper object: one per browser tab thread (and per gateway
// window). It finds itself again through ThreadBhoSlot, reads the settings,
// listens to the browser's events and owns the tab's keyboard hook.
class CHintoraIEBHO : public IObjectWithSite, public IHintoraIEBHO {
public:
    static const wchar_t kSetupPagePart[];
    static const wchar_t kGatewayPagePart[];
    static const UINT kTimerInterval = 150;

    // Creates an object with one reference held by the caller.
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    CHintoraIEBHO();
    virtual ~CHintoraIEBHO();

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IObjectWithSite
    STDMETHODIMP SetSite(IUnknown* site) override;
    STDMETHODIMP GetSite(REFIID riid, void** ppvSite) override;

    // IDispatch of IHintoraIEBHO
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excepInfo, UINT* argErr) override;

    // IHintoraIEBHO
    STDMETHODIMP Start() override;

    // The tab's window with a reference added, or null.
    void GetWindow(IHTMLWindow2** window);

    // Options: starts one options dialog on a thread of its own, owned by the
    // browser's top-level window. Each call opens another one.
    HRESULT OpenOptionsWindow();

    // The text the library's pages fetch: the options page's texts in the
    // user's language, and the text of the message window last opened
    // (handed out once).
    static void SetOptionsMessage();
    static void GetCurrentMessage(std::wstring& text);

private:
    // The tests' way to the object's state and steps.
    friend class HelperObjectProbe;

    CHintoraIEBHO(const CHintoraIEBHO&) = delete;
    CHintoraIEBHO& operator=(const CHintoraIEBHO&) = delete;

    // Browser events.
    void OnDocumentComplete(IDispatch* pDisp, VARIANT* url);
    void OnBeforeNavigate(IDispatch* pDisp, VARIANT* url, VARIANT* flags, VARIANT* targetFrameName,
                          VARIANT* postData, VARIANT* headers, VARIANT_BOOL* cancel);
    void OnQuit();
    void OnNewWindow3(IDispatch** ppDisp, VARIANT_BOOL* cancel, DWORD flags, const std::wstring& urlContext,
                      const std::wstring& url);

    void Initialize();
    void Advise();
    void Unadvise();

    HRESULT SetWindow();
    bool IsFirstFrameComplete(IHTMLWindow2* window);
    HRESULT GetFrameWindow(IHTMLWindow2* window, LONG index, ComPtr<IHTMLWindow2>& frame);
    void Reset();

    // Hot key.
    void ParseShortCut(const std::wstring& text);
    bool IsShortCutPressed(WPARAM virtualKey);
    static LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam);

    // Message windows over the tab's window.
    HRESULT OpenMessageWindow(const std::wstring& title, const std::wstring& text, const std::wstring& type,
                              const std::wstring& close);
    void ShowError(const std::wstring& errorText);

    // Help request and gateway window control.
    void CloseGatewayWindow();
    HRESULT OpenGatewayWindow();
    static void CALLBACK StartTimerProc(HWND hwnd, UINT message, UINT_PTR id, DWORD time);
    static void CALLBACK GatewayClosingTimerProc(HWND hwnd, UINT message, UINT_PTR id, DWORD time);
    static void CALLBACK GatewayReadyTimerProc(HWND hwnd, UINT message, UINT_PTR id, DWORD time);

    // Gateway window side.
    bool IsGatewayWindow(const std::wstring& url);
    HRESULT PrepareGatewayWindow();
    HRESULT ShowContent();
    bool IsTocLoaded();
    HRESULT ShowQuentaContent();
    HRESULT GetPreferredLanguages();
    HRESULT ReadTestValues(std::map<std::wstring, std::wstring>& values);
    void GetTestSettingsJson(std::wstring& json);
    void SelfCloseGatewayWindow();
    static void CALLBACK BrowserContextReadyTimerProc(HWND hwnd, UINT message, UINT_PTR id, DWORD time);
    static void CALLBACK FrameCompleteTimerProc(HWND hwnd, UINT message, UINT_PTR id, DWORD time);
    static void CALLBACK GatewayWaitingToCloseTimerProc(HWND hwnd, UINT message, UINT_PTR id, DWORD time);

    // Page recognition.
    HRESULT ProceedWithRecognition();
    HRESULT CollectFrames(IHTMLWindow2* window, LONG parentIndex);

    // The object's thread timers. A stopped timer's id is forgotten: the
    // system hands ids out again, and a kill by a stale id would stop another
    // timer of the thread. Starting one first stops the earlier one of the
    // same field, which would otherwise outlive its purpose.
    static void StopTimer(UINT_PTR& id);
    static void StartTimer(UINT_PTR& id, TIMERPROC procedure);
    // A timer procedure ends its own timer by the id its tick handed in.
    static void StopOwnTimer(UINT_PTR id, UINT_PTR* field);

    // The event sink handed to the browser's connection point. It has an
    // identity of its own (the browser asks it for IDispatch and
    // DWebBrowserEvents2) but its references keep the helper object alive, so
    // no event can reach a destroyed object.
    class EventSink : public WebBrowserEventSink {
    public:
        explicit EventSink(CHintoraIEBHO* owner) : m_owner(owner) {}
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;
        STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                            EXCEPINFO* excepInfo, UINT* argErr) override;

    private:
        CHintoraIEBHO* m_owner;
    };

    // Fields. The timer procedures and the hook find the thread's object
    // through ThreadBhoSlot and work on them directly. The module stays
    // locked until every other field is gone.
    ModuleObjectLock m_moduleLock;
    ComPtr<IUnknown> m_spUnkSite;
    EventSink m_eventSink;
    DWORD m_dwEventCookie = 0;
    LONG m_cRef = 0;
    ComPtr<IWebBrowser2> m_spWebBrowser;
    ComPtr<IHTMLWindow2> m_spWindow;
    BOOL m_bAdvised = FALSE;
    HHOOK m_hKeyboardHook = nullptr;
    // The page tab's context, kept from the gateway's ShowContent until the
    // content page is shown.
    Variant m_varApplication;
    Variant m_varContextList;
    Variant m_varDefaults;
    std::vector<std::wstring> m_languages;
    std::vector<ComPtr<IHTMLWindow2>> m_frames;
    std::vector<LONG> m_frameParentIndexes;
    std::vector<LONG> frameLeaderIndexArray;
    std::map<std::wstring, LONG> m_domainLeaders;
    BYTE bEnabled = 0;
    BYTE m_bHostsGateway = 0;
    BYTE m_bBlockNewGateway = 0;
    WORD m_wShortCut = 0x0078;
    std::wstring m_strContentURL;
    std::wstring m_strGatewayURL;
    UINT_PTR m_nStartTimer = 0;
    UINT_PTR m_nFrameCompleteTimer = 0;
    UINT_PTR m_nBrowserContextReadyTimer = 0;
    UINT_PTR m_nGatewayReadyTimer = 0;
    UINT_PTR m_nGatewayWaitingToCloseTimer = 0;
    UINT_PTR m_nGatewayClosingTimer = 0;
    static const LONG kDocumentWaitTicks = 150;

};

// Shared by all tabs of a process: ticks of the wait for a complete document.
extern LONG WaitForDocumentCompleteCounter;

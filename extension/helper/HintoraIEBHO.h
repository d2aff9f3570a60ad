#pragma once
#include <windows.h>
#include <ocidl.h>
#include <exdisp.h>
#include <mshtml.h>

#include <map>
#include <string>
#include <vector>

#include "base/ClassFactory.h"
#include "base/ComSupport.h"
#include "helper/SharedState.h"
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

    // Browser events.
    void OnDocumentComplete(IDispatch* pDisp, VARIANT* url);
    void OnBeforeNavigate(IDispatch* pDisp, VARIANT* url, VARIANT* flags, VARIANT* targetFrameName,
                          VARIANT* postData, VARIANT* headers, VARIANT_BOOL* cancel);
    void OnQuit();
    void OnNewWindow3(IDispatch** ppDisp, VARIANT_BOOL* cancel, DWORD flags, BSTR urlContext, BSTR url);

    void Initialize();

    HRESULT SetWindow();
    // m_spWindow with a reference added, or null.
    void GetWindow(IHTMLWindow2** window);
    bool IsFirstFrameComplete(IHTMLWindow2* window);
    HRESULT GetFrameWindow(IHTMLWindow2* window, LONG index, IHTMLWindow2** frame);
    void Reset();

    // Hot key.
    void ParseShortCut(const std::wstring& text);
    // The ShortCutWord of an English hot-key text; false, with the word left
    // alone, when the text names no key from F1 to F12.
    static bool ShortCutWordFromText(const std::wstring& text, WORD& word);
    static WORD FunctionKeyFromName(const std::wstring& name);
    bool IsShortCutPressed(WPARAM virtualKey);
    static LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam);

    // Shared state between tabs and processes.
    static bool WriteToSharedMemory(const SharedStateBlock& block);
    static bool ReadFromSharedMemory(SharedStateBlock& block);
    static bool SetGatewayStatus(const std::wstring& status);
    static bool GetGatewayStatus(std::wstring& status);
    static void ClearBrowserContext();
    static void SetBusyState(BOOL state);
    static void GetBusyState(BOOL& state);
    static HANDLE GetEvent(const std::wstring& name, BOOL manualReset);

    // Message windows.
    HRESULT OpenMessageWindow(const std::wstring& title, const std::wstring& text, const std::wstring& type,
                              const std::wstring& close);
    void ShowError(const std::wstring& errorText);
    static void SetOptionsMessage();
    static void GetCurrentMessage(std::wstring& text);

    // Options: starts one options dialog on a thread of its own, owned by the
    // browser's top-level window. Each call opens another one.
    HRESULT OpenOptionsWindow();

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

    // Fields. The timer procedures, the hook and the tab's other objects of
    // the same thread work on them directly.
    IUnknown* m_spUnkSite = nullptr;
    EventSink m_eventSink;
    DWORD m_dwEventCookie = 0;
    LONG m_cRef = 0;
    IWebBrowser2* m_spWebBrowser = nullptr;
    IHTMLWindow2* m_spWindow = nullptr;
    BOOL m_bAdvised = FALSE;
    HHOOK m_hKeyboardHook = nullptr;
    VARIANT m_varApplication;
    VARIANT m_varContextList;
    VARIANT m_varDefaults;
    std::vector<std::wstring> m_languages;
    std::vector<IHTMLWindow2*> m_frames;
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

    // The object's thread timers. A stopped timer's id is forgotten: the
    // system hands ids out again, and a kill by a stale id would stop another
    // timer of the thread. Starting one first stops the earlier one of the
    // same field, which would otherwise outlive its purpose.
    static void StopTimer(UINT_PTR& id);
    static void StartTimer(UINT_PTR& id, TIMERPROC procedure);
    // A timer procedure ends its own timer by the id its tick handed in.
    static void StopOwnTimer(UINT_PTR id, UINT_PTR* field);

private:
    CHintoraIEBHO(const CHintoraIEBHO&) = delete;
    CHintoraIEBHO& operator=(const CHintoraIEBHO&) = delete;

    void Advise();
    void Unadvise();
    void ReleaseFrames();

    ModuleObjectLock m_moduleLock;
};

// Shared by all tabs of a process: ticks of the wait for a complete document.
extern LONG WaitForDocumentCompleteCounter;

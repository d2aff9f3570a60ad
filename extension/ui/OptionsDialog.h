#pragma once
#include <windows.h>
#include <exdisp.h>
#include <oaidl.h>

#include <string>

#include "base/ComOwners.h"
#include "base/ComSupport.h"

// One options request, handed from the tab thread to the dialog thread; the
// dialog thread owns and frees it.
struct OptionsDialogParams {
    HWND hWndParent = nullptr;  // the browser's top-level window
    std::wstring strTitle;
};

// The options dialog thread's routine: runs one modal options dialog; 0.
DWORD WINAPI OptionsDialogThreadProc(LPVOID param);

// The routine each options request's thread runs (OptionsDialogThreadProc;
// tests put their own here).
extern LPTHREAD_START_ROUTINE g_pfnOptionsDialogThread;

// Starts one options dialog on a thread of its own, which then owns the
// request. False (request discarded) when no thread could be started.
bool StartOptionsDialogThread(HWND parent, const std::wstring& title);

// The modal options dialog: dialog 106 with the browser control 202 showing
// the library's options page. The page closes itself, which ends the dialog.
class COptionsDialog {
public:
    static const UINT IDD = 106;
    static const int kBrowserControlId = 202;
    static const wchar_t kOptionsPageAddress[];
    // Size of the page's area: the dialog's client area once the page is complete.
    static const int kBrowserWidth = 476;
    static const int kBrowserHeight = 336;

    explicit COptionsDialog(const std::wstring& title);
    virtual ~COptionsDialog();

    // The modal loop with the given owner; returns the dialog's result, or
    // -1 when the dialog could not be created.
    INT_PTR DoModal(HWND parent);
    void EndDialog(int result);

    // The message map. True when the message was handled; result is then
    // the message's result.
    virtual BOOL ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);

    // Events of the browser control.
    void DocumentCompleteExplorerctrl(IDispatch* pDisp, VARIANT* URL);
    void WindowClosingExplorerCtrl(VARIANT_BOOL IsChildWindow, VARIANT_BOOL* Cancel);

    HWND m_hWnd = nullptr;
    HWND m_wndBrowser = nullptr;
    ComPtr<IWebBrowser2> m_spBrowser;
    std::wstring m_strTitle;

protected:
    // The control's events: a small object of its own, so the control may
    // hold it longer than the dialog lives.
    class EventSink : public WebBrowserEventSink {
    public:
        explicit EventSink(COptionsDialog* owner) : m_owner(owner) {}
        virtual ~EventSink() = default;
        // The dialog is going: later events reach nothing.
        void Disconnect() { m_owner = nullptr; }
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;
        STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                            EXCEPINFO* excepInfo, UINT* argErr) override;

    private:
        LONG m_cRef = 0;
        COptionsDialog* m_owner;
    };

    void AdviseBrowserEvents();
    void UnadviseBrowserEvents();
    // The control's source of browser events, null without one.
    ComPtr<IConnectionPoint> BrowserEventSource() const;

    ComPtr<EventSink> m_spEventSink;
    DWORD m_dwEventCookie = 0;

private:
    COptionsDialog(const COptionsDialog&) = delete;
    COptionsDialog& operator=(const COptionsDialog&) = delete;

    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK MessageFilterProc(int code, WPARAM wParam, LPARAM lParam);
};

#include "ui/OptionsDialog.h"

#include <exdispid.h>

#include <memory>
#include <new>

#include "base/Logger.h"
#include "common/Handles.h"
#include "messages/MessageCatalog.h"
#include "settings/ProductSettings.h"
#include "ui/ControlHost.h"

LPTHREAD_START_ROUTINE g_pfnOptionsDialogThread = OptionsDialogThreadProc;

const wchar_t COptionsDialog::kOptionsPageAddress[] = L"res://HintoraIE.dll/206";

namespace {

// The module that carries the dialog template: the library itself (or the
// program this code is linked into).
HINSTANCE ResourceModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ResourceModule), &module);
    return module;
}

// The dialog whose modal loop runs on this thread.
thread_local COptionsDialog* t_modalDialog = nullptr;

struct ThreadStart {
    LPTHREAD_START_ROUTINE routine = nullptr;
    std::unique_ptr<OptionsDialogParams> params;
    LibraryReference module;
};

DWORD WINAPI OptionsThreadMain(LPVOID parameter) {
    std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(parameter));
    LPTHREAD_START_ROUTINE routine = start->routine;
    OptionsDialogParams* params = start->params.release();  // the routine owns the request
    HMODULE module = start->module.Detach();
    start.reset();
    DWORD code = routine(params);
    // The thread held the library loaded, so closing the tab that asked for
    // the dialog cannot unload the code it runs. The call does not return.
    if (module)
        FreeLibraryAndExitThread(module, code);
    return code;
}

// Puts the dialog's keyboard filter in place for as long as its modal loop
// runs, and takes it away again, also for a nested dialog's loop.
class ModalLoopScope {
public:
    ModalLoopScope(COptionsDialog* dialog, HOOKPROC filter) : m_outer(t_modalDialog) {
        t_modalDialog = dialog;
        m_filter = SetWindowsHookExW(WH_MSGFILTER, filter, nullptr, GetCurrentThreadId());
    }
    ~ModalLoopScope() {
        if (m_filter)
            UnhookWindowsHookEx(m_filter);
        t_modalDialog = m_outer;
    }
    ModalLoopScope(const ModalLoopScope&) = delete;
    ModalLoopScope& operator=(const ModalLoopScope&) = delete;

private:
    COptionsDialog* m_outer;
    HHOOK m_filter = nullptr;
};

}  // namespace

// ---- The dialog thread --------------------------------------------------------

bool StartOptionsDialogThread(HWND parent, const std::wstring& title) {
    std::unique_ptr<ThreadStart> start(new (std::nothrow) ThreadStart);
    if (!start)
        return false;
    start->routine = g_pfnOptionsDialogThread;
    start->params.reset(new (std::nothrow) OptionsDialogParams);
    if (!start->params)
        return false;
    start->params->hWndParent = parent;
    start->params->strTitle = title;
    // A reference of the thread's own on the library (released as it ends).
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&OptionsThreadMain),
                       start->module.Out());
    KernelHandle thread(CreateThread(nullptr, 0, OptionsThreadMain, start.get(), 0, nullptr));
    if (!thread)
        return false;
    start.release();  // the thread owns it now
    return true;
}

DWORD WINAPI OptionsDialogThreadProc(LPVOID param) {
    std::unique_ptr<OptionsDialogParams> request(static_cast<OptionsDialogParams*>(param));
    if (!request)
        return 0;
    try {
        // OLE stays up until the dialog, which holds the browser control,
        // has been destroyed.
        HRESULT ole = OleInitialize(nullptr);
        {
            COptionsDialog dialog(request->strTitle);
            dialog.DoModal(request->hWndParent);
        }
        if (SUCCEEDED(ole))
            OleUninitialize();
    } catch (...) {
    }
    return 0;
}

// ---- COptionsDialog -----------------------------------------------------------

COptionsDialog::COptionsDialog(const std::wstring& title) : m_strTitle(title) {
    CAxHost::RegisterWindowClass();
    m_spEventSink = new EventSink(this);
}

COptionsDialog::~COptionsDialog() {
    // The sink first: the control may hold it longer, and once the dialog
    // lets go of the control, its events must no longer reach this dialog.
    if (m_spEventSink) {
        m_spEventSink->Disconnect();
        m_spEventSink.Reset();
    }
    m_spBrowser.Reset();
}

INT_PTR COptionsDialog::DoModal(HWND parent) {
    HINSTANCE instance = ResourceModule();
    HRSRC resource = FindResourceW(instance, MAKEINTRESOURCEW(IDD), reinterpret_cast<LPCWSTR>(RT_DIALOG));
    HGLOBAL loaded = resource ? LoadResource(instance, resource) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    DialogTemplate dialog;
    if (!data || !ParseDialogTemplate(data, SizeofResource(instance, resource), dialog))
        return -1;
    // The template names the control by class identifier; host windows stand there.
    ReplaceControlClasses(dialog);
    std::vector<DWORD> memory = BuildDialogTemplate(dialog);

    ModalLoopScope loop(this, MessageFilterProc);
    return DialogBoxIndirectParamW(instance, reinterpret_cast<LPCDLGTEMPLATEW>(memory.data()), parent, DialogProc,
                                   reinterpret_cast<LPARAM>(this));
}

void COptionsDialog::EndDialog(int result) {
    if (m_hWnd)
        ::EndDialog(m_hWnd, result);
}

INT_PTR CALLBACK COptionsDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    COptionsDialog* dialog = nullptr;
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<COptionsDialog*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(dialog));
        if (dialog)
            dialog->m_hWnd = hwnd;
    } else {
        dialog = reinterpret_cast<COptionsDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (!dialog)
        return FALSE;

    LRESULT result = 0;
    BOOL handled = dialog->ProcessWindowMessage(hwnd, message, wParam, lParam, result);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        dialog->m_hWnd = nullptr;
    }
    if (!handled)
        return FALSE;
    switch (message) {
    case WM_INITDIALOG:
    case WM_CHARTOITEM:
    case WM_COMPAREITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_QUERYDRAGICON:
    case WM_VKEYTOITEM:
        return static_cast<INT_PTR>(result);
    default:
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
}

LRESULT CALLBACK COptionsDialog::MessageFilterProc(int code, WPARAM wParam, LPARAM lParam) {
    // Keys typed into the page go to the control first (tabbing between the
    // page's fields, Enter on its buttons), the dialog's own keys after.
    if (code == MSGF_DIALOGBOX && t_modalDialog) {
        CAxHost* host = CAxHost::FromWindow(t_modalDialog->m_wndBrowser);
        if (host && host->PreTranslateMessage(reinterpret_cast<MSG*>(lParam)))
            return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL COptionsDialog::ProcessWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_INITDIALOG: {
        BOOL handled = TRUE;
        result = OnInitDialog(message, wParam, lParam, handled);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL && HIWORD(wParam) == 0) {
            EndDialog(IDCANCEL);
            result = 0;
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        UnadviseBrowserEvents();
        return FALSE;
    default:
        return FALSE;
    }
}

LRESULT COptionsDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL& handled) {
    CAxHost::CreateDialogControls(m_hWnd, ResourceModule(), IDD);
    AdviseBrowserEvents();
    handled = TRUE;

    SetWindowTextW(m_hWnd, m_strTitle.c_str());
    m_wndBrowser = GetDlgItem(m_hWnd, kBrowserControlId);
    CAxHost* host = CAxHost::FromWindow(m_wndBrowser);
    if (host) {
        {
            ComPtr<IDocUIHandler> handler;
            if (SUCCEEDED(CoCreateInstance(CLSID_DocUIHandler, nullptr, CLSCTX_INPROC_SERVER, IID_IDocUIHandler,
                                           reinterpret_cast<void**>(handler.GetAddressOf()))) &&
                handler)
                host->SetExternalUIHandler(handler.Get());
        }
        ComPtr<IWebBrowser2> browser;
        if (SUCCEEDED(host->QueryControl(IID_IWebBrowser2, reinterpret_cast<void**>(browser.GetAddressOf()))) &&
            browser) {
            m_spBrowser.Reset();
            m_spBrowser.Swap(browser);
            Bstr address{std::wstring(kOptionsPageAddress)};
            Variant empty;
            m_spBrowser->Navigate(address.get(), &empty, &empty, &empty, &empty);
        }
    }
    return 1;
}

ComPtr<IConnectionPoint> COptionsDialog::BrowserEventSource() const {
    ComPtr<IConnectionPoint> point;
    CAxHost* host = CAxHost::FromWindow(GetDlgItem(m_hWnd, kBrowserControlId));
    ComPtr<IConnectionPointContainer> container;
    if (host &&
        SUCCEEDED(host->QueryControl(IID_IConnectionPointContainer,
                                     reinterpret_cast<void**>(container.GetAddressOf()))) &&
        container)
        container->FindConnectionPoint(DIID_DWebBrowserEvents2, point.GetAddressOf());
    return point;
}

void COptionsDialog::AdviseBrowserEvents() {
    if (!m_spEventSink)
        return;
    ComPtr<IConnectionPoint> point = BrowserEventSource();
    DWORD cookie = 0;
    if (point && SUCCEEDED(point->Advise(static_cast<IDispatch*>(m_spEventSink.Get()), &cookie)))
        m_dwEventCookie = cookie;
}

void COptionsDialog::UnadviseBrowserEvents() {
    if (!m_dwEventCookie)
        return;
    DWORD cookie = m_dwEventCookie;
    m_dwEventCookie = 0;
    ComPtr<IConnectionPoint> point = BrowserEventSource();
    if (point)
        point->Unadvise(cookie);
}

void COptionsDialog::DocumentCompleteExplorerctrl(IDispatch*, VARIANT*) {
    try {
        g_logger.Log(L"COptionsDialog::DocumentCompleteExplorerctrl()");
        if (!m_spBrowser)
            return;
        int width = kBrowserWidth;
        int height = kBrowserHeight;
        m_spBrowser->ClientToWindow(&width, &height);
        RECT client;
        RECT window;
        if (GetClientRect(m_hWnd, &client) && GetWindowRect(m_hWnd, &window)) {
            int frameWidth = (window.right - window.left) - (client.right - client.left);
            int frameHeight = (window.bottom - window.top) - (client.bottom - client.top);
            SetWindowPos(m_hWnd, nullptr, 0, 0, frameWidth + width, frameHeight + height,
                         SWP_NOMOVE | SWP_NOOWNERZORDER);
        }
        m_spBrowser->put_Height(height);
        m_spBrowser->put_Width(width);
    } catch (...) {
        g_logger.LogError(L"COptionsDialog::DocumentCompleteExplorerctrl() exception", GetLastError(), true);
    }
}

void COptionsDialog::WindowClosingExplorerCtrl(VARIANT_BOOL, VARIANT_BOOL*) {
    try {
        g_logger.Log(L"COptionsDialog::WindowClosingExplorerCtrl()");
        if (m_spBrowser) {
            m_spBrowser->Stop();
            m_spBrowser->Quit();
        }
        EndDialog(0);
    } catch (...) {
        g_logger.LogError(L"COptionsDialog::WindowClosingExplorerCtrl() exception", GetLastError(), true);
    }
}

// ---- Event sink ---------------------------------------------------------------

STDMETHODIMP_(ULONG) COptionsDialog::EventSink::AddRef() {
    return AddComReference(m_cRef);
}

STDMETHODIMP_(ULONG) COptionsDialog::EventSink::Release() {
    return ReleaseComReference(this, m_cRef);
}

STDMETHODIMP COptionsDialog::EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                               EXCEPINFO*, UINT*) {
    if (!m_owner || !params || !params->rgvarg)
        return S_OK;
    // Arguments arrive last-first.
    switch (id) {
    case DISPID_DOCUMENTCOMPLETE:
        if (params->cArgs >= 2)
            m_owner->DocumentCompleteExplorerctrl(EventArgument::Dispatch(params->rgvarg[1]),
                                                  EventArgument::Variant(params->rgvarg[0]));
        break;
    case DISPID_WINDOWCLOSING:
        if (params->cArgs >= 2) {
            VARIANT& cancel = params->rgvarg[0];
            m_owner->WindowClosingExplorerCtrl(EventArgument::Bool(params->rgvarg[1]),
                                               cancel.vt == (VT_BYREF | VT_BOOL) ? cancel.pboolVal : nullptr);
        }
        break;
    default:
        break;
    }
    return S_OK;
}

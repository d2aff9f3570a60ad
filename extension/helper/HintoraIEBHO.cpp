#include "helper/HintoraIEBHO.h"

#include "base/Logger.h"
#include "base/Registry.h"
#include "base/ThreadSlot.h"
#include "helper/HtmlDomHelper.h"
#include "helper/JsCache.h"
#include "helper/SharedState.h"
#include "messages/MessageCatalog.h"
#include "settings/ProductSettings.h"

#include <exdispid.h>
#include <servprov.h>
#include <shlguid.h>

#include <cwchar>

BYTE g_bBhoPresent = 0;
BYTE g_bDiagnosticMode = 0;
LONG WaitForDocumentCompleteCounter = 0;

const wchar_t CHintoraIEBHO::kSetupPagePart[] = L"radozira/vorla/ietbutton/ietbuttonsetup.html";
const wchar_t CHintoraIEBHO::kGatewayPagePart[] = L"/radozira/hintora_gateway.html";

HRESULT CHintoraIEBHO::CreateInstance(REFIID riid, void** ppv) {
    return CreateComObject<CHintoraIEBHO>(riid, ppv);
}

CHintoraIEBHO::CHintoraIEBHO() : m_eventSink(this) {
    g_logger.ConnectTraceObject();
    g_logger.Log(L"CHintoraIEBHO::CHintoraIEBHO() - this = [%08Ix]", reinterpret_cast<UINT_PTR>(this));
    Initialize();
}

void CHintoraIEBHO::Initialize() {
    try {
        m_wShortCut = 0x0078;

        bool stored = ThreadBhoSlot::Set(this);
        g_bBhoPresent = 1;
        bEnabled = 1;
        m_bHostsGateway = 0;
        m_bBlockNewGateway = 0;

        std::wstring text;
        g_bTraceMode = 0;
        GetStringFromRegistry(HKEY_LOCAL_MACHINE, ProductSettings::kAdvancedKey, L"tracemode", text);
        if (text == L"1")
            g_bTraceMode = 1;

        std::wstring slotText = L"tlsindex = " + std::to_wstring(static_cast<int>(ThreadBhoSlot::Index()));
        g_logger.Log(L"CHintoraIEBHO::Initialize() - %s, result = %s", slotText.c_str(), stored ? L"TRUE" : L"FALSE");

        g_bDiagnosticMode = 0;
        GetStringFromRegistry(HKEY_LOCAL_MACHINE, ProductSettings::kAdvancedKey, L"diagnosticmode", text);
        if (text == L"1")
            g_bDiagnosticMode = 1;

        // "0" switches the script cache off for the rest of the process; no
        // other value switches it on again.
        GetStringFromRegistry(HKEY_LOCAL_MACHINE, ProductSettings::kAdvancedKey, L"usecache", text);
        if (text == L"0")
            JsCache::SetUseCache(false);

        ProductSettings::ReadValue(L"EnglishShortCut", text);
        ParseShortCut(text);

        m_hKeyboardHook = nullptr;
        ProductSettings::ReadValue(L"ContentURL", m_strContentURL);

        m_nStartTimer = 0;
        m_nFrameCompleteTimer = 0;
        m_nBrowserContextReadyTimer = 0;
        m_nGatewayReadyTimer = 0;
        m_nGatewayWaitingToCloseTimer = 0;
        m_nGatewayClosingTimer = 0;
    } catch (...) {
        g_logger.Log(L"Exception in CHintoraIEBHO::Initialize");
    }
}

CHintoraIEBHO::~CHintoraIEBHO() {
    try {
        if (m_bHostsGateway)
            SharedState::SetGatewayStatus(SharedState::kGatewayClosed);
        SharedState::SetBusyState(FALSE);
        if (m_hKeyboardHook) {
            UnhookWindowsHookEx(m_hKeyboardHook);
            m_hKeyboardHook = nullptr;
        }
    } catch (...) {
        g_logger.LogError(L"Exception in CHintoraIEBHO destructor", GetLastError(), true);
    }

    // Nothing that looks the object up through the slot, and no timer of the
    // object, may run once it is gone.
    if (ThreadBhoSlot::Get() == this)
        ThreadBhoSlot::Set(nullptr);
    for (UINT_PTR* id : {&m_nStartTimer, &m_nFrameCompleteTimer, &m_nBrowserContextReadyTimer, &m_nGatewayReadyTimer,
                         &m_nGatewayWaitingToCloseTimer, &m_nGatewayClosingTimer})
        StopTimer(*id);
}

// ---- IUnknown -------------------------------------------------------------

STDMETHODIMP CHintoraIEBHO::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IObjectWithSite)
        *ppv = static_cast<IObjectWithSite*>(this);
    else if (riid == IID_IDispatch || riid == IID_IHintoraIEBHO)
        *ppv = static_cast<IHintoraIEBHO*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CHintoraIEBHO::AddRef() {
    return AddComReference(m_cRef);
}

STDMETHODIMP_(ULONG) CHintoraIEBHO::Release() {
    return ReleaseComReference(this, m_cRef);
}

// ---- IObjectWithSite ------------------------------------------------------

STDMETHODIMP CHintoraIEBHO::SetSite(IUnknown* site) {
    try {
        if (site) {
            ComPtr<IOleCommandTarget> commandTarget;
            ComPtr<IServiceProvider> provider;
            ComPtr<IWebBrowser2> browser;
            if (SUCCEEDED(site->QueryInterface(IID_PPV_ARGS(&commandTarget))) && commandTarget &&
                SUCCEEDED(commandTarget.As(&provider)) && provider &&
                SUCCEEDED(provider->QueryService(SID_SWebBrowserApp, IID_PPV_ARGS(&browser)))) {
                if (browser) {
                    // A subscription on an earlier browser object would keep
                    // this object alive and receiving its events.
                    if (m_bAdvised)
                        Unadvise();
                    m_spWebBrowser = browser;
                    g_logger.Log(L"CHintoraIEBHO::SetSite() - m_spWebBrowser = [%08Ix]",
                                 reinterpret_cast<UINT_PTR>(m_spWebBrowser.Get()));
                }
                if (!m_bAdvised)
                    Advise();
                if (!m_hKeyboardHook)
                    m_hKeyboardHook = SetWindowsHookExW(WH_KEYBOARD, KeyboardProc, nullptr, GetCurrentThreadId());
            }
        } else {
            if (m_bAdvised)
                Unadvise();
            m_spWebBrowser.Reset();
            m_spWindow.Reset();
        }
    } catch (...) {
        g_logger.Log(L"Exception in CHintoraIEBHO::SetSite");
    }

    m_spUnkSite = site;
    return S_OK;
}

STDMETHODIMP CHintoraIEBHO::GetSite(REFIID riid, void** ppvSite) {
    return QueryStoredSite(m_spUnkSite.Get(), riid, ppvSite);
}

void CHintoraIEBHO::Advise() {
    if (!m_spWebBrowser)
        return;
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    if (FAILED(m_spWebBrowser->QueryInterface(IID_PPV_ARGS(&container))) || !container)
        return;
    if (FAILED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, &point)) || !point)
        return;
    DWORD cookie = 0;
    if (SUCCEEDED(point->Advise(static_cast<IDispatch*>(&m_eventSink), &cookie))) {
        m_dwEventCookie = cookie;
        m_bAdvised = TRUE;
    }
}

void CHintoraIEBHO::Unadvise() {
    if (m_spWebBrowser) {
        ComPtr<IConnectionPointContainer> container;
        ComPtr<IConnectionPoint> point;
        if (SUCCEEDED(m_spWebBrowser->QueryInterface(IID_PPV_ARGS(&container))) && container &&
            SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, &point)) && point)
            point->Unadvise(m_dwEventCookie);
    }
    m_dwEventCookie = 0;
    m_bAdvised = FALSE;
}

// ---- IDispatch of IHintoraIEBHO -------------------------------------------

STDMETHODIMP CHintoraIEBHO::GetTypeInfoCount(UINT* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP CHintoraIEBHO::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CHintoraIEBHO::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!names || !ids)
        return E_POINTER;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
        if (i == 0 && names[0] && _wcsicmp(names[0], L"Start") == 0) {
            ids[0] = 1;
        } else {
            ids[i] = DISPID_UNKNOWN;
            hr = DISP_E_UNKNOWNNAME;
        }
    }
    return hr;
}

STDMETHODIMP CHintoraIEBHO::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO*, UINT*) {
    if (id != 1)
        return DISP_E_MEMBERNOTFOUND;
    if (!(flags & DISPATCH_METHOD))
        return DISP_E_MEMBERNOTFOUND;
    if (params && params->cArgs != 0)
        return DISP_E_BADPARAMCOUNT;
    if (result)
        VariantInit(result);
    return Start();
}

// ---- Event sink -----------------------------------------------------------

STDMETHODIMP_(ULONG) CHintoraIEBHO::EventSink::AddRef() {
    return m_owner->AddRef();
}

STDMETHODIMP_(ULONG) CHintoraIEBHO::EventSink::Release() {
    return m_owner->Release();
}

STDMETHODIMP CHintoraIEBHO::EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                              EXCEPINFO*, UINT*) {
    if (!params)
        return S_OK;
    // A handler may end the subscription and drop the browser's reference.
    ComPtr<IHintoraIEBHO> keepAlive(m_owner);
    VARIANTARG* args = params->rgvarg;
    UINT count = args ? params->cArgs : 0;
    // Arguments arrive last-first.
    switch (id) {
    case DISPID_DOCUMENTCOMPLETE:
        // A document that completed counts even when the browser leaves out
        // its address: it is then no gateway page.
        m_owner->OnDocumentComplete(count >= 1 ? EventArgument::Dispatch(args[count - 1]) : nullptr,
                                    count >= 2 ? EventArgument::Variant(args[count - 2]) : nullptr);
        break;
    case DISPID_BEFORENAVIGATE2:
        if (count >= 7) {
            VARIANT_BOOL* cancel = args[count - 7].vt == (VT_BYREF | VT_BOOL) ? args[count - 7].pboolVal : nullptr;
            m_owner->OnBeforeNavigate(EventArgument::Dispatch(args[count - 1]), EventArgument::Variant(args[count - 2]),
                                      EventArgument::Variant(args[count - 3]), EventArgument::Variant(args[count - 4]),
                                      EventArgument::Variant(args[count - 5]), EventArgument::Variant(args[count - 6]),
                                      cancel);
        }
        break;
    case DISPID_ONQUIT:
        m_owner->OnQuit();
        break;
    case DISPID_NEWWINDOW3:
        if (count >= 5) {
            IDispatch** ppDisp = args[count - 1].vt == (VT_BYREF | VT_DISPATCH) ? args[count - 1].ppdispVal : nullptr;
            VARIANT_BOOL* cancel = args[count - 2].vt == (VT_BYREF | VT_BOOL) ? args[count - 2].pboolVal : nullptr;
            DWORD flags = args[count - 3].vt == VT_I4 || args[count - 3].vt == VT_UI4 ? args[count - 3].ulVal : 0;
            m_owner->OnNewWindow3(ppDisp, cancel, flags, EventArgument::Text(&args[count - 4]),
                                  EventArgument::Text(&args[count - 5]));
        }
        break;
    default:
        break;
    }
    return S_OK;
}

// ---- Browser events -------------------------------------------------------

void CHintoraIEBHO::OnBeforeNavigate(IDispatch* pDisp, VARIANT* url, VARIANT*, VARIANT*, VARIANT*, VARIANT*,
                                     VARIANT_BOOL*) {
    try {
        std::wstring address = EventArgument::Text(url);
        if (address.find(kSetupPagePart) != std::wstring::npos) {
            ComPtr<IWebBrowser2> browser;
            if (pDisp && SUCCEEDED(pDisp->QueryInterface(IID_PPV_ARGS(&browser))) && browser) {
                std::wstring replacement = m_strContentURL + L"/hintorasetup.html?error=1";
                browser->Stop();
                Variant target(replacement);
                Variant none[4];
                for (Variant& v : none)
                    v.vt = VT_NULL;
                browser->Navigate2(&target, &none[0], &none[1], &none[2], &none[3]);
            }
        }
        g_logger.Log(L"CHintoraIEBHO::OnBeforeNavigate() - url = %s", address.c_str());
        bEnabled = 0;
    } catch (...) {
        g_logger.LogError(L"CHintoraIEBHO::OnBeforeNavigate() exception", GetLastError(), true);
    }
}

void CHintoraIEBHO::OnNewWindow3(IDispatch**, VARIANT_BOOL*, DWORD, const std::wstring& urlContext,
                                 const std::wstring& url) {
    g_logger.Log(L"CHintoraIEBHO::OnNewWindow3 - url: %s", url.c_str());
    g_logger.Log(L"CHintoraIEBHO::OnNewWindow3 - urlContext: %s", urlContext.c_str());
}

void CHintoraIEBHO::OnQuit() {
    try {
        if (m_spWebBrowser) {
            HRESULT hr = m_spWebBrowser->Stop();
            g_logger.Log(L"CHintoraIEBHO::OnQuit - browser stopped, result: %08X", static_cast<unsigned>(hr));
        }
        StopTimer(m_nFrameCompleteTimer);
        StopTimer(m_nStartTimer);
        StopTimer(m_nGatewayClosingTimer);
        StopTimer(m_nGatewayWaitingToCloseTimer);
        MessageCatalog::Release();
        g_logger.Log(L"CHintoraIEBHO::OnQuit");
    } catch (...) {
        g_logger.LogError(L"CHintoraIEBHO::OnQuit() exception", GetLastError(), true);
    }
}

// ---- Windows of the tab ---------------------------------------------------

HRESULT CHintoraIEBHO::SetWindow() {
    if (!m_spWebBrowser)
        return S_OK;
    ComPtr<IDispatch> documentDispatch;
    HRESULT hr = m_spWebBrowser->get_Document(&documentDispatch);
    if (FAILED(hr) || !documentDispatch)
        return hr;
    ComPtr<IHTMLDocument2> document;
    hr = documentDispatch.As(&document);
    if (FAILED(hr) || !document)
        return hr;
    ComPtr<IHTMLWindow2> window;
    hr = document->get_parentWindow(&window);
    if (SUCCEEDED(hr) && window && window != m_spWindow) {
        m_spWindow = window;
        g_logger.Log(L"CHintoraIEBHO::SetWindow() - m_spWindow = [%08Ix]",
                     reinterpret_cast<UINT_PTR>(m_spWindow.Get()));
    }
    return hr;
}

void CHintoraIEBHO::GetWindow(IHTMLWindow2** window) {
    if (window)
        m_spWindow.CopyTo(window);
}

HRESULT CHintoraIEBHO::GetFrameWindow(IHTMLWindow2* window, LONG index, ComPtr<IHTMLWindow2>& frame) {
    if (!window)
        return E_POINTER;
    ComPtr<IHTMLFramesCollection2> frames;
    HRESULT hr = window->get_frames(&frames);
    if (FAILED(hr))
        return hr;
    if (!frames)
        return E_FAIL;
    Variant position(index);
    Variant item;
    hr = frames->item(&position, &item);
    if (SUCCEEDED(hr) && item.vt == VT_DISPATCH && item.pdispVal) {
        ComPtr<IHTMLWindow2> found;
        hr = item.pdispVal->QueryInterface(IID_PPV_ARGS(&found));
        if (SUCCEEDED(hr) && found)
            frame = found;
    }
    return hr;
}

bool CHintoraIEBHO::IsFirstFrameComplete(IHTMLWindow2* window) {
    try {
        ComPtr<IHTMLWindow2> frame;
        if (FAILED(GetFrameWindow(window, 0, frame)) || !frame)
            return false;
        ComPtr<IHTMLDocument2> document;
        if (FAILED(HtmlDomHelper::GetBrowserDocument(frame.Get(), &document)) || !document)
            return false;
        Bstr state;
        if (FAILED(document->get_readyState(state.Out())) || !state.get())
            return false;
        return _wcsicmp(state.get(), L"complete") == 0;
    } catch (...) {
        return false;
    }
}

void CHintoraIEBHO::Reset() {
    g_logger.Log(L"CHintoraIEBHO::Reset");
    m_frames.clear();
    m_frameParentIndexes.clear();
    frameLeaderIndexArray.clear();
    m_domainLeaders.clear();
    m_strGatewayURL.clear();
    m_languages.clear();
    m_varApplication.Clear();
    m_varContextList.Clear();
    StopTimer(m_nFrameCompleteTimer);
    StopTimer(m_nGatewayWaitingToCloseTimer);
}

void CHintoraIEBHO::StopTimer(UINT_PTR& id) {
    if (id != 0) {
        KillTimer(nullptr, id);
        id = 0;
    }
}

void CHintoraIEBHO::StartTimer(UINT_PTR& id, TIMERPROC procedure) {
    StopTimer(id);
    id = SetTimer(nullptr, 0, kTimerInterval, procedure);
}

void CHintoraIEBHO::StopOwnTimer(UINT_PTR id, UINT_PTR* field) {
    KillTimer(nullptr, id);
    if (field && *field == id)
        *field = 0;
}

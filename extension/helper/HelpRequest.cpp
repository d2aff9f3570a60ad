// The help request in the tab where the user works: the wait for the tab's
// document, the refusals, and the gateway window's close/open protocol up to
// the moment the new gateway reports itself ready.
#include "helper/HintoraIEBHO.h"

#include "base/Logger.h"
#include "base/Registry.h"
#include "base/ThreadSlot.h"
#include "helper/SharedState.h"
#include "messages/MessageCatalog.h"
#include "settings/ProductSettings.h"
#include "ui/MessageWindows.h"

#include <initializer_list>

namespace {

const wchar_t kGatewayWindowName[] = L"velnor_gateway";

bool HasWebScheme(const std::wstring& address) {
    return address.compare(0, 7, L"http://") == 0 || address.compare(0, 8, L"https://") == 0;
}

// A refused request: the texts of the keys, one per line, in the user's
// language.
void ShowRefusal(IHTMLWindow2* window, std::initializer_list<const wchar_t*> keys, const wchar_t* type) {
    std::wstring language;
    ProductSettings::GetLanguage(language);
    std::wstring text;
    for (const wchar_t* key : keys) {
        if (!text.empty())
            text += L"<BR />";
        text += MessageCatalog::GetText(key, language);
    }
    ShowMessageWindow(window, MessageCatalog::GetText(L"HINTORA_MESSAGES_TITLE", language), text, type,
                      MessageCatalog::GetText(L"COMMON_CLOSE", language));
}

void LogStartEnd(const CHintoraIEBHO* bho) {
    g_logger.Log(L"CHintoraIEBHO::Start() - End - this = [%08Ix]", reinterpret_cast<UINT_PTR>(bho));
}

}  // namespace

STDMETHODIMP CHintoraIEBHO::Start() {
    try {
        g_logger.Log(L"CHintoraIEBHO::Start() - bEnabled = [%d] WaitForDocumentCompleteCounter = [%d] this = [%08Ix]",
                     static_cast<int>(bEnabled), static_cast<int>(WaitForDocumentCompleteCounter),
                     reinterpret_cast<UINT_PTR>(this));
        if (!m_spWindow) {
            g_logger.Log(L"CHintoraIEBHO::Start() - window object null, aborting");
            return S_FALSE;
        }

        InterlockedExchange(&WaitForDocumentCompleteCounter, 0);
        if (!bEnabled) {
            // Another request during the same load replaces the earlier wait
            // instead of running beside it.
            StartTimer(m_nStartTimer, StartTimerProc);
            if (!m_nStartTimer)
                g_logger.LogError(L"CHintoraIEBHO::Start() - couldn't wait for the document", GetLastError(), false);
            return S_FALSE;
        }
        StopTimer(m_nStartTimer);

        // A request left busy while its gateway was still opening never got
        // its gateway: it does not block this one.
        std::wstring status;
        BOOL busy = FALSE;
        SharedState::GetGatewayStatus(status);
        SharedState::GetBusyState(busy);
        if (busy && status == SharedState::kGatewayOpening)
            SharedState::SetBusyState(FALSE);
        busy = FALSE;
        SharedState::GetBusyState(busy);
        if (busy) {
            ShowRefusal(m_spWindow.Get(), {L"HINTORA_MESSAGES_WAIT"}, L"warning");
            LogStartEnd(this);
            return S_OK;
        }

        m_spWindow.Reset();
        HRESULT hr = SetWindow();
        if (!m_spWindow) {
            g_logger.Log(L"CHintoraIEBHO::Start() - couldn't get the window object again [%08X], aborting",
                         static_cast<unsigned>(hr));
            return FAILED(hr) ? hr : S_FALSE;
        }

        LONG read = ProductSettings::ReadValue(L"ContentURL", m_strContentURL);
        if (!HasWebScheme(m_strContentURL)) {
            ShowRefusal(m_spWindow.Get(),
                        {L"HINTORA_MESSAGES_NOTSUPPORTED_PROTOCOL", L"HINTORA_MESSAGES_RUN_CONFIGURATION"},
                        L"critical");
            return read;
        }

        ComPtr<IHTMLLocation> location;
        hr = m_spWindow->get_location(&location);
        if (FAILED(hr) || !location) {
            if (SUCCEEDED(hr))
                hr = E_FAIL;
            g_logger.Log(L"CHintoraIEBHO::Start() - couldn't get location for window [%08X]", static_cast<unsigned>(hr));
            return hr;
        }
        Bstr href;
        hr = location->get_href(href.Out());
        if (FAILED(hr)) {
            g_logger.Log(L"CHintoraIEBHO::Start() - couldn't get HREF from location [%08X]", static_cast<unsigned>(hr));
            return hr;
        }
        std::wstring address = href.Text();
        if (!HasWebScheme(address)) {
            g_logger.Log(L"CHintoraIEBHO::Start() - quit because protocol == %s", address.c_str());
            ShowRefusal(m_spWindow.Get(), {L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PROTOCOL"}, L"critical");
            return S_OK;
        }
        if (address.find(kGatewayPagePart) != std::wstring::npos) {
            g_logger.Log(L"CHintoraIEBHO::Start() - quit because URL == %s", address.c_str());
            ShowRefusal(m_spWindow.Get(), {L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PLAYER"}, L"critical");
            return S_OK;
        }

        // Only an accepted request clears the per-request state: in the
        // gateway window a refused request must not stop its close watch.
        Reset();
        SharedState::SetBusyState(TRUE);
        CloseGatewayWindow();
    } catch (...) {
        g_logger.LogError(L"CHintoraIEBHO::Start() exception", GetLastError(), false);
        try {
            Reset();
            ShowError(ErrorTexts::kUnexpectedException);
        } catch (...) {
            SharedState::SetBusyState(FALSE);
        }
    }
    LogStartEnd(this);
    return S_OK;
}

void CALLBACK CHintoraIEBHO::StartTimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    try {
        g_logger.Log(L"CHintoraIEBHO::StartTimerProc() - WaitForDocumentComplete / WaitForDocumentCompleteCounter = %d /%d",
                     static_cast<int>(kDocumentWaitTicks), static_cast<int>(WaitForDocumentCompleteCounter));
        // Tabs of one process share the counter; their threads tick at once.
        LONG ticks = InterlockedIncrement(&WaitForDocumentCompleteCounter);
        CHintoraIEBHO* bho = ThreadBhoSlot::Get();
        if (ticks > kDocumentWaitTicks) {
            StopOwnTimer(id, bho ? &bho->m_nStartTimer : nullptr);
            InterlockedExchange(&WaitForDocumentCompleteCounter, 0);
            g_logger.Log(L"CHintoraIEBHO::StartTimerProc() - timer is up, document is not ready");
            if (bho) {
                bho->bEnabled = 1;
                // Start may open modal windows; the object must outlive them.
                ComPtr<IHintoraIEBHO> request(bho);
                request->Start();
            }
        } else if (bho && bho->bEnabled) {
            InterlockedExchange(&WaitForDocumentCompleteCounter, 0);
            StopOwnTimer(id, &bho->m_nStartTimer);
            ComPtr<IHintoraIEBHO> request(bho);
            request->Start();
        }
    } catch (...) {
        g_logger.LogError(L"CHintoraIEBHO::StartTimerProc() exception", GetLastError(), false);
    }
}

void CHintoraIEBHO::CloseGatewayWindow() {
    // A ready signal of an earlier gateway must not pass for the new one.
    HANDLE ready = SharedState::GetEvent(SharedState::kGatewayReadyEvent, FALSE);
    if (ready)
        ResetEvent(ready);

    std::wstring status;
    SharedState::GetGatewayStatus(status);
    if (status == SharedState::kGatewayRunning) {
        g_logger.Log(L"CHintoraIEBHO::CloseGatewayWindow() signal to gateway to close itself");
        SharedState::SetGatewayStatus(SharedState::kCloseGateway);
        StartTimer(m_nGatewayClosingTimer, GatewayClosingTimerProc);
        if (!m_nGatewayClosingTimer)
            g_logger.LogError(L"CHintoraIEBHO::CloseGatewayWindow() - couldn't wait for the gateway to close",
                              GetLastError(), false);
    } else {
        g_logger.Log(L"CHintoraIEBHO::CloseGatewayWindow() open new gateway, no previous one detected");
        OpenGatewayWindow();
    }
}

void CALLBACK CHintoraIEBHO::GatewayClosingTimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    try {
        CHintoraIEBHO* bho = ThreadBhoSlot::Get();
        if (!bho) {
            KillTimer(nullptr, id);
            g_logger.Log(L"CHintoraIEBHO::GatewayClosingTimerProc() - no bho");
            return;
        }
        ComPtr<IHintoraIEBHO> keepAlive(bho);
        // The wait has no limit: a slow content server is still served, and
        // closing the tab ends the wait.
        std::wstring status;
        SharedState::GetGatewayStatus(status);
        if (status == SharedState::kGatewayClosed) {
            StopOwnTimer(id, &bho->m_nGatewayClosingTimer);
            g_logger.Log(L"CHintoraIEBHO::GatewayClosingTimerProc() - gateway closed, now open the new one");
            bho->OpenGatewayWindow();
        }
    } catch (...) {
        g_logger.LogError(L"CHintoraIEBHO::GatewayClosingTimerProc() exception", GetLastError(), false);
    }
}

HRESULT CHintoraIEBHO::OpenGatewayWindow() {
    g_logger.Log(L"CHintoraIEBHO::OpenGatewayWindow()");
    if (m_bBlockNewGateway) {
        g_logger.Log(L"CHintoraIEBHO::OpenGatewayWindow() - flag prohibits opening a new gateway window");
        m_bBlockNewGateway = 0;
        return S_OK;
    }

    m_strGatewayURL = m_strContentURL + kGatewayPagePart;
    ComPtr<IHTMLWindow2> gateway;
    HRESULT hr = E_POINTER;
    if (m_spWindow) {
        Bstr url(m_strGatewayURL);
        Bstr name(kGatewayWindowName);
        Bstr features(std::wstring{});
        if (url.get() && name.get() && features.get())
            hr = m_spWindow->open(url.get(), name.get(), features.get(), VARIANT_FALSE, &gateway);
        else
            hr = E_OUTOFMEMORY;
    }
    // A window the browser blocked comes back as success without a window.
    if (hr == S_OK && !gateway)
        hr = E_FAIL;
    if (hr != S_OK) {
        g_logger.Log(L"CHintoraIEBHO::OpenGatewayWindow() - OpenWindow failed");
        SharedState::SetBusyState(FALSE);
        ShowError(ErrorTexts::kGatewayWindowFailed);
        return hr;
    }

    SharedState::SetGatewayStatus(SharedState::kGatewayOpening);
    g_logger.Log(L"CHintoraIEBHO::OpenGatewayWindow() - OpenWindow succeeded, gateway window: [%08IX]",
                 reinterpret_cast<UINT_PTR>(gateway.Get()));
    StartTimer(m_nGatewayReadyTimer, GatewayReadyTimerProc);
    if (!m_nGatewayReadyTimer)
        g_logger.LogError(L"CHintoraIEBHO::OpenGatewayWindow() - couldn't wait for the gateway", GetLastError(), false);
    return S_OK;
}

void CALLBACK CHintoraIEBHO::GatewayReadyTimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    try {
        CHintoraIEBHO* bho = ThreadBhoSlot::Get();
        HANDLE ready = SharedState::GetEvent(SharedState::kGatewayReadyEvent, FALSE);
        if (!ready || WaitForSingleObject(ready, 0) != WAIT_OBJECT_0) {
            if (!bho) {
                // Nobody to hand over to: polling on would only take the
                // signal from the tab it is meant for.
                KillTimer(nullptr, id);
                g_logger.Log(L"CHintoraIEBHO::GatewayReadyTimerProc() - no bho");
                return;
            }
            // No limit: a gateway that never gets ready keeps the request
            // busy until its window closes (its helper object then clears the
            // flag) or a later request finds it still opening.
            return;
        }
        StopOwnTimer(id, bho ? &bho->m_nGatewayReadyTimer : nullptr);
        if (!bho) {
            g_logger.Log(L"CHintoraIEBHO::GatewayReadyTimerProc() - got event, no bho");
            return;
        }
        g_logger.Log(L"CHintoraIEBHO::GatewayReadyTimerProc() - gateway is ready");
        ComPtr<IHintoraIEBHO> keepAlive(bho);
        bho->ProceedWithRecognition();
    } catch (...) {
        g_logger.LogError(L"CHintoraIEBHO::GatewayReadyTimerProc() exception", GetLastError(), false);
    }
}

// The helper object's windows: messages and failures shown over the tab's
// window, the texts handed to the library's pages, and the options dialog.
#include "helper/HintoraIEBHO.h"

#include "base/Logger.h"
#include "helper/SharedState.h"
#include "messages/MessageCatalog.h"
#include "settings/ProductSettings.h"
#include "ui/MessageWindows.h"
#include "ui/OptionsDialog.h"

HRESULT CHintoraIEBHO::OpenMessageWindow(const std::wstring& title, const std::wstring& text,
                                         const std::wstring& type, const std::wstring& close) {
    return ShowMessageWindow(m_spWindow.Get(), title, text, type, close);
}

void CHintoraIEBHO::ShowError(const std::wstring& errorText) {
    try {
        std::wstring language;
        ProductSettings::GetLanguage(language);
        ShowErrorWindow(m_spWindow.Get(), errorText, language, g_bDiagnosticMode != 0);
        // The request stays busy while the error window is open.
        SharedState::SetBusyState(FALSE);
    } catch (...) {
        g_logger.LogError(L"CHintoraIEBHO::ShowError() exception", GetLastError(), true);
    }
}

void CHintoraIEBHO::SetOptionsMessage() {
    g_logger.Log(L"CHintoraIEBHO::SetOptionsMessage()");
    std::wstring language;
    ProductSettings::GetLanguage(language);
    std::wstring json = FormatOptionsJson(language);
    g_currentMessage.Set(json);
    g_logger.Log(L"CHintoraIEBHO::SetOptionsMessage() message set: %s", json.c_str());
}

void CHintoraIEBHO::GetCurrentMessage(std::wstring& text) {
    text = g_currentMessage.Take();
    g_logger.Log(L"CHintoraIEBHO::GetCurrentMessage - dialog: %s", text.c_str());
}

HRESULT CHintoraIEBHO::OpenOptionsWindow() {
    try {
        std::wstring language;
        ProductSettings::GetLanguage(language);
        std::wstring title = MessageCatalog::GetText(L"HINTORA_OPTIONS_TITLE", language);
        if (!m_spWebBrowser)
            return E_FAIL;
        SHANDLE_PTR handle = 0;
        HRESULT hr = m_spWebBrowser->get_HWND(&handle);
        if (FAILED(hr))
            return hr;
        StartOptionsDialogThread(reinterpret_cast<HWND>(handle), title);
        return hr;
    } catch (...) {
        g_logger.LogError(L"CHintoraIEBHO::OpenOptionsWindow() exception", GetLastError(), true);
        return E_FAIL;
    }
}

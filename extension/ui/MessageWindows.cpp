#include "ui/MessageWindows.h"

#include "base/ComOwners.h"
#include "base/JsonText.h"
#include "base/Logger.h"
#include "messages/MessageCatalog.h"

#include <shlwapi.h>

#include <cwchar>
#include <vector>

CurrentMessage g_currentMessage;

const wchar_t kMessageWindowModule[] = L"HintoraIE.dll";
const wchar_t kMessageWindowFeatures[] = L"status:no;center:yes;dialogheight:200px;dialogwidth:400px";

namespace ErrorTexts {
const wchar_t kSetConfigurationUrlFailed[] = L"003. <BR />Function Velnor.HintoraGateway.SetConfigurationUrl failed.";
const wchar_t kGetDisabledApplicationListFailed[] =
    L"004. <BR />Function Velnor.HintoraGateway.GetDisabledApplicationList failed.";
const wchar_t kGetConfiguredApplicationListFailed[] =
    L"005. <BR />Function Velnor.HintoraGateway.GetConfiguredApplicationList failed";
const wchar_t kBrowserDescriptorFailed[] = L"006. <BR />Couldn't create BrowserDescriptor.";
const wchar_t kNoValidFrame[] = L"007. <BR />No valid frame.";
const wchar_t kSetFramesFailed[] = L"008. <BR />Function Velnor.Recognition.SetFrames failed.";
const wchar_t kShowContentFailed[] = L"010. <BR />Function Velnor.HintoraGateway.ShowContent failed.";
const wchar_t kFirstFrameUnavailable[] = L"011. <BR />Couldn't get access to the gateway's first frame.";
const wchar_t kUnexpectedException[] =
    L"012. <BR />Unexpected exception catched, please consult the traces for details.";
const wchar_t kGatewayWindowFailed[] = L"013. <BR />Couldn't open the gateway window.";
}  // namespace ErrorTexts

void CurrentMessage::Set(const std::wstring& text) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_text = text;
}

void CurrentMessage::Clear() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_text.clear();
}

std::wstring CurrentMessage::Get() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_text;
}

std::wstring CurrentMessage::Take() {
    std::lock_guard<std::mutex> guard(m_lock);
    std::wstring text;
    text.swap(m_text);
    return text;
}

std::wstring FormatMessageJson(const std::wstring& title, const std::wstring& text, const std::wstring& close,
                               const std::wstring& type) {
    return L"{\"Title\":\"" + EscapeJsonText(title) + L"\",\"Text\":\"" + EscapeJsonText(text) +
           L"\",\"Close\":\"" + EscapeJsonText(close) + L"\",\"Type\":\"" + EscapeJsonText(type) + L"\"}";
}

std::wstring FormatOptionsJson(const std::wstring& language) {
    static const wchar_t* const fields[][2] = {
        {L"Title", L"HINTORA_OPTIONS_TITLE"},
        {L"TabTitle", L"HINTORA_OPTIONS_TAB_LABEL"},
        {L"GroupTitle", L"HINTORA_OPTIONS_HOTKEY_LABEL"},
        {L"Key", L"HINTORA_OPTIONS_KEY_LABEL"},
        {L"Restart", L"HINTORA_OPTIONS_KEY_RESTART"},
        {L"Warning", L"HINTORA_OPTIONS_HOTKEY_WARNING"},
        {L"Ctrl", L"COMMON_CTRL"},
        {L"Alt", L"COMMON_ALT"},
        {L"Shift", L"COMMON_SHIFT"},
        {L"Apply", L"COMMON_APPLY"},
        {L"Cancel", L"COMMON_CANCEL"},
        {L"Ok", L"COMMON_OK"},
    };
    std::wstring json = L"{";
    bool first = true;
    for (const auto& field : fields) {
        if (!first)
            json += L",";
        first = false;
        json += L"\"";
        json += field[0];
        json += L"\":\"";
        json += EscapeJsonText(MessageCatalog::GetText(field[1], language));
        json += L"\"";
    }
    json += L"}";
    return json;
}

HRESULT ShowMessageWindow(IHTMLWindow2* window, const std::wstring& title, const std::wstring& text,
                          const std::wstring& type, const std::wstring& close) {
    HRESULT hr = E_FAIL;
    try {
        std::wstring address =
            std::wstring(L"res://") + kMessageWindowModule + L"/" + std::to_wstring(kMessageWindowPage);

        std::wstring json = FormatMessageJson(title, text, close, type);
        g_currentMessage.Set(json);
        g_logger.Log(L"CHintoraIEBHO::OpenMessageWindow - message: %s", json.c_str());

        std::vector<wchar_t> escaped(kEscapeBufferLength, L'\0');
        DWORD length = kEscapeBufferLength;
        hr = UrlEscapeW(json.c_str(), escaped.data(), &length, URL_ESCAPE_SEGMENT_ONLY | URL_ESCAPE_PERCENT);
        escaped.back() = L'\0';
        g_logger.Log(L"CHintoraIEBHO::OpenMessageWindow - encoded message: %s", escaped.data());
        if (FAILED(hr))
            return hr;

        if (!window) {
            hr = E_FAIL;
        } else {
            Bstr dialog(address + L"?" + escaped.data());
            Variant argument;
            Variant options;
            Variant returned;
            options.bstrVal = SysAllocString(kMessageWindowFeatures);
            options.vt = VT_BSTR;
            if (!dialog.get() || !options.bstrVal)
                hr = E_OUTOFMEMORY;
            else
                hr = window->showModalDialog(dialog.get(), &argument, &options, &returned);
        }
        if (FAILED(hr)) {
            g_logger.Log(L"CHintoraIEBHO::OpenMessageWindow() - could not open dialog");
            g_currentMessage.Clear();
        }
    } catch (...) {
        g_logger.LogError(L"CHintoraIEBHO::OpenMessageWindow() exception", GetLastError(), true);
    }
    return hr;
}

HRESULT ShowErrorWindow(IHTMLWindow2* window, const std::wstring& errorText, const std::wstring& language,
                        bool diagnosticMode) {
    std::wstring title = MessageCatalog::GetText(L"HINTORA_MESSAGES_TITLE", language);
    std::wstring occurred = MessageCatalog::GetText(L"COMMON_ERROR_OCCURED", language);
    std::wstring codeLabel = MessageCatalog::GetText(L"COMMON_ERROR_CODE", language);
    std::wstring close = MessageCatalog::GetText(L"COMMON_CLOSE", language);

    // Without diagnostic mode only the number and its period are shown.
    std::wstring code = diagnosticMode ? errorText : errorText.substr(0, 4);
    std::wstring text = occurred + L"<BR />" + codeLabel + code;
    return ShowMessageWindow(window, title, text, L"critical", close);
}

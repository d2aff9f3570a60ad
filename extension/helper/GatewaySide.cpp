// The gateway window's side of a help request: its helper object prepares
// the gateway page, waits for the page tab's context, has the page show the
// matching content and closes the window when asked to.
#include "helper/HintoraIEBHO.h"

#include "base/JsonText.h"
#include "base/Logger.h"
#include "base/Registry.h"
#include "base/ThreadSlot.h"
#include "helper/HtmlDomHelper.h"
#include "helper/PageValues.h"
#include "helper/SharedState.h"
#include "messages/MessageCatalog.h"
#include "settings/ProductSettings.h"
#include "ui/MessageWindows.h"

#include <cwctype>

namespace {

const wchar_t kGatewayPath[] = L"window.Velnor.HintoraGateway.";
const wchar_t kLanguageKey[] = L"Software\\Microsoft\\Internet Explorer\\International";

std::wstring GatewayFunction(const wchar_t* name) {
    return std::wstring(kGatewayPath) + name;
}

bool EqualsNoCase(const std::wstring& text, const wchar_t* other) {
    return _wcsicmp(text.c_str(), other) == 0 && text.size() == wcslen(other);
}

}  // namespace

std::wstring VariantToString(const VARIANT& value) {
    Variant text;
    HRESULT hr = VariantChangeType(&text, const_cast<VARIANT*>(&value), 0, VT_BSTR);
    if (FAILED(hr))
        throw ComFailure(hr);
    return text.Text();
}

std::wstring ReadTextProperty(HtmlDomHelper& dom, IDispatch* object, const wchar_t* name) {
    if (!object)
        return std::wstring();
    Variant value;
    if (FAILED(dom.InvokeHelperV(DISPATCH_PROPERTYGET, &value, object, name, 0, nullptr)))
        return std::wstring();
    return VariantToString(value);
}

void CHintoraIEBHO::OnDocumentComplete(IDispatch*, VARIANT* url) {
    try {
        g_logger.Log(L"CHintoraIEBHO::OnDocumentComplete()");
        bEnabled = 1;
        SetWindow();
        std::wstring address = EventArgument::Text(url);
        g_logger.Log(L"CHintoraIEBHO::OnDocumentComplete() - url = %s", address.c_str());
        if (!IsGatewayWindow(address))
            return;

        m_bHostsGateway = 1;
        SharedState::SetGatewayStatus(SharedState::kGatewayRunning);
        Reset();

        HtmlDomHelper dom;
        ComPtr<IDispatch> script;
        HRESULT hr = dom.GetScriptObject(m_spWindow.Get(), &script);
        if (FAILED(hr) || !script) {
            g_logger.Log(L"CHintoraIEBHO::OnDocumentComplete() - couldn't get script object");
            return;
        }
        bool velnor = false;
        if (SUCCEEDED(dom.EvalBool(script.Get(), L"(typeof(Velnor) == 'object')", &velnor)) && velnor) {
            if (SUCCEEDED(PrepareGatewayWindow())) {
                StartTimer(m_nGatewayWaitingToCloseTimer, GatewayWaitingToCloseTimerProc);
                HANDLE ready = SharedState::GetEvent(SharedState::kGatewayReadyEvent, FALSE);
                if (ready)
                    SetEvent(ready);
            } else {
                g_logger.Log(L"CHintoraIEBHO::OnDocumentComplete() - PrepareGatewayWindow failed");
            }
        } else {
            velnor = false;
        }
        g_logger.Log(L"CHintoraIEBHO::OnDocumentComplete() - Velnor is object -> %s", velnor ? L"true" : L"false");
    } catch (...) {
        g_logger.LogError(L"CHintoraIEBHO::OnDocumentComplete() exception", GetLastError(), true);
    }
}

bool CHintoraIEBHO::IsGatewayWindow(const std::wstring& url) {
    bool result = url == m_strContentURL + kGatewayPagePart;
    g_logger.Log(L"CHintoraIEBHO::IsGatewayWindow() - result: %s", result ? L"true" : L"false");
    return result;
}

HRESULT CHintoraIEBHO::PrepareGatewayWindow() {
    HtmlDomHelper dom;
    Variant contentUrl(m_strContentURL);
    Variant ignored;
    HRESULT hr = dom.CallFunction(m_spWindow.Get(), &ignored, GatewayFunction(L"SetConfigurationUrl"), contentUrl);
    if (FAILED(hr)) {
        g_logger.Log(L"CHintoraIEBHO::PrepareGatewayWindow() - SetConfigurationUrl failed");
        Reset();
        SelfCloseGatewayWindow();
        ShowError(ErrorTexts::kSetConfigurationUrlFailed);
        return hr;
    }

    Variant disabledValue;
    hr = dom.CallFunction(m_spWindow.Get(), &disabledValue, GatewayFunction(L"GetDisabledApplicationList"));
    if (FAILED(hr)) {
        g_logger.Log(L"CHintoraIEBHO::PrepareGatewayWindow() - GetDisabledApplicationList failed");
        Reset();
        SelfCloseGatewayWindow();
        ShowError(ErrorTexts::kGetDisabledApplicationListFailed);
        return hr;
    }
    std::wstring disabled = VariantToString(disabledValue);
    g_logger.Log(L"CHintoraIEBHO::PrepareGatewayWindow() - disabled applications: %s", disabled.c_str());

    Variant configuredValue;
    hr = dom.CallFunction(m_spWindow.Get(), &configuredValue, GatewayFunction(L"GetConfiguredApplicationList"));
    if (FAILED(hr)) {
        g_logger.Log(L"CHintoraIEBHO::PrepareGatewayWindow() - GetConfiguredApplicationList failed");
        Reset();
        SelfCloseGatewayWindow();
        ShowError(ErrorTexts::kGetConfiguredApplicationListFailed);
        return hr;
    }
    std::wstring configured = VariantToString(configuredValue);
    g_logger.Log(L"CHintoraIEBHO::PrepareGatewayWindow() - configured applications: %s", configured.c_str());

    auto block = SharedState::NewBlock();
    if (SharedState::ReadFromSharedMemory(*block)) {
        SharedState::CopyToField(block->disabledApplicationList, disabled);
        SharedState::CopyToField(block->configuredApplicationList, configured);
        SharedState::ClearContextFields(*block);
        SharedState::WriteToSharedMemory(*block);
    }

    StartTimer(m_nBrowserContextReadyTimer, BrowserContextReadyTimerProc);
    return hr;
}

void CALLBACK CHintoraIEBHO::BrowserContextReadyTimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    try {
        HANDLE ready = SharedState::GetEvent(SharedState::kBrowserContextReadyEvent, FALSE);
        if (!ready || WaitForSingleObject(ready, 0) != WAIT_OBJECT_0)
            return;
        CHintoraIEBHO* bho = ThreadBhoSlot::Get();
        StopOwnTimer(id, bho ? &bho->m_nBrowserContextReadyTimer : nullptr);
        if (!bho) {
            g_logger.Log(L"CHintoraIEBHO::BrowserContextReadyTimerProc() - got event, no bho");
            return;
        }
        // The no-match message is modal: the tab may close under it.
        ComPtr<IHintoraIEBHO> keepAlive(bho);
        g_logger.Log(L"CHintoraIEBHO::BrowserContextReadyTimerProc() - context is ready");
        bho->ShowContent();
    } catch (...) {
        g_logger.LogError(L"CHintoraIEBHO::BrowserContextReadyTimerProc() exception", GetLastError(), true);
    }
}

HRESULT CHintoraIEBHO::ShowContent() {
    // A block that can't be read gives empty texts: the request then ends
    // like any other without a known type.
    auto block = SharedState::NewBlock();
    SharedState::ReadFromSharedMemory(*block);
    Variant application(SharedState::ReadField(block->application));
    Variant type(SharedState::ReadField(block->type));
    Variant search(SharedState::ReadField(block->searchExpression));
    Variant contextList(SharedState::ReadField(block->contextList));
    Variant defaults(SharedState::ReadField(block->defaults));
    block.reset();

    GetPreferredLanguages();
    // With no language at all the page gets an empty list rather than
    // nothing, so the request still ends.
    Variant languages;
    languages.parray = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(m_languages.size()));
    if (!languages.parray)
        throw ComFailure(E_OUTOFMEMORY);
    languages.vt = VT_ARRAY | VT_VARIANT;
    for (LONG i = 0; i < static_cast<LONG>(m_languages.size()); ++i) {
        Variant entry(m_languages[i]);
        HRESULT put = SafeArrayPutElement(languages.parray, &i, &entry);
        if (FAILED(put))
            throw ComFailure(put);
    }
    g_logger.Log(L"CHintoraIEBHO::ShowContent() - no. of languages: %d", static_cast<int>(m_languages.size()));

    HtmlDomHelper dom;
    Variant ignored;
    HRESULT hr =
        dom.CallFunction(m_spWindow.Get(), &ignored, GatewayFunction(L"ShowContent"), type, search, languages,
                         application);
    if (FAILED(hr)) {
        g_logger.Log(L"CHintoraIEBHO::ShowContent() - ShowContent failed");
        Reset();
        SelfCloseGatewayWindow();
        ShowError(ErrorTexts::kShowContentFailed);
        return hr;
    }
    g_logger.Log(L"CHintoraIEBHO::ShowContent() - ShowContent succeeded");

    std::wstring typeText = type.Text();
    if (EqualsNoCase(typeText, L"quenta")) {
        g_logger.Log(L"CHintoraIEBHO::ShowContent() - quenta");
        m_varApplication.CopyFrom(application);
        m_varContextList.CopyFrom(contextList);
        m_varDefaults.CopyFrom(defaults);
        StartTimer(m_nFrameCompleteTimer, FrameCompleteTimerProc);
    } else if (EqualsNoCase(typeText, L"nomatch")) {
        g_logger.Log(L"CHintoraIEBHO::ShowContent() - nomatch");
        std::wstring name = application.Text();
        std::wstring publishData;
        ProductSettings::GetPublishData(name, publishData);
        if (publishData.empty()) {
            Variant data;
            hr = dom.CallFunction(m_spWindow.Get(), &data, GatewayFunction(L"GetConfigurationData"));
            if (SUCCEEDED(hr)) {
                ProductSettings::StoreValue(L"PublishData", VariantToString(data));
                ProductSettings::GetPublishData(name, publishData);
            }
        }
        std::wstring language;
        ProductSettings::GetLanguage(language);
        std::wstring title = MessageCatalog::GetText(L"HINTORA_MESSAGES_TITLE", language);
        std::wstring noContent = MessageCatalog::GetText(L"HINTORA_MESSAGES_NO_CONTENT", language);
        std::wstring close = MessageCatalog::GetText(L"COMMON_CLOSE", language);
        hr = OpenMessageWindow(title, noContent + L"[" + publishData + L"]", L"information", close);
        SharedState::SetBusyState(FALSE);
        SelfCloseGatewayWindow();
    } else {
        SharedState::SetBusyState(FALSE);
        SharedState::ClearBrowserContext();
    }
    return hr;
}

void CALLBACK CHintoraIEBHO::FrameCompleteTimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    try {
        CHintoraIEBHO* bho = ThreadBhoSlot::Get();
        if (!bho)
            return;
        // Page script runs from here on, and may let the tab close.
        ComPtr<IHintoraIEBHO> keepAlive(bho);
        if (!bho->bEnabled || !bho->IsTocLoaded())
            return;
        StopOwnTimer(id, &bho->m_nFrameCompleteTimer);
        g_logger.Log(L"CHintoraIEBHO::FrameCompleteTimerProc() - document is ready");
        bho->ShowQuentaContent();
    } catch (...) {
        g_logger.LogError(L"CHintoraIEBHO::FrameCompleteTimerProc() exception", GetLastError(), true);
    }
}

bool CHintoraIEBHO::IsTocLoaded() {
    if (!IsFirstFrameComplete(m_spWindow.Get()))
        return false;
    HtmlDomHelper dom;
    ComPtr<IHTMLWindow2> frame;
    if (FAILED(GetFrameWindow(m_spWindow.Get(), 0, frame)) || !frame)
        return false;
    ComPtr<IDispatch> script;
    if (FAILED(dom.GetScriptObject(frame.Get(), &script)) || !script)
        return false;
    bool loaded = false;
    if (FAILED(dom.EvalBool(script.Get(), L"(typeof(onTocLoaded) == 'boolean') && (onTocLoaded == true)", &loaded)))
        return false;
    return loaded;
}

HRESULT CHintoraIEBHO::ShowQuentaContent() {
    HRESULT hr = S_OK;
    try {
        g_logger.Log(L"CHintoraIEBHO::ShowQuentaContent()");
        std::wstring json;
        GetTestSettingsJson(json);

        HtmlDomHelper dom;
        ComPtr<IHTMLWindow2> frame;
        ComPtr<IDispatch> script;
        hr = GetFrameWindow(m_spWindow.Get(), 0, frame);
        if (SUCCEEDED(hr) && frame)
            hr = dom.GetScriptObject(frame.Get(), &script);
        if (FAILED(hr)) {
            g_logger.Log(L"CHintoraIEBHO::ShowQuentaContent() - couldn't get access to the gateway's first frame");
            ShowError(ErrorTexts::kFirstFrameUnavailable);
        } else if (script) {
            Variant settings(json);
            Variant ignored;
            hr = dom.CallFunction(script.Get(), &ignored, L"Quenta.ShowContent", m_varDefaults, settings,
                                  m_varContextList, m_varApplication);
            g_logger.Log(L"CHintoraIEBHO::ShowQuentaContent() - Quenta.ShowContent result: %08X",
                         static_cast<unsigned>(hr));
        }
    } catch (...) {
        g_logger.LogError(L"CHintoraIEBHO::ShowQuentaContent() exception", GetLastError(), true);
    }
    m_varApplication.Clear();
    m_varContextList.Clear();
    m_varDefaults.Clear();
    SharedState::ClearBrowserContext();
    SharedState::SetBusyState(FALSE);
    return hr;
}

HRESULT CHintoraIEBHO::ReadTestValues(std::map<std::wstring, std::wstring>& values) {
    values.clear();
    LONG rc = GetStringChildrenFromRegistry(HKEY_LOCAL_MACHINE, ProductSettings::kTestKey, values);
    if (rc == ERROR_FILE_NOT_FOUND || rc == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND))
        return S_OK;
    return rc;
}

void CHintoraIEBHO::GetTestSettingsJson(std::wstring& json) {
    std::map<std::wstring, std::wstring> values;
    ReadTestValues(values);
    json = FormatJsonObject(values);
}

HRESULT CHintoraIEBHO::GetPreferredLanguages() {
    std::wstring accepted;
    LONG rc = GetStringFromRegistry(HKEY_CURRENT_USER, kLanguageKey, L"AcceptLanguage", accepted);
    if (rc != 0)
        accepted.clear();
    std::vector<std::wstring> pieces;
    SplitString(accepted, L",", pieces);
    size_t before = m_languages.size();
    for (const std::wstring& piece : pieces) {
        std::vector<std::wstring> parts;
        SplitString(piece, L";", parts);
        m_languages.push_back(parts.size() == 2 ? parts[0] : piece);
    }
    if (m_languages.size() == before && m_spWindow) {
        ComPtr<IOmNavigator> navigator;
        Bstr language;
        if (SUCCEEDED(m_spWindow->get_navigator(&navigator)) && navigator &&
            SUCCEEDED(navigator->get_browserLanguage(language.Out())) && !language.Text().empty())
            m_languages.push_back(language.Text());
    }
    for (const std::wstring& language : m_languages)
        g_logger.Log(L"CHintoraIEBHO::GetPreferredLanguages() - languages = [%s]", language.c_str());
    return rc;
}

void CALLBACK CHintoraIEBHO::GatewayWaitingToCloseTimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    try {
        CHintoraIEBHO* bho = ThreadBhoSlot::Get();
        if (!bho)
            return;
        ComPtr<IHintoraIEBHO> keepAlive(bho);
        std::wstring status;
        SharedState::GetGatewayStatus(status);
        if (status != SharedState::kCloseGateway)
            return;
        StopOwnTimer(id, &bho->m_nGatewayWaitingToCloseTimer);
        g_logger.Log(L"CHintoraIEBHO::GatewayWaitingToCloseTimerProc() - trying to close gateway from itself");
        bho->SelfCloseGatewayWindow();
    } catch (...) {
        g_logger.LogError(L"CHintoraIEBHO::GatewayWaitingToCloseTimerProc() exception", GetLastError(), true);
    }
}

void CHintoraIEBHO::SelfCloseGatewayWindow() {
    try {
        if (!m_spWindow)
            return;
        g_logger.Log(L"CHintoraIEBHO::SelfCloseGatewayWindow() trying to close gateway from itself");
        ComPtr<IHTMLWindow2> window(m_spWindow);
        HtmlDomHelper dom;
        ComPtr<IDispatch> script;
        HRESULT hr = dom.GetScriptObject(window.Get(), &script);
        if (FAILED(hr)) {
            hr = window->close();
        } else {
            Variant result;
            hr = dom.CallFunction(window.Get(), &result, GatewayFunction(L"CloseWindow"));
            g_logger.Log(L"CHintoraIEBHO::SelfCloseGatewayWindow() close function call result: [%08X]",
                         static_cast<unsigned>(hr));
            if (FAILED(hr))
                hr = window->close();
        }
        g_logger.Log(L"CHintoraIEBHO::SelfCloseGatewayWindow() trying to close gateway from itself, result: [%08X]",
                     static_cast<unsigned>(hr));
    } catch (...) {
        g_logger.Log(L"CHintoraIEBHO::SelfCloseGatewayWindow() exception caught - ERROR, gateway window cannot be "
                     L"closed");
    }
}

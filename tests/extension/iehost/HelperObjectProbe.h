#pragma once
// The tests' one way into a helper object: the fields the browser's events
// and the timers work on, and the steps they set off, reached without a
// browser behind them.
#include <map>
#include <string>
#include <vector>

#include "helper/HintoraIEBHO.h"

class HelperObjectProbe {
public:
    explicit HelperObjectProbe(CHintoraIEBHO* bho) : m_bho(bho) {}

    // Fields.
    ComPtr<IHTMLWindow2>& Window() { return m_bho->m_spWindow; }
    ComPtr<IWebBrowser2>& Browser() { return m_bho->m_spWebBrowser; }
    BOOL Advised() const { return m_bho->m_bAdvised; }
    HHOOK KeyboardHook() const { return m_bho->m_hKeyboardHook; }
    BYTE& Enabled() { return m_bho->bEnabled; }
    BYTE& HostsGateway() { return m_bho->m_bHostsGateway; }
    BYTE& BlockNewGateway() { return m_bho->m_bBlockNewGateway; }
    WORD& ShortCut() { return m_bho->m_wShortCut; }
    std::wstring& ContentUrl() { return m_bho->m_strContentURL; }
    std::wstring& GatewayUrl() { return m_bho->m_strGatewayURL; }
    std::vector<ComPtr<IHTMLWindow2>>& Frames() { return m_bho->m_frames; }
    std::vector<LONG>& FrameParentIndexes() { return m_bho->m_frameParentIndexes; }
    std::vector<LONG>& FrameLeaderIndexes() { return m_bho->frameLeaderIndexArray; }
    std::map<std::wstring, LONG>& DomainLeaders() { return m_bho->m_domainLeaders; }
    std::vector<std::wstring>& Languages() { return m_bho->m_languages; }
    Variant& Application() { return m_bho->m_varApplication; }
    Variant& Defaults() { return m_bho->m_varDefaults; }
    UINT_PTR& StartTimer() { return m_bho->m_nStartTimer; }
    UINT_PTR& FrameCompleteTimer() { return m_bho->m_nFrameCompleteTimer; }
    UINT_PTR& BrowserContextReadyTimer() { return m_bho->m_nBrowserContextReadyTimer; }
    UINT_PTR& GatewayReadyTimer() { return m_bho->m_nGatewayReadyTimer; }
    UINT_PTR& GatewayWaitingToCloseTimer() { return m_bho->m_nGatewayWaitingToCloseTimer; }
    UINT_PTR& GatewayClosingTimer() { return m_bho->m_nGatewayClosingTimer; }

    // Steps.
    void OnDocumentComplete(IDispatch* pDisp, VARIANT* url) { m_bho->OnDocumentComplete(pDisp, url); }
    void OnQuit() { m_bho->OnQuit(); }
    HRESULT SetWindow() { return m_bho->SetWindow(); }
    void Reset() { m_bho->Reset(); }
    void ParseShortCut(const std::wstring& text) { m_bho->ParseShortCut(text); }
    HRESULT OpenMessageWindow(const std::wstring& title, const std::wstring& text, const std::wstring& type,
                              const std::wstring& close) {
        return m_bho->OpenMessageWindow(title, text, type, close);
    }
    void ShowError(const std::wstring& errorText) { m_bho->ShowError(errorText); }
    void CloseGatewayWindow() { m_bho->CloseGatewayWindow(); }
    HRESULT OpenGatewayWindow() { return m_bho->OpenGatewayWindow(); }
    HRESULT ShowContent() { return m_bho->ShowContent(); }
    HRESULT ShowQuentaContent() { return m_bho->ShowQuentaContent(); }
    void GetTestSettingsJson(std::wstring& json) { m_bho->GetTestSettingsJson(json); }
    HRESULT ProceedWithRecognition() { return m_bho->ProceedWithRecognition(); }

    // The thread's hook and timer procedures.
    static inline const HOOKPROC KeyboardProc = &CHintoraIEBHO::KeyboardProc;
    static inline const TIMERPROC StartTimerProc = &CHintoraIEBHO::StartTimerProc;
    static inline const TIMERPROC GatewayClosingTimerProc = &CHintoraIEBHO::GatewayClosingTimerProc;
    static inline const TIMERPROC GatewayReadyTimerProc = &CHintoraIEBHO::GatewayReadyTimerProc;
    static inline const TIMERPROC BrowserContextReadyTimerProc = &CHintoraIEBHO::BrowserContextReadyTimerProc;
    static inline const TIMERPROC FrameCompleteTimerProc = &CHintoraIEBHO::FrameCompleteTimerProc;
    static inline const TIMERPROC GatewayWaitingToCloseTimerProc = &CHintoraIEBHO::GatewayWaitingToCloseTimerProc;

private:
    CHintoraIEBHO* m_bho;
};

inline HelperObjectProbe Probe(CHintoraIEBHO* bho) {
    return HelperObjectProbe(bho);
}

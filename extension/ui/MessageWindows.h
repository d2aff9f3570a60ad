#pragma once
#include <windows.h>
#include <mshtml.h>

#include <mutex>
#include <string>

// The process-wide text that hands message and options texts to the
// library's pages. Tab threads and the options dialog's thread use it.
class CurrentMessage {
public:
    void Set(const std::wstring& text);
    void Clear();
    std::wstring Get() const;
    // Hands the text out and empties it.
    std::wstring Take();

private:
    mutable std::mutex m_lock;
    std::wstring m_text;
};

extern CurrentMessage g_currentMessage;

// {"Title":..,"Text":..,"Close":..,"Type":..} in this order, no blanks.
std::wstring FormatMessageJson(const std::wstring& title, const std::wstring& text, const std::wstring& close,
                               const std::wstring& type);
// The twelve texts of the options page in one language.
std::wstring FormatOptionsJson(const std::wstring& language);

// The numbered error texts that the helper object reports (001, 002 and 009 are not
// used). Outside diagnostic mode the window shows only the number.
namespace ErrorTexts {
extern const wchar_t kSetConfigurationUrlFailed[];          // 003
extern const wchar_t kGetDisabledApplicationListFailed[];   // 004
extern const wchar_t kGetConfiguredApplicationListFailed[]; // 005
extern const wchar_t kBrowserDescriptorFailed[];            // 006
extern const wchar_t kNoValidFrame[];                       // 007
extern const wchar_t kSetFramesFailed[];                    // 008
extern const wchar_t kShowContentFailed[];                  // 010
extern const wchar_t kFirstFrameUnavailable[];              // 011
extern const wchar_t kUnexpectedException[];                // 012
extern const wchar_t kGatewayWindowFailed[];                // 013
}  // namespace ErrorTexts

// Shows the library's message page modally over the window, the texts as
// JSON in its address and in g_currentMessage (which a failed opening
// empties again). E_FAIL without a window.
HRESULT ShowMessageWindow(IHTMLWindow2* window, const std::wstring& title, const std::wstring& text,
                          const std::wstring& type, const std::wstring& close);
// The message window of a failure in the language: the error's number, and
// in diagnostic mode its whole text. Throws what the catalog throws.
HRESULT ShowErrorWindow(IHTMLWindow2* window, const std::wstring& errorText, const std::wstring& language,
                        bool diagnosticMode);

// Fixed parts of the message window.
extern const wchar_t kMessageWindowModule[];
const int kMessageWindowPage = 205;
extern const wchar_t kMessageWindowFeatures[];
const DWORD kEscapeBufferLength = 2048;

#include "helper/HintoraIEBHO.h"

#include "base/Logger.h"
#include "base/ThreadSlot.h"

#include <wrl/client.h>

namespace {

const BYTE kShiftBit = 0x01;
const BYTE kCtrlBit = 0x02;
const BYTE kAltBit = 0x04;

bool IsKeyDown(int virtualKey) {
    return (GetKeyState(virtualKey) & 0x8000) != 0;
}

}  // namespace

WORD CHintoraIEBHO::FunctionKeyFromName(const std::wstring& name) {
    static const wchar_t* const names[] = {L"F1", L"F2", L"F3", L"F4",  L"F5",  L"F6",
                                           L"F7", L"F8", L"F9", L"F10", L"F11", L"F12"};
    for (WORD i = 0; i < 12; ++i)
        if (name == names[i])
            return static_cast<WORD>(VK_F1 + i);
    return 0;
}

void CHintoraIEBHO::ParseShortCut(const std::wstring& text) {
    ShortCutWordFromText(text, m_wShortCut);
}

bool CHintoraIEBHO::ShortCutWordFromText(const std::wstring& text, WORD& word) {
    std::wstring keyName;
    BYTE modifiers = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L'+', start);
        if (end == std::wstring::npos)
            end = text.size();
        if (end > start) {
            std::wstring piece = text.substr(start, end - start);
            if (piece == L"Shift")
                modifiers |= kShiftBit;
            else if (piece == L"Alt")
                modifiers |= kAltBit;
            else if (piece == L"Ctrl")
                modifiers |= kCtrlBit;
            else
                keyName = piece;
        }
        start = end + 1;
    }

    if (keyName.size() > 1 && (keyName[0] == L'F' || keyName[0] == L'f')) {
        WORD code = FunctionKeyFromName(keyName);
        if (code > 0) {
            word = static_cast<WORD>((modifiers << 8) | code);
            return true;
        }
    }
    return false;
}

bool CHintoraIEBHO::IsShortCutPressed(WPARAM virtualKey) {
    if (IsKeyDown(VK_CONTROL) != ((m_wShortCut & 0x200) != 0))
        return false;
    if (IsKeyDown(VK_SHIFT) != ((m_wShortCut & 0x100) != 0))
        return false;
    if (IsKeyDown(VK_MENU) != ((m_wShortCut & 0x400) != 0))
        return false;
    return virtualKey == (m_wShortCut & 0xFF);
}

LRESULT CALLBACK CHintoraIEBHO::KeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0) {
        try {
            CHintoraIEBHO* bho = ThreadBhoSlot::Get();
            // Bit 31 of the keystroke flags: the key is being released.
            bool released = (static_cast<DWORD>(lParam) & 0x80000000u) != 0;
            if (bho && bho->IsShortCutPressed(wParam) && released) {
                // Start may open modal windows; the object must outlive them.
                Microsoft::WRL::ComPtr<IHintoraIEBHO> request(bho);
                request->Start();
            }
        } catch (...) {
            g_logger.LogError(L"CHintoraIEBHO::KeyboardProc() exception", GetLastError(), true);
        }
    }
    // The key is never swallowed: the browser and the page see it too.
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

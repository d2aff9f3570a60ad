#include "helper/HintoraIEBHO.h"

#include "base/Logger.h"
#include "base/ThreadSlot.h"
#include "settings/ShortCutText.h"

namespace {

bool IsKeyDown(int virtualKey) {
    return (GetKeyState(virtualKey) & 0x8000) != 0;
}

}  // namespace

void CHintoraIEBHO::ParseShortCut(const std::wstring& text) {
    ShortCutText::ShortCutWordFromText(text, m_wShortCut);
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
                ComPtr<IHintoraIEBHO> request(bho);
                request->Start();
            }
        } catch (...) {
            g_logger.LogError(L"CHintoraIEBHO::KeyboardProc() exception", GetLastError(), true);
        }
    }
    // The key is never swallowed: the browser and the page see it too.
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

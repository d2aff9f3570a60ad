#include "settings/ShortCutText.h"

namespace ShortCutText {

namespace {

const uint16_t kShiftBit = 0x01;
const uint16_t kCtrlBit = 0x02;
const uint16_t kAltBit = 0x04;
// The virtual key of F1; F2 to F12 follow it.
const uint16_t kFirstFunctionKey = 0x70;

}  // namespace

uint16_t FunctionKeyFromName(const std::wstring& name) {
    static const wchar_t* const names[] = {L"F1", L"F2", L"F3", L"F4",  L"F5",  L"F6",
                                           L"F7", L"F8", L"F9", L"F10", L"F11", L"F12"};
    for (uint16_t i = 0; i < 12; ++i)
        if (name == names[i])
            return static_cast<uint16_t>(kFirstFunctionKey + i);
    return 0;
}

bool ShortCutWordFromText(const std::wstring& text, uint16_t& word) {
    std::wstring keyName;
    uint16_t modifiers = 0;
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
        uint16_t code = FunctionKeyFromName(keyName);
        if (code > 0) {
            word = static_cast<uint16_t>((modifiers << 8) | code);
            return true;
        }
    }
    return false;
}

}  // namespace ShortCutText

#pragma once
// The English hot-key texts the product key stores ("Ctrl+Shift+F5") and the
// word the helper object compares key presses with: the modifiers in the
// high byte (Shift 1, Ctrl 2, Alt 4), the virtual key in the low byte.
#include <cstdint>
#include <string>

namespace ShortCutText {

// The word of an English hot-key text; false, with the word left alone, when
// the text names no key from F1 to F12.
bool ShortCutWordFromText(const std::wstring& text, uint16_t& word);
// The virtual key of "F1" to "F12" (exactly so written); 0 for anything else.
uint16_t FunctionKeyFromName(const std::wstring& name);

}  // namespace ShortCutText

#pragma once
#include <windows.h>

#include <string>

// Where Internet Explorer shows the product name and the hot key.
namespace HotKeyTexts {
extern const wchar_t kButtonKey[];       // HKLM: toolbar button and its Tools-menu entry
extern const wchar_t kOptionsMenuKey[];  // HKLM: options entry of the Tools menu
extern const wchar_t kMenuExtKey[];      // HKCU: parent of the context-menu entry
extern const wchar_t kDefaultName[];
extern const wchar_t kDefaultShortCut[];
}  // namespace HotKeyTexts

// The hot-key text with each English modifier word replaced by the user's
// language's word, appended to `localized`. English users get the text as is.
void LocalizeShortCut(const std::wstring& shortCut, std::wstring& localized);

// The product name in the user's language; the default for English users.
void GetLocalizedProductName(const std::wstring& defaultName, std::wstring& name);

// The options entry of the Tools menu in the given language.
void WriteOptionsMenuText(const std::wstring& language);

// The context-menu entry's key name: name, TAB, hot key (the name alone
// without a hot key).
std::wstring MenuText(const std::wstring& name, const std::wstring& shortCut);

// Whether a menu text names exactly one entry below the context-menu key.
// Stored texts are not ours alone to vouch for: an empty one, or one with a
// backslash, can name the key itself with every other product's entries.
bool NamesOneMenuEntry(const std::wstring& menuText);

// Stores a new product name and hot key (English form) and rewrites every
// text Internet Explorer shows them in, in the user's language: the toolbar
// button, its Tools-menu entry, the context-menu entry and the two stored
// hot-key forms. An empty text keeps the stored one; a text that cannot be
// part of a key name changes nothing. When the context-menu entry or the
// values cannot be stored the old texts are put back.
void ModifyHintoraTextAndShortCut(const std::wstring& name, const std::wstring& shortCut);

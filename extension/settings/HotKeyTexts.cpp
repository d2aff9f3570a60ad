// The product name and hot key as Internet Explorer shows them: toolbar
// button, its Tools-menu entry, the context-menu entry and the options entry.
#include "settings/HotKeyTexts.h"

#include "base/ComModule.h"
#include "base/Logger.h"
#include "base/LowIntegrity.h"
#include "base/Registry.h"
#include "base/TextTokens.h"
#include "messages/MessageCatalog.h"
#include "settings/ProductSettings.h"

#include <memory>

namespace HotKeyTexts {
const wchar_t kButtonKey[] =
    L"Software\\Microsoft\\Internet Explorer\\Extensions\\{9292FEDB-34F7-400a-B03B-08722952A91C}";
const wchar_t kOptionsMenuKey[] =
    L"Software\\Microsoft\\Internet Explorer\\Extensions\\{912DCC9E-014B-4c4f-83A0-866D5A8E01D8}";
const wchar_t kMenuExtKey[] = L"Software\\Microsoft\\Internet Explorer\\MenuExt";
const wchar_t kDefaultName[] = L"Hintora";
const wchar_t kDefaultShortCut[] = L"F9";
}  // namespace HotKeyTexts

using namespace HotKeyTexts;

namespace {

const wchar_t kEnglish[] = L"en";

// The stored language when texts must be translated into it: empty for
// English, for an unreadable value and for no value.
std::wstring TranslationLanguage() {
    std::wstring language;
    if (ProductSettings::ReadValue(L"Language", language) != 0)
        return std::wstring();
    if (language == kEnglish)
        return std::wstring();
    return language;
}

std::wstring ContextMenuKey(const std::wstring& menuText) {
    return std::wstring(kMenuExtKey) + L"\\" + menuText;
}

// The context-menu entry of that text, opening the library's page.
LONG StoreContextMenuEntry(const std::wstring& menuText) {
    if (!NamesOneMenuEntry(menuText))
        return E_INVALIDARG;
    return ProductSettings::StoreDataInRegistry(HKEY_CURRENT_USER, ContextMenuKey(menuText), L"",
                                                L"res://" + LibraryModulePath() + L"/203");
}

// The toolbar button's Tools-menu entry and its label.
void StoreButtonTexts(const std::wstring& menuText, const std::wstring& name) {
    ProductSettings::StoreDataInRegistry(HKEY_LOCAL_MACHINE, kButtonKey, L"MenuText", menuText);
    ProductSettings::StoreDataInRegistry(HKEY_LOCAL_MACHINE, kButtonKey, L"ButtonText", name);
}

// Texts that end up in a registry key name: a backslash would open a
// subkey, control characters would break the name-TAB-hot-key form.
bool IsUsableInKeyName(const std::wstring& text) {
    for (wchar_t c : text)
        if (c == L'\\' || c < 0x20)
            return false;
    return true;
}

// Lets a protected-mode process remove the old context-menu entry.
void OpenForDeletion(const std::wstring& objectName) {
    SetLowIntegrityLabelOnRegistryKey(objectName);
    GrantUsersAccessToRegistryKey(objectName, GENERIC_READ | GENERIC_WRITE | DELETE, nullptr);
}

}  // namespace

bool NamesOneMenuEntry(const std::wstring& menuText) {
    if (menuText.empty())
        return false;
    for (wchar_t c : menuText)
        if (c == L'\\' || (c < 0x20 && c != L'\t'))
            return false;
    return true;
}

std::wstring MenuText(const std::wstring& name, const std::wstring& shortCut) {
    if (shortCut.empty())
        return name;
    return name + L"\t" + shortCut;
}

void LocalizeShortCut(const std::wstring& shortCut, std::wstring& localized) {
    std::wstring language = TranslationLanguage();
    if (language.empty()) {
        localized += shortCut;
        return;
    }

    std::wstring alt, ctrl, shift, englishAlt, englishCtrl, englishShift;
    {
        std::shared_ptr<MessageCatalog> catalog = MessageCatalog::Instance();
        catalog->Lookup(L"COMMON_ALT", language, alt);
        catalog->Lookup(L"COMMON_CTRL", language, ctrl);
        catalog->Lookup(L"COMMON_SHIFT", language, shift);
        catalog->Lookup(L"COMMON_ALT", kEnglish, englishAlt);
        catalog->Lookup(L"COMMON_CTRL", kEnglish, englishCtrl);
        catalog->Lookup(L"COMMON_SHIFT", kEnglish, englishShift);
    }
    // A language the tables lack keeps the English word rather than losing
    // the modifier.
    if (alt.empty())
        alt = englishAlt;
    if (ctrl.empty())
        ctrl = englishCtrl;
    if (shift.empty())
        shift = englishShift;

    bool first = true;
    for (const std::wstring& token : SplitTokens(shortCut, L'+')) {
        if (!first)
            localized += L"+";
        first = false;
        if (!englishShift.empty() && token == englishShift)
            localized += shift;
        else if (!englishAlt.empty() && token == englishAlt)
            localized += alt;
        else if (!englishCtrl.empty() && token == englishCtrl)
            localized += ctrl;
        else
            localized += token;
    }
}

void GetLocalizedProductName(const std::wstring& defaultName, std::wstring& name) {
    std::wstring language = TranslationLanguage();
    name.clear();
    if (!language.empty()) {
        std::shared_ptr<MessageCatalog> catalog = MessageCatalog::Instance();
        catalog->Lookup(L"PRODUCTNAME", language, name);
    }
    // Also for a language the tables lack: the name must not vanish.
    if (name.empty())
        name = defaultName;
}

void WriteOptionsMenuText(const std::wstring& language) {
    std::wstring text;
    {
        std::shared_ptr<MessageCatalog> catalog = MessageCatalog::Instance();
        catalog->Lookup(L"HINTORA_MENUITEM_OPTIONS", language, text);
    }
    if (!text.empty())
        ProductSettings::StoreDataInRegistry(HKEY_LOCAL_MACHINE, kOptionsMenuKey, L"MenuText", text);
}

void ModifyHintoraTextAndShortCut(const std::wstring& name, const std::wstring& shortCut) {
    if (name.empty() && shortCut.empty())
        return;
    if (!IsUsableInKeyName(name) || !IsUsableInKeyName(shortCut)) {
        g_logger.Log(L"CHintora::ModifyHintoraTextAndShortCut - unusable text [%s] [%s]", name.c_str(),
                     shortCut.c_str());
        return;
    }

    std::wstring newShortCut;
    LocalizeShortCut(shortCut, newShortCut);
    std::wstring newName;
    GetLocalizedProductName(name, newName);

    std::wstring oldShortCut = ProductSettings::Value(L"ShortCut");
    std::wstring oldName = ProductSettings::Value(L"Name");
    if (oldName.empty())
        oldName = kDefaultName;
    // Kept for the rollback: the English form is the only one the hot key
    // may be restored from.
    std::wstring oldEnglishShortCut = ProductSettings::Value(L"EnglishShortCut");
    std::wstring oldMenuText = MenuText(oldName, oldShortCut);

    if (newShortCut.empty())
        newShortCut = oldShortCut;
    if (newName.empty())
        newName = oldName;
    std::wstring newMenuText = MenuText(newName, newShortCut);

    if (NamesOneMenuEntry(oldMenuText)) {
        OpenForDeletion(L"CURRENT_USER\\" + ContextMenuKey(oldMenuText));
        DeleteKeyFromRegistry(HKEY_CURRENT_USER, ContextMenuKey(oldMenuText));
    }

    // Without its menu entry the new hot key must not be stored either.
    LONG rc = StoreContextMenuEntry(newMenuText);
    if (rc == 0) {
        SetLowIntegrityLevelOnRegistryKey(L"CURRENT_USER\\" + ContextMenuKey(newMenuText));
        StoreButtonTexts(newMenuText, newName);
        SetLowIntegrityLevelOnRegistryKey(std::wstring(L"MACHINE\\") + ProductSettings::kProductKey);
        rc = ProductSettings::StoreValue(L"EnglishShortCut", shortCut);
    }
    if (rc == 0)
        rc = ProductSettings::StoreValue(L"Name", newName);
    if (rc == 0) {
        ProductSettings::StoreValue(L"ShortCut", newShortCut);
        return;
    }

    g_logger.Log(L"CHintora::ModifyHintoraTextAndShortCut - couldn't save at least one of the values, trying to "
                 L"preserve old values [%08X]",
                 static_cast<unsigned>(rc));
    if (newMenuText != oldMenuText && NamesOneMenuEntry(newMenuText))
        DeleteKeyFromRegistry(HKEY_CURRENT_USER, ContextMenuKey(newMenuText));
    StoreContextMenuEntry(oldMenuText);
    StoreButtonTexts(oldMenuText, oldName);
    ProductSettings::StoreValue(L"EnglishShortCut", oldEnglishShortCut);
    ProductSettings::StoreValue(L"Name", oldName);
    ProductSettings::StoreValue(L"ShortCut", oldShortCut);
}

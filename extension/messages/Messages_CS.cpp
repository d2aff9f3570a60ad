// Czech texts of the message catalogue. Every language table adds
// the same 60 keys in the same order.
#include "messages/MessageCatalog.h"

void MessageCatalog::LoadCS() {
    const wchar_t* const language = L"CS";
    Add(L"PRODUCTNAME", language, L"Hintora");
    Add(L"DOV_PRODUCTNAME", language, L"Dovrane");
    Add(L"SETUP_NOTSUPPORTED_PROT", language, L"Instalační program aplikace Hintora podporuje pouze webové stránky s protokoly http a https.");
    Add(L"SETUP_SUPPORTED_BROWSERS", language, L"Aplikace Hintora podporuje pouze Internet Explorer. Otevřete tuto stránku v Internet Exploreru.");
    Add(L"SETUP_TITLE", language, L"Instalace aplikace Hintora");
    Add(L"SETUP_INSTALLATION", language, L"Instalace");
    Add(L"SETUP_INSTALLATION_FAILED", language, L"Aplikaci Hintora se nepodařilo nainstalovat.");
    Add(L"SETUP_INSTALLATION_SUCCESS", language, L"Aplikace Hintora byla úspěšně nainstalována.");
    Add(L"SETUP_CONFIGURATION", language, L"Konfigurace");
    Add(L"SETUP_CONFIGURATION_FAILED", language, L"Aplikaci Hintora se nepodařilo nakonfigurovat.");
    Add(L"SETUP_CONFIGURATION_SUCCESS", language, L"Aplikace Hintora byla úspěšně nakonfigurována.");
    Add(L"SETUP_DATA", language, L"Konfigurační data");
    Add(L"SETUP_WAIT", language, L"Počkejte prosím na dokončení instalace.");
    Add(L"SETUP_REMOVE", language, L"Odebrat");
    Add(L"SETUP_REMOVE_THEN_UPGRADE", language, L"Nainstalovanou verzi aplikace Hintora je nutné před upgradem odebrat.");
    Add(L"SETUP_REMOVE_BEFORE_DOWNGRADE", language, L"Je nainstalována novější verze aplikace Hintora. Před instalací starší verze ji odeberte.");
    Add(L"SETUP_DETECT", language, L"Vyhledává se nainstalovaná verze aplikace Hintora...");
    Add(L"SETUP_ERROR_COMP", language, L"Požadovaná součást aplikace Hintora chybí nebo ji nelze zaregistrovat.");
    Add(L"SETUP_RESTART", language, L"Dokončete instalaci restartováním prohlížeče.");
    Add(L"SETUP_BUTTONVISIBLITYWARNING", language, L"Pokud tlačítko Hintora není zobrazeno, přidejte je na panel nástrojů prohlížeče.");
    Add(L"SETUP_POPUPBLOCKER", language, L"Než budete pokračovat, povolte pro tento web automaticky otevíraná okna.");
    Add(L"DIAGNOSTICMODE", language, L"Diagnostický režim");
    Add(L"POPUPBLOCKER_MESSAGE", language, L"Blokování automaticky otevíraných oken zabránilo aplikaci Hintora otevřít okno. Povolte pro tento web automaticky otevíraná okna.");
    Add(L"GATEWAY_WAIT", language, L"Čekejte prosím...");
    Add(L"GATEWAY_LOAD", language, L"Načítání...");
    Add(L"HINTORA_NO_BHO", language, L"Doplněk Hintora Helper není k dispozici nebo je zakázán.");
    Add(L"COMMON_CLOSE", language, L"Zavřít");
    Add(L"COMMON_CANCEL", language, L"Storno");
    Add(L"COMMON_OK", language, L"OK");
    Add(L"COMMON_APPLY", language, L"Použít");
    Add(L"COMMON_CTRL", language, L"Ctrl");
    Add(L"COMMON_ALT", language, L"Alt");
    Add(L"COMMON_SHIFT", language, L"Shift");
    Add(L"COMMON_ERROR_OCCURED", language, L"Došlo k neočekávané chybě.");
    Add(L"COMMON_ERROR_CODE", language, L"Kód chyby:");
    Add(L"COMMON_CONTACT", language, L"Pokud problém přetrvává, obraťte se na správce systému.");
    Add(L"HINTORA_OPTIONS_TITLE", language, L"Možnosti");
    Add(L"HINTORA_OPTIONS_TAB_LABEL", language, L"Možnosti aplikace Hintora");
    Add(L"HINTORA_OPTIONS_HOTKEY_LABEL", language, L"Možnosti klávesové zkratky");
    Add(L"HINTORA_OPTIONS_KEY_LABEL", language, L"Zadejte klávesovou zkratku pro spuštění aplikace Hintora");
    Add(L"HINTORA_OPTIONS_KEY_RESTART", language, L"Aby se změny projevily, restartujte prohlížeč.");
    Add(L"HINTORA_OPTIONS_HOTKEY_WARNING", language, L"Vyberte pečlivě kombinaci kláves tak, aby nebyla v konfliktu s prohlížečem ani s používanou aplikací.");
    Add(L"HINTORA_MESSAGES_NO_CONTENT", language, L"Pro tuto aplikaci není k dispozici žádný obsah.");
    Add(L"HINTORA_MESSAGES_TITLE", language, L"Hintora");
    Add(L"HINTORA_MESSAGES_NOTSUPPORTED_PROTOCOL", language, L"Aplikace Hintora byla nakonfigurována pro nepodporovaný protokol nebo neplatnou adresu URL.");
    Add(L"HINTORA_MESSAGES_RUN_CONFIGURATION", language, L"Nakonfigurujte aplikaci Hintora znovu a akci opakujte.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PROTOCOL", language, L"Aplikace Hintora podporuje pouze webové stránky s protokoly http a https.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PLAYER", language, L"Aplikace Hintora tuto webovou stránku nepodporuje.");
    Add(L"HINTORA_MESSAGES_WAIT", language, L"Počkejte prosím, než aplikace Hintora zpracuje váš předchozí požadavek.");
    Add(L"HINTORA_MENUITEM_OPTIONS", language, L"&Možnosti aplikace Hintora...");
    Add(L"HINTORA_MENUITEM_PREFERENCES", language, L"&Předvolby Dovrane...");
    Add(L"HINTORA_CONTEXTMENUITEM_SEARCH", language, L"&Hledat pomocí aplikace Hintora");
    Add(L"SETUP_GET", language, L"Získat aplikaci Hintora");
    Add(L"SETUP_UPGRADE", language, L"Upgradovat");
    Add(L"SETUP_INSTALL", language, L"Instalovat");
    Add(L"SETUP_UPGRADE_TEXT", language, L"Je k dispozici novější verze aplikace Hintora. Nainstalujete ji kliknutím na tlačítko Upgradovat.");
    Add(L"SETUP_DETECTED", language, L"Aplikace Hintora je v tomto počítači nainstalována.");
    Add(L"SETUP_CURRENTVERSION", language, L"Aktuální verze");
    Add(L"SETUP_INSTALLEDVERSION", language, L"Nainstalovaná verze");
    Add(L"SETUP_UPTODATE", language, L"Aplikace Hintora je aktuální.");
}

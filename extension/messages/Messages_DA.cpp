// Danish texts of the message catalogue. Every language table adds
// the same 60 keys in the same order.
#include "messages/MessageCatalog.h"

void MessageCatalog::LoadDA() {
    const wchar_t* const language = L"DA";
    Add(L"PRODUCTNAME", language, L"Hintora");
    Add(L"DOV_PRODUCTNAME", language, L"Dovrane");
    Add(L"SETUP_NOTSUPPORTED_PROT", language, L"Installationsprogrammet til Hintora understøtter kun websider med protokollerne http og https.");
    Add(L"SETUP_SUPPORTED_BROWSERS", language, L"Hintora understøtter kun Internet Explorer. Åbn siden i Internet Explorer.");
    Add(L"SETUP_TITLE", language, L"Installation af Hintora");
    Add(L"SETUP_INSTALLATION", language, L"Installation");
    Add(L"SETUP_INSTALLATION_FAILED", language, L"Hintora kunne ikke installeres.");
    Add(L"SETUP_INSTALLATION_SUCCESS", language, L"Hintora er installeret.");
    Add(L"SETUP_CONFIGURATION", language, L"Konfiguration");
    Add(L"SETUP_CONFIGURATION_FAILED", language, L"Hintora kunne ikke konfigureres.");
    Add(L"SETUP_CONFIGURATION_SUCCESS", language, L"Hintora er konfigureret.");
    Add(L"SETUP_DATA", language, L"Konfigurationsdata");
    Add(L"SETUP_WAIT", language, L"Vent, mens installationen gennemføres.");
    Add(L"SETUP_REMOVE", language, L"Fjern");
    Add(L"SETUP_REMOVE_THEN_UPGRADE", language, L"Den installerede version af Hintora skal fjernes, før den kan opgraderes.");
    Add(L"SETUP_REMOVE_BEFORE_DOWNGRADE", language, L"Der er installeret en nyere version af Hintora. Fjern den, før du installerer en ældre version.");
    Add(L"SETUP_DETECT", language, L"Søger efter en installeret version af Hintora...");
    Add(L"SETUP_ERROR_COMP", language, L"En nødvendig komponent i Hintora mangler eller kunne ikke registreres.");
    Add(L"SETUP_RESTART", language, L"Genstart browseren for at fuldføre installationen.");
    Add(L"SETUP_BUTTONVISIBLITYWARNING", language, L"Hvis knappen Hintora ikke er synlig, skal du føje den til browserens værktøjslinje.");
    Add(L"SETUP_POPUPBLOCKER", language, L"Tillad pop op-vinduer for dette websted, før du fortsætter.");
    Add(L"DIAGNOSTICMODE", language, L"Diagnosticeringstilstand");
    Add(L"POPUPBLOCKER_MESSAGE", language, L"En pop op-blokering forhindrede Hintora i at åbne et vindue. Tillad pop op-vinduer for dette websted.");
    Add(L"GATEWAY_WAIT", language, L"Vent...");
    Add(L"GATEWAY_LOAD", language, L"Indlæser...");
    Add(L"HINTORA_NO_BHO", language, L"Tilføjelsesprogrammet Hintora Helper er ikke tilgængeligt eller er deaktiveret.");
    Add(L"COMMON_CLOSE", language, L"Luk");
    Add(L"COMMON_CANCEL", language, L"Annuller");
    Add(L"COMMON_OK", language, L"OK");
    Add(L"COMMON_APPLY", language, L"Anvend");
    Add(L"COMMON_CTRL", language, L"Ctrl");
    Add(L"COMMON_ALT", language, L"Alt");
    Add(L"COMMON_SHIFT", language, L"Skift");
    Add(L"COMMON_ERROR_OCCURED", language, L"Der opstod en uventet fejl.");
    Add(L"COMMON_ERROR_CODE", language, L"Fejlkode:");
    Add(L"COMMON_CONTACT", language, L"Kontakt systemadministratoren, hvis problemet fortsætter.");
    Add(L"HINTORA_OPTIONS_TITLE", language, L"Indstillinger");
    Add(L"HINTORA_OPTIONS_TAB_LABEL", language, L"Indstillinger for Hintora");
    Add(L"HINTORA_OPTIONS_HOTKEY_LABEL", language, L"Indstillinger for genvejstast");
    Add(L"HINTORA_OPTIONS_KEY_LABEL", language, L"Angiv genvejstasten, der starter Hintora");
    Add(L"HINTORA_OPTIONS_KEY_RESTART", language, L"Genstart browseren, så ændringerne træder i kraft.");
    Add(L"HINTORA_OPTIONS_HOTKEY_WARNING", language, L"Vælg omhyggeligt en tastekombination, der ikke er i konflikt med browseren eller det program, du bruger.");
    Add(L"HINTORA_MESSAGES_NO_CONTENT", language, L"Der er intet indhold tilgængeligt for dette program.");
    Add(L"HINTORA_MESSAGES_TITLE", language, L"Hintora");
    Add(L"HINTORA_MESSAGES_NOTSUPPORTED_PROTOCOL", language, L"Hintora er konfigureret til at bruge en protokol, der ikke understøttes, eller en ugyldig URL-adresse.");
    Add(L"HINTORA_MESSAGES_RUN_CONFIGURATION", language, L"Konfigurer Hintora på ny, og prøv igen.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PROTOCOL", language, L"Hintora understøtter kun websider med protokollerne http og https.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PLAYER", language, L"Hintora understøtter ikke denne webside.");
    Add(L"HINTORA_MESSAGES_WAIT", language, L"Vent, mens Hintora behandler din forrige anmodning.");
    Add(L"HINTORA_MENUITEM_OPTIONS", language, L"&Indstillinger for Hintora...");
    Add(L"HINTORA_MENUITEM_PREFERENCES", language, L"&Præferencer for Dovrane...");
    Add(L"HINTORA_CONTEXTMENUITEM_SEARCH", language, L"&Søg med Hintora");
    Add(L"SETUP_GET", language, L"Hent Hintora");
    Add(L"SETUP_UPGRADE", language, L"Opgrader");
    Add(L"SETUP_INSTALL", language, L"Installer");
    Add(L"SETUP_UPGRADE_TEXT", language, L"Der findes en nyere version af Hintora. Klik på Opgrader for at installere den.");
    Add(L"SETUP_DETECTED", language, L"Hintora er installeret på denne computer.");
    Add(L"SETUP_CURRENTVERSION", language, L"Aktuel version");
    Add(L"SETUP_INSTALLEDVERSION", language, L"Installeret version");
    Add(L"SETUP_UPTODATE", language, L"Hintora er opdateret.");
}

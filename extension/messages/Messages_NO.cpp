// Norwegian (Bokmål) texts of the message catalogue. Every language table adds
// the same 60 keys in the same order.
#include "messages/MessageCatalog.h"

void MessageCatalog::LoadNO() {
    const wchar_t* const language = L"NO";
    Add(L"PRODUCTNAME", language, L"Hintora");
    Add(L"DOV_PRODUCTNAME", language, L"Dovrane");
    Add(L"SETUP_NOTSUPPORTED_PROT", language, L"Installasjonsprogrammet for Hintora støtter bare nettsider med protokollene http og https.");
    Add(L"SETUP_SUPPORTED_BROWSERS", language, L"Hintora støtter bare Internet Explorer. Åpne denne siden i Internet Explorer.");
    Add(L"SETUP_TITLE", language, L"Installasjon av Hintora");
    Add(L"SETUP_INSTALLATION", language, L"Installasjon");
    Add(L"SETUP_INSTALLATION_FAILED", language, L"Kan ikke installere Hintora.");
    Add(L"SETUP_INSTALLATION_SUCCESS", language, L"Hintora er installert.");
    Add(L"SETUP_CONFIGURATION", language, L"Konfigurasjon");
    Add(L"SETUP_CONFIGURATION_FAILED", language, L"Kan ikke konfigurere Hintora.");
    Add(L"SETUP_CONFIGURATION_SUCCESS", language, L"Hintora er konfigurert.");
    Add(L"SETUP_DATA", language, L"Konfigurasjonsdata");
    Add(L"SETUP_WAIT", language, L"Vent mens installasjonen fullføres.");
    Add(L"SETUP_REMOVE", language, L"Fjern");
    Add(L"SETUP_REMOVE_THEN_UPGRADE", language, L"Den installerte versjonen av Hintora må fjernes før den kan oppgraderes.");
    Add(L"SETUP_REMOVE_BEFORE_DOWNGRADE", language, L"En nyere versjon av Hintora er installert. Fjern den før du installerer en eldre versjon.");
    Add(L"SETUP_DETECT", language, L"Søker etter en installert versjon av Hintora...");
    Add(L"SETUP_ERROR_COMP", language, L"En nødvendig komponent i Hintora mangler eller kunne ikke registreres.");
    Add(L"SETUP_RESTART", language, L"Start nettleseren på nytt for å fullføre installasjonen.");
    Add(L"SETUP_BUTTONVISIBLITYWARNING", language, L"Hvis Hintora-knappen ikke er synlig, legger du den til på verktøylinjen i nettleseren.");
    Add(L"SETUP_POPUPBLOCKER", language, L"Tillat popup-vinduer for dette nettstedet før du fortsetter.");
    Add(L"DIAGNOSTICMODE", language, L"Diagnosemodus");
    Add(L"POPUPBLOCKER_MESSAGE", language, L"En popup-blokkering hindret Hintora i å åpne et vindu. Tillat popup-vinduer for dette nettstedet.");
    Add(L"GATEWAY_WAIT", language, L"Vent litt...");
    Add(L"GATEWAY_LOAD", language, L"Laster inn...");
    Add(L"HINTORA_NO_BHO", language, L"Tillegget Hintora Helper er ikke tilgjengelig eller er deaktivert.");
    Add(L"COMMON_CLOSE", language, L"Lukk");
    Add(L"COMMON_CANCEL", language, L"Avbryt");
    Add(L"COMMON_OK", language, L"OK");
    Add(L"COMMON_APPLY", language, L"Bruk");
    Add(L"COMMON_CTRL", language, L"Ctrl");
    Add(L"COMMON_ALT", language, L"Alt");
    Add(L"COMMON_SHIFT", language, L"Skift");
    Add(L"COMMON_ERROR_OCCURED", language, L"Det oppstod en uventet feil.");
    Add(L"COMMON_ERROR_CODE", language, L"Feilkode:");
    Add(L"COMMON_CONTACT", language, L"Kontakt systemansvarlig hvis problemet vedvarer.");
    Add(L"HINTORA_OPTIONS_TITLE", language, L"Alternativer");
    Add(L"HINTORA_OPTIONS_TAB_LABEL", language, L"Alternativer for Hintora");
    Add(L"HINTORA_OPTIONS_HOTKEY_LABEL", language, L"Alternativer for hurtigtast");
    Add(L"HINTORA_OPTIONS_KEY_LABEL", language, L"Angi hurtigtasten som starter Hintora");
    Add(L"HINTORA_OPTIONS_KEY_RESTART", language, L"Start nettleseren på nytt for at endringene skal tre i kraft.");
    Add(L"HINTORA_OPTIONS_HOTKEY_WARNING", language, L"Velg en tastekombinasjon med omhu, slik at den ikke kommer i konflikt med nettleseren eller programmet du bruker.");
    Add(L"HINTORA_MESSAGES_NO_CONTENT", language, L"Det finnes ikke noe innhold for dette programmet.");
    Add(L"HINTORA_MESSAGES_TITLE", language, L"Hintora");
    Add(L"HINTORA_MESSAGES_NOTSUPPORTED_PROTOCOL", language, L"Hintora er konfigurert til å bruke en protokoll som ikke støttes, eller en ugyldig URL-adresse.");
    Add(L"HINTORA_MESSAGES_RUN_CONFIGURATION", language, L"Konfigurer Hintora på nytt, og prøv igjen.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PROTOCOL", language, L"Hintora støtter bare nettsider med protokollene http og https.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PLAYER", language, L"Hintora støtter ikke denne nettsiden.");
    Add(L"HINTORA_MESSAGES_WAIT", language, L"Vent mens Hintora behandler den forrige forespørselen.");
    Add(L"HINTORA_MENUITEM_OPTIONS", language, L"&Alternativer for Hintora...");
    Add(L"HINTORA_MENUITEM_PREFERENCES", language, L"&Innstillinger for Dovrane...");
    Add(L"HINTORA_CONTEXTMENUITEM_SEARCH", language, L"&Søk med Hintora");
    Add(L"SETUP_GET", language, L"Hent Hintora");
    Add(L"SETUP_UPGRADE", language, L"Oppgrader");
    Add(L"SETUP_INSTALL", language, L"Installer");
    Add(L"SETUP_UPGRADE_TEXT", language, L"En nyere versjon av Hintora er tilgjengelig. Klikk Oppgrader for å installere den.");
    Add(L"SETUP_DETECTED", language, L"Hintora er installert på denne datamaskinen.");
    Add(L"SETUP_CURRENTVERSION", language, L"Gjeldende versjon");
    Add(L"SETUP_INSTALLEDVERSION", language, L"Installert versjon");
    Add(L"SETUP_UPTODATE", language, L"Hintora er oppdatert.");
}

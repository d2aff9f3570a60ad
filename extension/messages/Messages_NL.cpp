// Dutch texts of the message catalogue. Every language table adds
// the same 60 keys in the same order.
#include "messages/MessageCatalog.h"

void MessageCatalog::LoadNL() {
    const wchar_t* const language = L"NL";
    Add(L"PRODUCTNAME", language, L"Hintora");
    Add(L"DOV_PRODUCTNAME", language, L"Dovrane");
    Add(L"SETUP_NOTSUPPORTED_PROT", language, L"Hintora Setup ondersteunt alleen webpagina's met de protocollen http en https.");
    Add(L"SETUP_SUPPORTED_BROWSERS", language, L"Hintora ondersteunt alleen Internet Explorer. Open deze pagina in Internet Explorer.");
    Add(L"SETUP_TITLE", language, L"Hintora Setup");
    Add(L"SETUP_INSTALLATION", language, L"Installatie");
    Add(L"SETUP_INSTALLATION_FAILED", language, L"Hintora kan niet worden geïnstalleerd.");
    Add(L"SETUP_INSTALLATION_SUCCESS", language, L"Hintora is geïnstalleerd.");
    Add(L"SETUP_CONFIGURATION", language, L"Configuratie");
    Add(L"SETUP_CONFIGURATION_FAILED", language, L"Hintora kan niet worden geconfigureerd.");
    Add(L"SETUP_CONFIGURATION_SUCCESS", language, L"Hintora is geconfigureerd.");
    Add(L"SETUP_DATA", language, L"Configuratiegegevens");
    Add(L"SETUP_WAIT", language, L"Een ogenblik geduld. Setup wordt uitgevoerd.");
    Add(L"SETUP_REMOVE", language, L"Verwijderen");
    Add(L"SETUP_REMOVE_THEN_UPGRADE", language, L"De geïnstalleerde versie van Hintora moet worden verwijderd voordat deze kan worden bijgewerkt.");
    Add(L"SETUP_REMOVE_BEFORE_DOWNGRADE", language, L"Er is een nieuwere versie van Hintora geïnstalleerd. Verwijder deze voordat u een oudere versie installeert.");
    Add(L"SETUP_DETECT", language, L"Zoeken naar een geïnstalleerde versie van Hintora...");
    Add(L"SETUP_ERROR_COMP", language, L"Een vereist onderdeel van Hintora ontbreekt of kan niet worden geregistreerd.");
    Add(L"SETUP_RESTART", language, L"Start de browser opnieuw om Setup te voltooien.");
    Add(L"SETUP_BUTTONVISIBLITYWARNING", language, L"Als de knop Hintora niet zichtbaar is, voegt u deze toe aan de werkbalk van de browser.");
    Add(L"SETUP_POPUPBLOCKER", language, L"Sta pop-upvensters voor deze site toe voordat u doorgaat.");
    Add(L"DIAGNOSTICMODE", language, L"Diagnostische modus");
    Add(L"POPUPBLOCKER_MESSAGE", language, L"Een pop-upblokkering heeft voorkomen dat Hintora een venster opent. Sta pop-upvensters voor deze site toe.");
    Add(L"GATEWAY_WAIT", language, L"Een ogenblik geduld...");
    Add(L"GATEWAY_LOAD", language, L"Laden...");
    Add(L"HINTORA_NO_BHO", language, L"De invoegtoepassing Hintora Helper is niet beschikbaar of uitgeschakeld.");
    Add(L"COMMON_CLOSE", language, L"Sluiten");
    Add(L"COMMON_CANCEL", language, L"Annuleren");
    Add(L"COMMON_OK", language, L"OK");
    Add(L"COMMON_APPLY", language, L"Toepassen");
    Add(L"COMMON_CTRL", language, L"Ctrl");
    Add(L"COMMON_ALT", language, L"Alt");
    Add(L"COMMON_SHIFT", language, L"Shift");
    Add(L"COMMON_ERROR_OCCURED", language, L"Er is een onverwachte fout opgetreden.");
    Add(L"COMMON_ERROR_CODE", language, L"Foutcode:");
    Add(L"COMMON_CONTACT", language, L"Neem contact op met de systeembeheerder als het probleem zich blijft voordoen.");
    Add(L"HINTORA_OPTIONS_TITLE", language, L"Opties");
    Add(L"HINTORA_OPTIONS_TAB_LABEL", language, L"Hintora-opties");
    Add(L"HINTORA_OPTIONS_HOTKEY_LABEL", language, L"Opties voor sneltoets");
    Add(L"HINTORA_OPTIONS_KEY_LABEL", language, L"Geef de sneltoets op waarmee Hintora wordt gestart");
    Add(L"HINTORA_OPTIONS_KEY_RESTART", language, L"Start de browser opnieuw om de wijzigingen door te voeren.");
    Add(L"HINTORA_OPTIONS_HOTKEY_WARNING", language, L"Kies zorgvuldig een toetsencombinatie die niet conflicteert met de browser of de toepassing die u gebruikt.");
    Add(L"HINTORA_MESSAGES_NO_CONTENT", language, L"Er is geen inhoud beschikbaar voor deze toepassing.");
    Add(L"HINTORA_MESSAGES_TITLE", language, L"Hintora");
    Add(L"HINTORA_MESSAGES_NOTSUPPORTED_PROTOCOL", language, L"Hintora is geconfigureerd voor een niet-ondersteund protocol of een ongeldige URL.");
    Add(L"HINTORA_MESSAGES_RUN_CONFIGURATION", language, L"Configureer Hintora opnieuw en probeer het nogmaals.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PROTOCOL", language, L"Hintora ondersteunt alleen webpagina's met de protocollen http en https.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PLAYER", language, L"Hintora ondersteunt deze webpagina niet.");
    Add(L"HINTORA_MESSAGES_WAIT", language, L"Een ogenblik geduld. Hintora verwerkt uw vorige aanvraag.");
    Add(L"HINTORA_MENUITEM_OPTIONS", language, L"Hintora-&opties...");
    Add(L"HINTORA_MENUITEM_PREFERENCES", language, L"Dovrane-&voorkeuren...");
    Add(L"HINTORA_CONTEXTMENUITEM_SEARCH", language, L"&Zoeken met Hintora");
    Add(L"SETUP_GET", language, L"Hintora downloaden");
    Add(L"SETUP_UPGRADE", language, L"Bijwerken");
    Add(L"SETUP_INSTALL", language, L"Installeren");
    Add(L"SETUP_UPGRADE_TEXT", language, L"Er is een nieuwere versie van Hintora beschikbaar. Klik op Bijwerken om deze te installeren.");
    Add(L"SETUP_DETECTED", language, L"Hintora is op deze computer geïnstalleerd.");
    Add(L"SETUP_CURRENTVERSION", language, L"Huidige versie");
    Add(L"SETUP_INSTALLEDVERSION", language, L"Geïnstalleerde versie");
    Add(L"SETUP_UPTODATE", language, L"Hintora is up-to-date.");
}

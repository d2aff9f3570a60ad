// German texts of the message catalogue. Every language table adds
// the same 60 keys in the same order.
#include "messages/MessageCatalog.h"

void MessageCatalog::LoadDE() {
    const wchar_t* const language = L"DE";
    Add(L"PRODUCTNAME", language, L"Hintora");
    Add(L"DOV_PRODUCTNAME", language, L"Dovrane");
    Add(L"SETUP_NOTSUPPORTED_PROT", language, L"Das Hintora-Setup unterstützt nur Webseiten mit den Protokollen http und https.");
    Add(L"SETUP_SUPPORTED_BROWSERS", language, L"Hintora unterstützt nur Internet Explorer. Öffnen Sie diese Seite bitte in Internet Explorer.");
    Add(L"SETUP_TITLE", language, L"Hintora-Setup");
    Add(L"SETUP_INSTALLATION", language, L"Installation");
    Add(L"SETUP_INSTALLATION_FAILED", language, L"Hintora konnte nicht installiert werden.");
    Add(L"SETUP_INSTALLATION_SUCCESS", language, L"Hintora wurde erfolgreich installiert.");
    Add(L"SETUP_CONFIGURATION", language, L"Konfiguration");
    Add(L"SETUP_CONFIGURATION_FAILED", language, L"Hintora konnte nicht konfiguriert werden.");
    Add(L"SETUP_CONFIGURATION_SUCCESS", language, L"Hintora wurde erfolgreich konfiguriert.");
    Add(L"SETUP_DATA", language, L"Konfigurationsdaten");
    Add(L"SETUP_WAIT", language, L"Bitte warten Sie, während das Setup ausgeführt wird.");
    Add(L"SETUP_REMOVE", language, L"Entfernen");
    Add(L"SETUP_REMOVE_THEN_UPGRADE", language, L"Die installierte Version von Hintora muss entfernt werden, bevor sie aktualisiert werden kann.");
    Add(L"SETUP_REMOVE_BEFORE_DOWNGRADE", language, L"Eine neuere Version von Hintora ist installiert. Entfernen Sie sie bitte, bevor Sie eine ältere Version installieren.");
    Add(L"SETUP_DETECT", language, L"Es wird nach einer installierten Version von Hintora gesucht...");
    Add(L"SETUP_ERROR_COMP", language, L"Eine erforderliche Komponente von Hintora fehlt oder konnte nicht registriert werden.");
    Add(L"SETUP_RESTART", language, L"Starten Sie den Browser bitte neu, um das Setup abzuschließen.");
    Add(L"SETUP_BUTTONVISIBLITYWARNING", language, L"Wenn die Hintora-Schaltfläche nicht sichtbar ist, fügen Sie sie der Symbolleiste des Browsers hinzu.");
    Add(L"SETUP_POPUPBLOCKER", language, L"Lassen Sie bitte Popupfenster für diese Website zu, bevor Sie fortfahren.");
    Add(L"DIAGNOSTICMODE", language, L"Diagnosemodus");
    Add(L"POPUPBLOCKER_MESSAGE", language, L"Ein Popupblocker hat verhindert, dass Hintora ein Fenster öffnet. Lassen Sie bitte Popupfenster für diese Website zu.");
    Add(L"GATEWAY_WAIT", language, L"Bitte warten...");
    Add(L"GATEWAY_LOAD", language, L"Wird geladen...");
    Add(L"HINTORA_NO_BHO", language, L"Das Add-on Hintora Helper ist nicht verfügbar oder deaktiviert.");
    Add(L"COMMON_CLOSE", language, L"Schließen");
    Add(L"COMMON_CANCEL", language, L"Abbrechen");
    Add(L"COMMON_OK", language, L"OK");
    Add(L"COMMON_APPLY", language, L"Übernehmen");
    Add(L"COMMON_CTRL", language, L"Strg");
    Add(L"COMMON_ALT", language, L"Alt");
    Add(L"COMMON_SHIFT", language, L"Umschalt");
    Add(L"COMMON_ERROR_OCCURED", language, L"Ein unerwarteter Fehler ist aufgetreten.");
    Add(L"COMMON_ERROR_CODE", language, L"Fehlercode:");
    Add(L"COMMON_CONTACT", language, L"Wenn das Problem weiterhin besteht, wenden Sie sich bitte an Ihren Systemadministrator.");
    Add(L"HINTORA_OPTIONS_TITLE", language, L"Optionen");
    Add(L"HINTORA_OPTIONS_TAB_LABEL", language, L"Hintora-Optionen");
    Add(L"HINTORA_OPTIONS_HOTKEY_LABEL", language, L"Optionen für Tastenkombination");
    Add(L"HINTORA_OPTIONS_KEY_LABEL", language, L"Tastenkombination zum Starten von Hintora festlegen");
    Add(L"HINTORA_OPTIONS_KEY_RESTART", language, L"Starten Sie den Browser bitte neu, damit die Änderungen wirksam werden.");
    Add(L"HINTORA_OPTIONS_HOTKEY_WARNING", language, L"Wählen Sie die Tastenkombination bitte sorgfältig aus, damit sie nicht mit dem Browser oder der verwendeten Anwendung in Konflikt steht.");
    Add(L"HINTORA_MESSAGES_NO_CONTENT", language, L"Für diese Anwendung sind keine Inhalte verfügbar.");
    Add(L"HINTORA_MESSAGES_TITLE", language, L"Hintora");
    Add(L"HINTORA_MESSAGES_NOTSUPPORTED_PROTOCOL", language, L"Hintora wurde für ein nicht unterstütztes Protokoll oder eine ungültige URL konfiguriert.");
    Add(L"HINTORA_MESSAGES_RUN_CONFIGURATION", language, L"Konfigurieren Sie Hintora bitte neu und versuchen Sie es erneut.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PROTOCOL", language, L"Hintora unterstützt nur Webseiten mit den Protokollen http und https.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PLAYER", language, L"Hintora unterstützt diese Webseite nicht.");
    Add(L"HINTORA_MESSAGES_WAIT", language, L"Bitte warten Sie, bis Hintora Ihre vorherige Anfrage bearbeitet hat.");
    Add(L"HINTORA_MENUITEM_OPTIONS", language, L"Hintora-&Optionen...");
    Add(L"HINTORA_MENUITEM_PREFERENCES", language, L"Dovrane-&Einstellungen...");
    Add(L"HINTORA_CONTEXTMENUITEM_SEARCH", language, L"Mit Hintora &suchen");
    Add(L"SETUP_GET", language, L"Hintora herunterladen");
    Add(L"SETUP_UPGRADE", language, L"Aktualisieren");
    Add(L"SETUP_INSTALL", language, L"Installieren");
    Add(L"SETUP_UPGRADE_TEXT", language, L"Eine neuere Version von Hintora ist verfügbar. Klicken Sie auf Aktualisieren, um sie zu installieren.");
    Add(L"SETUP_DETECTED", language, L"Hintora ist auf diesem Computer installiert.");
    Add(L"SETUP_CURRENTVERSION", language, L"Aktuelle Version");
    Add(L"SETUP_INSTALLEDVERSION", language, L"Installierte Version");
    Add(L"SETUP_UPTODATE", language, L"Hintora ist auf dem neuesten Stand.");
}

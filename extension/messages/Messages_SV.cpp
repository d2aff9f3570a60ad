// Swedish texts of the message catalogue. Every language table adds
// the same 60 keys in the same order.
#include "messages/MessageCatalog.h"

void MessageCatalog::LoadSV() {
    const wchar_t* const language = L"SV";
    Add(L"PRODUCTNAME", language, L"Hintora");
    Add(L"DOV_PRODUCTNAME", language, L"Dovrane");
    Add(L"SETUP_NOTSUPPORTED_PROT", language, L"Installationsprogrammet för Hintora stöder bara webbsidor med protokollen http och https.");
    Add(L"SETUP_SUPPORTED_BROWSERS", language, L"Hintora stöder bara Internet Explorer. Öppna sidan i Internet Explorer.");
    Add(L"SETUP_TITLE", language, L"Installation av Hintora");
    Add(L"SETUP_INSTALLATION", language, L"Installation");
    Add(L"SETUP_INSTALLATION_FAILED", language, L"Det gick inte att installera Hintora.");
    Add(L"SETUP_INSTALLATION_SUCCESS", language, L"Hintora har installerats.");
    Add(L"SETUP_CONFIGURATION", language, L"Konfiguration");
    Add(L"SETUP_CONFIGURATION_FAILED", language, L"Det gick inte att konfigurera Hintora.");
    Add(L"SETUP_CONFIGURATION_SUCCESS", language, L"Hintora har konfigurerats.");
    Add(L"SETUP_DATA", language, L"Konfigurationsdata");
    Add(L"SETUP_WAIT", language, L"Vänta medan installationen slutförs.");
    Add(L"SETUP_REMOVE", language, L"Ta bort");
    Add(L"SETUP_REMOVE_THEN_UPGRADE", language, L"Den installerade versionen av Hintora måste tas bort innan den kan uppgraderas.");
    Add(L"SETUP_REMOVE_BEFORE_DOWNGRADE", language, L"En nyare version av Hintora är installerad. Ta bort den innan du installerar en äldre version.");
    Add(L"SETUP_DETECT", language, L"Söker efter en installerad version av Hintora...");
    Add(L"SETUP_ERROR_COMP", language, L"En nödvändig komponent i Hintora saknas eller kunde inte registreras.");
    Add(L"SETUP_RESTART", language, L"Starta om webbläsaren för att slutföra installationen.");
    Add(L"SETUP_BUTTONVISIBLITYWARNING", language, L"Om knappen Hintora inte visas lägger du till den i webbläsarens verktygsfält.");
    Add(L"SETUP_POPUPBLOCKER", language, L"Tillåt popup-fönster för den här webbplatsen innan du fortsätter.");
    Add(L"DIAGNOSTICMODE", language, L"Diagnostikläge");
    Add(L"POPUPBLOCKER_MESSAGE", language, L"En popup-blockerare hindrade Hintora från att öppna ett fönster. Tillåt popup-fönster för den här webbplatsen.");
    Add(L"GATEWAY_WAIT", language, L"Vänta...");
    Add(L"GATEWAY_LOAD", language, L"Läser in...");
    Add(L"HINTORA_NO_BHO", language, L"Tillägget Hintora Helper är inte tillgängligt eller har inaktiverats.");
    Add(L"COMMON_CLOSE", language, L"Stäng");
    Add(L"COMMON_CANCEL", language, L"Avbryt");
    Add(L"COMMON_OK", language, L"OK");
    Add(L"COMMON_APPLY", language, L"Verkställ");
    Add(L"COMMON_CTRL", language, L"Ctrl");
    Add(L"COMMON_ALT", language, L"Alt");
    Add(L"COMMON_SHIFT", language, L"Skift");
    Add(L"COMMON_ERROR_OCCURED", language, L"Ett oväntat fel har inträffat.");
    Add(L"COMMON_ERROR_CODE", language, L"Felkod:");
    Add(L"COMMON_CONTACT", language, L"Kontakta systemadministratören om problemet kvarstår.");
    Add(L"HINTORA_OPTIONS_TITLE", language, L"Alternativ");
    Add(L"HINTORA_OPTIONS_TAB_LABEL", language, L"Alternativ för Hintora");
    Add(L"HINTORA_OPTIONS_HOTKEY_LABEL", language, L"Alternativ för snabbtangent");
    Add(L"HINTORA_OPTIONS_KEY_LABEL", language, L"Ange snabbtangent för att starta Hintora");
    Add(L"HINTORA_OPTIONS_KEY_RESTART", language, L"Starta om webbläsaren för att ändringarna ska börja gälla.");
    Add(L"HINTORA_OPTIONS_HOTKEY_WARNING", language, L"Välj noggrant en tangentkombination som inte står i konflikt med webbläsaren eller programmet du använder.");
    Add(L"HINTORA_MESSAGES_NO_CONTENT", language, L"Det finns inget innehåll för det här programmet.");
    Add(L"HINTORA_MESSAGES_TITLE", language, L"Hintora");
    Add(L"HINTORA_MESSAGES_NOTSUPPORTED_PROTOCOL", language, L"Hintora har konfigurerats med ett protokoll som inte stöds eller en felaktig URL.");
    Add(L"HINTORA_MESSAGES_RUN_CONFIGURATION", language, L"Konfigurera om Hintora och försök igen.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PROTOCOL", language, L"Hintora stöder bara webbsidor med protokollen http och https.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PLAYER", language, L"Hintora stöder inte den här webbsidan.");
    Add(L"HINTORA_MESSAGES_WAIT", language, L"Vänta medan Hintora bearbetar din föregående begäran.");
    Add(L"HINTORA_MENUITEM_OPTIONS", language, L"&Alternativ för Hintora...");
    Add(L"HINTORA_MENUITEM_PREFERENCES", language, L"&Inställningar för Dovrane...");
    Add(L"HINTORA_CONTEXTMENUITEM_SEARCH", language, L"&Sök med Hintora");
    Add(L"SETUP_GET", language, L"Hämta Hintora");
    Add(L"SETUP_UPGRADE", language, L"Uppgradera");
    Add(L"SETUP_INSTALL", language, L"Installera");
    Add(L"SETUP_UPGRADE_TEXT", language, L"Det finns en nyare version av Hintora. Klicka på Uppgradera för att installera den.");
    Add(L"SETUP_DETECTED", language, L"Hintora är installerat på den här datorn.");
    Add(L"SETUP_CURRENTVERSION", language, L"Aktuell version");
    Add(L"SETUP_INSTALLEDVERSION", language, L"Installerad version");
    Add(L"SETUP_UPTODATE", language, L"Hintora är uppdaterat.");
}

// Hungarian texts of the message catalogue. Every language table adds
// the same 60 keys in the same order.
#include "messages/MessageCatalog.h"

void MessageCatalog::LoadHU() {
    const wchar_t* const language = L"HU";
    Add(L"PRODUCTNAME", language, L"Hintora");
    Add(L"DOV_PRODUCTNAME", language, L"Dovrane");
    Add(L"SETUP_NOTSUPPORTED_PROT", language, L"A Hintora telepítője csak http és https protokollt használó weblapokat támogat.");
    Add(L"SETUP_SUPPORTED_BROWSERS", language, L"A Hintora csak az Internet Explorer böngészőt támogatja. Nyissa meg ezt a lapot az Internet Explorerben.");
    Add(L"SETUP_TITLE", language, L"Hintora telepítő");
    Add(L"SETUP_INSTALLATION", language, L"Telepítés");
    Add(L"SETUP_INSTALLATION_FAILED", language, L"A Hintora telepítése nem sikerült.");
    Add(L"SETUP_INSTALLATION_SUCCESS", language, L"A Hintora telepítése sikeresen befejeződött.");
    Add(L"SETUP_CONFIGURATION", language, L"Konfigurálás");
    Add(L"SETUP_CONFIGURATION_FAILED", language, L"A Hintora konfigurálása nem sikerült.");
    Add(L"SETUP_CONFIGURATION_SUCCESS", language, L"A Hintora konfigurálása sikeresen befejeződött.");
    Add(L"SETUP_DATA", language, L"Konfigurációs adatok");
    Add(L"SETUP_WAIT", language, L"Várjon, amíg a telepítés befejeződik.");
    Add(L"SETUP_REMOVE", language, L"Eltávolítás");
    Add(L"SETUP_REMOVE_THEN_UPGRADE", language, L"A Hintora telepített verzióját el kell távolítani a frissítés előtt.");
    Add(L"SETUP_REMOVE_BEFORE_DOWNGRADE", language, L"A Hintora egy újabb verziója van telepítve. Régebbi verzió telepítése előtt távolítsa el.");
    Add(L"SETUP_DETECT", language, L"A Hintora telepített verziójának keresése...");
    Add(L"SETUP_ERROR_COMP", language, L"A Hintora egyik szükséges összetevője hiányzik, vagy nem lehetett regisztrálni.");
    Add(L"SETUP_RESTART", language, L"A telepítés befejezéséhez indítsa újra a böngészőt.");
    Add(L"SETUP_BUTTONVISIBLITYWARNING", language, L"Ha a Hintora gomb nem látható, vegye fel a böngésző eszköztárára.");
    Add(L"SETUP_POPUPBLOCKER", language, L"A folytatás előtt engedélyezze az előugró ablakokat ezen a webhelyen.");
    Add(L"DIAGNOSTICMODE", language, L"Diagnosztikai mód");
    Add(L"POPUPBLOCKER_MESSAGE", language, L"Az előugró ablakok blokkolója megakadályozta, hogy a Hintora ablakot nyisson. Engedélyezze az előugró ablakokat ezen a webhelyen.");
    Add(L"GATEWAY_WAIT", language, L"Kérem, várjon...");
    Add(L"GATEWAY_LOAD", language, L"Betöltés...");
    Add(L"HINTORA_NO_BHO", language, L"A Hintora Helper bővítmény nem érhető el, vagy le van tiltva.");
    Add(L"COMMON_CLOSE", language, L"Bezárás");
    Add(L"COMMON_CANCEL", language, L"Mégse");
    Add(L"COMMON_OK", language, L"OK");
    Add(L"COMMON_APPLY", language, L"Alkalmaz");
    Add(L"COMMON_CTRL", language, L"Ctrl");
    Add(L"COMMON_ALT", language, L"Alt");
    Add(L"COMMON_SHIFT", language, L"Shift");
    Add(L"COMMON_ERROR_OCCURED", language, L"Váratlan hiba történt.");
    Add(L"COMMON_ERROR_CODE", language, L"Hibakód:");
    Add(L"COMMON_CONTACT", language, L"Ha a probléma továbbra is fennáll, forduljon a rendszergazdához.");
    Add(L"HINTORA_OPTIONS_TITLE", language, L"Beállítások");
    Add(L"HINTORA_OPTIONS_TAB_LABEL", language, L"A Hintora beállításai");
    Add(L"HINTORA_OPTIONS_HOTKEY_LABEL", language, L"Gyorsbillentyű beállításai");
    Add(L"HINTORA_OPTIONS_KEY_LABEL", language, L"Adja meg a Hintora indítására szolgáló gyorsbillentyűt");
    Add(L"HINTORA_OPTIONS_KEY_RESTART", language, L"A módosítások érvénybe léptetéséhez indítsa újra a böngészőt.");
    Add(L"HINTORA_OPTIONS_HOTKEY_WARNING", language, L"Körültekintően válasszon billentyűkombinációt, hogy ne ütközzön a böngésző vagy a használt alkalmazás billentyűivel.");
    Add(L"HINTORA_MESSAGES_NO_CONTENT", language, L"Ehhez az alkalmazáshoz nem érhető el tartalom.");
    Add(L"HINTORA_MESSAGES_TITLE", language, L"Hintora");
    Add(L"HINTORA_MESSAGES_NOTSUPPORTED_PROTOCOL", language, L"A Hintora nem támogatott protokoll vagy hibás URL használatára van konfigurálva.");
    Add(L"HINTORA_MESSAGES_RUN_CONFIGURATION", language, L"Konfigurálja újra a Hintora programot, majd próbálkozzon újra.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PROTOCOL", language, L"A Hintora csak http és https protokollt használó weblapokat támogat.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PLAYER", language, L"A Hintora nem támogatja ezt a weblapot.");
    Add(L"HINTORA_MESSAGES_WAIT", language, L"Várjon, amíg a Hintora feldolgozza az előző kérést.");
    Add(L"HINTORA_MENUITEM_OPTIONS", language, L"Hintora &beállítások...");
    Add(L"HINTORA_MENUITEM_PREFERENCES", language, L"Dovrane &preferenciák...");
    Add(L"HINTORA_CONTEXTMENUITEM_SEARCH", language, L"&Keresés a Hintora segítségével");
    Add(L"SETUP_GET", language, L"A Hintora beszerzése");
    Add(L"SETUP_UPGRADE", language, L"Frissítés");
    Add(L"SETUP_INSTALL", language, L"Telepítés");
    Add(L"SETUP_UPGRADE_TEXT", language, L"Elérhető a Hintora újabb verziója. A telepítéshez kattintson a Frissítés gombra.");
    Add(L"SETUP_DETECTED", language, L"A Hintora telepítve van ezen a számítógépen.");
    Add(L"SETUP_CURRENTVERSION", language, L"Jelenlegi verzió");
    Add(L"SETUP_INSTALLEDVERSION", language, L"Telepített verzió");
    Add(L"SETUP_UPTODATE", language, L"A Hintora naprakész.");
}

// Polish texts of the message catalogue. Every language table adds
// the same 60 keys in the same order.
#include "messages/MessageCatalog.h"

void MessageCatalog::LoadPL() {
    const wchar_t* const language = L"PL";
    Add(L"PRODUCTNAME", language, L"Hintora");
    Add(L"DOV_PRODUCTNAME", language, L"Dovrane");
    Add(L"SETUP_NOTSUPPORTED_PROT", language, L"Instalator programu Hintora obsługuje tylko strony sieci Web z protokołami http i https.");
    Add(L"SETUP_SUPPORTED_BROWSERS", language, L"Program Hintora obsługuje tylko przeglądarkę Internet Explorer. Otwórz tę stronę w przeglądarce Internet Explorer.");
    Add(L"SETUP_TITLE", language, L"Instalator programu Hintora");
    Add(L"SETUP_INSTALLATION", language, L"Instalacja");
    Add(L"SETUP_INSTALLATION_FAILED", language, L"Nie można zainstalować programu Hintora.");
    Add(L"SETUP_INSTALLATION_SUCCESS", language, L"Program Hintora został pomyślnie zainstalowany.");
    Add(L"SETUP_CONFIGURATION", language, L"Konfiguracja");
    Add(L"SETUP_CONFIGURATION_FAILED", language, L"Nie można skonfigurować programu Hintora.");
    Add(L"SETUP_CONFIGURATION_SUCCESS", language, L"Program Hintora został pomyślnie skonfigurowany.");
    Add(L"SETUP_DATA", language, L"Dane konfiguracyjne");
    Add(L"SETUP_WAIT", language, L"Poczekaj na zakończenie instalacji.");
    Add(L"SETUP_REMOVE", language, L"Usuń");
    Add(L"SETUP_REMOVE_THEN_UPGRADE", language, L"Przed uaktualnieniem należy usunąć zainstalowaną wersję programu Hintora.");
    Add(L"SETUP_REMOVE_BEFORE_DOWNGRADE", language, L"Zainstalowano nowszą wersję programu Hintora. Usuń ją przed zainstalowaniem starszej wersji.");
    Add(L"SETUP_DETECT", language, L"Wyszukiwanie zainstalowanej wersji programu Hintora...");
    Add(L"SETUP_ERROR_COMP", language, L"Brak wymaganego składnika programu Hintora lub nie można go zarejestrować.");
    Add(L"SETUP_RESTART", language, L"Uruchom ponownie przeglądarkę, aby ukończyć instalację.");
    Add(L"SETUP_BUTTONVISIBLITYWARNING", language, L"Jeśli przycisk Hintora nie jest widoczny, dodaj go do paska narzędzi przeglądarki.");
    Add(L"SETUP_POPUPBLOCKER", language, L"Przed kontynuowaniem zezwól na wyskakujące okna dla tej witryny.");
    Add(L"DIAGNOSTICMODE", language, L"Tryb diagnostyczny");
    Add(L"POPUPBLOCKER_MESSAGE", language, L"Blokowanie wyskakujących okien uniemożliwiło programowi Hintora otwarcie okna. Zezwól na wyskakujące okna dla tej witryny.");
    Add(L"GATEWAY_WAIT", language, L"Czekaj...");
    Add(L"GATEWAY_LOAD", language, L"Ładowanie...");
    Add(L"HINTORA_NO_BHO", language, L"Dodatek Hintora Helper jest niedostępny lub wyłączony.");
    Add(L"COMMON_CLOSE", language, L"Zamknij");
    Add(L"COMMON_CANCEL", language, L"Anuluj");
    Add(L"COMMON_OK", language, L"OK");
    Add(L"COMMON_APPLY", language, L"Zastosuj");
    Add(L"COMMON_CTRL", language, L"Ctrl");
    Add(L"COMMON_ALT", language, L"Alt");
    Add(L"COMMON_SHIFT", language, L"Shift");
    Add(L"COMMON_ERROR_OCCURED", language, L"Wystąpił nieoczekiwany błąd.");
    Add(L"COMMON_ERROR_CODE", language, L"Kod błędu:");
    Add(L"COMMON_CONTACT", language, L"Jeśli problem będzie się powtarzał, skontaktuj się z administratorem systemu.");
    Add(L"HINTORA_OPTIONS_TITLE", language, L"Opcje");
    Add(L"HINTORA_OPTIONS_TAB_LABEL", language, L"Opcje programu Hintora");
    Add(L"HINTORA_OPTIONS_HOTKEY_LABEL", language, L"Opcje klawisza skrótu");
    Add(L"HINTORA_OPTIONS_KEY_LABEL", language, L"Określ klawisz skrótu uruchamiający program Hintora");
    Add(L"HINTORA_OPTIONS_KEY_RESTART", language, L"Uruchom ponownie przeglądarkę, aby zmiany zostały wprowadzone.");
    Add(L"HINTORA_OPTIONS_HOTKEY_WARNING", language, L"Starannie wybierz kombinację klawiszy, aby nie powodowała konfliktu z przeglądarką ani z używaną aplikacją.");
    Add(L"HINTORA_MESSAGES_NO_CONTENT", language, L"Dla tej aplikacji nie jest dostępna żadna zawartość.");
    Add(L"HINTORA_MESSAGES_TITLE", language, L"Hintora");
    Add(L"HINTORA_MESSAGES_NOTSUPPORTED_PROTOCOL", language, L"Program Hintora skonfigurowano do używania nieobsługiwanego protokołu lub nieprawidłowego adresu URL.");
    Add(L"HINTORA_MESSAGES_RUN_CONFIGURATION", language, L"Skonfiguruj ponownie program Hintora i spróbuj jeszcze raz.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PROTOCOL", language, L"Program Hintora obsługuje tylko strony sieci Web z protokołami http i https.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PLAYER", language, L"Program Hintora nie obsługuje tej strony sieci Web.");
    Add(L"HINTORA_MESSAGES_WAIT", language, L"Poczekaj, aż program Hintora przetworzy poprzednie żądanie.");
    Add(L"HINTORA_MENUITEM_OPTIONS", language, L"&Opcje programu Hintora...");
    Add(L"HINTORA_MENUITEM_PREFERENCES", language, L"&Preferencje programu Dovrane...");
    Add(L"HINTORA_CONTEXTMENUITEM_SEARCH", language, L"&Szukaj za pomocą programu Hintora");
    Add(L"SETUP_GET", language, L"Pobierz program Hintora");
    Add(L"SETUP_UPGRADE", language, L"Uaktualnij");
    Add(L"SETUP_INSTALL", language, L"Zainstaluj");
    Add(L"SETUP_UPGRADE_TEXT", language, L"Dostępna jest nowsza wersja programu Hintora. Kliknij przycisk Uaktualnij, aby ją zainstalować.");
    Add(L"SETUP_DETECTED", language, L"Program Hintora jest zainstalowany na tym komputerze.");
    Add(L"SETUP_CURRENTVERSION", language, L"Bieżąca wersja");
    Add(L"SETUP_INSTALLEDVERSION", language, L"Zainstalowana wersja");
    Add(L"SETUP_UPTODATE", language, L"Program Hintora jest aktualny.");
}

// Italian texts of the message catalogue. Every language table adds
// the same 60 keys in the same order.
#include "messages/MessageCatalog.h"

void MessageCatalog::LoadIT() {
    const wchar_t* const language = L"IT";
    Add(L"PRODUCTNAME", language, L"Hintora");
    Add(L"DOV_PRODUCTNAME", language, L"Dovrane");
    Add(L"SETUP_NOTSUPPORTED_PROT", language, L"Il programma di installazione di Hintora supporta solo pagine Web con i protocolli http e https.");
    Add(L"SETUP_SUPPORTED_BROWSERS", language, L"Hintora supporta solo Internet Explorer. Aprire questa pagina in Internet Explorer.");
    Add(L"SETUP_TITLE", language, L"Installazione di Hintora");
    Add(L"SETUP_INSTALLATION", language, L"Installazione");
    Add(L"SETUP_INSTALLATION_FAILED", language, L"Impossibile installare Hintora.");
    Add(L"SETUP_INSTALLATION_SUCCESS", language, L"Hintora è stato installato correttamente.");
    Add(L"SETUP_CONFIGURATION", language, L"Configurazione");
    Add(L"SETUP_CONFIGURATION_FAILED", language, L"Impossibile configurare Hintora.");
    Add(L"SETUP_CONFIGURATION_SUCCESS", language, L"Hintora è stato configurato correttamente.");
    Add(L"SETUP_DATA", language, L"Dati di configurazione");
    Add(L"SETUP_WAIT", language, L"Attendere il completamento dell'installazione.");
    Add(L"SETUP_REMOVE", language, L"Rimuovi");
    Add(L"SETUP_REMOVE_THEN_UPGRADE", language, L"La versione installata di Hintora deve essere rimossa prima di poter essere aggiornata.");
    Add(L"SETUP_REMOVE_BEFORE_DOWNGRADE", language, L"È installata una versione più recente di Hintora. Rimuoverla prima di installare una versione precedente.");
    Add(L"SETUP_DETECT", language, L"Ricerca di una versione installata di Hintora in corso...");
    Add(L"SETUP_ERROR_COMP", language, L"Un componente necessario di Hintora è mancante o non è stato possibile registrarlo.");
    Add(L"SETUP_RESTART", language, L"Riavviare il browser per completare l'installazione.");
    Add(L"SETUP_BUTTONVISIBLITYWARNING", language, L"Se il pulsante Hintora non è visibile, aggiungerlo alla barra degli strumenti del browser.");
    Add(L"SETUP_POPUPBLOCKER", language, L"Consentire le finestre popup per questo sito prima di continuare.");
    Add(L"DIAGNOSTICMODE", language, L"Modalità diagnostica");
    Add(L"POPUPBLOCKER_MESSAGE", language, L"Un blocco popup ha impedito a Hintora di aprire una finestra. Consentire le finestre popup per questo sito.");
    Add(L"GATEWAY_WAIT", language, L"Attendere...");
    Add(L"GATEWAY_LOAD", language, L"Caricamento in corso...");
    Add(L"HINTORA_NO_BHO", language, L"Il componente aggiuntivo Hintora Helper non è disponibile o è disattivato.");
    Add(L"COMMON_CLOSE", language, L"Chiudi");
    Add(L"COMMON_CANCEL", language, L"Annulla");
    Add(L"COMMON_OK", language, L"OK");
    Add(L"COMMON_APPLY", language, L"Applica");
    Add(L"COMMON_CTRL", language, L"Ctrl");
    Add(L"COMMON_ALT", language, L"Alt");
    Add(L"COMMON_SHIFT", language, L"Maiusc");
    Add(L"COMMON_ERROR_OCCURED", language, L"Si è verificato un errore imprevisto.");
    Add(L"COMMON_ERROR_CODE", language, L"Codice di errore:");
    Add(L"COMMON_CONTACT", language, L"Se il problema persiste, contattare l'amministratore di sistema.");
    Add(L"HINTORA_OPTIONS_TITLE", language, L"Opzioni");
    Add(L"HINTORA_OPTIONS_TAB_LABEL", language, L"Opzioni di Hintora");
    Add(L"HINTORA_OPTIONS_HOTKEY_LABEL", language, L"Opzioni tasto di scelta rapida");
    Add(L"HINTORA_OPTIONS_KEY_LABEL", language, L"Specificare il tasto di scelta rapida per avviare Hintora");
    Add(L"HINTORA_OPTIONS_KEY_RESTART", language, L"Riavviare il browser per rendere effettive le modifiche.");
    Add(L"HINTORA_OPTIONS_HOTKEY_WARNING", language, L"Scegliere con attenzione una combinazione di tasti che non sia in conflitto con il browser o con l'applicazione in uso.");
    Add(L"HINTORA_MESSAGES_NO_CONTENT", language, L"Nessun contenuto disponibile per questa applicazione.");
    Add(L"HINTORA_MESSAGES_TITLE", language, L"Hintora");
    Add(L"HINTORA_MESSAGES_NOTSUPPORTED_PROTOCOL", language, L"Hintora è stato configurato per usare un protocollo non supportato o un URL non valido.");
    Add(L"HINTORA_MESSAGES_RUN_CONFIGURATION", language, L"Riconfigurare Hintora e riprovare.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PROTOCOL", language, L"Hintora supporta solo pagine Web con i protocolli http e https.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PLAYER", language, L"Hintora non supporta questa pagina Web.");
    Add(L"HINTORA_MESSAGES_WAIT", language, L"Attendere mentre Hintora elabora la richiesta precedente.");
    Add(L"HINTORA_MENUITEM_OPTIONS", language, L"&Opzioni di Hintora...");
    Add(L"HINTORA_MENUITEM_PREFERENCES", language, L"&Preferenze di Dovrane...");
    Add(L"HINTORA_CONTEXTMENUITEM_SEARCH", language, L"&Cerca con Hintora");
    Add(L"SETUP_GET", language, L"Ottieni Hintora");
    Add(L"SETUP_UPGRADE", language, L"Aggiorna");
    Add(L"SETUP_INSTALL", language, L"Installa");
    Add(L"SETUP_UPGRADE_TEXT", language, L"È disponibile una versione più recente di Hintora. Fare clic su Aggiorna per installarla.");
    Add(L"SETUP_DETECTED", language, L"Hintora è installato in questo computer.");
    Add(L"SETUP_CURRENTVERSION", language, L"Versione corrente");
    Add(L"SETUP_INSTALLEDVERSION", language, L"Versione installata");
    Add(L"SETUP_UPTODATE", language, L"Hintora è aggiornato.");
}

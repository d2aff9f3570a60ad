// French (Canada) texts of the message catalogue. Every language table adds
// the same 60 keys in the same order.
#include "messages/MessageCatalog.h"

void MessageCatalog::LoadFRCA() {
    const wchar_t* const language = L"FR-CA";
    Add(L"PRODUCTNAME", language, L"Hintora");
    Add(L"DOV_PRODUCTNAME", language, L"Dovrane");
    Add(L"SETUP_NOTSUPPORTED_PROT", language, L"Le programme d'installation de Hintora ne prend en charge que les pages Web utilisant les protocoles http et https.");
    Add(L"SETUP_SUPPORTED_BROWSERS", language, L"Hintora ne prend en charge qu'Internet Explorer. Veuillez ouvrir cette page dans Internet Explorer.");
    Add(L"SETUP_TITLE", language, L"Installation de Hintora");
    Add(L"SETUP_INSTALLATION", language, L"Installation");
    Add(L"SETUP_INSTALLATION_FAILED", language, L"Impossible d'installer Hintora.");
    Add(L"SETUP_INSTALLATION_SUCCESS", language, L"Hintora a été installé avec succès.");
    Add(L"SETUP_CONFIGURATION", language, L"Configuration");
    Add(L"SETUP_CONFIGURATION_FAILED", language, L"Impossible de configurer Hintora.");
    Add(L"SETUP_CONFIGURATION_SUCCESS", language, L"Hintora a été configuré avec succès.");
    Add(L"SETUP_DATA", language, L"Données de configuration");
    Add(L"SETUP_WAIT", language, L"Veuillez patienter pendant l'installation.");
    Add(L"SETUP_REMOVE", language, L"Désinstaller");
    Add(L"SETUP_REMOVE_THEN_UPGRADE", language, L"La version installée de Hintora doit être désinstallée avant de pouvoir être mise à jour.");
    Add(L"SETUP_REMOVE_BEFORE_DOWNGRADE", language, L"Une version plus récente de Hintora est installée. Veuillez la désinstaller avant d'installer une version antérieure.");
    Add(L"SETUP_DETECT", language, L"Recherche d'une version installée de Hintora...");
    Add(L"SETUP_ERROR_COMP", language, L"Un composant requis de Hintora est manquant ou n'a pas pu être enregistré.");
    Add(L"SETUP_RESTART", language, L"Veuillez redémarrer le navigateur pour terminer l'installation.");
    Add(L"SETUP_BUTTONVISIBLITYWARNING", language, L"Si le bouton Hintora n'est pas visible, ajoutez-le à la barre d'outils du navigateur.");
    Add(L"SETUP_POPUPBLOCKER", language, L"Veuillez autoriser les fenêtres contextuelles pour ce site avant de continuer.");
    Add(L"DIAGNOSTICMODE", language, L"Mode diagnostic");
    Add(L"POPUPBLOCKER_MESSAGE", language, L"Un bloqueur de fenêtres contextuelles a empêché Hintora d'ouvrir une fenêtre. Veuillez autoriser les fenêtres contextuelles pour ce site.");
    Add(L"GATEWAY_WAIT", language, L"Veuillez patienter...");
    Add(L"GATEWAY_LOAD", language, L"Chargement en cours...");
    Add(L"HINTORA_NO_BHO", language, L"Le module complémentaire Hintora Helper n'est pas disponible ou est désactivé.");
    Add(L"COMMON_CLOSE", language, L"Fermer");
    Add(L"COMMON_CANCEL", language, L"Annuler");
    Add(L"COMMON_OK", language, L"OK");
    Add(L"COMMON_APPLY", language, L"Appliquer");
    Add(L"COMMON_CTRL", language, L"Ctrl");
    Add(L"COMMON_ALT", language, L"Alt");
    Add(L"COMMON_SHIFT", language, L"Maj");
    Add(L"COMMON_ERROR_OCCURED", language, L"Une erreur inattendue s'est produite.");
    Add(L"COMMON_ERROR_CODE", language, L"Code d'erreur :");
    Add(L"COMMON_CONTACT", language, L"Si le problème persiste, veuillez communiquer avec votre administrateur système.");
    Add(L"HINTORA_OPTIONS_TITLE", language, L"Options");
    Add(L"HINTORA_OPTIONS_TAB_LABEL", language, L"Options de Hintora");
    Add(L"HINTORA_OPTIONS_HOTKEY_LABEL", language, L"Options de la touche de raccourci");
    Add(L"HINTORA_OPTIONS_KEY_LABEL", language, L"Indiquez la touche de raccourci qui lance Hintora");
    Add(L"HINTORA_OPTIONS_KEY_RESTART", language, L"Veuillez redémarrer le navigateur pour que les modifications entrent en vigueur.");
    Add(L"HINTORA_OPTIONS_HOTKEY_WARNING", language, L"Choisissez avec soin une combinaison de touches qui n'entre pas en conflit avec le navigateur ou avec l'application que vous utilisez.");
    Add(L"HINTORA_MESSAGES_NO_CONTENT", language, L"Aucun contenu n'est disponible pour cette application.");
    Add(L"HINTORA_MESSAGES_TITLE", language, L"Hintora");
    Add(L"HINTORA_MESSAGES_NOTSUPPORTED_PROTOCOL", language, L"Hintora a été configuré avec un protocole non pris en charge ou une adresse URL incorrecte.");
    Add(L"HINTORA_MESSAGES_RUN_CONFIGURATION", language, L"Veuillez reconfigurer Hintora et réessayer.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PROTOCOL", language, L"Hintora ne prend en charge que les pages Web utilisant les protocoles http et https.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PLAYER", language, L"Hintora ne prend pas en charge cette page Web.");
    Add(L"HINTORA_MESSAGES_WAIT", language, L"Veuillez patienter pendant que Hintora traite votre demande précédente.");
    Add(L"HINTORA_MENUITEM_OPTIONS", language, L"&Options de Hintora...");
    Add(L"HINTORA_MENUITEM_PREFERENCES", language, L"&Préférences de Dovrane...");
    Add(L"HINTORA_CONTEXTMENUITEM_SEARCH", language, L"&Rechercher avec Hintora");
    Add(L"SETUP_GET", language, L"Télécharger Hintora");
    Add(L"SETUP_UPGRADE", language, L"Mettre à jour");
    Add(L"SETUP_INSTALL", language, L"Installer");
    Add(L"SETUP_UPGRADE_TEXT", language, L"Une version plus récente de Hintora est disponible. Cliquez sur Mettre à jour pour l'installer.");
    Add(L"SETUP_DETECTED", language, L"Hintora est installé sur cet ordinateur.");
    Add(L"SETUP_CURRENTVERSION", language, L"Version actuelle");
    Add(L"SETUP_INSTALLEDVERSION", language, L"Version installée");
    Add(L"SETUP_UPTODATE", language, L"Hintora est à jour.");
}

// English texts of the message catalogue. Every language table adds
// the same 60 keys in the same order.
#include "messages/MessageCatalog.h"

void MessageCatalog::LoadEN() {
    const wchar_t* const language = L"EN";
    Add(L"PRODUCTNAME", language, L"Hintora");
    Add(L"DOV_PRODUCTNAME", language, L"Dovrane");
    Add(L"SETUP_NOTSUPPORTED_PROT", language, L"Hintora setup supports only web pages with http and https protocols.");
    Add(L"SETUP_SUPPORTED_BROWSERS", language, L"Hintora supports Internet Explorer only. Please open this page in Internet Explorer.");
    Add(L"SETUP_TITLE", language, L"Hintora Setup");
    Add(L"SETUP_INSTALLATION", language, L"Installation");
    Add(L"SETUP_INSTALLATION_FAILED", language, L"Hintora could not be installed.");
    Add(L"SETUP_INSTALLATION_SUCCESS", language, L"Hintora has been installed successfully.");
    Add(L"SETUP_CONFIGURATION", language, L"Configuration");
    Add(L"SETUP_CONFIGURATION_FAILED", language, L"Hintora could not be configured.");
    Add(L"SETUP_CONFIGURATION_SUCCESS", language, L"Hintora has been configured successfully.");
    Add(L"SETUP_DATA", language, L"Configuration data");
    Add(L"SETUP_WAIT", language, L"Please wait while setup is in progress.");
    Add(L"SETUP_REMOVE", language, L"Remove");
    Add(L"SETUP_REMOVE_THEN_UPGRADE", language, L"The installed version of Hintora must be removed before it can be upgraded.");
    Add(L"SETUP_REMOVE_BEFORE_DOWNGRADE", language, L"A newer version of Hintora is installed. Please remove it before installing an older version.");
    Add(L"SETUP_DETECT", language, L"Checking for an installed version of Hintora...");
    Add(L"SETUP_ERROR_COMP", language, L"A required Hintora component is missing or could not be registered.");
    Add(L"SETUP_RESTART", language, L"Please restart the browser to complete the setup.");
    Add(L"SETUP_BUTTONVISIBLITYWARNING", language, L"If the Hintora button is not visible, add it to the browser toolbar.");
    Add(L"SETUP_POPUPBLOCKER", language, L"Please allow pop-up windows for this site before you continue.");
    Add(L"DIAGNOSTICMODE", language, L"Diagnostic mode");
    Add(L"POPUPBLOCKER_MESSAGE", language, L"A pop-up blocker prevented Hintora from opening a window. Please allow pop-up windows for this site.");
    Add(L"GATEWAY_WAIT", language, L"Please wait...");
    Add(L"GATEWAY_LOAD", language, L"Loading...");
    Add(L"HINTORA_NO_BHO", language, L"Hintora Helper add-on is unavailable or disabled.");
    Add(L"COMMON_CLOSE", language, L"Close");
    Add(L"COMMON_CANCEL", language, L"Cancel");
    Add(L"COMMON_OK", language, L"OK");
    Add(L"COMMON_APPLY", language, L"Apply");
    Add(L"COMMON_CTRL", language, L"Ctrl");
    Add(L"COMMON_ALT", language, L"Alt");
    Add(L"COMMON_SHIFT", language, L"Shift");
    Add(L"COMMON_ERROR_OCCURED", language, L"An unexpected error has occurred.");
    Add(L"COMMON_ERROR_CODE", language, L"Error code is ");
    Add(L"COMMON_CONTACT", language, L"If the problem persists, please contact your system administrator.");
    Add(L"HINTORA_OPTIONS_TITLE", language, L"Options");
    Add(L"HINTORA_OPTIONS_TAB_LABEL", language, L"Hintora Options");
    Add(L"HINTORA_OPTIONS_HOTKEY_LABEL", language, L"Hotkey Options");
    Add(L"HINTORA_OPTIONS_KEY_LABEL", language, L"Specify hotkey to launch Hintora");
    Add(L"HINTORA_OPTIONS_KEY_RESTART", language, L"Please restart the browser for your changes to take effect.");
    Add(L"HINTORA_OPTIONS_HOTKEY_WARNING", language, L"Please carefully select a key combination so that it does not conflict with the browser or the application you are using.");
    Add(L"HINTORA_MESSAGES_NO_CONTENT", language, L"Content is not available for this application.");
    Add(L"HINTORA_MESSAGES_TITLE", language, L"Hintora");
    Add(L"HINTORA_MESSAGES_NOTSUPPORTED_PROTOCOL", language, L"Hintora was configured to use unsupported protocol or bad url.");
    Add(L"HINTORA_MESSAGES_RUN_CONFIGURATION", language, L"Please reconfigure Hintora and try again.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PROTOCOL", language, L"Hintora only supports web pages with http and https protocols.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PLAYER", language, L"Hintora does not support this web page.");
    Add(L"HINTORA_MESSAGES_WAIT", language, L"Please wait while Hintora processes your previous request.");
    Add(L"HINTORA_MENUITEM_OPTIONS", language, L"Hintora &Options...");
    Add(L"HINTORA_MENUITEM_PREFERENCES", language, L"Dovrane &Preferences...");
    Add(L"HINTORA_CONTEXTMENUITEM_SEARCH", language, L"&Search with Hintora");
    Add(L"SETUP_GET", language, L"Get Hintora");
    Add(L"SETUP_UPGRADE", language, L"Upgrade");
    Add(L"SETUP_INSTALL", language, L"Install");
    Add(L"SETUP_UPGRADE_TEXT", language, L"A newer version of Hintora is available. Click Upgrade to install it.");
    Add(L"SETUP_DETECTED", language, L"Hintora is installed on this computer.");
    Add(L"SETUP_CURRENTVERSION", language, L"Current version");
    Add(L"SETUP_INSTALLEDVERSION", language, L"Installed version");
    Add(L"SETUP_UPTODATE", language, L"Hintora is up to date.");
}

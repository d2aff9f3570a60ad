// Traditional Chinese texts of the message catalogue. Every language table adds
// the same 60 keys in the same order.
#include "messages/MessageCatalog.h"

void MessageCatalog::LoadZHCHT() {
    const wchar_t* const language = L"ZH-CHT";
    Add(L"PRODUCTNAME", language, L"Hintora");
    Add(L"DOV_PRODUCTNAME", language, L"Dovrane");
    Add(L"SETUP_NOTSUPPORTED_PROT", language, L"Hintora 安裝程式僅支援使用 http 和 https 通訊協定的網頁。");
    Add(L"SETUP_SUPPORTED_BROWSERS", language, L"Hintora 僅支援 Internet Explorer。請在 Internet Explorer 中開啟此頁面。");
    Add(L"SETUP_TITLE", language, L"Hintora 安裝程式");
    Add(L"SETUP_INSTALLATION", language, L"安裝");
    Add(L"SETUP_INSTALLATION_FAILED", language, L"無法安裝 Hintora。");
    Add(L"SETUP_INSTALLATION_SUCCESS", language, L"已成功安裝 Hintora。");
    Add(L"SETUP_CONFIGURATION", language, L"設定");
    Add(L"SETUP_CONFIGURATION_FAILED", language, L"無法設定 Hintora。");
    Add(L"SETUP_CONFIGURATION_SUCCESS", language, L"已成功設定 Hintora。");
    Add(L"SETUP_DATA", language, L"設定資料");
    Add(L"SETUP_WAIT", language, L"請稍候，正在進行安裝。");
    Add(L"SETUP_REMOVE", language, L"移除");
    Add(L"SETUP_REMOVE_THEN_UPGRADE", language, L"必須先移除已安裝的 Hintora 版本，才能進行升級。");
    Add(L"SETUP_REMOVE_BEFORE_DOWNGRADE", language, L"已安裝較新版本的 Hintora。請先將其移除，再安裝較舊的版本。");
    Add(L"SETUP_DETECT", language, L"正在偵測已安裝的 Hintora 版本...");
    Add(L"SETUP_ERROR_COMP", language, L"缺少必要的 Hintora 元件，或無法登錄該元件。");
    Add(L"SETUP_RESTART", language, L"請重新啟動瀏覽器以完成安裝。");
    Add(L"SETUP_BUTTONVISIBLITYWARNING", language, L"如果看不到 Hintora 按鈕，請將其新增至瀏覽器工具列。");
    Add(L"SETUP_POPUPBLOCKER", language, L"繼續之前，請允許此網站的快顯視窗。");
    Add(L"DIAGNOSTICMODE", language, L"診斷模式");
    Add(L"POPUPBLOCKER_MESSAGE", language, L"快顯封鎖程式阻止 Hintora 開啟視窗。請允許此網站的快顯視窗。");
    Add(L"GATEWAY_WAIT", language, L"請稍候...");
    Add(L"GATEWAY_LOAD", language, L"正在載入...");
    Add(L"HINTORA_NO_BHO", language, L"Hintora Helper 附加元件無法使用或已停用。");
    Add(L"COMMON_CLOSE", language, L"關閉");
    Add(L"COMMON_CANCEL", language, L"取消");
    Add(L"COMMON_OK", language, L"確定");
    Add(L"COMMON_APPLY", language, L"套用");
    Add(L"COMMON_CTRL", language, L"Ctrl");
    Add(L"COMMON_ALT", language, L"Alt");
    Add(L"COMMON_SHIFT", language, L"Shift");
    Add(L"COMMON_ERROR_OCCURED", language, L"發生未預期的錯誤。");
    Add(L"COMMON_ERROR_CODE", language, L"錯誤碼：");
    Add(L"COMMON_CONTACT", language, L"如果問題持續發生，請連絡系統管理員。");
    Add(L"HINTORA_OPTIONS_TITLE", language, L"選項");
    Add(L"HINTORA_OPTIONS_TAB_LABEL", language, L"Hintora 選項");
    Add(L"HINTORA_OPTIONS_HOTKEY_LABEL", language, L"快速鍵選項");
    Add(L"HINTORA_OPTIONS_KEY_LABEL", language, L"指定啟動 Hintora 的快速鍵");
    Add(L"HINTORA_OPTIONS_KEY_RESTART", language, L"請重新啟動瀏覽器，變更才會生效。");
    Add(L"HINTORA_OPTIONS_HOTKEY_WARNING", language, L"請謹慎選取按鍵組合，以免與瀏覽器或您正在使用的應用程式衝突。");
    Add(L"HINTORA_MESSAGES_NO_CONTENT", language, L"此應用程式沒有可用的內容。");
    Add(L"HINTORA_MESSAGES_TITLE", language, L"Hintora");
    Add(L"HINTORA_MESSAGES_NOTSUPPORTED_PROTOCOL", language, L"Hintora 已設定為使用不支援的通訊協定或錯誤的 URL。");
    Add(L"HINTORA_MESSAGES_RUN_CONFIGURATION", language, L"請重新設定 Hintora，然後再試一次。");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PROTOCOL", language, L"Hintora 僅支援使用 http 和 https 通訊協定的網頁。");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PLAYER", language, L"Hintora 不支援此網頁。");
    Add(L"HINTORA_MESSAGES_WAIT", language, L"請稍候，Hintora 正在處理您先前的要求。");
    Add(L"HINTORA_MENUITEM_OPTIONS", language, L"Hintora 選項(&O)...");
    Add(L"HINTORA_MENUITEM_PREFERENCES", language, L"Dovrane 喜好設定(&P)...");
    Add(L"HINTORA_CONTEXTMENUITEM_SEARCH", language, L"使用 Hintora 搜尋(&S)");
    Add(L"SETUP_GET", language, L"取得 Hintora");
    Add(L"SETUP_UPGRADE", language, L"升級");
    Add(L"SETUP_INSTALL", language, L"安裝");
    Add(L"SETUP_UPGRADE_TEXT", language, L"有較新版本的 Hintora 可供使用。請按一下「升級」進行安裝。");
    Add(L"SETUP_DETECTED", language, L"此電腦已安裝 Hintora。");
    Add(L"SETUP_CURRENTVERSION", language, L"目前版本");
    Add(L"SETUP_INSTALLEDVERSION", language, L"已安裝的版本");
    Add(L"SETUP_UPTODATE", language, L"Hintora 已是最新版本。");
}

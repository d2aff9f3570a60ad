// Japanese texts of the message catalogue. Every language table adds
// the same 60 keys in the same order.
#include "messages/MessageCatalog.h"

void MessageCatalog::LoadJA() {
    const wchar_t* const language = L"JA";
    Add(L"PRODUCTNAME", language, L"Hintora");
    Add(L"DOV_PRODUCTNAME", language, L"Dovrane");
    Add(L"SETUP_NOTSUPPORTED_PROT", language, L"Hintora セットアップは、http および https プロトコルの Web ページのみをサポートしています。");
    Add(L"SETUP_SUPPORTED_BROWSERS", language, L"Hintora は Internet Explorer のみをサポートしています。このページを Internet Explorer で開いてください。");
    Add(L"SETUP_TITLE", language, L"Hintora セットアップ");
    Add(L"SETUP_INSTALLATION", language, L"インストール");
    Add(L"SETUP_INSTALLATION_FAILED", language, L"Hintora をインストールできませんでした。");
    Add(L"SETUP_INSTALLATION_SUCCESS", language, L"Hintora は正常にインストールされました。");
    Add(L"SETUP_CONFIGURATION", language, L"構成");
    Add(L"SETUP_CONFIGURATION_FAILED", language, L"Hintora を構成できませんでした。");
    Add(L"SETUP_CONFIGURATION_SUCCESS", language, L"Hintora は正常に構成されました。");
    Add(L"SETUP_DATA", language, L"構成データ");
    Add(L"SETUP_WAIT", language, L"セットアップが完了するまでお待ちください。");
    Add(L"SETUP_REMOVE", language, L"削除");
    Add(L"SETUP_REMOVE_THEN_UPGRADE", language, L"Hintora をアップグレードするには、インストールされているバージョンを先に削除する必要があります。");
    Add(L"SETUP_REMOVE_BEFORE_DOWNGRADE", language, L"新しいバージョンの Hintora がインストールされています。古いバージョンをインストールする前に削除してください。");
    Add(L"SETUP_DETECT", language, L"インストールされている Hintora のバージョンを確認しています...");
    Add(L"SETUP_ERROR_COMP", language, L"Hintora の必要なコンポーネントが見つからないか、登録できませんでした。");
    Add(L"SETUP_RESTART", language, L"セットアップを完了するには、ブラウザーを再起動してください。");
    Add(L"SETUP_BUTTONVISIBLITYWARNING", language, L"Hintora ボタンが表示されない場合は、ブラウザーのツール バーに追加してください。");
    Add(L"SETUP_POPUPBLOCKER", language, L"続行する前に、このサイトのポップアップ ウィンドウを許可してください。");
    Add(L"DIAGNOSTICMODE", language, L"診断モード");
    Add(L"POPUPBLOCKER_MESSAGE", language, L"ポップアップ ブロックにより、Hintora がウィンドウを開けませんでした。このサイトのポップアップ ウィンドウを許可してください。");
    Add(L"GATEWAY_WAIT", language, L"お待ちください...");
    Add(L"GATEWAY_LOAD", language, L"読み込んでいます...");
    Add(L"HINTORA_NO_BHO", language, L"Hintora Helper アドオンは使用できないか、無効になっています。");
    Add(L"COMMON_CLOSE", language, L"閉じる");
    Add(L"COMMON_CANCEL", language, L"キャンセル");
    Add(L"COMMON_OK", language, L"OK");
    Add(L"COMMON_APPLY", language, L"適用");
    Add(L"COMMON_CTRL", language, L"Ctrl");
    Add(L"COMMON_ALT", language, L"Alt");
    Add(L"COMMON_SHIFT", language, L"Shift");
    Add(L"COMMON_ERROR_OCCURED", language, L"予期しないエラーが発生しました。");
    Add(L"COMMON_ERROR_CODE", language, L"エラー コード:");
    Add(L"COMMON_CONTACT", language, L"問題が解決しない場合は、システム管理者に連絡してください。");
    Add(L"HINTORA_OPTIONS_TITLE", language, L"オプション");
    Add(L"HINTORA_OPTIONS_TAB_LABEL", language, L"Hintora のオプション");
    Add(L"HINTORA_OPTIONS_HOTKEY_LABEL", language, L"ホットキーのオプション");
    Add(L"HINTORA_OPTIONS_KEY_LABEL", language, L"Hintora を起動するホットキーを指定してください");
    Add(L"HINTORA_OPTIONS_KEY_RESTART", language, L"変更を有効にするには、ブラウザーを再起動してください。");
    Add(L"HINTORA_OPTIONS_HOTKEY_WARNING", language, L"ブラウザーや使用中のアプリケーションと競合しないように、キーの組み合わせを慎重に選択してください。");
    Add(L"HINTORA_MESSAGES_NO_CONTENT", language, L"このアプリケーションに使用できるコンテンツはありません。");
    Add(L"HINTORA_MESSAGES_TITLE", language, L"Hintora");
    Add(L"HINTORA_MESSAGES_NOTSUPPORTED_PROTOCOL", language, L"Hintora は、サポートされていないプロトコルまたは無効な URL を使用するように構成されています。");
    Add(L"HINTORA_MESSAGES_RUN_CONFIGURATION", language, L"Hintora を構成し直してから、もう一度お試しください。");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PROTOCOL", language, L"Hintora は、http および https プロトコルの Web ページのみをサポートしています。");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PLAYER", language, L"Hintora はこの Web ページをサポートしていません。");
    Add(L"HINTORA_MESSAGES_WAIT", language, L"Hintora が前の要求を処理しています。しばらくお待ちください。");
    Add(L"HINTORA_MENUITEM_OPTIONS", language, L"Hintora のオプション(&O)...");
    Add(L"HINTORA_MENUITEM_PREFERENCES", language, L"Dovrane の基本設定(&P)...");
    Add(L"HINTORA_CONTEXTMENUITEM_SEARCH", language, L"Hintora で検索(&S)");
    Add(L"SETUP_GET", language, L"Hintora の入手");
    Add(L"SETUP_UPGRADE", language, L"アップグレード");
    Add(L"SETUP_INSTALL", language, L"インストール");
    Add(L"SETUP_UPGRADE_TEXT", language, L"新しいバージョンの Hintora を利用できます。インストールするには [アップグレード] をクリックしてください。");
    Add(L"SETUP_DETECTED", language, L"Hintora はこのコンピューターにインストールされています。");
    Add(L"SETUP_CURRENTVERSION", language, L"現在のバージョン");
    Add(L"SETUP_INSTALLEDVERSION", language, L"インストールされているバージョン");
    Add(L"SETUP_UPTODATE", language, L"Hintora は最新の状態です。");
}

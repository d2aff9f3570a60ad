// Simplified Chinese texts of the message catalogue. Every language table adds
// the same 60 keys in the same order.
#include "messages/MessageCatalog.h"

void MessageCatalog::LoadZHCHS() {
    const wchar_t* const language = L"ZH-CHS";
    Add(L"PRODUCTNAME", language, L"Hintora");
    Add(L"DOV_PRODUCTNAME", language, L"Dovrane");
    Add(L"SETUP_NOTSUPPORTED_PROT", language, L"Hintora 安装程序仅支持使用 http 和 https 协议的网页。");
    Add(L"SETUP_SUPPORTED_BROWSERS", language, L"Hintora 仅支持 Internet Explorer。请在 Internet Explorer 中打开此页面。");
    Add(L"SETUP_TITLE", language, L"Hintora 安装程序");
    Add(L"SETUP_INSTALLATION", language, L"安装");
    Add(L"SETUP_INSTALLATION_FAILED", language, L"无法安装 Hintora。");
    Add(L"SETUP_INSTALLATION_SUCCESS", language, L"已成功安装 Hintora。");
    Add(L"SETUP_CONFIGURATION", language, L"配置");
    Add(L"SETUP_CONFIGURATION_FAILED", language, L"无法配置 Hintora。");
    Add(L"SETUP_CONFIGURATION_SUCCESS", language, L"已成功配置 Hintora。");
    Add(L"SETUP_DATA", language, L"配置数据");
    Add(L"SETUP_WAIT", language, L"请稍候，正在进行安装。");
    Add(L"SETUP_REMOVE", language, L"删除");
    Add(L"SETUP_REMOVE_THEN_UPGRADE", language, L"必须先删除已安装的 Hintora 版本，然后才能升级。");
    Add(L"SETUP_REMOVE_BEFORE_DOWNGRADE", language, L"已安装较新版本的 Hintora。请先将其删除，然后再安装较旧的版本。");
    Add(L"SETUP_DETECT", language, L"正在检测已安装的 Hintora 版本...");
    Add(L"SETUP_ERROR_COMP", language, L"缺少必需的 Hintora 组件，或无法注册该组件。");
    Add(L"SETUP_RESTART", language, L"请重新启动浏览器以完成安装。");
    Add(L"SETUP_BUTTONVISIBLITYWARNING", language, L"如果 Hintora 按钮不可见，请将其添加到浏览器工具栏。");
    Add(L"SETUP_POPUPBLOCKER", language, L"继续之前，请允许此站点的弹出窗口。");
    Add(L"DIAGNOSTICMODE", language, L"诊断模式");
    Add(L"POPUPBLOCKER_MESSAGE", language, L"弹出窗口阻止程序阻止了 Hintora 打开窗口。请允许此站点的弹出窗口。");
    Add(L"GATEWAY_WAIT", language, L"请稍候...");
    Add(L"GATEWAY_LOAD", language, L"正在加载...");
    Add(L"HINTORA_NO_BHO", language, L"Hintora Helper 加载项不可用或已被禁用。");
    Add(L"COMMON_CLOSE", language, L"关闭");
    Add(L"COMMON_CANCEL", language, L"取消");
    Add(L"COMMON_OK", language, L"确定");
    Add(L"COMMON_APPLY", language, L"应用");
    Add(L"COMMON_CTRL", language, L"Ctrl");
    Add(L"COMMON_ALT", language, L"Alt");
    Add(L"COMMON_SHIFT", language, L"Shift");
    Add(L"COMMON_ERROR_OCCURED", language, L"发生意外错误。");
    Add(L"COMMON_ERROR_CODE", language, L"错误代码：");
    Add(L"COMMON_CONTACT", language, L"如果问题仍然存在，请与系统管理员联系。");
    Add(L"HINTORA_OPTIONS_TITLE", language, L"选项");
    Add(L"HINTORA_OPTIONS_TAB_LABEL", language, L"Hintora 选项");
    Add(L"HINTORA_OPTIONS_HOTKEY_LABEL", language, L"热键选项");
    Add(L"HINTORA_OPTIONS_KEY_LABEL", language, L"指定启动 Hintora 的热键");
    Add(L"HINTORA_OPTIONS_KEY_RESTART", language, L"请重新启动浏览器以使更改生效。");
    Add(L"HINTORA_OPTIONS_HOTKEY_WARNING", language, L"请谨慎选择组合键，以免与浏览器或您正在使用的应用程序发生冲突。");
    Add(L"HINTORA_MESSAGES_NO_CONTENT", language, L"此应用程序没有可用的内容。");
    Add(L"HINTORA_MESSAGES_TITLE", language, L"Hintora");
    Add(L"HINTORA_MESSAGES_NOTSUPPORTED_PROTOCOL", language, L"Hintora 被配置为使用不受支持的协议或错误的 URL。");
    Add(L"HINTORA_MESSAGES_RUN_CONFIGURATION", language, L"请重新配置 Hintora，然后重试。");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PROTOCOL", language, L"Hintora 仅支持使用 http 和 https 协议的网页。");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PLAYER", language, L"Hintora 不支持此网页。");
    Add(L"HINTORA_MESSAGES_WAIT", language, L"请稍候，Hintora 正在处理您之前的请求。");
    Add(L"HINTORA_MENUITEM_OPTIONS", language, L"Hintora 选项(&O)...");
    Add(L"HINTORA_MENUITEM_PREFERENCES", language, L"Dovrane 首选项(&P)...");
    Add(L"HINTORA_CONTEXTMENUITEM_SEARCH", language, L"使用 Hintora 搜索(&S)");
    Add(L"SETUP_GET", language, L"获取 Hintora");
    Add(L"SETUP_UPGRADE", language, L"升级");
    Add(L"SETUP_INSTALL", language, L"安装");
    Add(L"SETUP_UPGRADE_TEXT", language, L"有较新版本的 Hintora 可用。单击“升级”进行安装。");
    Add(L"SETUP_DETECTED", language, L"此计算机上已安装 Hintora。");
    Add(L"SETUP_CURRENTVERSION", language, L"当前版本");
    Add(L"SETUP_INSTALLEDVERSION", language, L"已安装的版本");
    Add(L"SETUP_UPTODATE", language, L"Hintora 已是最新版本。");
}

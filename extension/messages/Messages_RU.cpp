// Russian texts of the message catalogue. Every language table adds
// the same 60 keys in the same order.
#include "messages/MessageCatalog.h"

void MessageCatalog::LoadRU() {
    const wchar_t* const language = L"RU";
    Add(L"PRODUCTNAME", language, L"Hintora");
    Add(L"DOV_PRODUCTNAME", language, L"Dovrane");
    Add(L"SETUP_NOTSUPPORTED_PROT", language, L"Программа установки Hintora поддерживает только веб-страницы с протоколами http и https.");
    Add(L"SETUP_SUPPORTED_BROWSERS", language, L"Hintora поддерживает только Internet Explorer. Откройте эту страницу в Internet Explorer.");
    Add(L"SETUP_TITLE", language, L"Установка Hintora");
    Add(L"SETUP_INSTALLATION", language, L"Установка");
    Add(L"SETUP_INSTALLATION_FAILED", language, L"Не удалось установить Hintora.");
    Add(L"SETUP_INSTALLATION_SUCCESS", language, L"Установка Hintora успешно завершена.");
    Add(L"SETUP_CONFIGURATION", language, L"Настройка");
    Add(L"SETUP_CONFIGURATION_FAILED", language, L"Не удалось настроить Hintora.");
    Add(L"SETUP_CONFIGURATION_SUCCESS", language, L"Настройка Hintora успешно завершена.");
    Add(L"SETUP_DATA", language, L"Данные конфигурации");
    Add(L"SETUP_WAIT", language, L"Подождите, пока завершится установка.");
    Add(L"SETUP_REMOVE", language, L"Удалить");
    Add(L"SETUP_REMOVE_THEN_UPGRADE", language, L"Перед обновлением необходимо удалить установленную версию Hintora.");
    Add(L"SETUP_REMOVE_BEFORE_DOWNGRADE", language, L"Установлена более новая версия Hintora. Удалите ее перед установкой более старой версии.");
    Add(L"SETUP_DETECT", language, L"Поиск установленной версии Hintora...");
    Add(L"SETUP_ERROR_COMP", language, L"Необходимый компонент Hintora отсутствует или не может быть зарегистрирован.");
    Add(L"SETUP_RESTART", language, L"Перезапустите браузер, чтобы завершить установку.");
    Add(L"SETUP_BUTTONVISIBLITYWARNING", language, L"Если кнопка Hintora не отображается, добавьте ее на панель инструментов браузера.");
    Add(L"SETUP_POPUPBLOCKER", language, L"Прежде чем продолжить, разрешите всплывающие окна для этого сайта.");
    Add(L"DIAGNOSTICMODE", language, L"Режим диагностики");
    Add(L"POPUPBLOCKER_MESSAGE", language, L"Блокирование всплывающих окон не позволило Hintora открыть окно. Разрешите всплывающие окна для этого сайта.");
    Add(L"GATEWAY_WAIT", language, L"Подождите...");
    Add(L"GATEWAY_LOAD", language, L"Загрузка...");
    Add(L"HINTORA_NO_BHO", language, L"Надстройка Hintora Helper недоступна или отключена.");
    Add(L"COMMON_CLOSE", language, L"Закрыть");
    Add(L"COMMON_CANCEL", language, L"Отмена");
    Add(L"COMMON_OK", language, L"ОК");
    Add(L"COMMON_APPLY", language, L"Применить");
    Add(L"COMMON_CTRL", language, L"Ctrl");
    Add(L"COMMON_ALT", language, L"Alt");
    Add(L"COMMON_SHIFT", language, L"Shift");
    Add(L"COMMON_ERROR_OCCURED", language, L"Произошла непредвиденная ошибка.");
    Add(L"COMMON_ERROR_CODE", language, L"Код ошибки:");
    Add(L"COMMON_CONTACT", language, L"Если проблема не устранена, обратитесь к системному администратору.");
    Add(L"HINTORA_OPTIONS_TITLE", language, L"Параметры");
    Add(L"HINTORA_OPTIONS_TAB_LABEL", language, L"Параметры Hintora");
    Add(L"HINTORA_OPTIONS_HOTKEY_LABEL", language, L"Параметры сочетания клавиш");
    Add(L"HINTORA_OPTIONS_KEY_LABEL", language, L"Укажите сочетание клавиш для запуска Hintora");
    Add(L"HINTORA_OPTIONS_KEY_RESTART", language, L"Перезапустите браузер, чтобы изменения вступили в силу.");
    Add(L"HINTORA_OPTIONS_HOTKEY_WARNING", language, L"Тщательно выберите сочетание клавиш, чтобы оно не конфликтовало с браузером или используемым приложением.");
    Add(L"HINTORA_MESSAGES_NO_CONTENT", language, L"Для этого приложения нет доступного содержимого.");
    Add(L"HINTORA_MESSAGES_TITLE", language, L"Hintora");
    Add(L"HINTORA_MESSAGES_NOTSUPPORTED_PROTOCOL", language, L"Для Hintora задан неподдерживаемый протокол или неверный URL-адрес.");
    Add(L"HINTORA_MESSAGES_RUN_CONFIGURATION", language, L"Перенастройте Hintora и повторите попытку.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PROTOCOL", language, L"Hintora поддерживает только веб-страницы с протоколами http и https.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PLAYER", language, L"Hintora не поддерживает эту веб-страницу.");
    Add(L"HINTORA_MESSAGES_WAIT", language, L"Подождите, пока Hintora обработает предыдущий запрос.");
    Add(L"HINTORA_MENUITEM_OPTIONS", language, L"&Параметры Hintora...");
    Add(L"HINTORA_MENUITEM_PREFERENCES", language, L"&Настройки Dovrane...");
    Add(L"HINTORA_CONTEXTMENUITEM_SEARCH", language, L"&Поиск с помощью Hintora");
    Add(L"SETUP_GET", language, L"Получить Hintora");
    Add(L"SETUP_UPGRADE", language, L"Обновить");
    Add(L"SETUP_INSTALL", language, L"Установить");
    Add(L"SETUP_UPGRADE_TEXT", language, L"Доступна более новая версия Hintora. Нажмите кнопку Обновить, чтобы установить ее.");
    Add(L"SETUP_DETECTED", language, L"Программа Hintora установлена на этом компьютере.");
    Add(L"SETUP_CURRENTVERSION", language, L"Текущая версия");
    Add(L"SETUP_INSTALLEDVERSION", language, L"Установленная версия");
    Add(L"SETUP_UPTODATE", language, L"Установлена последняя версия Hintora.");
}

// Turkish texts of the message catalogue. Every language table adds
// the same 60 keys in the same order.
#include "messages/MessageCatalog.h"

void MessageCatalog::LoadTR() {
    const wchar_t* const language = L"TR";
    Add(L"PRODUCTNAME", language, L"Hintora");
    Add(L"DOV_PRODUCTNAME", language, L"Dovrane");
    Add(L"SETUP_NOTSUPPORTED_PROT", language, L"Hintora kurulumu yalnızca http ve https protokollerini kullanan web sayfalarını destekler.");
    Add(L"SETUP_SUPPORTED_BROWSERS", language, L"Hintora yalnızca Internet Explorer'ı destekler. Lütfen bu sayfayı Internet Explorer'da açın.");
    Add(L"SETUP_TITLE", language, L"Hintora Kurulumu");
    Add(L"SETUP_INSTALLATION", language, L"Yükleme");
    Add(L"SETUP_INSTALLATION_FAILED", language, L"Hintora yüklenemedi.");
    Add(L"SETUP_INSTALLATION_SUCCESS", language, L"Hintora başarıyla yüklendi.");
    Add(L"SETUP_CONFIGURATION", language, L"Yapılandırma");
    Add(L"SETUP_CONFIGURATION_FAILED", language, L"Hintora yapılandırılamadı.");
    Add(L"SETUP_CONFIGURATION_SUCCESS", language, L"Hintora başarıyla yapılandırıldı.");
    Add(L"SETUP_DATA", language, L"Yapılandırma verileri");
    Add(L"SETUP_WAIT", language, L"Lütfen kurulum tamamlanırken bekleyin.");
    Add(L"SETUP_REMOVE", language, L"Kaldır");
    Add(L"SETUP_REMOVE_THEN_UPGRADE", language, L"Yükseltilebilmesi için Hintora'nın yüklü sürümünün önce kaldırılması gerekir.");
    Add(L"SETUP_REMOVE_BEFORE_DOWNGRADE", language, L"Hintora'nın daha yeni bir sürümü yüklü. Eski bir sürümü yüklemeden önce lütfen bunu kaldırın.");
    Add(L"SETUP_DETECT", language, L"Hintora'nın yüklü sürümü aranıyor...");
    Add(L"SETUP_ERROR_COMP", language, L"Gerekli bir Hintora bileşeni eksik veya kaydedilemedi.");
    Add(L"SETUP_RESTART", language, L"Kurulumu tamamlamak için lütfen tarayıcıyı yeniden başlatın.");
    Add(L"SETUP_BUTTONVISIBLITYWARNING", language, L"Hintora düğmesi görünmüyorsa düğmeyi tarayıcının araç çubuğuna ekleyin.");
    Add(L"SETUP_POPUPBLOCKER", language, L"Devam etmeden önce lütfen bu site için açılır pencerelere izin verin.");
    Add(L"DIAGNOSTICMODE", language, L"Tanılama modu");
    Add(L"POPUPBLOCKER_MESSAGE", language, L"Bir açılır pencere engelleyicisi Hintora'nın pencere açmasını engelledi. Lütfen bu site için açılır pencerelere izin verin.");
    Add(L"GATEWAY_WAIT", language, L"Lütfen bekleyin...");
    Add(L"GATEWAY_LOAD", language, L"Yükleniyor...");
    Add(L"HINTORA_NO_BHO", language, L"Hintora Helper eklentisi kullanılamıyor veya devre dışı.");
    Add(L"COMMON_CLOSE", language, L"Kapat");
    Add(L"COMMON_CANCEL", language, L"İptal");
    Add(L"COMMON_OK", language, L"Tamam");
    Add(L"COMMON_APPLY", language, L"Uygula");
    Add(L"COMMON_CTRL", language, L"Ctrl");
    Add(L"COMMON_ALT", language, L"Alt");
    Add(L"COMMON_SHIFT", language, L"Shift");
    Add(L"COMMON_ERROR_OCCURED", language, L"Beklenmeyen bir hata oluştu.");
    Add(L"COMMON_ERROR_CODE", language, L"Hata kodu:");
    Add(L"COMMON_CONTACT", language, L"Sorun devam ederse lütfen sistem yöneticinize başvurun.");
    Add(L"HINTORA_OPTIONS_TITLE", language, L"Seçenekler");
    Add(L"HINTORA_OPTIONS_TAB_LABEL", language, L"Hintora Seçenekleri");
    Add(L"HINTORA_OPTIONS_HOTKEY_LABEL", language, L"Kısayol Tuşu Seçenekleri");
    Add(L"HINTORA_OPTIONS_KEY_LABEL", language, L"Hintora'yı başlatacak kısayol tuşunu belirtin");
    Add(L"HINTORA_OPTIONS_KEY_RESTART", language, L"Değişikliklerin etkili olması için lütfen tarayıcıyı yeniden başlatın.");
    Add(L"HINTORA_OPTIONS_HOTKEY_WARNING", language, L"Lütfen tarayıcıyla veya kullandığınız uygulamayla çakışmayacak bir tuş bileşimini dikkatle seçin.");
    Add(L"HINTORA_MESSAGES_NO_CONTENT", language, L"Bu uygulama için kullanılabilir içerik yok.");
    Add(L"HINTORA_MESSAGES_TITLE", language, L"Hintora");
    Add(L"HINTORA_MESSAGES_NOTSUPPORTED_PROTOCOL", language, L"Hintora desteklenmeyen bir protokol veya hatalı bir URL kullanacak şekilde yapılandırılmış.");
    Add(L"HINTORA_MESSAGES_RUN_CONFIGURATION", language, L"Lütfen Hintora'yı yeniden yapılandırıp tekrar deneyin.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PROTOCOL", language, L"Hintora yalnızca http ve https protokollerini kullanan web sayfalarını destekler.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PLAYER", language, L"Hintora bu web sayfasını desteklemiyor.");
    Add(L"HINTORA_MESSAGES_WAIT", language, L"Lütfen Hintora önceki isteğinizi işlerken bekleyin.");
    Add(L"HINTORA_MENUITEM_OPTIONS", language, L"Hintora &Seçenekleri...");
    Add(L"HINTORA_MENUITEM_PREFERENCES", language, L"Dovrane &Tercihleri...");
    Add(L"HINTORA_CONTEXTMENUITEM_SEARCH", language, L"Hintora ile &Ara");
    Add(L"SETUP_GET", language, L"Hintora'yı Edinin");
    Add(L"SETUP_UPGRADE", language, L"Yükselt");
    Add(L"SETUP_INSTALL", language, L"Yükle");
    Add(L"SETUP_UPGRADE_TEXT", language, L"Hintora'nın daha yeni bir sürümü var. Yüklemek için Yükselt'e tıklayın.");
    Add(L"SETUP_DETECTED", language, L"Hintora bu bilgisayarda yüklü.");
    Add(L"SETUP_CURRENTVERSION", language, L"Geçerli sürüm");
    Add(L"SETUP_INSTALLEDVERSION", language, L"Yüklü sürüm");
    Add(L"SETUP_UPTODATE", language, L"Hintora güncel.");
}

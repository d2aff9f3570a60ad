// Spanish texts of the message catalogue. Every language table adds
// the same 60 keys in the same order.
#include "messages/MessageCatalog.h"

void MessageCatalog::LoadES() {
    const wchar_t* const language = L"ES";
    Add(L"PRODUCTNAME", language, L"Hintora");
    Add(L"DOV_PRODUCTNAME", language, L"Dovrane");
    Add(L"SETUP_NOTSUPPORTED_PROT", language, L"El programa de instalación de Hintora solo admite páginas web con los protocolos http y https.");
    Add(L"SETUP_SUPPORTED_BROWSERS", language, L"Hintora solo es compatible con Internet Explorer. Abra esta página en Internet Explorer.");
    Add(L"SETUP_TITLE", language, L"Instalación de Hintora");
    Add(L"SETUP_INSTALLATION", language, L"Instalación");
    Add(L"SETUP_INSTALLATION_FAILED", language, L"No se ha podido instalar Hintora.");
    Add(L"SETUP_INSTALLATION_SUCCESS", language, L"Hintora se ha instalado correctamente.");
    Add(L"SETUP_CONFIGURATION", language, L"Configuración");
    Add(L"SETUP_CONFIGURATION_FAILED", language, L"No se ha podido configurar Hintora.");
    Add(L"SETUP_CONFIGURATION_SUCCESS", language, L"Hintora se ha configurado correctamente.");
    Add(L"SETUP_DATA", language, L"Datos de configuración");
    Add(L"SETUP_WAIT", language, L"Espere mientras se completa la instalación.");
    Add(L"SETUP_REMOVE", language, L"Quitar");
    Add(L"SETUP_REMOVE_THEN_UPGRADE", language, L"Debe quitar la versión instalada de Hintora antes de poder actualizarla.");
    Add(L"SETUP_REMOVE_BEFORE_DOWNGRADE", language, L"Hay instalada una versión más reciente de Hintora. Quítela antes de instalar una versión anterior.");
    Add(L"SETUP_DETECT", language, L"Buscando una versión instalada de Hintora...");
    Add(L"SETUP_ERROR_COMP", language, L"Falta un componente necesario de Hintora o no se ha podido registrar.");
    Add(L"SETUP_RESTART", language, L"Reinicie el navegador para completar la instalación.");
    Add(L"SETUP_BUTTONVISIBLITYWARNING", language, L"Si el botón de Hintora no está visible, añádalo a la barra de herramientas del navegador.");
    Add(L"SETUP_POPUPBLOCKER", language, L"Permita las ventanas emergentes para este sitio antes de continuar.");
    Add(L"DIAGNOSTICMODE", language, L"Modo de diagnóstico");
    Add(L"POPUPBLOCKER_MESSAGE", language, L"Un bloqueador de ventanas emergentes ha impedido que Hintora abra una ventana. Permita las ventanas emergentes para este sitio.");
    Add(L"GATEWAY_WAIT", language, L"Espere...");
    Add(L"GATEWAY_LOAD", language, L"Cargando...");
    Add(L"HINTORA_NO_BHO", language, L"El complemento Hintora Helper no está disponible o está deshabilitado.");
    Add(L"COMMON_CLOSE", language, L"Cerrar");
    Add(L"COMMON_CANCEL", language, L"Cancelar");
    Add(L"COMMON_OK", language, L"Aceptar");
    Add(L"COMMON_APPLY", language, L"Aplicar");
    Add(L"COMMON_CTRL", language, L"Ctrl");
    Add(L"COMMON_ALT", language, L"Alt");
    Add(L"COMMON_SHIFT", language, L"Mayús");
    Add(L"COMMON_ERROR_OCCURED", language, L"Se ha producido un error inesperado.");
    Add(L"COMMON_ERROR_CODE", language, L"Código de error:");
    Add(L"COMMON_CONTACT", language, L"Si el problema persiste, póngase en contacto con el administrador del sistema.");
    Add(L"HINTORA_OPTIONS_TITLE", language, L"Opciones");
    Add(L"HINTORA_OPTIONS_TAB_LABEL", language, L"Opciones de Hintora");
    Add(L"HINTORA_OPTIONS_HOTKEY_LABEL", language, L"Opciones de tecla de acceso rápido");
    Add(L"HINTORA_OPTIONS_KEY_LABEL", language, L"Especifique la tecla de acceso rápido para iniciar Hintora");
    Add(L"HINTORA_OPTIONS_KEY_RESTART", language, L"Reinicie el navegador para que los cambios surtan efecto.");
    Add(L"HINTORA_OPTIONS_HOTKEY_WARNING", language, L"Seleccione con cuidado una combinación de teclas que no entre en conflicto con el navegador ni con la aplicación que está utilizando.");
    Add(L"HINTORA_MESSAGES_NO_CONTENT", language, L"No hay contenido disponible para esta aplicación.");
    Add(L"HINTORA_MESSAGES_TITLE", language, L"Hintora");
    Add(L"HINTORA_MESSAGES_NOTSUPPORTED_PROTOCOL", language, L"Hintora se ha configurado para usar un protocolo no compatible o una URL incorrecta.");
    Add(L"HINTORA_MESSAGES_RUN_CONFIGURATION", language, L"Vuelva a configurar Hintora e inténtelo de nuevo.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PROTOCOL", language, L"Hintora solo admite páginas web con los protocolos http y https.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PLAYER", language, L"Hintora no admite esta página web.");
    Add(L"HINTORA_MESSAGES_WAIT", language, L"Espere mientras Hintora procesa su solicitud anterior.");
    Add(L"HINTORA_MENUITEM_OPTIONS", language, L"&Opciones de Hintora...");
    Add(L"HINTORA_MENUITEM_PREFERENCES", language, L"&Preferencias de Dovrane...");
    Add(L"HINTORA_CONTEXTMENUITEM_SEARCH", language, L"&Buscar con Hintora");
    Add(L"SETUP_GET", language, L"Obtener Hintora");
    Add(L"SETUP_UPGRADE", language, L"Actualizar");
    Add(L"SETUP_INSTALL", language, L"Instalar");
    Add(L"SETUP_UPGRADE_TEXT", language, L"Hay disponible una versión más reciente de Hintora. Haga clic en Actualizar para instalarla.");
    Add(L"SETUP_DETECTED", language, L"Hintora está instalado en este ordenador.");
    Add(L"SETUP_CURRENTVERSION", language, L"Versión actual");
    Add(L"SETUP_INSTALLEDVERSION", language, L"Versión instalada");
    Add(L"SETUP_UPTODATE", language, L"Hintora está actualizado.");
}

// Portuguese (Portugal) texts of the message catalogue. Every language table adds
// the same 60 keys in the same order.
#include "messages/MessageCatalog.h"

void MessageCatalog::LoadPT() {
    const wchar_t* const language = L"PT";
    Add(L"PRODUCTNAME", language, L"Hintora");
    Add(L"DOV_PRODUCTNAME", language, L"Dovrane");
    Add(L"SETUP_NOTSUPPORTED_PROT", language, L"O programa de instalação do Hintora só suporta páginas Web com os protocolos http e https.");
    Add(L"SETUP_SUPPORTED_BROWSERS", language, L"O Hintora só suporta o Internet Explorer. Abra esta página no Internet Explorer.");
    Add(L"SETUP_TITLE", language, L"Instalação do Hintora");
    Add(L"SETUP_INSTALLATION", language, L"Instalação");
    Add(L"SETUP_INSTALLATION_FAILED", language, L"Não foi possível instalar o Hintora.");
    Add(L"SETUP_INSTALLATION_SUCCESS", language, L"O Hintora foi instalado com êxito.");
    Add(L"SETUP_CONFIGURATION", language, L"Configuração");
    Add(L"SETUP_CONFIGURATION_FAILED", language, L"Não foi possível configurar o Hintora.");
    Add(L"SETUP_CONFIGURATION_SUCCESS", language, L"O Hintora foi configurado com êxito.");
    Add(L"SETUP_DATA", language, L"Dados de configuração");
    Add(L"SETUP_WAIT", language, L"Aguarde enquanto a instalação é concluída.");
    Add(L"SETUP_REMOVE", language, L"Remover");
    Add(L"SETUP_REMOVE_THEN_UPGRADE", language, L"A versão instalada do Hintora tem de ser removida antes de poder ser atualizada.");
    Add(L"SETUP_REMOVE_BEFORE_DOWNGRADE", language, L"Está instalada uma versão mais recente do Hintora. Remova-a antes de instalar uma versão anterior.");
    Add(L"SETUP_DETECT", language, L"A procurar uma versão instalada do Hintora...");
    Add(L"SETUP_ERROR_COMP", language, L"Falta um componente necessário do Hintora ou não foi possível registá-lo.");
    Add(L"SETUP_RESTART", language, L"Reinicie o browser para concluir a instalação.");
    Add(L"SETUP_BUTTONVISIBLITYWARNING", language, L"Se o botão Hintora não estiver visível, adicione-o à barra de ferramentas do browser.");
    Add(L"SETUP_POPUPBLOCKER", language, L"Permita janelas de pop-up para este site antes de continuar.");
    Add(L"DIAGNOSTICMODE", language, L"Modo de diagnóstico");
    Add(L"POPUPBLOCKER_MESSAGE", language, L"Um bloqueador de pop-ups impediu o Hintora de abrir uma janela. Permita janelas de pop-up para este site.");
    Add(L"GATEWAY_WAIT", language, L"Aguarde...");
    Add(L"GATEWAY_LOAD", language, L"A carregar...");
    Add(L"HINTORA_NO_BHO", language, L"O suplemento Hintora Helper não está disponível ou está desativado.");
    Add(L"COMMON_CLOSE", language, L"Fechar");
    Add(L"COMMON_CANCEL", language, L"Cancelar");
    Add(L"COMMON_OK", language, L"OK");
    Add(L"COMMON_APPLY", language, L"Aplicar");
    Add(L"COMMON_CTRL", language, L"Ctrl");
    Add(L"COMMON_ALT", language, L"Alt");
    Add(L"COMMON_SHIFT", language, L"Shift");
    Add(L"COMMON_ERROR_OCCURED", language, L"Ocorreu um erro inesperado.");
    Add(L"COMMON_ERROR_CODE", language, L"Código de erro:");
    Add(L"COMMON_CONTACT", language, L"Se o problema persistir, contacte o administrador do sistema.");
    Add(L"HINTORA_OPTIONS_TITLE", language, L"Opções");
    Add(L"HINTORA_OPTIONS_TAB_LABEL", language, L"Opções do Hintora");
    Add(L"HINTORA_OPTIONS_HOTKEY_LABEL", language, L"Opções da tecla de atalho");
    Add(L"HINTORA_OPTIONS_KEY_LABEL", language, L"Especifique a tecla de atalho para iniciar o Hintora");
    Add(L"HINTORA_OPTIONS_KEY_RESTART", language, L"Reinicie o browser para que as alterações tenham efeito.");
    Add(L"HINTORA_OPTIONS_HOTKEY_WARNING", language, L"Selecione cuidadosamente uma combinação de teclas que não entre em conflito com o browser nem com a aplicação que está a utilizar.");
    Add(L"HINTORA_MESSAGES_NO_CONTENT", language, L"Não existe conteúdo disponível para esta aplicação.");
    Add(L"HINTORA_MESSAGES_TITLE", language, L"Hintora");
    Add(L"HINTORA_MESSAGES_NOTSUPPORTED_PROTOCOL", language, L"O Hintora foi configurado para utilizar um protocolo não suportado ou um URL inválido.");
    Add(L"HINTORA_MESSAGES_RUN_CONFIGURATION", language, L"Volte a configurar o Hintora e tente novamente.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PROTOCOL", language, L"O Hintora só suporta páginas Web com os protocolos http e https.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PLAYER", language, L"O Hintora não suporta esta página Web.");
    Add(L"HINTORA_MESSAGES_WAIT", language, L"Aguarde enquanto o Hintora processa o seu pedido anterior.");
    Add(L"HINTORA_MENUITEM_OPTIONS", language, L"&Opções do Hintora...");
    Add(L"HINTORA_MENUITEM_PREFERENCES", language, L"&Preferências do Dovrane...");
    Add(L"HINTORA_CONTEXTMENUITEM_SEARCH", language, L"&Pesquisar com o Hintora");
    Add(L"SETUP_GET", language, L"Obter o Hintora");
    Add(L"SETUP_UPGRADE", language, L"Atualizar");
    Add(L"SETUP_INSTALL", language, L"Instalar");
    Add(L"SETUP_UPGRADE_TEXT", language, L"Está disponível uma versão mais recente do Hintora. Clique em Atualizar para a instalar.");
    Add(L"SETUP_DETECTED", language, L"O Hintora está instalado neste computador.");
    Add(L"SETUP_CURRENTVERSION", language, L"Versão atual");
    Add(L"SETUP_INSTALLEDVERSION", language, L"Versão instalada");
    Add(L"SETUP_UPTODATE", language, L"O Hintora está atualizado.");
}

// Korean texts of the message catalogue. Every language table adds
// the same 60 keys in the same order.
#include "messages/MessageCatalog.h"

void MessageCatalog::LoadKO() {
    const wchar_t* const language = L"KO";
    Add(L"PRODUCTNAME", language, L"Hintora");
    Add(L"DOV_PRODUCTNAME", language, L"Dovrane");
    Add(L"SETUP_NOTSUPPORTED_PROT", language, L"Hintora 설치 프로그램은 http 및 https 프로토콜을 사용하는 웹 페이지만 지원합니다.");
    Add(L"SETUP_SUPPORTED_BROWSERS", language, L"Hintora는 Internet Explorer만 지원합니다. 이 페이지를 Internet Explorer에서 여십시오.");
    Add(L"SETUP_TITLE", language, L"Hintora 설치");
    Add(L"SETUP_INSTALLATION", language, L"설치");
    Add(L"SETUP_INSTALLATION_FAILED", language, L"Hintora를 설치하지 못했습니다.");
    Add(L"SETUP_INSTALLATION_SUCCESS", language, L"Hintora를 설치했습니다.");
    Add(L"SETUP_CONFIGURATION", language, L"구성");
    Add(L"SETUP_CONFIGURATION_FAILED", language, L"Hintora를 구성하지 못했습니다.");
    Add(L"SETUP_CONFIGURATION_SUCCESS", language, L"Hintora를 구성했습니다.");
    Add(L"SETUP_DATA", language, L"구성 데이터");
    Add(L"SETUP_WAIT", language, L"설치가 완료될 때까지 기다리십시오.");
    Add(L"SETUP_REMOVE", language, L"제거");
    Add(L"SETUP_REMOVE_THEN_UPGRADE", language, L"Hintora를 업그레이드하려면 먼저 설치된 버전을 제거해야 합니다.");
    Add(L"SETUP_REMOVE_BEFORE_DOWNGRADE", language, L"최신 버전의 Hintora가 설치되어 있습니다. 이전 버전을 설치하기 전에 제거하십시오.");
    Add(L"SETUP_DETECT", language, L"설치된 Hintora 버전을 확인하는 중...");
    Add(L"SETUP_ERROR_COMP", language, L"필요한 Hintora 구성 요소가 없거나 등록할 수 없습니다.");
    Add(L"SETUP_RESTART", language, L"설치를 완료하려면 브라우저를 다시 시작하십시오.");
    Add(L"SETUP_BUTTONVISIBLITYWARNING", language, L"Hintora 단추가 보이지 않으면 브라우저 도구 모음에 추가하십시오.");
    Add(L"SETUP_POPUPBLOCKER", language, L"계속하기 전에 이 사이트의 팝업 창을 허용하십시오.");
    Add(L"DIAGNOSTICMODE", language, L"진단 모드");
    Add(L"POPUPBLOCKER_MESSAGE", language, L"팝업 차단으로 인해 Hintora가 창을 열 수 없습니다. 이 사이트의 팝업 창을 허용하십시오.");
    Add(L"GATEWAY_WAIT", language, L"기다려 주십시오...");
    Add(L"GATEWAY_LOAD", language, L"로드하는 중...");
    Add(L"HINTORA_NO_BHO", language, L"Hintora Helper 추가 기능을 사용할 수 없거나 사용하지 않도록 설정되어 있습니다.");
    Add(L"COMMON_CLOSE", language, L"닫기");
    Add(L"COMMON_CANCEL", language, L"취소");
    Add(L"COMMON_OK", language, L"확인");
    Add(L"COMMON_APPLY", language, L"적용");
    Add(L"COMMON_CTRL", language, L"Ctrl");
    Add(L"COMMON_ALT", language, L"Alt");
    Add(L"COMMON_SHIFT", language, L"Shift");
    Add(L"COMMON_ERROR_OCCURED", language, L"예기치 않은 오류가 발생했습니다.");
    Add(L"COMMON_ERROR_CODE", language, L"오류 코드:");
    Add(L"COMMON_CONTACT", language, L"문제가 계속되면 시스템 관리자에게 문의하십시오.");
    Add(L"HINTORA_OPTIONS_TITLE", language, L"옵션");
    Add(L"HINTORA_OPTIONS_TAB_LABEL", language, L"Hintora 옵션");
    Add(L"HINTORA_OPTIONS_HOTKEY_LABEL", language, L"바로 가기 키 옵션");
    Add(L"HINTORA_OPTIONS_KEY_LABEL", language, L"Hintora를 시작할 바로 가기 키 지정");
    Add(L"HINTORA_OPTIONS_KEY_RESTART", language, L"변경 내용을 적용하려면 브라우저를 다시 시작하십시오.");
    Add(L"HINTORA_OPTIONS_HOTKEY_WARNING", language, L"브라우저나 사용 중인 응용 프로그램과 충돌하지 않도록 키 조합을 신중하게 선택하십시오.");
    Add(L"HINTORA_MESSAGES_NO_CONTENT", language, L"이 응용 프로그램에 사용할 수 있는 콘텐츠가 없습니다.");
    Add(L"HINTORA_MESSAGES_TITLE", language, L"Hintora");
    Add(L"HINTORA_MESSAGES_NOTSUPPORTED_PROTOCOL", language, L"Hintora가 지원되지 않는 프로토콜 또는 잘못된 URL을 사용하도록 구성되었습니다.");
    Add(L"HINTORA_MESSAGES_RUN_CONFIGURATION", language, L"Hintora를 다시 구성한 후 다시 시도하십시오.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PROTOCOL", language, L"Hintora는 http 및 https 프로토콜을 사용하는 웹 페이지만 지원합니다.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PLAYER", language, L"Hintora는 이 웹 페이지를 지원하지 않습니다.");
    Add(L"HINTORA_MESSAGES_WAIT", language, L"Hintora가 이전 요청을 처리하는 동안 기다리십시오.");
    Add(L"HINTORA_MENUITEM_OPTIONS", language, L"Hintora 옵션(&O)...");
    Add(L"HINTORA_MENUITEM_PREFERENCES", language, L"Dovrane 기본 설정(&P)...");
    Add(L"HINTORA_CONTEXTMENUITEM_SEARCH", language, L"Hintora로 검색(&S)");
    Add(L"SETUP_GET", language, L"Hintora 받기");
    Add(L"SETUP_UPGRADE", language, L"업그레이드");
    Add(L"SETUP_INSTALL", language, L"설치");
    Add(L"SETUP_UPGRADE_TEXT", language, L"최신 버전의 Hintora를 사용할 수 있습니다. 설치하려면 [업그레이드]를 클릭하십시오.");
    Add(L"SETUP_DETECTED", language, L"이 컴퓨터에 Hintora가 설치되어 있습니다.");
    Add(L"SETUP_CURRENTVERSION", language, L"현재 버전");
    Add(L"SETUP_INSTALLEDVERSION", language, L"설치된 버전");
    Add(L"SETUP_UPTODATE", language, L"Hintora가 최신 상태입니다.");
}

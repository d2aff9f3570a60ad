// Closing the gateway window from the page tab, as far as recognition needs
// it until the help-request code arrives: a running gateway is asked to
// close itself, and no new window is opened.
#include "HintoraIEBHO.h"

#include "Logger.h"
#include "SharedState.h"

void CHintoraIEBHO::CloseGatewayWindow() {
    std::wstring status;
    GetGatewayStatus(status);
    if (status == SharedState::kGatewayRunning) {
        g_logger.Log(L"CHintoraIEBHO::CloseGatewayWindow() signal to gateway to close itself");
        SetGatewayStatus(SharedState::kCloseGateway);
    }
    m_bBlockNewGateway = 0;
}

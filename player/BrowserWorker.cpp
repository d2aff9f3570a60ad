// Interim worker: no browser launch yet, only the idle exit.
#include "BrowserWorker.h"

#include <ctime>

DWORD WINAPI BrowserThreadProc(LPVOID param) {
    auto* host = static_cast<BrowserWorkerHost*>(param);
    for (;;) {
        Sleep(10000);
        LONGLONG idle = static_cast<LONGLONG>(time(nullptr)) - host->LastRequestTime();
        if (idle >= 3600)
            break;
    }
    PostMessageW(host->MainWindow(), WM_QUIT, 0, 0);
    return 0;
}

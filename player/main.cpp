#include "PlayerApp.h"

// The one application object: built before the entry, destroyed after it.
static CQXHttpApp theApp;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    if (!theApp.InitInstance())
        return 0;
    return theApp.Run();
}

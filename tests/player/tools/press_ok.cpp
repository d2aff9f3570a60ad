// Answers a dialog as a user would: waits up to a minute for a top-level
// window whose title is the first argument, then clicks its OK button.
// Exit status 0 when it clicked, 1 when no such window showed.
#include <windows.h>

#include "common/Handles.h"

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    LocalMemory args(argv);
    if (!argv || argc < 2)
        return 2;
    for (int i = 0; i < 600; ++i) {
        HWND dialog = FindWindowW(nullptr, argv[1]);
        HWND ok = dialog ? GetDlgItem(dialog, IDOK) : nullptr;
        if (ok) {
            SendMessageW(ok, BM_CLICK, 0, 0);
            return 0;
        }
        Sleep(100);
    }
    return 1;
}

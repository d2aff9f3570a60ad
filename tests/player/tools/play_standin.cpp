// Stands in for play.exe where a test drives scripts/run-play.sh: it writes
// the lines of the browser stand-in to the file that HINTORA_STANDIN_OUT
// names, as if it had served a browser, and then runs until the test lets
// it end. Arguments (after those that run-play.sh passes itself):
//   /leave=PATH    starts the program PATH (a Unix one: wine runs it apart
//                  from its server, which does not end it)
//   /end-when=PATH once the file PATH exists, waits half a second, writes PATH
//                  with ".ended" appended and ends
// Without /end-when it never ends by itself.
#include <windows.h>

#include <cstring>
#include <string>

#include "common/Handles.h"

namespace {

void Append(const wchar_t* path, const char* text) {
    FileHandle file(CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return;
    DWORD written = 0;
    WriteFile(file.Get(), text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    LocalMemory args(argv);
    std::wstring leave, endWhen;
    for (int i = 1; argv && i < argc; ++i) {
        std::wstring arg = argv[i];
        if (arg.rfind(L"/leave=", 0) == 0)
            leave = arg.substr(7);
        else if (arg.rfind(L"/end-when=", 0) == 0)
            endWhen = arg.substr(10);
    }

    if (!leave.empty()) {
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        if (CreateProcessW(nullptr, &leave[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            KernelHandle thread(pi.hThread), process(pi.hProcess);
        }
    }

    wchar_t out[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"HINTORA_STANDIN_OUT", out, MAX_PATH) != 0)
        Append(out,
               "browser stand-in: asked to open http://localhost:9/\r\n"
               "browser stand-in: fetched it once: (a stand-in player)\r\n");

    if (endWhen.empty()) {
        Sleep(INFINITE);
        return 0;
    }
    while (GetFileAttributesW(endWhen.c_str()) == INVALID_FILE_ATTRIBUTES)
        Sleep(50);
    Sleep(500);
    Append((endWhen + L".ended").c_str(), "ended\r\n");
    return 0;
}

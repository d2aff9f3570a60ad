#pragma once
// What the helper object's tests share: the shared block and events as a
// tab sees them, the thread's message loop, and a second run of this test
// program as the other tab.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "helper/HintoraIEBHO.h"
#include "helper/SharedState.h"
#include "ImportPatch.h"

inline std::unique_ptr<SharedStateBlock> ReadBlock() {
    auto block = SharedState::NewBlock();
    EXPECT_TRUE(SharedState::ReadFromSharedMemory(*block));
    return block;
}

// The busy flag; a block that cannot be read fails the test.
inline BOOL Busy() {
    return ReadBlock()->busy;
}

inline bool Signalled(HANDLE event) {
    return WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
}

inline bool Signalled(const wchar_t* eventName) {
    return Signalled(SharedState::GetEvent(eventName, FALSE));
}

// Takes every pending signal of an auto-reset event.
inline void Drain(HANDLE event) {
    while (Signalled(event)) {
    }
}

inline void Drain(const wchar_t* eventName) {
    Drain(SharedState::GetEvent(eventName, FALSE));
}

inline void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Pumps the thread's messages (and so its timers) until the condition holds
// or the time is up; true when the condition held.
inline bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= milliseconds)
            return false;
        Pump();
        Sleep(5);
    }
    return true;
}

inline void PumpFor(DWORD milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

// An address or argument as the page gets it, escapes undone.
inline std::wstring Unescape(const std::wstring& text) {
    std::wstring copy = text;
    DWORD length = static_cast<DWORD>(copy.size() + 1);
    UrlUnescapeW(&copy[0], nullptr, &length, URL_UNESCAPE_INPLACE);
    return std::wstring(copy.c_str());
}

// The other tab: this test program run again with one disabled test
// switched on. Such a test runs only where IsPeer() holds.
inline bool IsPeer() {
    wchar_t value[4];
    return GetEnvironmentVariableW(L"HINTORA_PEER", value, 4) > 0;
}

inline HANDLE StartPeer(const wchar_t* test) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command =
        L"\"" + std::wstring(self) + L"\" --gtest_also_run_disabled_tests --gtest_filter=" + test;
    SetEnvironmentVariableW(L"HINTORA_PEER", L"1");
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    BOOL started = CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                  &process);
    SetEnvironmentVariableW(L"HINTORA_PEER", nullptr);
    if (!started)
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

// Waits for the peer while this thread's timers keep running; its exit
// code, or 0xFFFFFFFF when it had to be stopped. Closes the handle.
inline DWORD FinishPeer(HANDLE peer, DWORD milliseconds) {
    if (!peer)
        return 0xFFFFFFFF;
    bool ended = PumpUntil([&] { return Signalled(peer); }, milliseconds);
    DWORD code = 0xFFFFFFFF;
    if (ended)
        GetExitCodeProcess(peer, &code);
    else
        TerminateProcess(peer, 1);
    CloseHandle(peer);
    return code;
}

// Records the period of every thread timer the library starts while it
// lives.
class TimerRecorder {
public:
    TimerRecorder() : m_patch("SetTimer", reinterpret_cast<void*>(&Record)) {
        Periods().clear();
        s_original = m_patch.Original<SetTimerFunction>();
    }

    bool Active() const { return m_patch.Active(); }
    // The periods with which timers of this procedure were started, in order.
    static std::vector<UINT> PeriodsOf(TIMERPROC procedure) {
        std::vector<UINT> periods;
        for (const auto& start : Periods())
            if (start.first == procedure)
                periods.push_back(start.second);
        return periods;
    }

private:
    using SetTimerFunction = UINT_PTR(WINAPI*)(HWND, UINT_PTR, UINT, TIMERPROC);

    static std::vector<std::pair<TIMERPROC, UINT>>& Periods() {
        static std::vector<std::pair<TIMERPROC, UINT>> periods;
        return periods;
    }
    static UINT_PTR WINAPI Record(HWND window, UINT_PTR id, UINT period, TIMERPROC procedure) {
        Periods().emplace_back(procedure, period);
        return s_original(window, id, period, procedure);
    }

    static inline SetTimerFunction s_original = nullptr;
    ImportPatch m_patch;
};

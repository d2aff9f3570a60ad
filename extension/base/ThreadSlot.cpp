#include "base/ThreadSlot.h"

#include <cwctype>

namespace {
DWORD g_dwSlot = TLS_OUT_OF_INDEXES;
}

bool ThreadBhoSlot::IsBrowserHostPath(const std::wstring& hostPath) {
    std::wstring lower = hostPath;
    for (auto& c : lower)
        c = static_cast<wchar_t>(towlower(c));
    return lower.find(L"iexplore.exe") != std::wstring::npos;
}

bool ThreadBhoSlot::AllocateForHost() {
    if (g_dwSlot != TLS_OUT_OF_INDEXES)
        return true;
    wchar_t path[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        path[MAX_PATH] = L'\0';
    if (!IsBrowserHostPath(path))
        return false;
    g_dwSlot = TlsAlloc();
    return g_dwSlot != TLS_OUT_OF_INDEXES;
}

void ThreadBhoSlot::Free() {
    if (g_dwSlot == TLS_OUT_OF_INDEXES)
        return;
    TlsFree(g_dwSlot);
    g_dwSlot = TLS_OUT_OF_INDEXES;
}

bool ThreadBhoSlot::IsAllocated() {
    return g_dwSlot != TLS_OUT_OF_INDEXES;
}

DWORD ThreadBhoSlot::Index() {
    return g_dwSlot;
}

CHintoraIEBHO* ThreadBhoSlot::Get() {
    if (g_dwSlot == TLS_OUT_OF_INDEXES)
        return nullptr;
    return static_cast<CHintoraIEBHO*>(TlsGetValue(g_dwSlot));
}

bool ThreadBhoSlot::Set(CHintoraIEBHO* bho) {
    if (g_dwSlot == TLS_OUT_OF_INDEXES)
        return false;
    return TlsSetValue(g_dwSlot, bho) != FALSE;
}

#pragma once
#include <windows.h>

#include <string>

class CHintoraIEBHO;

// The one thread-local slot of the process. On a browser tab thread it holds
// that thread's helper object (a plain pointer, no reference), so the toolbar
// and options objects, the keyboard hook and the timer procedures of the
// thread can find it.
class ThreadBhoSlot {
public:
    // True when the program path names Internet Explorer ("iexplore.exe",
    // any case, anywhere in the path).
    static bool IsBrowserHostPath(const std::wstring& hostPath);
    // Allocates the slot when the running program is Internet Explorer.
    // Called on process attach; returns whether a slot exists afterwards.
    static bool AllocateForHost();
    // Frees the slot when AllocateForHost allocated it (process detach).
    static void Free();

    static bool IsAllocated();
    // TLS_OUT_OF_INDEXES while no slot exists.
    static DWORD Index();

    // The calling thread's helper object, or null.
    static CHintoraIEBHO* Get();
    // Stores a value for the calling thread; false when there is no slot.
    static bool Set(CHintoraIEBHO* bho);
};

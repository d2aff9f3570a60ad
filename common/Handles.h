#pragma once
// Owners of what the system hands out: handles, mapped views, registry keys
// and a lock, for the library and the player alike. Each one closes what it
// holds when it goes, so that no early return forgets a close. (The player's
// sockets have their traits beside its socket class.)
#include <windows.h>

// One owner for every kind of handle; Traits names the handle's type, the
// value that means "none" and how a handle is closed.
template <typename Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() : m_value(Traits::None()) {}
    explicit UniqueHandle(Type value) : m_value(value) {}
    UniqueHandle(UniqueHandle&& other) noexcept : m_value(other.Detach()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other)
            Reset(other.Detach());
        return *this;
    }
    ~UniqueHandle() { Reset(); }

    Type Get() const { return m_value; }
    bool Valid() const { return m_value != Traits::None(); }
    explicit operator bool() const { return Valid(); }
    // Closes the handle held, if any, and holds value instead.
    void Reset(Type value = Traits::None()) {
        if (Valid())
            Traits::Close(m_value);
        m_value = value;
    }
    // Gives the handle up without closing it.
    Type Detach() {
        Type value = m_value;
        m_value = Traits::None();
        return value;
    }
    // For functions that hand a handle back through a pointer.
    Type* Out() {
        Reset();
        return &m_value;
    }

private:
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Type m_value;
};

// Processes, threads and tokens: "none" is null.
struct KernelHandleTraits {
    using Type = HANDLE;
    static HANDLE None() { return nullptr; }
    static void Close(HANDLE handle) { CloseHandle(handle); }
};

// Files from CreateFileW: "none" is INVALID_HANDLE_VALUE.
struct FileHandleTraits {
    using Type = HANDLE;
    static HANDLE None() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) { CloseHandle(handle); }
};

// Views from MapViewOfFile.
struct MappedViewTraits {
    using Type = void*;
    static void* None() { return nullptr; }
    static void Close(void* view) { UnmapViewOfFile(view); }
};

struct RegistryKeyTraits {
    using Type = HKEY;
    static HKEY None() { return nullptr; }
    static void Close(HKEY key) { RegCloseKey(key); }
};

using KernelHandle = UniqueHandle<KernelHandleTraits>;
using FileHandle = UniqueHandle<FileHandleTraits>;
// Memory that LocalFree frees: what FormatMessage, SetEntriesInAcl and the
// security-descriptor conversions allocate for their caller.
struct LocalMemoryTraits {
    using Type = HLOCAL;
    static HLOCAL None() { return nullptr; }
    static void Close(HLOCAL memory) { LocalFree(memory); }
};

// Global memory until a stream takes it over.
struct GlobalMemoryTraits {
    using Type = HGLOBAL;
    static HGLOBAL None() { return nullptr; }
    static void Close(HGLOBAL memory) { GlobalFree(memory); }
};

// A reference on a loaded library.
struct LibraryTraits {
    using Type = HMODULE;
    static HMODULE None() { return nullptr; }
    static void Close(HMODULE module) { FreeLibrary(module); }
};

// A security identifier from AllocateAndInitializeSid.
struct SidTraits {
    using Type = PSID;
    static PSID None() { return nullptr; }
    static void Close(PSID sid) { FreeSid(sid); }
};

using MappedView = UniqueHandle<MappedViewTraits>;
using LocalMemory = UniqueHandle<LocalMemoryTraits>;
using GlobalMemory = UniqueHandle<GlobalMemoryTraits>;
using LibraryReference = UniqueHandle<LibraryTraits>;
using AllocatedSid = UniqueHandle<SidTraits>;
using RegistryKey = UniqueHandle<RegistryKeyTraits>;

// The key opened with the given access; none when it cannot be opened.
inline RegistryKey OpenRegistryKey(HKEY root, const wchar_t* path, REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, access, &key) != ERROR_SUCCESS)
        return RegistryKey();
    return RegistryKey(key);
}

// A critical section that lives as long as its owner; Lock holds it for a
// scope.
class CriticalSection {
public:
    CriticalSection() { InitializeCriticalSection(&m_section); }
    ~CriticalSection() { DeleteCriticalSection(&m_section); }

    class Lock {
    public:
        explicit Lock(CriticalSection& section) : m_section(section) { EnterCriticalSection(&m_section.m_section); }
        ~Lock() { LeaveCriticalSection(&m_section.m_section); }

    private:
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;
        CriticalSection& m_section;
    };

private:
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    CRITICAL_SECTION m_section;
};

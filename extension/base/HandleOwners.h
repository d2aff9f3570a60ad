#pragma once
// The library's owners of kernel handles and mapped views: each one closes
// what it holds when it goes, so no code closes one by hand.
#include <windows.h>

template <class Traits>
class UniqueOwner {
public:
    using Type = typename Traits::Type;

    UniqueOwner() = default;
    explicit UniqueOwner(Type value) : m_value(value) {}
    ~UniqueOwner() { Reset(); }
    UniqueOwner(const UniqueOwner&) = delete;
    UniqueOwner& operator=(const UniqueOwner&) = delete;
    UniqueOwner(UniqueOwner&& other) noexcept : m_value(other.Detach()) {}
    UniqueOwner& operator=(UniqueOwner&& other) noexcept {
        if (this != &other)
            Reset(other.Detach());
        return *this;
    }

    Type get() const { return m_value; }
    explicit operator bool() const { return m_value != nullptr; }
    void Reset(Type value = nullptr) {
        if (m_value && m_value != value)
            Traits::Close(m_value);
        m_value = value;
    }
    // Hands the value to a caller that closes it.
    Type Detach() {
        Type value = m_value;
        m_value = nullptr;
        return value;
    }

private:
    Type m_value = nullptr;
};

struct KernelHandleTraits {
    using Type = HANDLE;
    static void Close(HANDLE handle) { CloseHandle(handle); }
};

struct MappedViewTraits {
    using Type = void*;
    static void Close(void* view) { UnmapViewOfFile(view); }
};

// A handle of an event, a file mapping, a process...: null means none.
using UniqueHandle = UniqueOwner<KernelHandleTraits>;
// A view from MapViewOfFile.
using MappedView = UniqueOwner<MappedViewTraits>;

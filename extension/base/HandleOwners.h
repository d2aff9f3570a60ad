#pragma once
// The library's owner of kernel handles that CloseHandle frees, so no code
// closes one by hand.
#include <windows.h>

class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : m_handle(handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.Detach()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other)
            Reset(other.Detach());
        return *this;
    }

    HANDLE Get() const { return m_handle; }
    // Creation functions fail with either null or INVALID_HANDLE_VALUE.
    explicit operator bool() const { return m_handle && m_handle != INVALID_HANDLE_VALUE; }
    void Reset(HANDLE handle = nullptr) {
        if (*this && handle != m_handle)
            CloseHandle(m_handle);
        m_handle = handle;
    }
    // Hands the handle to a caller that closes it.
    HANDLE Detach() {
        HANDLE handle = m_handle;
        m_handle = nullptr;
        return handle;
    }

private:
    HANDLE m_handle = nullptr;
};

// A view of a file mapping that UnmapViewOfFile frees.
class MappedView {
public:
    explicit MappedView(void* view) : m_view(view) {}
    ~MappedView() {
        if (m_view)
            UnmapViewOfFile(m_view);
    }
    MappedView(const MappedView&) = delete;
    MappedView& operator=(const MappedView&) = delete;

    void* Get() const { return m_view; }
    explicit operator bool() const { return m_view != nullptr; }

private:
    void* m_view;
};

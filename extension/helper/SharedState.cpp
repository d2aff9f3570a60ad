#include "helper/SharedState.h"

#include "base/Logger.h"
#include "base/LowIntegrity.h"
#include "helper/HintoraIEBHO.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>

namespace SharedState {

const wchar_t kMappingName[] = L"Hintora_SharedMemoryMapping";
const wchar_t kGatewayReadyEvent[] = L"Hintora_GatewayReady";
const wchar_t kBrowserContextReadyEvent[] = L"Hintora_BrowserContextReady";
const wchar_t kGatewayOpening[] = L"Hintora_GatewayOpening";
const wchar_t kGatewayRunning[] = L"Hintora_GatewayRunning";
const wchar_t kCloseGateway[] = L"Hintora_CloseGateway";
const wchar_t kGatewayClosed[] = L"Hintora_GatewayClosed";

namespace {

bool IsHighSurrogate(WCHAR c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

// Length of a cut to at most `limit` units that keeps surrogate pairs whole.
size_t CutLength(const WCHAR* text, size_t length, size_t limit) {
    if (length <= limit)
        return length;
    size_t cut = limit;
    if (cut > 0 && IsHighSurrogate(text[cut - 1]))
        --cut;
    return cut;
}

}  // namespace

void CopyToField(WCHAR* field, size_t capacity, const std::wstring& text) {
    if (capacity == 0)
        return;
    size_t length = CutLength(text.data(), text.size(), capacity - 1);
    if (length)
        memcpy(field, text.data(), length * sizeof(WCHAR));
    field[length] = L'\0';
}

std::wstring ReadField(const WCHAR* field, size_t capacity) {
    size_t length = 0;
    while (length < capacity && field[length] != L'\0')
        ++length;
    // An unterminated field ends where the field ends; drop a high surrogate
    // whose partner would lie outside it.
    if (length == capacity && length > 0 && IsHighSurrogate(field[length - 1]))
        --length;
    return std::wstring(field, length);
}

}  // namespace SharedState

namespace {

std::mutex g_sharedLock;
HANDLE g_hMapping = nullptr;
std::map<std::wstring, HANDLE> g_events;

const wchar_t* TrueFalse(BOOL value) {
    return value ? L"TRUE" : L"FALSE";
}

}  // namespace

HANDLE OpenSharedMemoryMapping() {
    std::lock_guard<std::mutex> guard(g_sharedLock);
    if (g_hMapping)
        return g_hMapping;

    SetLastError(ERROR_SUCCESS);
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        SharedState::kMappingSize, SharedState::kMappingName);
    DWORD error = GetLastError();
    if (mapping && error == ERROR_SUCCESS) {
        SetLowIntegrityLabelOnKernelObject(SharedState::kMappingName);
        g_hMapping = mapping;
        return g_hMapping;
    }
    if (mapping)
        CloseHandle(mapping);
    mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, SharedState::kMappingName);
    if (mapping) {
        SetLowIntegrityLabelOnKernelObject(SharedState::kMappingName);
        g_hMapping = mapping;
    }
    return g_hMapping;
}

bool CHintoraIEBHO::WriteToSharedMemory(const SharedStateBlock& block) {
    HANDLE mapping = OpenSharedMemoryMapping();
    if (!mapping) {
        g_logger.Log(L"CHintoraIEBHO::WriteToSharedMemory() - couldn't access shared memory");
        return false;
    }
    void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SharedStateBlock));
    if (!view) {
        g_logger.Log(L"CHintoraIEBHO::WriteToSharedMemory() - couldn't get shared memory buffer");
        return false;
    }
    memcpy(view, &block, sizeof(SharedStateBlock));
    UnmapViewOfFile(view);
    return true;
}

bool CHintoraIEBHO::ReadFromSharedMemory(SharedStateBlock& block) {
    HANDLE mapping = OpenSharedMemoryMapping();
    if (!mapping) {
        g_logger.Log(L"CHintoraIEBHO::ReadFromSharedMemory() - couldn't access shared memory");
        return false;
    }
    void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SharedStateBlock));
    if (!view) {
        g_logger.Log(L"CHintoraIEBHO::ReadFromSharedMemory() - couldn't get shared memory buffer");
        return false;
    }
    memcpy(&block, view, sizeof(SharedStateBlock));
    UnmapViewOfFile(view);
    return true;
}

// The block is too large for the stack of a browser thread: copies live on
// the heap.
static std::unique_ptr<SharedStateBlock> NewBlock() {
    return std::unique_ptr<SharedStateBlock>(new SharedStateBlock());
}

bool CHintoraIEBHO::SetGatewayStatus(const std::wstring& status) {
    auto block = NewBlock();
    if (!ReadFromSharedMemory(*block)) {
        g_logger.Log(L"CHintoraIEBHO::SetGatewayStatus() -> status: %s %s", status.c_str(), L"not set (ERROR)");
        return false;
    }
    SharedState::CopyToField(block->gatewayStatus, status);
    bool written = WriteToSharedMemory(*block);
    g_logger.Log(L"CHintoraIEBHO::SetGatewayStatus() -> status: %s %s", status.c_str(),
                 written ? L"set" : L"not set (ERROR)");
    return written;
}

bool CHintoraIEBHO::GetGatewayStatus(std::wstring& status) {
    auto block = NewBlock();
    if (!ReadFromSharedMemory(*block))
        return false;
    status = SharedState::ReadField(block->gatewayStatus);
    return true;
}

void CHintoraIEBHO::ClearBrowserContext() {
    auto block = NewBlock();
    bool cleared = false;
    if (ReadFromSharedMemory(*block)) {
        block->application[0] = L'\0';
        block->type[0] = L'\0';
        block->searchExpression[0] = L'\0';
        block->contextList[0] = L'\0';
        block->defaults[0] = L'\0';
        cleared = WriteToSharedMemory(*block);
    }
    g_logger.Log(L"CHintoraIEBHO::ClearBrowserContext() -> cleared: %s", cleared ? L"successfully" : L"NOT");
}

void CHintoraIEBHO::SetBusyState(BOOL state) {
    try {
        auto block = NewBlock();
        if (!ReadFromSharedMemory(*block)) {
            g_logger.Log(L"CHintoraIEBHO::SetBusyState() -> state: %s (written: %s)", TrueFalse(state), L"failure");
            return;
        }
        g_logger.Log(L"CHintoraIEBHO::SetBusyState() -> read state: %s (read: %s)", TrueFalse(block->busy),
                     L"success");
        block->busy = state ? 1 : 0;
        bool written = WriteToSharedMemory(*block);
        g_logger.Log(L"CHintoraIEBHO::SetBusyState() -> state: %s (written: %s)", TrueFalse(state),
                     written ? L"success" : L"failure");
    } catch (...) {
        g_logger.LogError(L"CHintoraIEBHO::SetBusyState() exception", GetLastError(), true);
    }
}

void CHintoraIEBHO::GetBusyState(BOOL& state) {
    try {
        auto block = NewBlock();
        bool read = ReadFromSharedMemory(*block);
        if (read)
            state = block->busy;
        g_logger.Log(L"CHintoraIEBHO::GetBusyState() -> state: %s (%s)", TrueFalse(state),
                     read ? L"success" : L"failure");
    } catch (...) {
        g_logger.LogError(L"CHintoraIEBHO::GetBusyState() exception", GetLastError(), true);
    }
}

HANDLE CHintoraIEBHO::GetEvent(const std::wstring& name, BOOL manualReset) {
    HANDLE event = nullptr;
    DWORD error = ERROR_SUCCESS;
    {
        std::lock_guard<std::mutex> guard(g_sharedLock);
        auto kept = g_events.find(name);
        if (kept != g_events.end())
            return kept->second;

        SetLowIntegrityLabelOnKernelObject(name);
        SetLastError(ERROR_SUCCESS);
        event = CreateEventW(nullptr, manualReset, FALSE, name.c_str());
        error = GetLastError();
        SetLowIntegrityLabelOnKernelObject(name);
        // The process keeps one handle per name, so a pending signal
        // outlives the tab that set it.
        if (event)
            g_events[name] = event;
    }
    // Writing a trace line may dispatch messages, and a timer reaching the
    // shared state from there would wait on the lock forever.
    g_logger.Log(L"CHintoraIEBHO::GetEvent() -> event name: %s, event: [%08IX], error code: %d", name.c_str(),
                 reinterpret_cast<UINT_PTR>(event), static_cast<int>(error));
    return event;
}

#include "helper/SharedState.h"

#include "base/Logger.h"
#include "base/LowIntegrity.h"
#include "common/Handles.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

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

namespace {

// The process keeps its handles to the mapping and the events until it ends,
// past an unload of the library too: a pending signal and the block's
// content must outlive the tabs that wrote them. So the holder is never freed.
struct ProcessHandles {
    std::mutex lock;
    KernelHandle mapping;
    std::map<std::wstring, KernelHandle> events;
};

ProcessHandles& Handles() {
    static ProcessHandles* handles = new ProcessHandles();
    return *handles;
}

const wchar_t* TrueFalse(BOOL value) {
    return value ? L"TRUE" : L"FALSE";
}

}  // namespace

HANDLE OpenSharedMemoryMapping() {
    ProcessHandles& handles = Handles();
    std::lock_guard<std::mutex> guard(handles.lock);
    if (handles.mapping)
        return handles.mapping.Get();

    SetLastError(ERROR_SUCCESS);
    KernelHandle mapping(
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kMappingSize, kMappingName));
    DWORD error = GetLastError();
    if (mapping && error == ERROR_SUCCESS) {
        SetLowIntegrityLabelOnKernelObject(kMappingName);
        handles.mapping = std::move(mapping);
        return handles.mapping.Get();
    }
    mapping.Reset();
    mapping.Reset(OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, kMappingName));
    if (mapping) {
        SetLowIntegrityLabelOnKernelObject(kMappingName);
        handles.mapping = std::move(mapping);
    }
    return handles.mapping.Get();
}

std::unique_ptr<SharedStateBlock> NewBlock() {
    return std::make_unique<SharedStateBlock>();
}

void ClearContextFields(SharedStateBlock& block) {
    block.application[0] = L'\0';
    block.type[0] = L'\0';
    block.searchExpression[0] = L'\0';
    block.contextList[0] = L'\0';
    block.defaults[0] = L'\0';
}

namespace {

// True when every page of the range is committed and can be read and
// written. A copy into or out of a page that is not would raise an access
// violation in the browser's tab, which no C++ handler stops.
bool PagesUsable(const void* start, size_t size) {
    const BYTE* page = static_cast<const BYTE*>(start);
    const BYTE* end = page + size;
    while (page < end) {
        MEMORY_BASIC_INFORMATION region;
        if (VirtualQuery(page, &region, sizeof(region)) == 0 || region.State != MEM_COMMIT)
            return false;
        if (region.Protect & (PAGE_GUARD | PAGE_NOACCESS))
            return false;
        DWORD access = region.Protect & 0xFF;
        if (access != PAGE_READWRITE && access != PAGE_WRITECOPY && access != PAGE_EXECUTE_READWRITE &&
            access != PAGE_EXECUTE_WRITECOPY)
            return false;
        page = static_cast<const BYTE*>(region.BaseAddress) + region.RegionSize;
    }
    return true;
}

// A view of the whole block, or none. Another program may have made the
// mapping first under the same name: as a reserved section whose pages were
// never committed, or too small for the block. Such a view is as unusable as
// one that cannot be mapped.
MappedView MapBlock(HANDLE mapping) {
    MappedView view(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SharedStateBlock)));
    if (view && !PagesUsable(view.Get(), sizeof(SharedStateBlock)))
        view.Reset();
    return view;
}

}  // namespace

bool WriteToSharedMemory(const SharedStateBlock& block) {
    HANDLE mapping = OpenSharedMemoryMapping();
    if (!mapping) {
        g_logger.Log(L"CHintoraIEBHO::WriteToSharedMemory() - couldn't access shared memory");
        return false;
    }
    MappedView view = MapBlock(mapping);
    if (!view) {
        g_logger.Log(L"CHintoraIEBHO::WriteToSharedMemory() - couldn't get shared memory buffer");
        return false;
    }
    memcpy(view.Get(), &block, sizeof(SharedStateBlock));
    return true;
}

bool ReadFromSharedMemory(SharedStateBlock& block) {
    HANDLE mapping = OpenSharedMemoryMapping();
    if (!mapping) {
        g_logger.Log(L"CHintoraIEBHO::ReadFromSharedMemory() - couldn't access shared memory");
        return false;
    }
    MappedView view = MapBlock(mapping);
    if (!view) {
        g_logger.Log(L"CHintoraIEBHO::ReadFromSharedMemory() - couldn't get shared memory buffer");
        return false;
    }
    memcpy(&block, view.Get(), sizeof(SharedStateBlock));
    return true;
}

bool SetGatewayStatus(const std::wstring& status) {
    auto block = NewBlock();
    if (!ReadFromSharedMemory(*block)) {
        g_logger.Log(L"CHintoraIEBHO::SetGatewayStatus() -> status: %s %s", status.c_str(), L"not set (ERROR)");
        return false;
    }
    CopyToField(block->gatewayStatus, status);
    bool written = WriteToSharedMemory(*block);
    g_logger.Log(L"CHintoraIEBHO::SetGatewayStatus() -> status: %s %s", status.c_str(),
                 written ? L"set" : L"not set (ERROR)");
    return written;
}

bool GetGatewayStatus(std::wstring& status) {
    auto block = NewBlock();
    if (!ReadFromSharedMemory(*block))
        return false;
    status = ReadField(block->gatewayStatus);
    return true;
}

void ClearBrowserContext() {
    auto block = NewBlock();
    bool cleared = false;
    if (ReadFromSharedMemory(*block)) {
        ClearContextFields(*block);
        cleared = WriteToSharedMemory(*block);
    }
    g_logger.Log(L"CHintoraIEBHO::ClearBrowserContext() -> cleared: %s", cleared ? L"successfully" : L"NOT");
}

void SetBusyState(BOOL state) {
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

void GetBusyState(BOOL& state) {
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

HANDLE GetEvent(const std::wstring& name, BOOL manualReset) {
    HANDLE event = nullptr;
    DWORD error = ERROR_SUCCESS;
    {
        ProcessHandles& handles = Handles();
        std::lock_guard<std::mutex> guard(handles.lock);
        auto kept = handles.events.find(name);
        if (kept != handles.events.end())
            return kept->second.Get();

        SetLowIntegrityLabelOnKernelObject(name);
        SetLastError(ERROR_SUCCESS);
        KernelHandle created(CreateEventW(nullptr, manualReset, FALSE, name.c_str()));
        error = GetLastError();
        SetLowIntegrityLabelOnKernelObject(name);
        // The process keeps one handle per name, so a pending signal
        // outlives the tab that set it.
        event = created.Get();
        if (created)
            handles.events[name] = std::move(created);
    }
    // Writing a trace line may dispatch messages, and a timer reaching the
    // shared state from there would wait on the lock forever.
    g_logger.Log(L"CHintoraIEBHO::GetEvent() -> event name: %s, event: [%08IX], error code: %d", name.c_str(),
                 reinterpret_cast<UINT_PTR>(event), static_cast<int>(error));
    return event;
}

}  // namespace SharedState

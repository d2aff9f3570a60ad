#pragma once
#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>

// The record that browser tabs of every process exchange through one named
// file mapping. The layout is a format between processes (32-bit and 64-bit
// browsers alike): fixed-size fields, no padding, never reordered.
struct SharedStateBlock {
    LONG busy;
    WCHAR gatewayStatus[1024];
    WCHAR disabledApplicationList[32768];
    WCHAR configuredApplicationList[32768];
    WCHAR application[1024];
    WCHAR type[1024];
    WCHAR searchExpression[1024];
    WCHAR contextList[32768];
    WCHAR defaults[1024];
};

static_assert(offsetof(SharedStateBlock, busy) == 0, "busy flag offset");
static_assert(offsetof(SharedStateBlock, gatewayStatus) == 4, "gateway status offset");
static_assert(offsetof(SharedStateBlock, disabledApplicationList) == 2052, "disabled list offset");
static_assert(offsetof(SharedStateBlock, configuredApplicationList) == 67588, "configured list offset");
static_assert(offsetof(SharedStateBlock, application) == 133124, "Application offset");
static_assert(offsetof(SharedStateBlock, type) == 135172, "Type offset");
static_assert(offsetof(SharedStateBlock, searchExpression) == 137220, "SearchExpression offset");
static_assert(offsetof(SharedStateBlock, contextList) == 139268, "ContextList offset");
static_assert(offsetof(SharedStateBlock, defaults) == 204804, "Defaults offset");
static_assert(sizeof(SharedStateBlock) == 206852, "block size");

namespace SharedState {

extern const wchar_t kMappingName[];
const DWORD kMappingSize = 0x2000000;

extern const wchar_t kGatewayReadyEvent[];
extern const wchar_t kBrowserContextReadyEvent[];

extern const wchar_t kGatewayOpening[];
extern const wchar_t kGatewayRunning[];
extern const wchar_t kCloseGateway[];
extern const wchar_t kGatewayClosed[];

// Copies text into a field of `capacity` units: at most capacity - 1 units and
// the terminator. A cut never leaves half of a surrogate pair behind.
void CopyToField(WCHAR* field, size_t capacity, const std::wstring& text);
// The text of a field up to its terminator, bounded by the field even when
// another process left no terminator in it.
std::wstring ReadField(const WCHAR* field, size_t capacity);

template <size_t N>
void CopyToField(WCHAR (&field)[N], const std::wstring& text) {
    CopyToField(field, N, text);
}
template <size_t N>
std::wstring ReadField(const WCHAR (&field)[N]) {
    return ReadField(field, N);
}

// The process's handle to the mapping, created (and labelled) on first use;
// null when it can neither be created nor opened (a later call tries again).
HANDLE OpenSharedMemoryMapping();

// The block is too large for the stack of a browser thread: copies live on
// the heap.
std::unique_ptr<SharedStateBlock> NewBlock();
// Empties the page tab's context: application, type, search expression,
// context list and defaults.
void ClearContextFields(SharedStateBlock& block);

// The whole block at once; false (with a trace line) when the mapping or a
// view of it cannot be had.
bool WriteToSharedMemory(const SharedStateBlock& block);
bool ReadFromSharedMemory(SharedStateBlock& block);

// Single fields, each read, changed and written back.
bool SetGatewayStatus(const std::wstring& status);
bool GetGatewayStatus(std::wstring& status);
void ClearBrowserContext();
void SetBusyState(BOOL state);
// Leaves the state alone when the block cannot be read.
void GetBusyState(BOOL& state);

// The process's handle to a named event, created (and labelled) on its first
// request; the process keeps it to the end. Null when it cannot be created.
HANDLE GetEvent(const std::wstring& name, BOOL manualReset);

}  // namespace SharedState

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "common/Handles.h"
#include "helper/HintoraIEBHO.h"
#include "helper/SharedState.h"
#include "TabTestSupport.h"
#include "TraceCapture.h"

TEST(SharedState, FirstAccessCreatesAZeroBlock) {
    HANDLE existing = OpenFileMappingW(FILE_MAP_READ, FALSE, SharedState::kMappingName);
    if (existing) {
        CloseHandle(existing);
        GTEST_SKIP() << "another process (or an earlier test of this one) holds the mapping";
    }
    BOOL busy = TRUE;
    SharedState::GetBusyState(busy);
    EXPECT_FALSE(busy);
    std::wstring status = L"unchanged";
    EXPECT_TRUE(SharedState::GetGatewayStatus(status));
    EXPECT_EQ(L"", status);

    auto block = ReadBlock();
    const BYTE* bytes = reinterpret_cast<const BYTE*>(block.get());
    size_t nonZero = 0;
    for (size_t i = 0; i < sizeof(SharedStateBlock); ++i)
        nonZero += bytes[i] != 0;
    EXPECT_EQ(0u, nonZero);
}

// The page tab's side runs here, the gateway tab's side in a second process.
TEST(SharedState, TwoProcessesSeeEachOthersWritesAndConsumeEachSignalOnce) {
    HANDLE ready = SharedState::GetEvent(SharedState::kGatewayReadyEvent, FALSE);
    HANDLE context = SharedState::GetEvent(SharedState::kBrowserContextReadyEvent, FALSE);
    ASSERT_TRUE(ready && context);
    Drain(ready);
    Drain(context);

    SharedState::SetBusyState(TRUE);
    ASSERT_TRUE(SharedState::SetGatewayStatus(SharedState::kGatewayRunning));
    auto block = ReadBlock();
    SharedState::CopyToField(block->disabledApplicationList, L"sap,crm");
    SharedState::CopyToField(block->configuredApplicationList, L"web,mail");
    ASSERT_TRUE(SharedState::WriteToSharedMemory(*block));
    SetEvent(ready);

    ASSERT_EQ(0u, FinishPeer(StartPeer(L"SharedStatePeer.DISABLED_GatewaySide"), 60000));

    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(ready, 0)) << "the peer consumed the ready signal";
    // The peer has ended; its signal is still pending here, exactly once.
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(context, 0));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(context, 0));

    block = ReadBlock();
    EXPECT_EQ(0, block->busy);
    EXPECT_EQ(L"Hintora_GatewayClosed", SharedState::ReadField(block->gatewayStatus));
    EXPECT_EQ(L"web", SharedState::ReadField(block->application));
    EXPECT_EQ(L"quenta", SharedState::ReadField(block->type));
    EXPECT_EQ(L"{\"k\":1}", SharedState::ReadField(block->contextList));
    EXPECT_EQ(L"sap,crm", SharedState::ReadField(block->disabledApplicationList));
}

TEST(SharedStatePeer, DISABLED_GatewaySide) {
    if (!IsPeer())
        GTEST_SKIP() << "runs only as the second process of the test above";
    HANDLE ready = SharedState::GetEvent(SharedState::kGatewayReadyEvent, FALSE);
    HANDLE context = SharedState::GetEvent(SharedState::kBrowserContextReadyEvent, FALSE);
    ASSERT_TRUE(ready && context);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ready, 0));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(ready, 0));

    BOOL busy = FALSE;
    SharedState::GetBusyState(busy);
    EXPECT_TRUE(busy);
    std::wstring status;
    EXPECT_TRUE(SharedState::GetGatewayStatus(status));
    EXPECT_EQ(L"Hintora_GatewayRunning", status);

    auto block = ReadBlock();
    EXPECT_EQ(L"sap,crm", SharedState::ReadField(block->disabledApplicationList));
    EXPECT_EQ(L"web,mail", SharedState::ReadField(block->configuredApplicationList));
    SharedState::CopyToField(block->application, L"web");
    SharedState::CopyToField(block->type, L"quenta");
    SharedState::CopyToField(block->contextList, L"{\"k\":1}");
    ASSERT_TRUE(SharedState::WriteToSharedMemory(*block));
    SharedState::SetGatewayStatus(SharedState::kGatewayClosed);
    SharedState::SetBusyState(FALSE);
    SetEvent(context);
}

// Another program made the mapping first, in a form whose pages this one
// cannot reach, or not all of them; the tab (the second process) must fail
// its accesses, not crash on them.
TEST(SharedState, AMappingWhosePagesCannotBeReachedIsUnusable) {
    struct Kind {
        const char* name;
        DWORD flags;
        DWORD size;
        bool firstPageCommitted;
    } kinds[] = {{"reserved, never committed", SEC_RESERVE, SharedState::kMappingSize, false},
                 {"reserved, only its first page committed", SEC_RESERVE, SharedState::kMappingSize, true},
                 {"smaller than the block", 0, 4096, false}};
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        SetLastError(ERROR_SUCCESS);
        KernelHandle first(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE | kind.flags, 0,
                                              kind.size, SharedState::kMappingName));
        if (GetLastError() == ERROR_ALREADY_EXISTS)
            GTEST_SKIP() << "another process (or an earlier test of this one) holds the mapping";
        ASSERT_TRUE(first);
        MappedView view;
        if (kind.firstPageCommitted) {
            view.Reset(MapViewOfFile(first.Get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SharedStateBlock)));
            ASSERT_TRUE(view);
            SYSTEM_INFO system;
            GetSystemInfo(&system);
            ASSERT_TRUE(VirtualAlloc(view.Get(), system.dwPageSize, MEM_COMMIT, PAGE_READWRITE));
            // The block then begins with one usable page and goes on
            // reserved, and the tab sees it so: a check of the first region
            // alone would let it through.
            MEMORY_BASIC_INFORMATION region;
            ASSERT_NE(0u, VirtualQuery(view.Get(), &region, sizeof(region)));
            ASSERT_EQ(static_cast<DWORD>(MEM_COMMIT), region.State);
            ASSERT_EQ(static_cast<DWORD>(PAGE_READWRITE), region.Protect);
            ASSERT_EQ(static_cast<SIZE_T>(system.dwPageSize), region.RegionSize);
            ASSERT_NE(0u, VirtualQuery(static_cast<BYTE*>(view.Get()) + system.dwPageSize, &region, sizeof(region)));
            ASSERT_EQ(static_cast<DWORD>(MEM_RESERVE), region.State);
        }
        EXPECT_EQ(0u, FinishPeer(StartPeer(L"SharedStatePeer.DISABLED_UnusableMapping"), 60000));
    }
}

TEST(SharedStatePeer, DISABLED_UnusableMapping) {
    if (!IsPeer())
        GTEST_SKIP() << "runs only as the second process of the test above";
    TraceCapture trace;
    auto block = SharedState::NewBlock();
    block->busy = 7;
    EXPECT_FALSE(SharedState::ReadFromSharedMemory(*block));
    EXPECT_EQ(7, block->busy) << "the caller's copy is untouched";
    EXPECT_FALSE(SharedState::WriteToSharedMemory(*block));
    EXPECT_FALSE(SharedState::SetGatewayStatus(SharedState::kGatewayRunning));
    BOOL busy = TRUE;
    SharedState::GetBusyState(busy);
    EXPECT_TRUE(busy);
    EXPECT_TRUE(trace.Has(L"CHintoraIEBHO::ReadFromSharedMemory() - couldn't get shared memory buffer"));
    EXPECT_TRUE(trace.Has(L"CHintoraIEBHO::WriteToSharedMemory() - couldn't get shared memory buffer"));
}

TEST(SharedState, LongTextsAreCutAtTheirFieldAndLeaveTheNextFieldAlone) {
    auto block = ReadBlock();
    SharedState::CopyToField(block->configuredApplicationList, L"next field");
    SharedState::CopyToField(block->disabledApplicationList, std::wstring(40000, L'x'));
    SharedState::CopyToField(block->application, std::wstring(2000, L'a'));
    SharedState::CopyToField(block->type, L"after application");
    ASSERT_TRUE(SharedState::WriteToSharedMemory(*block));

    block = ReadBlock();
    EXPECT_EQ(std::wstring(32767, L'x'), SharedState::ReadField(block->disabledApplicationList));
    EXPECT_EQ(L'\0', block->disabledApplicationList[32767]);
    EXPECT_EQ(L"next field", SharedState::ReadField(block->configuredApplicationList));
    EXPECT_EQ(std::wstring(1023, L'a'), SharedState::ReadField(block->application));
    EXPECT_EQ(L"after application", SharedState::ReadField(block->type));

    // A pair that would straddle the cut is dropped whole.
    std::wstring pair = L"\xD83D\xDE00";
    std::wstring text = std::wstring(32766, L'y') + pair + L"tail";
    SharedState::CopyToField(block->contextList, text);
    EXPECT_EQ(std::wstring(32766, L'y'), SharedState::ReadField(block->contextList));
    SharedState::CopyToField(block->contextList, std::wstring(32765, L'y') + pair + L"tail");
    EXPECT_EQ(std::wstring(32765, L'y') + pair, SharedState::ReadField(block->contextList));
}

TEST(SharedState, ReadsStayInsideAFieldThatLacksItsTerminator) {
    auto block = ReadBlock();
    for (WCHAR& c : block->gatewayStatus)
        c = L'S';
    SharedState::CopyToField(block->disabledApplicationList, L"must not leak into the status");
    ASSERT_TRUE(SharedState::WriteToSharedMemory(*block));

    std::wstring status;
    ASSERT_TRUE(SharedState::GetGatewayStatus(status));
    EXPECT_EQ(std::wstring(1024, L'S'), status);

    block->gatewayStatus[1023] = 0xD83D;  // half a pair at the very end
    EXPECT_EQ(std::wstring(1023, L'S'), SharedState::ReadField(block->gatewayStatus));
}

TEST(SharedState, StatusAndContextWritesTouchOnlyTheirFields) {
    auto block = ReadBlock();
    block->busy = 1;
    SharedState::CopyToField(block->gatewayStatus, L"Hintora_GatewayOpening");
    SharedState::CopyToField(block->disabledApplicationList, L"d");
    SharedState::CopyToField(block->configuredApplicationList, L"c");
    SharedState::CopyToField(block->application, L"app");
    SharedState::CopyToField(block->type, L"nomatch");
    SharedState::CopyToField(block->searchExpression, L"search");
    SharedState::CopyToField(block->contextList, L"[1]");
    SharedState::CopyToField(block->defaults, L"{}");
    ASSERT_TRUE(SharedState::WriteToSharedMemory(*block));

    EXPECT_TRUE(SharedState::SetGatewayStatus(SharedState::kCloseGateway));
    SharedState::ClearBrowserContext();

    block = ReadBlock();
    EXPECT_EQ(1, block->busy);
    EXPECT_EQ(L"Hintora_CloseGateway", SharedState::ReadField(block->gatewayStatus));
    EXPECT_EQ(L"d", SharedState::ReadField(block->disabledApplicationList));
    EXPECT_EQ(L"c", SharedState::ReadField(block->configuredApplicationList));
    for (const WCHAR* field : {block->application, block->type, block->searchExpression, block->contextList,
                               block->defaults})
        EXPECT_EQ(L'\0', field[0]);

    // The flag is stored as 1 or 0 whatever true value is handed in.
    SharedState::SetBusyState(5);
    EXPECT_EQ(1, ReadBlock()->busy);
    SharedState::SetBusyState(FALSE);
    EXPECT_EQ(0, ReadBlock()->busy);
}

TEST(SharedState, AnExistingEventKeepsItsPendingSignal) {
    // Another component of the machine created the event and signalled it.
    HANDLE other = CreateEventW(nullptr, FALSE, FALSE, L"Hintora_GatewayReady");
    ASSERT_TRUE(other);
    HANDLE kept = SharedState::GetEvent(SharedState::kGatewayReadyEvent, FALSE);
    ASSERT_TRUE(kept);
    Drain(kept);
    SetEvent(other);

    EXPECT_EQ(kept, SharedState::GetEvent(SharedState::kGatewayReadyEvent, FALSE));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(kept, 0));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(kept, 0)) << "auto-reset: one wait consumes the signal";

    SetEvent(kept);
    ResetEvent(kept);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(other, 0));
    CloseHandle(other);
}

namespace {

DWORD WINAPI ReachTheMapping(LPVOID) {
    return SharedState::OpenSharedMemoryMapping() ? 0 : 1;
}

}  // namespace

TEST(SharedState, EachNameGetsOneKeptHandleTracedOnceAndOutsideTheLock) {
    // Whatever the trace call lets run meanwhile (here another thread) can
    // still reach the shared state.
    TraceCapture trace;
    std::vector<DWORD> waits;
    std::vector<HANDLE> threads;
    trace.AfterWrite([&] {
        threads.push_back(CreateThread(nullptr, 0, ReachTheMapping, nullptr, 0, nullptr));
        waits.push_back(WaitForSingleObject(threads.back(), 10000));
    });
    std::wstring name = L"Hintora_TestEvent_" + std::to_wstring(GetCurrentProcessId());
    HANDLE event = SharedState::GetEvent(name, FALSE);
    trace.AfterWrite(nullptr);
    // A thread that was kept waiting gets through once the call is over.
    for (HANDLE thread : threads) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    ASSERT_NE(nullptr, event);
    EXPECT_THAT(waits, ::testing::ElementsAre(static_cast<DWORD>(WAIT_OBJECT_0)));

    // Later calls hand out the kept handle: no handle per poll.
    for (int poll = 0; poll < 3; ++poll)
        EXPECT_EQ(event, SharedState::GetEvent(name, FALSE));
    size_t traced = 0;
    for (const std::wstring& line : trace.Lines())
        traced += line.find(L"CHintoraIEBHO::GetEvent() -> event name: " + name) == 0;
    EXPECT_EQ(1u, traced);
    EXPECT_NE(event, SharedState::GetEvent(name + L"_other", FALSE));
}

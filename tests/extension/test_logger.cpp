#include <gtest/gtest.h>

#include "base/Logger.h"
#include "FakeTraceComponent.h"

#include <string>

namespace {

struct TraceOn {
    TraceOn() { g_bTraceMode = 1; }
    ~TraceOn() { g_bTraceMode = 0; }
};

DWORD WINAPI LogFromWorker(LPVOID logger) {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    static_cast<Logger*>(logger)->Log(L"from %s", L"worker");
    CoUninitialize();
    return 0;
}

}  // namespace

TEST(Logger, WritesNothingAndFormatsNothingWhileTracingIsOff) {
    FakeTraceRegistration registration;
    Logger logger;
    ASSERT_EQ(1, logger.ConnectionState());
    g_bTraceMode = 0;
    EXPECT_EQ(L"", logger.Log(L"GetLanguage() - language: %s", L"DE"));
    logger.LogError(L"context", ERROR_ACCESS_DENIED, true);
    EXPECT_TRUE(registration.Component().lines.empty());
}

TEST(Logger, FormatsWideAndNarrowStringsAndNumbers) {
    TraceOn on;
    Logger logger;  // no component registered: formats, sends nothing
    EXPECT_EQ(2, logger.ConnectionState());
    // %s must read a wide string; the narrow-%s trap would print one letter.
    EXPECT_EQ(L"GetLanguage() - language: DE",
              logger.Log(L"GetLanguage() - language: %s", L"DE"));
    EXPECT_EQ(L"narrow [abc] wide [\x00e9t\x00e9]", logger.Log(L"narrow [%hs] wide [%s]", "abc", L"\x00e9t\x00e9"));
    EXPECT_EQ(L"-5 0000002a 0000BEEF 80070057",
              logger.Log(L"%d %08x %08X %08lx", -5, 42, 0xBEEF, 0x80070057UL));
    std::wstring longText(5000, L'x');
    EXPECT_EQ(L"[" + longText + L"]", logger.Log(L"[%s]", longText.c_str()));
}

TEST(Logger, SendsTagAndLineToTheTraceComponent) {
    TraceOn on;
    FakeTraceRegistration registration;
    Logger logger;
    ASSERT_EQ(1, logger.ConnectionState());
    std::wstring line = logger.Log(L"CHintora::GetShortCut() - %s", L"F9");
    EXPECT_EQ(L"CHintora::GetShortCut() - F9", line);
    auto& lines = registration.Component().lines;
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(L"HTIEBHO", lines[0].first);
    EXPECT_EQ(line, lines[0].second);
}

TEST(Logger, ErrorLinesCarryTheSystemTextWithoutLineEnd) {
    TraceOn on;
    FakeTraceRegistration registration;
    Logger logger;
    auto& lines = registration.Component().lines;

    logger.LogError(L"ctx", 0, true);
    EXPECT_TRUE(lines.empty());

    std::wstring accessDenied = Logger::GetErrorMessage(ERROR_ACCESS_DENIED);
    ASSERT_FALSE(accessDenied.empty());
    EXPECT_NE(L'\n', accessDenied.back());
    EXPECT_NE(L'\r', accessDenied.back());
    logger.LogError(L"ctx", ERROR_ACCESS_DENIED, true);
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(L"Error : ctx - " + accessDenied, lines[0].second);

    std::wstring invalidArg = Logger::GetErrorMessage(static_cast<DWORD>(E_INVALIDARG));
    EXPECT_FALSE(invalidArg.empty());
    logger.LogError(L"hr", static_cast<DWORD>(E_INVALIDARG), true);
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(L"Error : hr - " + invalidArg, lines[1].second);

    logger.LogError(L"zero", 0, false);
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(L"Error : zero - " + Logger::GetErrorMessage(0), lines[2].second);

    // A code without system text ends right after the dash and blank.
    logger.LogError(L"none", 0x2FFFFFFF, true);
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ(L"Error : none - ", lines[3].second);
}

TEST(Logger, AFailedConnectionIsNeverRetried) {
    Logger logger;
    ASSERT_EQ(2, logger.ConnectionState());
    FakeTraceRegistration registration;
    EXPECT_EQ(S_OK, logger.ConnectTraceObject());
    EXPECT_EQ(2, logger.ConnectionState());
    TraceOn on;
    logger.Log(L"dropped");
    EXPECT_TRUE(registration.Component().lines.empty());
}

TEST(Logger, ReachesTheComponentFromAnotherThread) {
    TraceOn on;
    FakeTraceRegistration registration;
    Logger logger;
    ASSERT_EQ(1, logger.ConnectionState());
    HANDLE thread = CreateThread(nullptr, 0, LogFromWorker, &logger, 0, nullptr);
    // Pump messages so that a call marshalled into this apartment completes.
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, 10000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
    CloseHandle(thread);
    auto& lines = registration.Component().lines;
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(L"from worker", lines[0].second);
}

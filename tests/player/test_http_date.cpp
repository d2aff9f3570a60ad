#include <gtest/gtest.h>

#include "HttpDate.h"

namespace {

const int64_t kSunNov6 = 784111777;  // Sun, 06 Nov 1994 08:49:37 GMT

TEST(HttpDate, ThreeForms) {
    int64_t t = -1;
    ASSERT_TRUE(ParseHttpDate(L"Sun, 06 Nov 1994 08:49:37 GMT", t));
    EXPECT_EQ(t, kSunNov6);
    t = -1;
    ASSERT_TRUE(ParseHttpDate(L"Sunday, 06-Nov-94 08:49:37 GMT", t));
    EXPECT_EQ(t, kSunNov6);
    t = -1;
    ASSERT_TRUE(ParseHttpDate(L"Sun Nov  6 08:49:37 1994", t));
    EXPECT_EQ(t, kSunNov6);
    ASSERT_TRUE(ParseHttpDate(L"Thursday, 01-Jan-30 00:00:00 GMT", t));
    EXPECT_EQ(t, TimeFromUtcFields(2030, 1, 1, 0, 0, 0));
    // Two-digit years: up to 50 in this century, from 51 in the last.
    ASSERT_TRUE(ParseHttpDate(L"Saturday, 01-Jan-50 00:00:00 GMT", t));
    EXPECT_EQ(t, TimeFromUtcFields(2050, 1, 1, 0, 0, 0));
    ASSERT_TRUE(ParseHttpDate(L"Monday, 01-Jan-51 00:00:00 GMT", t));
    EXPECT_EQ(t, TimeFromUtcFields(1951, 1, 1, 0, 0, 0));
    ASSERT_TRUE(ParseHttpDate(L"sun, 06 NOV 1994 08:49:37 GMT", t));
    EXPECT_EQ(t, kSunNov6);
}

TEST(HttpDate, MalformedTextIsNotADateAndNeverOverreads) {
    int64_t t = 0;
    EXPECT_FALSE(ParseHttpDate(L"", t));
    EXPECT_FALSE(ParseHttpDate(L"ab", t));
    EXPECT_FALSE(ParseHttpDate(L"Sun,", t));
    EXPECT_FALSE(ParseHttpDate(L"Sun, 06 Nov", t));
    EXPECT_FALSE(ParseHttpDate(L"Sun Nov  6 08:49", t));
    EXPECT_FALSE(ParseHttpDate(L"Sunday, 06-Nov-9", t));
    EXPECT_FALSE(ParseHttpDate(L"Sunday 06-Nov-94 08:49:37 GMT", t));
    EXPECT_FALSE(ParseHttpDate(L"Sun, 06 Nov 1994 25:49:37 GMT", t));
    EXPECT_FALSE(ParseHttpDate(L"Sun, 06 Xyz 1994 08:49:37 GMT", t));
    EXPECT_FALSE(ParseHttpDate(L"Sun, 00 Nov 1994 08:49:37 GMT", t));
    EXPECT_FALSE(ParseHttpDate(L"Sun, 06 Nov 0000 08:49:37 GMT", t));
    EXPECT_FALSE(ParseHttpDate(L"Sun, 6  Nov 1994 08:49:37 GMT", t));   // day "6 "
    EXPECT_FALSE(ParseHttpDate(L"Sun, 0: Nov 1994 08:49:37 GMT", t));   // no digits, no date
    EXPECT_FALSE(ParseHttpDate(L"Sun, 06 Nov 1994 08:49:6x GMT", t));
}

TEST(HttpDate, EarlyYearsGiveTimeZero) {
    int64_t t = -1;
    ASSERT_TRUE(ParseHttpDate(L"Mon, 01 Jan 1800 00:00:00 GMT", t));
    EXPECT_EQ(t, 0);
}

TEST(HttpDate, FormatRoundTripsThroughParse) {
    const std::wstring format = L"%a, %d %b %Y %H:%M:%S GMT";
    EXPECT_EQ(FormatHttpDate(format, kSunNov6), L"Sun, 06 Nov 1994 08:49:37 GMT");
    EXPECT_EQ(FormatHttpDate(format, 1796685260), L"Mon, 07 Dec 2026 23:14:20 GMT");
    EXPECT_EQ(FormatHttpDate(format, 0), L"Thu, 01 Jan 1970 00:00:00 GMT");
    EXPECT_EQ(FormatHttpDate(format, -3000000000LL), L"Thu, 01 Jan 1970 00:00:00 GMT");  // before 1900
    EXPECT_EQ(FormatHttpDate(format, 951782400), L"Tue, 29 Feb 2000 00:00:00 GMT");
    for (int64_t t : {int64_t(0), int64_t(951782399), int64_t(1796685260), int64_t(4102444800)}) {
        int64_t back = -1;
        ASSERT_TRUE(ParseHttpDate(FormatHttpDate(format, t), back));
        EXPECT_EQ(back, t);
    }
    EXPECT_EQ(FormatHttpDate(L"%y-%m-%d 100%%", kSunNov6), L"94-11-06 100%");
}

TEST(HttpDate, FileTimesCountFrom1601) {
    const uint64_t kTicksTo1970 = 116444736000000000ULL;
    EXPECT_EQ(UnixTimeFromFileTime(static_cast<uint32_t>(kTicksTo1970 >> 32), static_cast<uint32_t>(kTicksTo1970)),
              0);
    // Both halves count: the low one alone would wrap every 7 minutes.
    const uint64_t ticks = kTicksTo1970 + static_cast<uint64_t>(kSunNov6) * 10000000ULL + 9999999ULL;
    EXPECT_EQ(UnixTimeFromFileTime(static_cast<uint32_t>(ticks >> 32), static_cast<uint32_t>(ticks)), kSunNov6);
}

TEST(HttpDate, MonthNames) {
    EXPECT_EQ(MonthFromName(L"jan"), 1);
    EXPECT_EQ(MonthFromName(L"DEC"), 12);
    EXPECT_EQ(MonthFromName(L"Dec."), 0);
    EXPECT_EQ(MonthFromName(L""), 0);
}

}  // namespace

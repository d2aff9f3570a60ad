#pragma once
// HTTP dates: formatting for "Date"/"Last-Modified" and parsing of
// "If-Modified-Since". Times are seconds since 1970 (UTC). No Windows headers.
#include <cstdint>
#include <string>

// 1-12 for "jan".."dec" in any case, 0 otherwise.
int MonthFromName(const std::wstring& name);

// Reads the RFC 1123, RFC 850 and asctime forms; false when the text is not
// a date. A year from 1 to 1899 gives time zero.
bool ParseHttpDate(const std::wstring& text, int64_t& time);

// Formats with a strftime-like pattern (%a %d %b %Y %y %m %H %M %S %%) using
// English names; a time before 1900 is shown as 1 January 1970.
std::wstring FormatHttpDate(const std::wstring& format, int64_t time);

// A file time (100 ns ticks since 1601, given as its two halves) to seconds
// since 1970.
int64_t UnixTimeFromFileTime(uint32_t high, uint32_t low);

// Civil date to seconds since 1970 and back (proleptic Gregorian, UTC).
int64_t TimeFromUtcFields(int year, int month, int day, int hour, int minute, int second);
void UtcFieldsFromTime(int64_t time, int& year, int& month, int& day, int& hour, int& minute,
                       int& second, int& weekday);

#include "HttpDate.h"

#include <cwchar>

namespace {

const wchar_t* const kMonths[] = {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                  L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};
const wchar_t* const kDays[] = {L"Sun", L"Mon", L"Tue", L"Wed", L"Thu", L"Fri", L"Sat"};

int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

// A fixed-width numeric field: leading blanks skipped, then digits only.
bool ReadField(const std::wstring& text, size_t pos, size_t width, int& value) {
    if (pos + width > text.size())
        return false;
    size_t i = pos, end = pos + width;
    while (i < end && text[i] == L' ')
        ++i;
    if (i == end)
        return false;
    int v = 0;
    for (; i < end; ++i) {
        wchar_t c = text[i];
        if (c < L'0' || c > L'9')
            return false;
        v = v * 10 + (c - L'0');
    }
    value = v;
    return true;
}

int MonthAt(const std::wstring& text, size_t pos) {
    if (pos + 3 > text.size())
        return 0;
    return MonthFromName(text.substr(pos, 3));
}

}  // namespace

int MonthFromName(const std::wstring& name) {
    if (name.size() != 3)
        return 0;
    for (int m = 0; m < 12; ++m) {
        bool same = true;
        for (int k = 0; k < 3 && same; ++k) {
            wchar_t a = name[k], b = kMonths[m][k];
            if (a >= L'A' && a <= L'Z')
                a = static_cast<wchar_t>(a - L'A' + L'a');
            if (b >= L'A' && b <= L'Z')
                b = static_cast<wchar_t>(b - L'A' + L'a');
            same = a == b;
        }
        if (same)
            return m + 1;
    }
    return 0;
}

int64_t TimeFromUtcFields(int year, int month, int day, int hour, int minute, int second) {
    return DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 +
           hour * 3600 + minute * 60 + second;
}

void UtcFieldsFromTime(int64_t t, int& year, int& month, int& day, int& hour, int& minute,
                       int& second, int& weekday) {
    int64_t days = t / 86400;
    int64_t secs = t % 86400;
    if (secs < 0) {
        secs += 86400;
        --days;
    }
    hour = static_cast<int>(secs / 3600);
    minute = static_cast<int>(secs / 60 % 60);
    second = static_cast<int>(secs % 60);
    weekday = static_cast<int>((days % 7 + 7 + 4) % 7);  // 1970-01-01 was a Thursday
    const int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

bool ParseHttpDate(const std::wstring& text, int64_t& time) {
    if (text.size() < 4)
        return false;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    bool ok;
    if (text[3] == L' ') {
        // Sun Nov  6 08:49:37 1994
        month = MonthAt(text, 4);
        ok = ReadField(text, 8, 2, day) && ReadField(text, 11, 2, hour) &&
             ReadField(text, 14, 2, minute) && ReadField(text, 17, 2, second) &&
             ReadField(text, 20, 4, year);
    } else if (text[3] == L',') {
        // Sun, 06 Nov 1994 08:49:37 GMT
        month = MonthAt(text, 8);
        ok = ReadField(text, 5, 2, day) && ReadField(text, 12, 4, year) &&
             ReadField(text, 17, 2, hour) && ReadField(text, 20, 2, minute) &&
             ReadField(text, 23, 2, second);
    } else {
        // Sunday, 06-Nov-94 08:49:37 GMT
        size_t c = text.find(L", ");
        if (c == std::wstring::npos)
            return false;
        month = MonthAt(text, c + 5);
        ok = ReadField(text, c + 2, 2, day) && ReadField(text, c + 9, 2, year) &&
             ReadField(text, c + 12, 2, hour) && ReadField(text, c + 15, 2, minute) &&
             ReadField(text, c + 18, 2, second);
        if (ok)
            year += year <= 50 ? 2000 : 1900;
    }
    if (!ok || year == 0 || month == 0 || day < 1 || day > 31 || hour > 23 || minute > 59 ||
        second > 59)
        return false;
    time = year < 1900 ? 0 : TimeFromUtcFields(year, month, day, hour, minute, second);
    return true;
}

std::wstring FormatHttpDate(const std::wstring& format, int64_t time) {
    int year, month, day, hour, minute, second, weekday;
    UtcFieldsFromTime(time, year, month, day, hour, minute, second, weekday);
    if (year < 1900)
        UtcFieldsFromTime(0, year, month, day, hour, minute, second, weekday);
    std::wstring out;
    wchar_t num[16];
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != L'%' || i + 1 == format.size()) {
            out += format[i];
            continue;
        }
        switch (format[++i]) {
            case L'a': out += kDays[weekday]; break;
            case L'b': out += kMonths[month - 1]; break;
            case L'd': swprintf(num, 16, L"%02d", day); out += num; break;
            case L'm': swprintf(num, 16, L"%02d", month); out += num; break;
            case L'Y': swprintf(num, 16, L"%04d", year); out += num; break;
            case L'y': swprintf(num, 16, L"%02d", year % 100); out += num; break;
            case L'H': swprintf(num, 16, L"%02d", hour); out += num; break;
            case L'M': swprintf(num, 16, L"%02d", minute); out += num; break;
            case L'S': swprintf(num, 16, L"%02d", second); out += num; break;
            case L'%': out += L'%'; break;
            default: out += L'%'; out += format[i]; break;
        }
    }
    return out;
}

int64_t UnixTimeFromFileTime(uint32_t high, uint32_t low) {
    const uint64_t ticks = (static_cast<uint64_t>(high) << 32) | low;
    return static_cast<int64_t>((ticks - 116444736000000000ULL) / 10000000ULL);
}

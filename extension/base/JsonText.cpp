#include "base/JsonText.h"

std::wstring EscapeJsonText(const std::wstring& text) {
    std::wstring escaped;
    escaped.reserve(text.size());
    for (wchar_t c : text) {
        switch (c) {
        case L'"':
            escaped += L"\\\"";
            break;
        case L'\\':
            escaped += L"\\\\";
            break;
        case L'\b':
            escaped += L"\\b";
            break;
        case L'\f':
            escaped += L"\\f";
            break;
        case L'\n':
            escaped += L"\\n";
            break;
        case L'\r':
            escaped += L"\\r";
            break;
        case L'\t':
            escaped += L"\\t";
            break;
        default:
            if (c < 0x20 || c == 0x2028 || c == 0x2029) {
                static const wchar_t digits[] = L"0123456789abcdef";
                escaped += L"\\u";
                for (int shift = 12; shift >= 0; shift -= 4)
                    escaped += digits[(c >> shift) & 0xF];
            } else {
                escaped += c;
            }
        }
    }
    return escaped;
}

std::wstring FormatJsonObject(const std::map<std::wstring, std::wstring>& values) {
    std::wstring json = L"{";
    bool first = true;
    for (const auto& entry : values) {
        if (!first)
            json += L", ";
        first = false;
        json += L"\"" + EscapeJsonText(entry.first) + L"\":\"" + EscapeJsonText(entry.second) + L"\"";
    }
    json += L"}";
    return json;
}

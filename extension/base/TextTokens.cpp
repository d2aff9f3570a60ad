#include "base/TextTokens.h"

void SplitString(const std::wstring& text, const std::wstring& separators, std::vector<std::wstring>& tokens) {
    size_t position = 0;
    for (;;) {
        size_t start = text.find_first_not_of(separators, position);
        if (start == std::wstring::npos)
            return;
        size_t end = text.find_first_of(separators, start);
        if (end == std::wstring::npos)
            end = text.size();
        tokens.push_back(text.substr(start, end - start));
        position = end;
    }
}

std::vector<std::wstring> SplitTokens(const std::wstring& text, wchar_t separator) {
    std::vector<std::wstring> pieces;
    SplitString(text, std::wstring(1, separator), pieces);
    return pieces;
}

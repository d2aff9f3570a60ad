#include "StartupRules.h"

#include "Request.h"

std::wstring CommandTail(const std::wstring& line) {
    size_t i = 0;
    if (!line.empty() && line[0] == L'"') {
        size_t close = line.find(L'"', 1);
        i = close == std::wstring::npos ? line.size() : close + 1;
    }
    while (i < line.size() && line[i] != L' ' && line[i] != L'\t')
        ++i;
    while (i < line.size() && (line[i] == L' ' || line[i] == L'\t'))
        ++i;
    return line.substr(i);
}

std::vector<std::wstring> SplitCommandTokens(const std::wstring& tail) {
    std::vector<std::wstring> tokens;
    if (tail.empty())
        return tokens;
    size_t start = 0;
    for (;;) {
        size_t blank = tail.find(L' ', start);
        if (blank == std::wstring::npos) {
            tokens.push_back(tail.substr(start));
            break;
        }
        tokens.push_back(tail.substr(start, blank - start));
        start = blank + 1;
    }
    return tokens;
}

PlayerCommandLine ParsePlayerCommandLine(const std::vector<std::wstring>& tokens) {
    PlayerCommandLine cl;
    for (const std::wstring& token : tokens) {
        std::wstring t = LowerAscii(token);
        if (t == L"/?" || t == L"/h" || t == L"/help") {
            cl.usage = true;
            break;
        } else if (t == L"/browser=system") {
            cl.browser = 0;
        } else if (t == L"/browser=ie") {
            cl.browser = 1;
        } else if (t == L"/browser=firefox") {
            cl.browser = 2;
        } else if (t == L"/browser=safari") {
            cl.browser = 3;
        } else if (t == L"/reset") {
            cl.reset = true;
        } else if (t == L"/log") {
            cl.log = true;
        } else if (t == L"/i") {
            cl.showDialog = true;
        } else {
            cl.startPage = token;
        }
    }
    return cl;
}

unsigned LanguageCodeToLcid(const std::wstring& code) {
    static const struct {
        const wchar_t* code;
        unsigned lcid;
    } kLanguages[] = {
        {L"en", 1033}, {L"cs", 1029}, {L"da", 1030}, {L"de", 1031}, {L"es", 1034},
        {L"es-mx", 2058}, {L"fi", 1035}, {L"fr", 1036}, {L"fr-ca", 3084}, {L"hu", 1038},
        {L"zh-chs", 2052}, {L"it", 1040}, {L"ja", 1041}, {L"ko", 1042}, {L"nl", 1043},
        {L"no", 1044}, {L"pl", 1045}, {L"pt", 2070}, {L"ru", 1049}, {L"sv", 1053},
        {L"tr", 1055}, {L"zh-cht", 1028},
    };
    std::wstring lower = LowerAscii(code);
    for (const auto& entry : kLanguages)
        if (lower == entry.code)
            return entry.lcid;
    return 1033;
}

bool FindPlayerLanguageCode(const std::wstring& text, std::wstring& code) {
    static const std::wstring kKey = L"\"playerlanguage\":\"";
    std::wstring lower = LowerAscii(text);
    size_t at = lower.find(kKey);
    if (at == std::wstring::npos || at == 0)
        return false;
    code = lower.substr(at + kKey.size(), 6);
    size_t quote = code.find(L'"', 1);
    if (quote != std::wstring::npos)
        code.resize(quote);
    return true;
}

int BrowserChoiceFromCommand(const std::wstring& command) {
    if (command.empty())
        return 1;
    std::wstring lower = LowerAscii(command);
    size_t slash = lower.rfind(L'\\');
    if (slash == std::wstring::npos)
        slash = 0;
    if (lower.find(L"\\iexplore.exe", slash) != std::wstring::npos)
        return 1;
    if (lower.find(L"\\firefox.exe", slash) != std::wstring::npos)
        return 2;
    if (lower.find(L"\\safari.exe", slash) != std::wstring::npos)
        return 3;
    return 1;
}

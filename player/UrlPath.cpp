#include "UrlPath.h"

#include <cstdint>

#include "HttpParse.h"
#include "Request.h"

namespace {

bool IsDeviceName(const std::wstring& element) {
    // The device is named by the part before the first dot, blanks cut off.
    std::wstring base = LowerAscii(element.substr(0, element.find(L'.')));
    while (!base.empty() && base.back() == L' ')
        base.pop_back();
    static const wchar_t* const kNames[] = {L"con", L"prn", L"aux", L"nul", L"conin$", L"conout$", L"clock$"};
    for (const wchar_t* name : kNames)
        if (base == name)
            return true;
    if (base.size() == 4 && (base.compare(0, 3, L"com") == 0 || base.compare(0, 3, L"lpt") == 0)) {
        wchar_t d = base[3];
        // COM1-COM9, LPT1-LPT9 and their superscript-digit forms.
        return (d >= L'1' && d <= L'9') || d == 0xB9 || d == 0xB2 || d == 0xB3;
    }
    return false;
}

}  // namespace

bool IsUrlPathAcceptable(const std::wstring& url) {
    for (wchar_t c : url) {
        if (c < 0x20 || c == 0x7F)
            return false;
        switch (c) {
            case L'\\': case L':': case L'*': case L'?': case L'"': case L'<': case L'>': case L'|':
                return false;
            default:
                break;
        }
    }
    size_t start = 0;
    while (start <= url.size()) {
        size_t end = url.find(L'/', start);
        if (end == std::wstring::npos)
            end = url.size();
        std::wstring element = url.substr(start, end - start);
        if (!element.empty() && element != L"." && element != L"..") {
            wchar_t last = element.back();
            if (last == L'.' || last == L' ')
                return false;
            if (IsDeviceName(element))
                return false;
        }
        start = end + 1;
    }
    return true;
}

bool IsPathInsideRoot(const std::wstring& root, const std::wstring& path) {
    if (path == root)
        return true;
    return path.size() > root.size() && path.compare(0, root.size(), root) == 0 &&
           path[root.size()] == L'\\';
}

std::wstring EncodeUrlPath(const std::wstring& path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string bytes = WideToUtf8(path);
    std::wstring out;
    for (unsigned char b : bytes) {
        bool plain = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') ||
                     b == '/' || b == '-' || b == '.' || b == '_' || b == '~' || b == '!' ||
                     b == '$' || b == '&' || b == '\'' || b == '(' || b == ')' || b == '*' ||
                     b == '+' || b == ',' || b == ';' || b == '=' || b == '@';
        if (plain) {
            out += static_cast<wchar_t>(b);
        } else {
            out += L'%';
            out += static_cast<wchar_t>(kHex[b >> 4]);
            out += static_cast<wchar_t>(kHex[b & 15]);
        }
    }
    return out;
}

std::wstring ExtensionOf(const std::wstring& path) {
    size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos)
        return std::wstring();
    size_t slash = path.find_first_of(L"\\/", dot);
    if (slash != std::wstring::npos)
        return std::wstring();
    return path.substr(dot);
}

bool LookupMimeTable(const std::wstring& extension, std::wstring& type) {
    static const struct {
        const wchar_t* ext;
        const wchar_t* type;
    } kTable[] = {
        {L".avi", L"video/x-msvideo"},
        {L".css", L"text/css"},
        {L".doc", L"application/msword"},
        {L".docx", L"application/vnd.openxmlformats-officedocument.wordprocessingml.document"},
        {L".dot", L"application/msword"},
        {L".exe", L"application/octet-stream"},
        {L".flv", L"video/x-flv"},
        {L".gif", L"image/gif"},
        {L".htm", L"text/html"},
        {L".html", L"text/html"},
        {L".ico", L"image/x-icon"},
        {L".jpeg", L"image/jpeg"},
        {L".jpg", L"image/jpeg"},
        {L".js", L"application/x-javascript"},
        {L".mht", L"message/rfc822"},
        {L".mhtml", L"message/rfc822"},
        {L".mov", L"video/quicktime"},
        {L".mp3", L"audio/mpeg"},
        {L".mpeg", L"video/mpeg"},
        {L".mpg", L"video/mpeg"},
        {L".pdf", L"application/pdf"},
        {L".png", L"image/png"},
        {L".pps", L"application/vnd.ms-powerpoint"},
        {L".ppt", L"application/vnd.ms-powerpoint"},
        {L".pptx", L"application/vnd.openxmlformats-officedocument.presentationml.presentation"},
        {L".swf", L"application/x-shockwave-flash"},
        {L".txt", L"text/plain"},
        {L".xls", L"application/vnd.ms-excel"},
        {L".xlt", L"application/vnd.ms-excel"},
        {L".xlsx", L"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"},
        {L".xml", L"text/xml"},
        {L".zip", L"application/zip"},
    };
    std::wstring lower = LowerAscii(extension);
    for (const auto& entry : kTable) {
        if (lower == entry.ext) {
            type = entry.type;
            return true;
        }
    }
    type = L"application/unknown";
    return false;
}

std::wstring SanitizeForLog(const std::wstring& text) {
    std::wstring out = text;
    for (wchar_t& c : out)
        if (c < 0x20 || c == 0x7F)
            c = L'?';
    return out;
}

std::wstring ResolveInFolderOf(const std::wstring& base, const std::wstring& location) {
    size_t slash = base.rfind(L'/');
    std::wstring folder = slash == std::wstring::npos ? base : base.substr(0, slash + 1);
    return folder + (!location.empty() && location[0] == L'/' ? location.substr(1) : location);
}

std::wstring LastUrlPart(const std::wstring& location) {
    size_t slash = location.rfind(L'/');
    return slash == std::wstring::npos ? location : location.substr(slash + 1);
}

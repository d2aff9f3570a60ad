#include "Request.h"

#include <ctime>

std::wstring LowerAscii(std::wstring text) {
    for (wchar_t& c : text)
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    return text;
}

CRequest::CRequest() : created(static_cast<int64_t>(time(nullptr))) {}

std::wstring CRequest::GetHeader(const std::wstring& name) const {
    auto it = headers.find(LowerAscii(name));
    return it == headers.end() ? std::wstring() : it->second;
}

long CRequest::AddRef() {
    return ++refCount;
}

long CRequest::Release() {
    long n = --refCount;
    if (n == 0)
        delete this;
    return n;
}

#pragma once
// One HTTP request of the loopback server. Free of Windows headers so that the
// parsing code can be tested on its own.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

class CRequest {
public:
    CRequest();
    CRequest(const CRequest&) = delete;
    CRequest& operator=(const CRequest&) = delete;

    // Value of a header by name in any case; empty when absent.
    std::wstring GetHeader(const std::wstring& name) const;

    long AddRef();
    // Destroys the record at zero; returns the new count.
    long Release();

    std::wstring pathTranslated;
    std::wstring pathInfo;
    std::wstring clientAddress;
    std::wstring method;
    std::wstring url;
    std::wstring version;
    std::map<std::wstring, std::wstring> headers;     // names in lower case
    std::map<std::wstring, std::wstring> formFields;
    std::vector<unsigned char> body;
    int32_t contentLength = 0;
    std::wstring filePath;
    uint32_t fileAttributes = 0;
    std::wstring query;
    int32_t status = 0;
    uint32_t finished = 0;
    int64_t bytesSent = 0;
    int64_t created = 0;

private:
    ~CRequest() = default;
    long refCount = 1;
};

// ASCII lower-casing, as header names are compared.
std::wstring LowerAscii(std::wstring text);

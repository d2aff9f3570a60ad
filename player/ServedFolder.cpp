#include "ServedFolder.h"

#include <unordered_map>
#include <utility>

#include "common/Handles.h"
#include "Request.h"
#include "UrlPath.h"

namespace {

bool LookupContentTypeUncached(const std::wstring& extension, std::wstring& type) {
    if (!extension.empty()) {
        RegistryKey key = OpenRegistryKey(HKEY_CLASSES_ROOT, extension.c_str(), KEY_QUERY_VALUE);
        if (key.Valid()) {
            wchar_t value[256];
            DWORD size = sizeof(value) - sizeof(wchar_t), kind = 0;
            LONG rc = RegQueryValueExW(key.Get(), L"Content Type", nullptr, &kind,
                                       reinterpret_cast<BYTE*>(value), &size);
            key.Reset();
            if (rc == ERROR_SUCCESS && kind == REG_SZ && size >= sizeof(wchar_t)) {
                value[size / sizeof(wchar_t)] = 0;
                type = value;
                if (!type.empty())
                    return true;
            }
        }
    }
    return LookupMimeTable(extension, type);
}

}  // namespace

bool UrlToPath(const std::wstring& root, std::wstring& text) {
    if (!IsUrlPathAcceptable(text))
        return false;
    std::wstring joined = root + text;
    wchar_t full[MAX_PATH];
    DWORD n = GetFullPathNameW(joined.c_str(), MAX_PATH, full, nullptr);
    if (n == 0 || n >= MAX_PATH)
        return false;
    if (!IsPathInsideRoot(root, full))
        return false;
    text = full;
    return true;
}

// Only extensions of files that exist in the folder get here, so the map
// stays small. Never destroyed: sockets may end during static destruction.
bool LookupContentType(const std::wstring& extension, std::wstring& type) {
    static auto* known = new std::unordered_map<std::wstring, std::pair<bool, std::wstring>>;
    std::wstring key = LowerAscii(extension);
    auto it = known->find(key);
    if (it == known->end()) {
        std::wstring found;
        bool ok = LookupContentTypeUncached(extension, found);
        it = known->emplace(key, std::make_pair(ok, found)).first;
    }
    type = it->second.second;
    return it->second.first;
}

FileHandle OpenServedFile(const std::wstring& path) {
    return FileHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

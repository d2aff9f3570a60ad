#include "base/Registry.h"

#include "base/Logger.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <deque>
#include <stdexcept>
#include <vector>

LONG OpenKey(HKEY parent, const std::wstring& path, REGSAM access, RegistryKey& key) {
    return RegOpenKeyExW(parent, path.c_str(), 0, access, key.Out());
}

LONG CreateKey(HKEY parent, const std::wstring& path, REGSAM access, RegistryKey& key) {
    return RegCreateKeyExW(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, key.Out(),
                           nullptr);
}

LONG ToHResult(LONG code) {
    if (code <= 0)
        return code;
    return static_cast<LONG>(0x80070000u | (static_cast<DWORD>(code) & 0xFFFFu));
}

Registry::Registry(HKEY root, REGSAM view) : m_hRoot(root), m_view(view) {}

Registry::~Registry() = default;

LONG Registry::OpenKey(const std::wstring& keyPath, REGSAM access) {
    m_strKeyPath = keyPath;
    m_samAccess = access;
    return ::OpenKey(m_hRoot, keyPath, access | m_view, m_key);
}

bool Registry::KeyExists(const std::wstring& keyPath) {
    return OpenRegistryKey(m_hRoot, keyPath.c_str(), kRead | m_view).Valid();
}

namespace {

// Reads a REG_SZ or REG_EXPAND_SZ value up to its first terminator, as the
// system's own readers do. The registry reports the size of a value that
// did not fit, so any value reads in one or two calls; another call is made
// only when the value grew in between. Returns a Win32 code.
LONG ReadStringValue(HKEY key, const std::wstring& name, std::wstring& text) {
    std::wstring buffer;
    DWORD bytes = 512 * sizeof(wchar_t);
    for (;;) {
        // Room for an odd byte count too.
        size_t capacity = bytes / sizeof(wchar_t) + 1;
        if (capacity <= buffer.size())
            capacity = buffer.size() + 1;  // a size that would not grow the buffer must not loop forever
        try {
            buffer.assign(capacity, L'\0');
        } catch (const std::exception&) {  // bad_alloc, or a length past what a string may hold
            return ERROR_OUTOFMEMORY;
        }
        DWORD type = 0;
        bytes = static_cast<DWORD>(std::min<size_t>(capacity * sizeof(wchar_t), MAXDWORD));
        LONG rc = RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&buffer[0]),
                                   &bytes);
        if (rc == ERROR_MORE_DATA)
            continue;
        if (rc != ERROR_SUCCESS)
            return rc;
        if (type != REG_SZ && type != REG_EXPAND_SZ)
            return ERROR_INVALID_DATA;
        if (bytes == 0) {
            text.clear();
            return ERROR_SUCCESS;
        }
        if (bytes % sizeof(wchar_t) != 0)
            return ERROR_INVALID_DATA;
        size_t count = bytes / sizeof(wchar_t);
        if (buffer[count - 1] != L'\0')
            return ERROR_INVALID_DATA;
        text.assign(buffer.data(), wcslen(buffer.data()));
        return ERROR_SUCCESS;
    }
}

// Deletes parent\name with everything under it, depth first. The open keys
// of the current branch and the one name buffer live on the heap: a tree of
// any depth costs the stack nothing (anyone may nest keys under ours).
// view is added to every open and delete (see Registry::kAsWritten).
LONG DeleteTree(HKEY parent, const std::wstring& name, REGSAM view) {
    std::deque<RegistryKey> branch;  // branch.back() is the deepest open key
    std::vector<std::wstring> names;
    branch.emplace_back();
    LONG rc = OpenKey(parent, name, Registry::kReadWrite | view, branch.back());
    if (rc != ERROR_SUCCESS)
        return rc;
    names.push_back(name);
    std::vector<wchar_t> child(16384);
    while (!branch.empty()) {
        // Always the first remaining subkey: indices shift as keys go.
        DWORD length = static_cast<DWORD>(child.size());
        rc = RegEnumKeyExW(branch.back().Get(), 0, child.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_SUCCESS) {
            HKEY current = branch.back().Get();
            branch.emplace_back();
            names.emplace_back(child.data(), length);
            rc = OpenKey(current, names.back(), Registry::kReadWrite | view, branch.back());
            if (rc != ERROR_SUCCESS)
                return rc;
            continue;
        }
        if (rc != ERROR_NO_MORE_ITEMS)
            return rc;
        // No subkey is left: the key itself goes.
        branch.pop_back();
        HKEY owner = branch.empty() ? parent : branch.back().Get();
        rc = RegDeleteKeyExW(owner, names.back().c_str(), view, 0);
        if (rc != ERROR_SUCCESS)
            return rc;
        names.pop_back();
    }
    return ERROR_SUCCESS;
}

}  // namespace

LONG Registry::GetStringValue(const std::wstring& keyPath, const std::wstring& valueName, std::wstring& text) {
    if (keyPath.empty() || valueName.empty()) {
        g_logger.LogError(L"Registry::GetStringValue() - (E_INVALIDARG)", E_INVALIDARG, true);
        return E_INVALIDARG;
    }
    LONG rc = OpenKey(keyPath, kRead);
    if (rc != ERROR_SUCCESS) {
        std::wstring line = g_logger.Log(L"Registry::GetStringValue() - [%s\\%s]", keyPath.c_str(),
                                         valueName.c_str());
        g_logger.LogError(line, rc, true);
        return rc;
    }
    std::wstring value;
    rc = ReadStringValue(m_key.Get(), valueName, value);
    if (rc == ERROR_OUTOFMEMORY)
        return rc;
    if (rc != ERROR_SUCCESS) {
        LONG hr = ToHResult(rc);
        std::wstring line = g_logger.Log(L"Registry::GetStringValue() - [%s\\%s]", keyPath.c_str(),
                                         valueName.c_str());
        g_logger.LogError(line, hr, true);
        return hr;
    }
    text = value;
    g_logger.Log(L"Registry::GetStringValue() - [%s\\%s] = [%s]", keyPath.c_str(), valueName.c_str(),
                 text.c_str());
    return ERROR_SUCCESS;
}

LONG Registry::GetDwordValue(const std::wstring& keyPath, const std::wstring& valueName, DWORD& value) {
    if (keyPath.empty() || valueName.empty()) {
        g_logger.LogError(L"Registry::GetDwordValue() - (E_INVALIDARG)", E_INVALIDARG, true);
        return E_INVALIDARG;
    }
    LONG rc = OpenKey(keyPath, kRead);
    if (rc != ERROR_SUCCESS) {
        std::wstring line = g_logger.Log(L"Registry::GetDwordValue() - [%s\\%s]", keyPath.c_str(),
                                         valueName.c_str());
        g_logger.LogError(line, rc, true);
        return rc;
    }
    DWORD type = 0;
    DWORD number = 0;
    DWORD bytes = sizeof(number);
    rc = RegQueryValueExW(m_key.Get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&number),
                          &bytes);
    if (rc == ERROR_SUCCESS && (type != REG_DWORD || bytes != sizeof(number)))
        rc = ERROR_INVALID_DATA;
    else if (rc == ERROR_MORE_DATA)
        rc = ERROR_INVALID_DATA;
    if (rc == ERROR_SUCCESS)
        value = number;
    g_logger.Log(L"Registry::GetDwordValue() - [%s\\%s] = [%08X]", keyPath.c_str(), valueName.c_str(), value);
    return rc;
}

LONG Registry::SetStringValue(const std::wstring& keyPath, const std::wstring& valueName,
                              const std::wstring& text) {
    if (keyPath.empty() || text.empty()) {
        g_logger.LogError(L"Registry::SetStringValue() - (E_INVALIDARG)", E_INVALIDARG, true);
        return E_INVALIDARG;
    }
    LONG rc = OpenKey(keyPath, kReadWrite);
    if (rc == ERROR_SUCCESS) {
        rc = RegSetValueExW(m_key.Get(), valueName.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    if (rc != ERROR_SUCCESS) {
        std::wstring line = g_logger.Log(L"Segistry::SetStringValue() - [%s\\%s]", keyPath.c_str(),
                                         valueName.c_str());
        g_logger.LogError(line, rc, true);
        return rc;
    }
    g_logger.Log(L"Registry::SetStringValue - [%s\\%s] = [%s]", keyPath.c_str(), valueName.c_str(),
                 text.c_str());
    return ERROR_SUCCESS;
}

LONG Registry::CreateKey(const std::wstring& keyPath) {
    if (keyPath.empty()) {
        g_logger.LogError(L"Registry::CreateKey (E_INVALIDARG)", E_INVALIDARG, true);
        return E_INVALIDARG;
    }
    return ::CreateKey(m_hRoot, keyPath, kReadWrite | m_view, m_key);
}

LONG Registry::DeleteKey(const std::wstring& keyPath) {
    if (keyPath.empty()) {
        g_logger.LogError(L"Registry::DeleteKey (E_INVALIDARG)", E_INVALIDARG, true);
        return E_INVALIDARG;
    }
    m_samAccess = kReadWrite;
    LONG rc = ::OpenKey(m_hRoot, m_strKeyPath, kReadWrite | m_view, m_key);
    if (rc == ERROR_SUCCESS)
        rc = DeleteTree(m_key.Get(), keyPath, m_view);
    g_logger.Log(L"Registry::DeleteKey - [%s][%08x]", keyPath.c_str(), rc);
    return rc;
}

LONG Registry::CreateOrOpenKeyAndWriteStringValue(const std::wstring& keyPath, const std::wstring& valueName,
                                                  const std::wstring& text) {
    if (keyPath.empty() || text.empty()) {
        g_logger.LogError(L"Registry::CreateOrOpenKeyAndWriteStringValue (E_INVALIDARG)", E_INVALIDARG, true);
        return E_INVALIDARG;
    }
    LONG rc = CreateKey(keyPath);
    if (rc != ERROR_SUCCESS) {
        g_logger.LogError(L"Registry::CreateOrOpenKeyAndWriteStringValue - CreateKey", rc, true);
        return rc;
    }
    rc = SetStringValue(keyPath, valueName, text);
    if (rc != ERROR_SUCCESS) {
        g_logger.Log(L"%hs Registry::CreateOrOpenKeyAndWriteStringValue() error 0x%08lx",
                     "Registry::CreateOrOpenKeyAndWriteStringValue", rc);
        g_logger.LogError(L"Registry::CreateOrOpenKeyAndWriteStringValue - SetStringValue", rc, true);
        return rc;
    }
    return ERROR_SUCCESS;
}

LONG Registry::GetSubKeys(const std::wstring& keyPath, std::vector<std::wstring>& names) {
    if (keyPath.empty()) {
        g_logger.LogError(L"Registry::GetSubKeys (E_INVALIDARG)", E_INVALIDARG, true);
        return E_INVALIDARG;
    }
    LONG rc = OpenKey(keyPath, kRead);
    if (rc != ERROR_SUCCESS)
        return rc;
    // A failing index is skipped; a run of failures (the key was deleted
    // meanwhile, say) ends the enumeration.
    const int maxFailuresInARow = 64;
    int failures = 0;
    std::vector<wchar_t> name(16383 + 1);
    for (DWORD index = 0; failures < maxFailuresInARow; ++index) {
        DWORD length = static_cast<DWORD>(name.size());
        rc = RegEnumKeyExW(m_key.Get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        if (rc == ERROR_SUCCESS) {
            names.emplace_back(name.data(), length);
            failures = 0;
        } else {
            ++failures;
        }
    }
    return ERROR_SUCCESS;
}

LONG Registry::GetStringChildren(const std::wstring& keyPath, std::map<std::wstring, std::wstring>& values) {
    if (keyPath.empty()) {
        g_logger.LogError(L"Registry::GetStringChildren() - (E_INVALIDARG)", E_INVALIDARG, true);
        return E_INVALIDARG;
    }
    LONG rc = OpenKey(keyPath, kRead);
    if (rc != ERROR_SUCCESS) {
        g_logger.LogError(L"Registry::GetStringChildren() - OpenForRead()", rc, true);
        return rc;
    }
    std::vector<wchar_t> name(16383 + 1);
    for (DWORD index = 0;; ++index) {
        DWORD length = static_cast<DWORD>(name.size());
        DWORD type = 0;
        rc = RegEnumValueW(m_key.Get(), index, name.data(), &length, nullptr, &type, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        if (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA) {
            if (type == REG_SZ) {
                std::wstring valueName(name.data(), length);
                std::wstring text;
                // Reopens the same key; the enumeration goes on on the new handle.
                if (GetStringValue(keyPath, valueName, text) != ERROR_SUCCESS)
                    text.clear();
                values[valueName] = text;
            }
            if (rc == ERROR_MORE_DATA)
                break;
            continue;
        }
        LONG hr = ToHResult(rc);
        g_logger.LogError(L"Registry::GetStringChildren()", hr, true);
        return hr;
    }
    return ERROR_SUCCESS;
}

namespace {

std::wstring Trim(const std::wstring& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && iswspace(text[begin]))
        ++begin;
    while (end > begin && iswspace(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

}  // namespace

LONG GetStringFromRegistry(HKEY root, const std::wstring& keyPath, const std::wstring& valueName,
                           std::wstring& text) {
    text.clear();
    Registry registry(root);
    LONG rc = registry.GetStringValue(keyPath, valueName, text);
    if (rc < 0) {
        text.clear();
        if (rc == E_ACCESSDENIED && keyPath.find(L"\\Norvik\\Hintora\\Test") == std::wstring::npos) {
            MessageBoxW(nullptr, L"bho - GetStringFromRegistry error", L"bho", MB_OK);
            return E_ACCESSDENIED;
        }
        return S_OK;
    }
    text = Trim(text);
    return rc;
}

LONG GetStringChildrenFromRegistry(HKEY root, const std::wstring& keyPath,
                                   std::map<std::wstring, std::wstring>& values) {
    Registry registry(root);
    return registry.GetStringChildren(keyPath, values);
}

LONG DeleteKeyFromRegistry(HKEY root, const std::wstring& keyPath, REGSAM view) {
    Registry registry(root, view);
    return registry.DeleteKey(keyPath);
}

std::wstring GetParentUrl(const std::wstring& url) {
    size_t slash = url.rfind(L'/');
    if (slash == std::wstring::npos)
        return url;
    return url.substr(0, slash);
}

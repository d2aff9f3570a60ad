#include "base/Registrar.h"

#include "base/Logger.h"
#include "base/Registry.h"
#include "common/Handles.h"

#include <cstring>
#include <exception>
#include <vector>

using regscript::KeyEntry;
using regscript::KeyFlag;
using regscript::RootKey;
using regscript::ValueEntry;

namespace {

const REGSAM kAccess = KEY_READ | KEY_WRITE;

std::vector<BYTE> ValueBytes(const ValueEntry& value, DWORD& type) {
    std::vector<BYTE> bytes;
    if (value.type == ValueEntry::Type::Dword) {
        type = REG_DWORD;
        DWORD number = value.number;
        bytes.assign(reinterpret_cast<const BYTE*>(&number), reinterpret_cast<const BYTE*>(&number) + sizeof(number));
    } else {
        type = REG_SZ;
        const BYTE* text = reinterpret_cast<const BYTE*>(value.text.c_str());
        bytes.assign(text, text + (value.text.size() + 1) * sizeof(wchar_t));
    }
    return bytes;
}

class Executor {
public:
    explicit Executor(std::wstring& error) : m_error(error) {}

    LONG Register(HKEY parent, const KeyEntry& key) {
        LONG rc;
        if (key.flag == KeyFlag::ForceRemove) {
            rc = RegDeleteTreeW(parent, key.name.c_str());
            if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
                return Fail(L"cannot remove", key, rc);
        }
        RegistryKey handle;
        rc = CreateKey(parent, key.name, kAccess, handle);
        if (rc != ERROR_SUCCESS)
            return Fail(L"cannot create", key, rc);
        if (key.hasDefault && (rc = SetValue(handle.Get(), key.defaultValue)) != ERROR_SUCCESS)
            return Fail(L"cannot write the default value of", key, rc);
        for (const auto& value : key.values) {
            if ((rc = SetValue(handle.Get(), value)) != ERROR_SUCCESS)
                return Fail(L"cannot write value '" + value.name + L"' of", key, rc);
        }
        for (const auto& child : key.children) {
            if ((rc = Register(handle.Get(), child)) != ERROR_SUCCESS)
                return rc;
        }
        return ERROR_SUCCESS;
    }

    // Goes on after a failure so one stuck key does not leave the rest
    // behind; the first failure is the result.
    LONG Unregister(HKEY parent, const KeyEntry& key) {
        if (key.flag == KeyFlag::ForceRemove) {
            LONG rc = RegDeleteTreeW(parent, key.name.c_str());
            if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
                return Fail(L"cannot remove", key, rc);
            return ERROR_SUCCESS;
        }
        RegistryKey handle;
        LONG rc = OpenKey(parent, key.name, kAccess, handle);
        if (rc == ERROR_FILE_NOT_FOUND)
            return ERROR_SUCCESS;
        if (rc != ERROR_SUCCESS)
            return Fail(L"cannot open", key, rc);
        LONG first = ERROR_SUCCESS;
        for (const auto& child : key.children) {
            rc = Unregister(handle.Get(), child);
            if (first == ERROR_SUCCESS)
                first = rc;
        }
        if (key.flag == KeyFlag::NoRemove)
            return first;

        if (key.hasDefault)
            DeleteOwnValue(handle.Get(), key.defaultValue);
        for (const auto& value : key.values)
            DeleteOwnValue(handle.Get(), value);
        DWORD subkeys = 0;
        DWORD values = 0;
        rc = RegQueryInfoKeyW(handle.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                              nullptr, nullptr, nullptr);
        handle.Reset();
        if (rc != ERROR_SUCCESS)
            return first != ERROR_SUCCESS ? first : Fail(L"cannot inspect", key, rc);
        if (subkeys == 0 && values == 0) {
            rc = RegDeleteKeyW(parent, key.name.c_str());
            if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND && first == ERROR_SUCCESS)
                first = Fail(L"cannot remove", key, rc);
        }
        return first;
    }

private:
    static LONG SetValue(HKEY key, const ValueEntry& value) {
        DWORD type = 0;
        std::vector<BYTE> bytes = ValueBytes(value, type);
        return RegSetValueExW(key, value.name.c_str(), 0, type, bytes.data(), static_cast<DWORD>(bytes.size()));
    }

    // A value is ours only while it still holds what the script wrote;
    // content that someone else put there stays, and so keeps its key.
    static void DeleteOwnValue(HKEY key, const ValueEntry& value) {
        DWORD expectedType = 0;
        std::vector<BYTE> expected = ValueBytes(value, expectedType);
        std::vector<BYTE> actual(expected.size() + sizeof(wchar_t));
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(actual.size());
        LONG rc = RegQueryValueExW(key, value.name.c_str(), nullptr, &type, actual.data(), &size);
        if (rc != ERROR_SUCCESS || type != expectedType)
            return;
        actual.resize(size);
        // An empty string may be stored without its terminator.
        if (expectedType == REG_SZ && value.text.empty() && size == 0)
            actual = expected;
        if (actual == expected)
            RegDeleteValueW(key, value.name.c_str());
    }

    LONG Fail(const std::wstring& what, const KeyEntry& key, LONG rc) {
        if (m_error.empty())
            m_error = L"line " + std::to_wstring(key.line) + L": " + what + L" key '" + key.name + L"'";
        return rc;
    }

    std::wstring& m_error;
};

}  // namespace

HRESULT Registrar::AddReplacement(const std::wstring& name, const std::wstring& value) {
    return m_replacements.Add(name, value) ? S_OK : E_INVALIDARG;
}

HRESULT Registrar::AddModuleReplacements(HMODULE module) {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return HRESULT_FROM_WIN32(GetLastError());
        if (length < path.size()) {
            std::wstring text(path.data(), length);
            HRESULT hr = AddReplacement(L"Module", text);
            return SUCCEEDED(hr) ? AddReplacement(L"Module_Raw", text) : hr;
        }
        if (path.size() >= 32768)
            return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
        path.resize(path.size() * 2);
    }
}

HRESULT Registrar::Run(const std::wstring& text, bool doRegister) {
    m_strLastError.clear();
    try {
        regscript::Script script;
        regscript::ParseResult parsed = regscript::ParseScript(text, m_replacements, script);
        if (!parsed.ok) {
            m_strLastError = parsed.error;
            g_logger.Log(L"Registrar::Run() - %s", m_strLastError.c_str());
            return DISP_E_EXCEPTION;
        }

        LONG first = ERROR_SUCCESS;
        Executor executor(m_strLastError);
        for (const auto& root : script.roots) {
            HKEY base = HKEY_CLASSES_ROOT;
            RegistryKey classes;
            if (root.root == RootKey::LocalMachine) {
                base = HKEY_LOCAL_MACHINE;
            } else if (root.root == RootKey::CurrentUser) {
                base = HKEY_CURRENT_USER;
            } else if (m_bPerUser) {
                LONG rc = doRegister ? CreateKey(HKEY_CURRENT_USER, L"Software\\Classes", kAccess, classes)
                                     : OpenKey(HKEY_CURRENT_USER, L"Software\\Classes", kAccess, classes);
                if (rc == ERROR_FILE_NOT_FOUND && !doRegister)
                    continue;
                if (rc != ERROR_SUCCESS) {
                    if (m_strLastError.empty())
                        m_strLastError = L"cannot open the per-user classes key";
                    if (doRegister)
                        return HRESULT_FROM_WIN32(rc);
                    if (first == ERROR_SUCCESS)
                        first = rc;
                    continue;
                }
                base = classes.Get();
            }
            for (const auto& key : root.keys) {
                LONG rc = doRegister ? executor.Register(base, key) : executor.Unregister(base, key);
                if (rc == ERROR_SUCCESS)
                    continue;
                if (doRegister)
                    return HRESULT_FROM_WIN32(rc);
                if (first == ERROR_SUCCESS)
                    first = rc;
            }
        }
        if (first != ERROR_SUCCESS)
            g_logger.Log(L"Registrar::Run() - %s", m_strLastError.c_str());
        return HRESULT_FROM_WIN32(first);
    } catch (const std::exception&) {
        m_strLastError = L"out of memory";
        return E_OUTOFMEMORY;
    }
}

HRESULT Registrar::ResourceRegister(HMODULE module, UINT resourceId, bool doRegister) {
    std::wstring text;
    HRESULT hr = LoadRegistryScript(module, resourceId, text);
    if (FAILED(hr)) {
        m_strLastError = L"no REGISTRY resource " + std::to_wstring(resourceId);
        return hr;
    }
    return Run(text, doRegister);
}

std::wstring RegistryScriptFromBytes(const void* data, size_t size) {
    const BYTE* bytes = static_cast<const BYTE*>(data);
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        std::wstring text((size - 2) / sizeof(wchar_t), L'\0');
        if (!text.empty())
            memcpy(&text[0], bytes + 2, text.size() * sizeof(wchar_t));
        return text;
    }
    if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        bytes += 3;
        size -= 3;
    }
    if (size == 0)
        return std::wstring();
    int count = MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char*>(bytes), static_cast<int>(size),
                                    nullptr, 0);
    std::wstring text(count > 0 ? count : 0, L'\0');
    if (count > 0)
        MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char*>(bytes), static_cast<int>(size), &text[0],
                            count);
    return text;
}

HRESULT LoadRegistryScript(HMODULE module, UINT resourceId, std::wstring& text) {
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(resourceId), L"REGISTRY");
    if (!info)
        return HRESULT_FROM_WIN32(GetLastError() ? GetLastError() : ERROR_RESOURCE_NAME_NOT_FOUND);
    HGLOBAL loaded = LoadResource(module, info);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
        return HRESULT_FROM_WIN32(GetLastError() ? GetLastError() : ERROR_RESOURCE_DATA_NOT_FOUND);
    text = RegistryScriptFromBytes(data, SizeofResource(module, info));
    return S_OK;
}

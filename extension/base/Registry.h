#pragma once
#include <windows.h>
#include <map>
#include <string>
#include <vector>

#include "common/Handles.h"

// Open or create parent\path into key; whatever key held is closed first.
// The result is the registry call's own Win32 code.
LONG OpenKey(HKEY parent, const std::wstring& path, REGSAM access, RegistryKey& key);
LONG CreateKey(HKEY parent, const std::wstring& path, REGSAM access, RegistryKey& key);

// Registry wrapper: one object per use. Results are Win32 codes (>= 0) or
// HRESULTs (< 0) exactly as each operation documents; callers rely on the sign.
class Registry {
public:
    static const REGSAM kRead = KEY_READ;
    static const REGSAM kReadWrite = KEY_READ | KEY_WRITE;
    // The path exactly as written, for paths that name both registry views
    // themselves ("...\Wow6432Node\..." beside the native one): a 32-bit
    // process on 64-bit Windows is otherwise led into Wow6432Node below any
    // key that has one, and the native path then names the 32-bit copy too.
    // 32-bit Windows ignores the flag.
    static const REGSAM kAsWritten = KEY_WOW64_64KEY;

    // view: 0 (the process's own view) or kAsWritten, added to every open.
    explicit Registry(HKEY root, REGSAM view = 0);
    ~Registry();

    bool KeyExists(const std::wstring& keyPath);
    LONG GetStringValue(const std::wstring& keyPath, const std::wstring& valueName, std::wstring& text);
    LONG GetDwordValue(const std::wstring& keyPath, const std::wstring& valueName, DWORD& value);
    LONG SetStringValue(const std::wstring& keyPath, const std::wstring& valueName, const std::wstring& text);
    LONG CreateKey(const std::wstring& keyPath);
    LONG DeleteKey(const std::wstring& keyPath);
    LONG CreateOrOpenKeyAndWriteStringValue(const std::wstring& keyPath, const std::wstring& valueName,
                                            const std::wstring& text);
    LONG GetSubKeys(const std::wstring& keyPath, std::vector<std::wstring>& names);
    LONG GetStringChildren(const std::wstring& keyPath, std::map<std::wstring, std::wstring>& values);

private:
    LONG OpenKey(const std::wstring& keyPath, REGSAM access);

    RegistryKey m_key;
    HKEY m_hRoot;
    REGSAM m_view;
    std::wstring m_strKeyPath;
    REGSAM m_samAccess = 0;
};

// The Win32 code in HRESULT form; 0 and negative values pass unchanged.
LONG ToHResult(LONG code);

LONG GetStringFromRegistry(HKEY root, const std::wstring& keyPath, const std::wstring& valueName,
                           std::wstring& text);
LONG GetStringChildrenFromRegistry(HKEY root, const std::wstring& keyPath,
                                   std::map<std::wstring, std::wstring>& values);
LONG DeleteKeyFromRegistry(HKEY root, const std::wstring& keyPath, REGSAM view = 0);
std::wstring GetParentUrl(const std::wstring& url);

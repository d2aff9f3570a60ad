#pragma once
// Flattens a registry tree into sorted lines, so a test can compare all that
// a piece of code wrote with what it should have written, nothing more:
//   "HKLM\A\B:Name=s:text"   a string value ("@" is the default value)
//   "HKLM\A\B:Name=d:1"      a DWORD value
//   "HKLM\A\B"               a key with neither values nor subkeys
#include <windows.h>

#include <set>
#include <string>
#include <vector>

inline void DumpRegistryTree(HKEY key, const std::wstring& path, std::set<std::wstring>& lines) {
    DWORD subkeys = 0;
    DWORD values = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    if (subkeys == 0 && values == 0)
        lines.insert(path);
    for (DWORD i = 0;; ++i) {
        wchar_t name[16384];
        DWORD nameLength = 16384;
        BYTE data[4096];
        DWORD bytes = sizeof(data);
        DWORD type = 0;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &bytes) != ERROR_SUCCESS)
            break;
        std::wstring line = path + L":" + (nameLength ? std::wstring(name, nameLength) : std::wstring(L"@")) + L"=";
        if (type == REG_DWORD && bytes == 4)
            line += L"d:" + std::to_wstring(*reinterpret_cast<DWORD*>(data));
        else if (type == REG_SZ)
            line += L"s:" + std::wstring(reinterpret_cast<wchar_t*>(data), bytes / 2 ? bytes / 2 - 1 : 0);
        else
            line += L"?:" + std::to_wstring(type);
        lines.insert(line);
    }
    std::vector<std::wstring> children;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD length = 256;
        if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        children.emplace_back(name, length);
    }
    for (const auto& child : children) {
        HKEY sub = nullptr;
        if (RegOpenKeyExW(key, child.c_str(), 0, KEY_READ, &sub) != ERROR_SUCCESS)
            continue;
        DumpRegistryTree(sub, path + L"\\" + child, lines);
        RegCloseKey(sub);
    }
}

inline std::wstring JoinLines(const std::set<std::wstring>& lines) {
    std::wstring text;
    for (const auto& line : lines)
        text += line + L"\n";
    return text;
}

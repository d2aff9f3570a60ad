#pragma once
// A private key under HKCU for one test: registry tests never touch the
// product's real keys.
#include <windows.h>

#include <string>

class RegistrySandbox {
public:
    RegistrySandbox() {
        // Process ids are reused: the time makes a leftover of an earlier
        // process impossible to pick up, and anything left is cleared first.
        wchar_t name[128];
        wsprintfW(name, L"Software\\HintoraTests\\%lu_%lu_%lu", GetCurrentProcessId(), GetTickCount(),
                  ++s_counter);
        m_path = name;
        RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str());
        RegCreateKeyExW(HKEY_CURRENT_USER, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key,
                        nullptr);
    }
    ~RegistrySandbox() {
        RegCloseKey(m_key);
        RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str());
    }
    HKEY Root() const { return m_key; }
    // Path below HKEY_CURRENT_USER.
    const std::wstring& Path() const { return m_path; }

    void PutString(const std::wstring& key, const std::wstring& name, const std::wstring& text,
                   DWORD type = REG_SZ) {
        RegSetKeyValueW(m_key, key.c_str(), name.c_str(), type, text.c_str(),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    void PutRaw(const std::wstring& key, const std::wstring& name, DWORD type, const void* data, DWORD bytes) {
        RegSetKeyValueW(m_key, key.c_str(), name.c_str(), type, data, bytes);
    }
    void PutDword(const std::wstring& key, const std::wstring& name, DWORD value) {
        RegSetKeyValueW(m_key, key.c_str(), name.c_str(), REG_DWORD, &value, sizeof(value));
    }
    bool Exists(const std::wstring& key) const {
        HKEY h = nullptr;
        if (RegOpenKeyExW(m_key, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
            return false;
        RegCloseKey(h);
        return true;
    }
    bool HasValue(const std::wstring& key, const std::wstring& name) const {
        return RegGetValueW(m_key, key.c_str(), name.c_str(), RRF_RT_ANY, nullptr, nullptr, nullptr) ==
               ERROR_SUCCESS;
    }

private:
    static inline unsigned long s_counter = 0;
    std::wstring m_path;
    HKEY m_key = nullptr;
};

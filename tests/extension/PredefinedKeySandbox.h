#pragma once
// Points HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER of this
// process at private keys under a RegistrySandbox, so code that writes the
// real roots can be run and read back without touching the machine.
#include <windows.h>

#include <string>

#include "RegistrySandbox.h"

class PredefinedKeySandbox {
public:
    PredefinedKeySandbox() {
        m_classes = Make(L"HKCR");
        m_machine = Make(L"HKLM");
        m_user = Make(L"HKCU");
        m_ok = RegOverridePredefKey(HKEY_CLASSES_ROOT, m_classes) == ERROR_SUCCESS &&
               RegOverridePredefKey(HKEY_LOCAL_MACHINE, m_machine) == ERROR_SUCCESS &&
               RegOverridePredefKey(HKEY_CURRENT_USER, m_user) == ERROR_SUCCESS;
    }
    ~PredefinedKeySandbox() {
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegCloseKey(m_classes);
        RegCloseKey(m_machine);
        RegCloseKey(m_user);
    }
    PredefinedKeySandbox(const PredefinedKeySandbox&) = delete;
    PredefinedKeySandbox& operator=(const PredefinedKeySandbox&) = delete;

    bool Ok() const { return m_ok; }
    // The private keys that stand for the three roots.
    HKEY Classes() const { return m_classes; }
    HKEY Machine() const { return m_machine; }
    HKEY User() const { return m_user; }

    // Every path is taken exactly as written (kAsWritten): the tests name
    // both registry views themselves, and a 32-bit test program on 64-bit
    // Windows would otherwise be led into Wow6432Node below keys that have one.
    static constexpr REGSAM kAsWritten = KEY_WOW64_64KEY;

    static bool Exists(HKEY root, const std::wstring& key) {
        HKEY h = nullptr;
        if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | kAsWritten, &h) != ERROR_SUCCESS)
            return false;
        RegCloseKey(h);
        return true;
    }
    // The string value, or "<missing>" / "<not a string>".
    static std::wstring String(HKEY root, const std::wstring& key, const std::wstring& name) {
        wchar_t buffer[1024];
        DWORD bytes = sizeof(buffer);
        DWORD type = 0;
        HKEY h = nullptr;
        if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | kAsWritten, &h) != ERROR_SUCCESS)
            return L"<missing>";
        LONG rc = RegGetValueW(h, nullptr, name.empty() ? nullptr : name.c_str(), RRF_RT_ANY, &type, buffer, &bytes);
        RegCloseKey(h);
        if (rc != ERROR_SUCCESS)
            return L"<missing>";
        if (type != REG_SZ)
            return L"<not a string>";
        return std::wstring(buffer, bytes / sizeof(wchar_t) ? bytes / sizeof(wchar_t) - 1 : 0);
    }
    static DWORD SubkeyCount(HKEY root, const std::wstring& key) {
        HKEY h = nullptr;
        if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | kAsWritten, &h) != ERROR_SUCCESS)
            return 0;
        DWORD count = 0;
        RegQueryInfoKeyW(h, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr);
        RegCloseKey(h);
        return count;
    }
    static void Put(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& text) {
        HKEY h = nullptr;
        if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE | kAsWritten, nullptr, &h, nullptr) !=
            ERROR_SUCCESS)
            return;
        RegSetValueExW(h, name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(h);
    }

private:
    HKEY Make(const wchar_t* name) {
        HKEY key = nullptr;
        RegCreateKeyExW(m_box.Root(), name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        return key;
    }

    RegistrySandbox m_box;
    HKEY m_classes = nullptr;
    HKEY m_machine = nullptr;
    HKEY m_user = nullptr;
    bool m_ok = false;
};

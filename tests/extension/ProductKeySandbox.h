#pragma once
// Points HKEY_LOCAL_MACHINE of this process at a private key for the life of
// the object, so the library's product key reads and writes land in the
// sandbox and the machine's real keys stay untouched.
#include <windows.h>

#include <string>

#include "RegistrySandbox.h"

class ProductKeySandbox {
public:
    static constexpr const wchar_t* kProduct = L"Software\\Veltrane\\Norvik\\Hintora";
    static constexpr const wchar_t* kAdvanced = L"Software\\Veltrane\\Norvik\\Hintora\\Advanced";

    ProductKeySandbox() { m_ok = RegOverridePredefKey(HKEY_LOCAL_MACHINE, m_box.Root()) == ERROR_SUCCESS; }
    ~ProductKeySandbox() { RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr); }
    ProductKeySandbox(const ProductKeySandbox&) = delete;
    ProductKeySandbox& operator=(const ProductKeySandbox&) = delete;

    bool Active() const { return m_ok; }
    void PutProduct(const std::wstring& name, const std::wstring& value) { m_box.PutString(kProduct, name, value); }
    void PutAdvanced(const std::wstring& name, const std::wstring& value) { m_box.PutString(kAdvanced, name, value); }
    RegistrySandbox& Box() { return m_box; }

private:
    RegistrySandbox m_box;
    bool m_ok = false;
};

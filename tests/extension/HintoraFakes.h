#pragma once
// A page as the scriptable object sees it: the site it is given (the page's
// document as the container, the browser as a service), the page's window
// with its location, and a browser that says whether it is a frame. Also a
// sandbox for the three registry roots the object writes.
#include <windows.h>
#include <docobj.h>
#include <exdisp.h>
#include <mshtml.h>
#include <ocidl.h>
#include <servprov.h>
#include <shlguid.h>

#include <string>

#include "FakeSite.h"
#include "BrowserServiceWindow.h"
#include "NotImplComBases.h"
#include "RegistrySandbox.h"

inline BSTR AllocText(const std::wstring& text) {
    return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

class FakeLocation : public NotImplIHTMLLocation {
public:
    std::wstring href;
    std::wstring search;
    HRESULT STDMETHODCALLTYPE get_href(BSTR* p) override {
        *p = AllocText(href);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_search(BSTR* p) override {
        *p = AllocText(search);
        return S_OK;
    }
};

class FakePageBrowser : public NotImplIWebBrowser2 {
public:
    IDispatch* document = nullptr;
    VARIANT_BOOL topLevel = VARIANT_TRUE;
    HRESULT STDMETHODCALLTYPE get_Document(IDispatch** p) override {
        *p = document;
        if (document)
            document->AddRef();
        return document ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE get_TopLevelContainer(VARIANT_BOOL* p) override {
        *p = topLevel;
        return S_OK;
    }
};

// The page's window; it hands out its browser as a service, like the real one.
class FakePageWindow : public BrowserServiceWindow<FakePageBrowser> {
public:
    FakeLocation location;
    IHTMLWindow2* top = nullptr;  // null: the window is its own top

    HRESULT STDMETHODCALLTYPE get_location(IHTMLLocation** p) override {
        *p = &location;
        location.AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_top(IHTMLWindow2** p) override {
        *p = top ? top : this;
        (*p)->AddRef();
        return S_OK;
    }
};

class FakePageDocument : public NotImplIHTMLDocument2 {
public:
    std::wstring url;
    IHTMLWindow2* window = nullptr;
    HRESULT STDMETHODCALLTYPE get_URL(BSTR* p) override {
        *p = AllocText(url);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_parentWindow(IHTMLWindow2** p) override {
        *p = window;
        if (window)
            window->AddRef();
        return window ? S_OK : E_FAIL;
    }
};

// One page at an address, wired together: site -> document -> window ->
// location, and the browser that shows it.
struct FakePage {
    FakeSite site;
    FakePageDocument document;
    FakePageWindow window;
    FakePageBrowser browser;

    explicit FakePage(const std::wstring& address) {
        document.url = address;
        document.window = &window;
        window.browser = &browser;
        window.location.href = address;
        size_t query = address.find(L'?');
        size_t fragment = address.find(L'#');
        if (query != std::wstring::npos && (fragment == std::wstring::npos || query < fragment))
            window.location.search = address.substr(query, fragment == std::wstring::npos ? std::wstring::npos
                                                                                           : fragment - query);
        browser.document = &document;
        site.document = &document;
        site.browser = &browser;
    }
    // A page shown in a frame of another page.
    void MakeFrame(IHTMLWindow2* topWindow) {
        browser.topLevel = VARIANT_FALSE;
        window.top = topWindow;
    }
};

// HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER and HKEY_CLASSES_ROOT of this process
// point at private keys while the object lives.
class SettingsSandbox {
public:
    static constexpr const wchar_t* kProduct = L"Software\\Veltrane\\Norvik\\Hintora";

    SettingsSandbox() {
        m_ok = RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine.Root()) == ERROR_SUCCESS &&
               RegOverridePredefKey(HKEY_CURRENT_USER, user.Root()) == ERROR_SUCCESS &&
               RegOverridePredefKey(HKEY_CLASSES_ROOT, classes.Root()) == ERROR_SUCCESS;
    }
    ~SettingsSandbox() {
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    }
    SettingsSandbox(const SettingsSandbox&) = delete;
    SettingsSandbox& operator=(const SettingsSandbox&) = delete;

    bool Active() const { return m_ok; }

    static std::wstring Read(const RegistrySandbox& box, const std::wstring& key, const std::wstring& name) {
        wchar_t buffer[1024] = {};
        DWORD bytes = sizeof(buffer) - sizeof(wchar_t);
        if (RegGetValueW(box.Root(), key.c_str(), name.empty() ? nullptr : name.c_str(), RRF_RT_REG_SZ, nullptr,
                         buffer, &bytes) != ERROR_SUCCESS)
            return L"<missing>";
        return buffer;
    }
    std::wstring Product(const std::wstring& name) const { return Read(machine, kProduct, name); }
    void PutProduct(const std::wstring& name, const std::wstring& value) { machine.PutString(kProduct, name, value); }
    // Number of values and subkeys in the machine sandbox, all levels.
    static int CountEntries(HKEY key) {
        DWORD subKeys = 0;
        DWORD values = 0;
        if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr, nullptr,
                             nullptr, nullptr) != ERROR_SUCCESS)
            return 0;
        int count = static_cast<int>(subKeys + values);
        for (DWORD i = 0; i < subKeys; ++i) {
            wchar_t name[256];
            DWORD length = 256;
            if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                continue;
            HKEY child = nullptr;
            if (RegOpenKeyExW(key, name, 0, KEY_READ, &child) == ERROR_SUCCESS) {
                count += CountEntries(child);
                RegCloseKey(child);
            }
        }
        return count;
    }

    RegistrySandbox machine;
    RegistrySandbox user;
    RegistrySandbox classes;

private:
    bool m_ok = false;
};

#include "scriptable/Hintora.h"

#include "base/ComModule.h"
#include "base/ComSupport.h"
#include "base/Logger.h"
#include "base/LowIntegrity.h"
#include "base/Registry.h"
#include "base/ThreadSlot.h"
#include "base/TypeLibrary.h"
#include "helper/HintoraIEBHO.h"
#include "messages/MessageCatalog.h"
#include "RegistryScripts.h"
#include "settings/HotKeyTexts.h"
#include "settings/ProductSettings.h"
#include "ui/MessageWindows.h"
#include "Version.h"

#include <servprov.h>
#include <shlguid.h>

#include <utility>

BYTE g_bKeepMru = 0;

namespace {

const wchar_t kClsid[] = L"{C0F7E046-4E1D-47C8-9354-4F53B5DC5CB8}";
const wchar_t kHelperClsid[] = L"{0A9FA9EA-2BAE-439D-89B0-65792127BBD7}";
const wchar_t kVersion[] = L"" HINTORA_VERSION_TEXT;
const wchar_t kKillBitPrefix[] = L"SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\";
const wchar_t kKillBitPrefixWow[] = L"SOFTWARE\\Wow6432Node\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\";
const wchar_t kAddOnSettingsPrefix[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Settings\\";
const DWORD kSupportedSafety = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;

// Internet Explorer's command group of toolbar extension buttons.
const GUID kToolbarButtonGroup = {0x2CE4B5D8, 0xA28F, 0x11D2, {0x86, 0xC5, 0x00, 0xC0, 0x4F, 0x8E, 0xEA, 0x99}};

// Same object, whatever interface pointers were handed out for it.
bool SameObject(IUnknown* a, IUnknown* b) {
    if (!a || !b)
        return false;
    ComPtr<IUnknown> first;
    ComPtr<IUnknown> second;
    if (FAILED(a->QueryInterface(IID_PPV_ARGS(&first))) || FAILED(b->QueryInterface(IID_PPV_ARGS(&second))))
        return false;
    return first.Get() == second.Get();
}

// A top-level page: its browser is the top-level container, or its window
// is its own top window. Frames are neither.
bool IsTopLevelDocument(IHTMLDocument2* document) {
    ComPtr<IHTMLWindow2> window;
    if (FAILED(document->get_parentWindow(&window)) || !window)
        return false;
    ComPtr<IServiceProvider> provider;
    ComPtr<IWebBrowser2> browser;
    VARIANT_BOOL topLevel = VARIANT_FALSE;
    if (SUCCEEDED(window.As(&provider)) &&
        SUCCEEDED(provider->QueryService(SID_SWebBrowserApp, IID_PPV_ARGS(&browser))) && browser &&
        SUCCEEDED(browser->get_TopLevelContainer(&topLevel)) && topLevel == VARIANT_TRUE)
        return true;
    ComPtr<IHTMLWindow2> top;
    return SUCCEEDED(window->get_top(&top)) && SameObject(top.Get(), window.Get());
}

// "scheme://authority" of an address in lower case; empty unless http or https.
std::wstring HttpOrigin(const std::wstring& address) {
    std::wstring lower = LowerCase(address);
    size_t schemeEnd;
    if (lower.compare(0, 7, L"http://") == 0)
        schemeEnd = 7;
    else if (lower.compare(0, 8, L"https://") == 0)
        schemeEnd = 8;
    else
        return std::wstring();
    size_t end = lower.find_first_of(L"/?#\\", schemeEnd);
    if (end == std::wstring::npos)
        end = lower.size();
    if (end == schemeEnd)
        return std::wstring();
    return lower.substr(0, end);
}

}  // namespace

void ShowNoHelperObjectMessage(int(WINAPI* messageBox)(HWND, LPCWSTR, LPCWSTR, UINT)) {
    std::wstring language;
    ProductSettings::GetLanguage(language);
    std::wstring text;
    std::wstring caption;
    {
        std::shared_ptr<MessageCatalog> catalog = MessageCatalog::Instance();
        catalog->Lookup(L"HINTORA_NO_BHO", language, text);
        catalog->Lookup(L"HINTORA_MESSAGES_TITLE", language, caption);
    }
    MessageCatalog::Release();
    messageBox(nullptr, text.c_str(), caption.c_str(), MB_ICONERROR | MB_OK);
}

bool IsLibraryPageAddress(const std::wstring& address, const std::wstring& modulePath) {
    if (modulePath.empty())
        return false;
    // Slashes of either kind: the browser may show the file path in either form.
    auto normalize = [](std::wstring text) {
        text = LowerCase(text);
        for (wchar_t& c : text)
            if (c == L'\\')
                c = L'/';
        return text;
    };
    std::wstring page = normalize(address);
    std::wstring path = normalize(modulePath);
    size_t slash = path.rfind(L'/');
    std::wstring fileName = slash == std::wstring::npos ? path : path.substr(slash + 1);
    // The full path, the bare file name, or the fixed name the library's
    // own pages are opened with whatever the file is called on disk.
    for (const std::wstring& file : {path, fileName, normalize(kMessageWindowModule)}) {
        std::wstring prefix = L"res://" + file + L"/";
        if (page.size() > prefix.size() && page.compare(0, prefix.size(), prefix) == 0)
            return true;
    }
    return false;
}

bool IsSetupPageAddress(const std::wstring& address, const std::wstring& contentUrl) {
    std::wstring origin = HttpOrigin(address);
    if (origin.empty())
        return false;
    size_t pathEnd = address.find_first_of(L"?#");
    std::wstring path = address.substr(0, pathEnd);
    static const std::wstring page = L"/hintorasetup.html";
    if (path.size() < page.size() || path.compare(path.size() - page.size(), page.size(), page) != 0)
        return false;
    // Before the first configuration any content server may set itself up;
    // after it only the configured server.
    if (contentUrl.empty())
        return true;
    return origin == HttpOrigin(contentUrl);
}

HRESULT CHintora::CreateInstance(REFIID riid, void** ppv) {
    return CreateComObject<CHintora>(riid, ppv);
}

CHintora::CHintora() {
    g_logger.ConnectTraceObject();
    if (SUCCEEDED(Initialize()))
        m_bBHO = 1;
    g_logger.Log(L"CHintora::CHintora() - this = [%08Ix] m_bBHO = [%d] m_spWindow = [%08Ix]",
                 reinterpret_cast<UINT_PTR>(this), static_cast<int>(m_bBHO),
                 reinterpret_cast<UINT_PTR>(m_spWindow.Get()));
}

CHintora::~CHintora() {
    m_spWindow.Reset();
    g_logger.Log(L"CHintora::~CHintora() - this = [%08Ix]", reinterpret_cast<UINT_PTR>(this));
}

// ---- IUnknown ----------------------------------------------------------------

STDMETHODIMP CHintora::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IHintora)
        *ppv = static_cast<IHintora*>(this);
    else if (riid == IID_IObjectWithSite)
        *ppv = static_cast<IObjectWithSite*>(this);
    else if (riid == IID_IObjectSafety)
        *ppv = static_cast<IObjectSafety*>(this);
    else if (riid == IID_IOleCommandTarget)
        *ppv = static_cast<IOleCommandTarget*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CHintora::AddRef() {
    return AddComReference(m_cRef);
}

STDMETHODIMP_(ULONG) CHintora::Release() {
    return ReleaseComReference(this, m_cRef);
}

// ---- IObjectWithSite -----------------------------------------------------------

STDMETHODIMP CHintora::SetSite(IUnknown* site) {
    if (!site) {
        m_spWebBrowser.Reset();
        m_spWindow.Reset();
    } else if (!m_bBHO) {
        // The toolbar's site leads to the browser; a page's site may not.
        ComPtr<IOleCommandTarget> target;
        ComPtr<IWebBrowser2> browser;
        FindToolbarBrowser(site, target, browser);
        if (browser)
            m_spWebBrowser = std::move(browser);
    }
    g_logger.Log(L"CHintora::SetSite() - pUnkSite = [%08Ix] m_spWebBrowser = [%08Ix]",
                 reinterpret_cast<UINT_PTR>(site), reinterpret_cast<UINT_PTR>(m_spWebBrowser.Get()));
    m_spUnkSite = site;
    return S_OK;
}

STDMETHODIMP CHintora::GetSite(REFIID riid, void** ppvSite) {
    return QueryStoredSite(m_spUnkSite.Get(), riid, ppvSite);
}

void CHintora::FindToolbarBrowser(IUnknown* site, ComPtr<IOleCommandTarget>& target,
                                  ComPtr<IWebBrowser2>& browser) {
    ComPtr<IServiceProvider> provider;
    if (SUCCEEDED(site->QueryInterface(IID_PPV_ARGS(&target))) && target && SUCCEEDED(target.As(&provider)) &&
        provider && FAILED(provider->QueryService(SID_SWebBrowserApp, IID_PPV_ARGS(&browser))))
        browser.Reset();
}

// ---- Window of the tab -------------------------------------------------------------

HRESULT CHintora::Initialize() {
    return TakeTabWindow(L"CHintora", m_spWindow);
}

HRESULT CHintora::TakeTabWindow(const wchar_t* owner, ComPtr<IHTMLWindow2>& tabWindow) {
    try {
        if (!g_bBhoPresent)
            return E_FAIL;
        SetLastError(ERROR_SUCCESS);
        CHintoraIEBHO* bho = ThreadBhoSlot::Get();
        DWORD slotError = GetLastError();
        if (bho) {
            ComPtr<IHTMLWindow2> window;
            bho->GetWindow(&window);
            if (window)
                tabWindow = std::move(window);
            return S_OK;
        }
        if (slotError != ERROR_SUCCESS) {
            g_logger.Log(L"%s::Initialize - can't get Tls data, returning", owner);
            return S_OK;
        }
        return E_FAIL;
    } catch (...) {
        g_logger.LogError(std::wstring(owner) + L"::Initialize() exception", GetLastError(), true);
        return E_FAIL;
    }
}

HRESULT CHintora::SetWindow() {
    if (!m_spWebBrowser)
        return S_OK;
    ComPtr<IDispatch> documentDispatch;
    HRESULT hr = m_spWebBrowser->get_Document(&documentDispatch);
    if (FAILED(hr) || !documentDispatch)
        return hr;
    ComPtr<IHTMLDocument2> document;
    if (FAILED(documentDispatch.As(&document)) || !document)
        return hr;
    ComPtr<IHTMLWindow2> window;
    hr = document->get_parentWindow(&window);
    if (window && window != m_spWindow) {
        m_spWindow = std::move(window);
        g_logger.Log(L"CHintora::SetWindow() - m_spWindow = [%08Ix]", reinterpret_cast<UINT_PTR>(m_spWindow.Get()));
    }
    return hr;
}

// ---- Caller origin ------------------------------------------------------------------

HRESULT CHintora::GetCallerDocument(ComPtr<IHTMLDocument2>& document) {
    document.Reset();
    if (!m_spUnkSite)
        return E_FAIL;
    ComPtr<IOleClientSite> clientSite;
    ComPtr<IOleContainer> container;
    if (SUCCEEDED(m_spUnkSite.As(&clientSite)) && clientSite && SUCCEEDED(clientSite->GetContainer(&container)) &&
        container && SUCCEEDED(container.As(&document)) && document)
        return S_OK;
    // A page's script site hands out its document as the container's dispatch.
    ComPtr<IServiceProvider> provider;
    ComPtr<IDispatch> containerDispatch;
    if (SUCCEEDED(m_spUnkSite.As(&provider)) && provider &&
        SUCCEEDED(provider->QueryService(SID_SContainerDispatch, IID_PPV_ARGS(&containerDispatch))) &&
        containerDispatch && SUCCEEDED(containerDispatch.As(&document)) && document)
        return S_OK;
    HRESULT hr = m_spUnkSite.As(&document);
    return SUCCEEDED(hr) && document ? S_OK : E_FAIL;
}

bool CHintora::IsCallerAllowed() {
    // A script host that runs with the user's rights gives no site and never
    // asks for safety for untrusted callers; a web browser does both.
    bool fromPage = m_spUnkSite || (m_dwCurrentSafety & INTERFACESAFE_FOR_UNTRUSTED_CALLER);
    if (!fromPage)
        return true;
    ComPtr<IHTMLDocument2> document;
    Bstr url;
    if (FAILED(GetCallerDocument(document)) || !document || FAILED(document->get_URL(url.Out()))) {
        g_logger.Log(L"CHintora::IsCallerAllowed() - no caller document");
        return false;
    }
    std::wstring address = url.Text();
    if (IsLibraryPageAddress(address, LibraryModulePath()))
        return true;
    std::wstring contentUrl = ProductSettings::Value(L"ContentURL");
    bool allowed = IsSetupPageAddress(address, contentUrl) && IsTopLevelDocument(document.Get());
    if (!allowed)
        g_logger.Log(L"CHintora::IsCallerAllowed() - refused [%s]", address.c_str());
    return allowed;
}

// ---- IOleCommandTarget -------------------------------------------------------------

STDMETHODIMP CHintora::QueryStatus(const GUID* group, ULONG count, OLECMD* commands, OLECMDTEXT*) {
    return ToolbarCommandStatus(group, count, commands);
}

HRESULT CHintora::ToolbarCommandStatus(const GUID* group, ULONG count, OLECMD* commands) {
    if (!group || *group != kToolbarButtonGroup)
        return OLECMDERR_E_UNKNOWNGROUP;
    if (count > 0 && !commands)
        return E_POINTER;
    for (ULONG i = 0; i < count; ++i)
        commands[i].cmdf = OLECMDF_SUPPORTED | OLECMDF_ENABLED;
    return S_OK;
}

STDMETHODIMP CHintora::Exec(const GUID*, DWORD id, DWORD, VARIANT*, VARIANT*) {
    g_logger.Log(L"CHintora::Exec() - nCmdID = %08x", id);
    if (id == 0)
        return Start();
    return S_OK;
}

// ---- Start --------------------------------------------------------------------------

bool CHintora::IsBhoDisabled() {
    Registry user(HKEY_CURRENT_USER);
    DWORD flags = 0;
    // A value that could not be read never counts as switched off.
    LONG rc = user.GetDwordValue(std::wstring(kAddOnSettingsPrefix) + kHelperClsid, L"Flags", flags);
    return rc == ERROR_SUCCESS && flags == 1;
}

STDMETHODIMP CHintora::Start() {
    try {
        // The keys name both views themselves.
        Registry machine(HKEY_LOCAL_MACHINE, Registry::kAsWritten);
        const std::wstring killBitKeys[] = {
            std::wstring(kKillBitPrefix) + kClsid,
            std::wstring(kKillBitPrefix) + kHelperClsid,
            std::wstring(kKillBitPrefixWow) + kClsid,
            std::wstring(kKillBitPrefixWow) + kHelperClsid,
        };
        for (const std::wstring& key : killBitKeys) {
            if (machine.KeyExists(key)) {
                g_logger.Log(L"CHintora::Start() - kill bit set, exiting.");
                return E_FAIL;
            }
        }

        CHintoraIEBHO* bho = ThreadBhoSlot::Get();
        if (!bho || IsBhoDisabled()) {
            ShowNoHelperObjectMessage(MessageBoxW);
            return S_OK;
        }

        // The request may show modal windows; the helper object must outlive them.
        ComPtr<IHintoraIEBHO> helper(static_cast<IHintoraIEBHO*>(bho));
        helper->Start();
        return S_OK;
    } catch (...) {
        g_logger.LogError(L"CHintora::Start() exception", GetLastError(), true);
        return S_OK;
    }
}

// ---- Small methods ------------------------------------------------------------------

STDMETHODIMP CHintora::KeepMru() {
    if (!IsCallerAllowed())
        return E_ACCESSDENIED;
    g_bKeepMru = 1;
    return S_OK;
}

STDMETHODIMP CHintora::GetVersion(BSTR* pVal) {
    if (!pVal)
        return E_INVALIDARG;
    std::wstring version = kVersion;
    for (wchar_t& c : version)
        if (c == L'.')
            c = L',';
    return HandOutText(version, pVal);
}

HRESULT CHintora::HandOutText(const std::wstring& text, BSTR* out) {
    *out = Bstr(text).Detach();
    return *out ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CHintora::GetMessage(BSTR* pVal) {
    if (!pVal)
        return E_INVALIDARG;
    *pVal = nullptr;
    try {
        std::wstring text;
        CHintoraIEBHO::GetCurrentMessage(text);
        HandOutText(text, pVal);
    } catch (...) {
        g_logger.LogError(L"CHintora::GetMessage() exception", GetLastError(), true);
    }
    return S_OK;
}

STDMETHODIMP CHintora::CreateOptionsJson() {
    try {
        CHintoraIEBHO::SetOptionsMessage();
    } catch (...) {
        g_logger.LogError(L"CHintora::CreateOptionsJson() exception", GetLastError(), true);
    }
    return S_OK;
}

STDMETHODIMP CHintora::Update(BSTR* pVersion) {
    if (!pVersion)
        return E_INVALIDARG;
    if (!IsCallerAllowed())
        return E_ACCESSDENIED;
    try {
        std::wstring version = BstrToText(*pVersion);
        if (version.compare(0, 6, L"10.0.0") != 0 && version.compare(0, 6, L"10,0,0") != 0)
            return S_OK;
        g_logger.Log(L"CHintora::Update() - removing version [%s]", version.c_str());
        DeleteKeyFromRegistry(HKEY_LOCAL_MACHINE,
                              L"Software\\Microsoft\\Internet Explorer\\Extensions\\{9292FEDB-34F7-400a-B03B-08722952A91C}");
        DeleteKeyFromRegistry(HKEY_LOCAL_MACHINE,
                              std::wstring(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper "
                                           L"Objects\\") + kHelperClsid);
        DeleteKeyFromRegistry(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kClsid);
        DeleteKeyFromRegistry(HKEY_LOCAL_MACHINE,
                              std::wstring(L"Software\\Microsoft\\Code Store Database\\Distribution Units\\") + kClsid);
        for (const wchar_t* id : {kHelperClsid, L"{9292FEDB-34F7-400a-B03B-08722952A91C}",
                                  L"{912DCC9E-014B-4c4f-83A0-866D5A8E01D8}"})
            DeleteKeyFromRegistry(HKEY_CURRENT_USER, std::wstring(kAddOnSettingsPrefix) + id);

        // The whole unregistration is the library's own export.
        HMODULE module = nullptr;
        if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                               reinterpret_cast<LPCWSTR>(&LibraryModulePath), &module)) {
            using UnregisterFunc = HRESULT(STDAPICALLTYPE*)();
            auto unregister =
                reinterpret_cast<UnregisterFunc>(reinterpret_cast<void*>(GetProcAddress(module, "DllUnregisterServer")));
            if (unregister)
                unregister();
        }
    } catch (...) {
        g_logger.LogError(L"CHintora::Update() exception", GetLastError(), true);
    }
    return S_OK;
}

// ---- IObjectSafety ------------------------------------------------------------------

bool CHintora::Implements(REFIID riid) {
    ComPtr<IUnknown> unknown;
    return SUCCEEDED(QueryInterface(riid, reinterpret_cast<void**>(unknown.GetAddressOf())));
}

STDMETHODIMP CHintora::GetInterfaceSafetyOptions(REFIID riid, DWORD* supported, DWORD* enabled) {
    if (!supported || !enabled)
        return E_POINTER;
    if (!Implements(riid)) {
        *supported = 0;
        *enabled = 0;
        return E_NOINTERFACE;
    }
    *supported = kSupportedSafety;
    *enabled = m_dwCurrentSafety;
    return S_OK;
}

STDMETHODIMP CHintora::SetInterfaceSafetyOptions(REFIID riid, DWORD mask, DWORD enabled) {
    if (!Implements(riid))
        return E_NOINTERFACE;
    if (mask & ~kSupportedSafety)
        return E_FAIL;
    m_dwCurrentSafety = (m_dwCurrentSafety & ~mask) | (mask & enabled);
    return S_OK;
}

// ---- Registration ---------------------------------------------------------------------

namespace {

const wchar_t kVendorName[] = L"Veltrane";
const wchar_t kVendorKey[] = L"Software\\Veltrane";
const wchar_t kCompanyKey[] = L"Software\\Veltrane\\Norvik";
const wchar_t kVirtualStore[] = L"Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE";
const wchar_t kVirtualStoreWow[] = L"Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\Wow6432Node";
const wchar_t kButtonExtension[] = L"{9292FEDB-34F7-400a-B03B-08722952A91C}";
const wchar_t kOptionsExtension[] = L"{912DCC9E-014B-4c4f-83A0-866D5A8E01D8}";

// A key that exists, opens, and holds neither subkeys nor values. A key
// that cannot be looked into is never called empty: it may hold another
// product's settings.
bool IsEmptyKey(HKEY root, const std::wstring& path, REGSAM view) {
    RegistryKey key = OpenRegistryKey(root, path.c_str(), KEY_READ | view);
    if (!key)
        return false;
    DWORD subKeys = 0;
    DWORD values = 0;
    LONG rc = RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr,
                               nullptr, nullptr, nullptr);
    return rc == ERROR_SUCCESS && subKeys == 0 && values == 0;
}

}  // namespace

HRESULT CHintora::UpdateRegistry(bool doRegister) {
    g_logger.ConnectTraceObject();
    g_logger.Log(L"CHintora::UpdateRegistry()");

    // Registration stops at the first script that fails, so that a caller
    // sees the failure (and DllInstall undoes the rest); removal runs every
    // script and the whole clean-up, and reports the first failure.
    const std::vector<CHintoraIEModule::Replacement> vendor = {{L"RootNodePref1", kVendorName}};
    const UINT scripts[] = {IDR_HINTORA, IDR_HINTORAIE, IDR_VENDORKEY, IDR_HINTORAOPTIONS, IDR_DOCUIHANDLER};
    HRESULT result = S_OK;
    for (UINT script : scripts) {
        HRESULT hr = g_module.UpdateRegistryFromResource(script, doRegister, vendor);
        if (FAILED(hr) && SUCCEEDED(result))
            result = hr;
        if (FAILED(hr) && doRegister)
            return hr;
    }

    try {
        if (doRegister) {
            // Protected-mode browsers must be able to change these texts.
            for (const std::wstring& object : {
                     std::wstring(L"MACHINE\\") + HotKeyTexts::kButtonKey,
                     std::wstring(L"MACHINE\\") + HotKeyTexts::kOptionsMenuKey,
                     std::wstring(L"CURRENT_USER\\") + HotKeyTexts::kMenuExtKey,
                     std::wstring(L"MACHINE\\") + kVendorKey,
                     std::wstring(L"MACHINE\\") + kCompanyKey,
                     std::wstring(L"MACHINE\\") + kCompanyKey + L"\\" + L"Hintora",
                 })
                SetLowIntegrityLevelOnRegistryKey(object);

            // A user who chose a language keeps it across a re-registration;
            // a first installation keeps the scripts' English texts.
            std::wstring language;
            LONG rc = ProductSettings::ReadValue(L"Language", language);
            if (rc == ERROR_SUCCESS && !language.empty()) {
                std::wstring name = ProductSettings::Value(L"Name");
                std::wstring shortCut = ProductSettings::Value(L"EnglishShortCut");
                ModifyHintoraTextAndShortCut(name.empty() ? HotKeyTexts::kDefaultName : name,
                                             shortCut.empty() ? HotKeyTexts::kDefaultShortCut : shortCut);
                WriteOptionsMenuText(language);
            }
            return result;
        }

        // The context-menu entry, only when its name cannot reach any other
        // key below Internet Explorer's own context-menu key.
        std::wstring shortCut = ProductSettings::Value(L"ShortCut");
        std::wstring name = ProductSettings::Value(L"Name");
        if (!shortCut.empty() && !name.empty()) {
            std::wstring entry = MenuText(name, shortCut);
            if (NamesOneMenuEntry(entry))
                DeleteKeyFromRegistry(HKEY_CURRENT_USER, std::wstring(HotKeyTexts::kMenuExtKey) + L"\\" + entry);
            else
                g_logger.Log(L"CHintora::UpdateRegistry() - context-menu entry left [%s]", entry.c_str());
        }

        // KeepMru protects the content-location list: then only the
        // product key goes.
        const std::wstring ours = g_bKeepMru ? L"\\Veltrane\\Norvik\\Hintora" : L"\\Veltrane\\Norvik";
        // The machine key in this process's own view, where the settings are
        // written; the per-user copies of both views exactly as named.
        DeleteKeyFromRegistry(HKEY_LOCAL_MACHINE, std::wstring(L"Software") + ours);
        DeleteKeyFromRegistry(HKEY_CURRENT_USER, kVirtualStore + ours, Registry::kAsWritten);
        DeleteKeyFromRegistry(HKEY_CURRENT_USER, kVirtualStoreWow + ours, Registry::kAsWritten);

        // The vendor key and its per-user copies are shared with the vendor's
        // other products: each goes only once nothing at all is left in it.
        if (!g_bKeepMru) {
            const struct {
                HKEY root;
                std::wstring path;
                REGSAM view;
            } vendorKeys[] = {
                {HKEY_LOCAL_MACHINE, kVendorKey, 0},
                {HKEY_CURRENT_USER, std::wstring(kVirtualStore) + L"\\" + kVendorName, Registry::kAsWritten},
                {HKEY_CURRENT_USER, std::wstring(kVirtualStoreWow) + L"\\" + kVendorName, Registry::kAsWritten},
            };
            for (const auto& key : vendorKeys) {
                if (IsEmptyKey(key.root, key.path, key.view))
                    DeleteKeyFromRegistry(key.root, key.path, key.view);
                else
                    g_logger.Log(L"CHintora::UpdateRegistry() - vendor key kept [%s]", key.path.c_str());
            }
        }

        // Internet Explorer's per-user state of the helper and both entries.
        for (const wchar_t* prefix : {L"Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats\\",
                                      L"Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Settings\\"})
            for (const wchar_t* id : {kHelperClsid, kButtonExtension, kOptionsExtension})
                DeleteKeyFromRegistry(HKEY_CURRENT_USER, std::wstring(prefix) + id);
    } catch (...) {
        g_logger.LogError(L"CHintora::UpdateRegistry() exception", GetLastError(), true);
    }
    return result;
}

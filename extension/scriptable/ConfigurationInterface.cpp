// The methods through which the content server's setup pages configure the
// library: Configure, Save, Query and the hot key's SetShortCut and GetShortCut.
#include "scriptable/Hintora.h"

#include "base/JsonText.h"
#include "base/Logger.h"
#include "base/Registry.h"
#include "base/TextTokens.h"
#include "scriptable/LocationMru.h"
#include "settings/HotKeyTexts.h"
#include "settings/ProductSettings.h"
#include "settings/ShortCutText.h"

#include <map>
#include <vector>

namespace {

const wchar_t kSetupPageName[] = L"hintorasetup.html";
const wchar_t kDefaultLanguage[] = L"en";

// Address and query part of the window's location; false when either
// cannot be read.
bool ReadLocation(IHTMLWindow2* window, std::wstring& href, std::wstring& search) {
    ComPtr<IHTMLLocation> location;
    if (FAILED(window->get_location(&location)) || !location)
        return false;
    Bstr text;
    if (FAILED(location->get_href(text.Out())) || !text.get())
        return false;
    href = text.Text();
    if (FAILED(location->get_search(text.Out())))
        return false;
    search = text.Text();
    return true;
}

}  // namespace

std::wstring ContentUrlFromSetupAddress(const std::wstring& address) {
    // A "/" in the query part or the fragment is no level of the address.
    std::wstring path = address.substr(0, address.find_first_of(L"?#"));
    if (path.find(kSetupPageName) != std::wstring::npos)
        return GetParentUrl(path);
    return GetParentUrl(GetParentUrl(GetParentUrl(path)));
}

STDMETHODIMP CHintora::Configure(BSTR* pLanguage, BSTR* pKey, BSTR* pPublishData, int* status) {
    if (!pLanguage || !pKey || !pPublishData || !status)
        return E_INVALIDARG;
    *status = 0;
    if (!IsCallerAllowed())
        return E_ACCESSDENIED;

    LONG result = 0;
    try {
        std::wstring language = BstrToText(*pLanguage);
        std::wstring key = BstrToText(*pKey);
        std::wstring publishData = BstrToText(*pPublishData);
        g_logger.Log(L"CHintora::Configure() - this = [%08Ix]", reinterpret_cast<UINT_PTR>(this));

        Initialize();
        SetWindow();

        std::wstring href;
        std::wstring search;
        // A location that cannot be read counts as no window: nothing is written.
        if (!m_spWindow || !ReadLocation(m_spWindow.Get(), href, search)) {
            g_logger.Log(L"CHintora::Configure() - failed to get window");
        } else {
            g_logger.Log(L"CHintora::Configure() - search = [%s]", search.c_str());
            if (search.size() > 2)
                SaveParameters(search.substr(1));

            std::wstring contentUrl = ContentUrlFromSetupAddress(href);
            g_logger.Log(L"CHintora::Configure() - contentUrl = [%s]", contentUrl.c_str());
            ProductSettings::StoreValue(L"ContentURL", contentUrl);
            AddToLocationMru(contentUrl, L"");

            if (ProductSettings::Value(L"Language").empty()) {
                ProductSettings::StoreValue(L"Language", language.empty() ? kDefaultLanguage : language);
                WriteOptionsMenuText(language);
            }

            // A key the helper object cannot read counts as none.
            WORD word = 0;
            std::wstring shortCut =
                ShortCutText::ShortCutWordFromText(key, word) ? key : std::wstring(HotKeyTexts::kDefaultShortCut);
            g_logger.Log(L"CHintora::Configure() - [%s] [%s]", HotKeyTexts::kDefaultName, shortCut.c_str());

            // A stored hot key wins. Its English form is the one handed on:
            // the localized form must never end up stored as the English one.
            std::wstring storedShortCut;
            result = ProductSettings::ReadValue(L"EnglishShortCut", storedShortCut);
            ModifyHintoraTextAndShortCut(HotKeyTexts::kDefaultName,
                                         storedShortCut.empty() ? shortCut : storedShortCut);

            ProductSettings::StoreValue(L"PublishData", publishData);
        }
    } catch (...) {
        g_logger.LogError(L"CHintora::Configure() exception", GetLastError(), true);
    }
    g_logger.LogError(L"CHintora::Configure()", static_cast<DWORD>(result), true);
    *status = static_cast<int>(result);
    return S_OK;
}

STDMETHODIMP CHintora::Save(BSTR* pVal) {
    if (!pVal)
        return E_INVALIDARG;
    if (!IsCallerAllowed())
        return E_ACCESSDENIED;
    try {
        // A failed store reports a Win32 code, which a script would take
        // for success.
        return HRESULT_FROM_WIN32(SaveParameters(BstrToText(*pVal)));
    } catch (...) {
        g_logger.LogError(L"CHintora::Save() exception", GetLastError(), true);
        return S_OK;
    }
}

LONG CHintora::SaveParameters(const std::wstring& parameters) {
    g_logger.Log(L"CHintora::SaveParameters() - parameters = [%s]", parameters.c_str());
    std::wstring testKey = ProductSettings::kTestKey;
    std::wstring advancedKey = ProductSettings::kAdvancedKey;
    LONG result = 0;
    for (const std::wstring& item : SplitTokens(parameters, L'&')) {
        std::vector<std::wstring> pieces = SplitTokens(item, L'=');
        if (pieces.size() != 2) {
            g_logger.Log(L"CHintora::SaveParameters() - params tokenized invalid format = [%s]", item.c_str());
            continue;
        }
        const std::wstring& name = pieces[0];
        const std::wstring& value = pieces[1];
        g_logger.Log(L"CHintora::SaveParameters() - params tokenized = [%s][%s]", name.c_str(), value.c_str());
        if (ProductSettings::IsTestParameter(name))
            result = ProductSettings::StoreDataInRegistry(HKEY_LOCAL_MACHINE, testKey, name, value);
        else if (ProductSettings::IsAdvancedParameter(name))
            result = ProductSettings::StoreDataInRegistry(HKEY_LOCAL_MACHINE, advancedKey, name, value);
    }
    return result;
}

std::wstring BuildQueryJson() {
    std::wstring productKey = ProductSettings::kProductKey;
    std::vector<std::wstring> subKeys;
    Registry(HKEY_LOCAL_MACHINE).GetSubKeys(productKey, subKeys);
    std::map<std::wstring, std::wstring> values;
    GetStringChildrenFromRegistry(HKEY_LOCAL_MACHINE, productKey, values);
    for (const std::wstring& subKey : subKeys)
        GetStringChildrenFromRegistry(HKEY_LOCAL_MACHINE, productKey + L"\\" + subKey, values);

    return FormatJsonObject(values);
}

STDMETHODIMP CHintora::Query(BSTR* pParams) {
    if (!pParams)
        return E_INVALIDARG;
    *pParams = nullptr;
    if (!IsCallerAllowed())
        return E_ACCESSDENIED;
    try {
        g_logger.Log(L"CHintora::Query() - this = [%08Ix]", reinterpret_cast<UINT_PTR>(this));
        Initialize();
        if (FAILED(HandOutText(BuildQueryJson(), pParams)))
            return E_OUTOFMEMORY;
    } catch (...) {
        g_logger.LogError(L"CHintora::Query() exception", GetLastError(), true);
    }
    return S_OK;
}

STDMETHODIMP CHintora::SetShortCut(BSTR* pVal) {
    if (!pVal)
        return E_INVALIDARG;
    if (!IsCallerAllowed())
        return E_ACCESSDENIED;
    try {
        std::wstring text = BstrToText(*pVal);
        g_logger.Log(L"CHintora::SetShortCut() - %s", text.c_str());
        // A text the helper object cannot read would be shown in the menus
        // while the key that works is F9.
        WORD word = 0;
        if (!ShortCutText::ShortCutWordFromText(text, word))
            return E_INVALIDARG;
        ModifyHintoraTextAndShortCut(std::wstring(), text);
    } catch (...) {
        g_logger.LogError(L"CHintora::SetShortCut() exception", GetLastError(), true);
    }
    return S_OK;
}

STDMETHODIMP CHintora::GetShortCut(BSTR* pVal) {
    if (!pVal)
        return E_INVALIDARG;
    *pVal = nullptr;
    try {
        std::wstring text = ProductSettings::Value(L"EnglishShortCut");
        g_logger.Log(L"CHintora::GetShortCut() - %s", text.c_str());
        if (FAILED(HandOutText(text, pVal)))
            return E_OUTOFMEMORY;
    } catch (...) {
        g_logger.LogError(L"CHintora::GetShortCut() exception", GetLastError(), true);
    }
    return S_OK;
}

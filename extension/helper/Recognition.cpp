// Page recognition in the tab that asked for help: the page's frames, the
// embedded recognition script in one leader frame per domain, and the
// browser context handed to the gateway window through the shared block.
#include "helper/HintoraIEBHO.h"

#include "base/Logger.h"
#include "helper/HtmlDomHelper.h"
#include "helper/PageValues.h"
#include "helper/SharedState.h"
#include "settings/ProductSettings.h"
#include "ui/MessageWindows.h"

#include <exdisp.h>

#include <cwctype>

namespace {

const int kRecognitionScriptResource = 700;
const wchar_t kScriptPrefix[] = L"window.Velnor={};(function(Velnor){";
const wchar_t kScriptSuffix[] = L"\r\n})(window.Velnor);";
const wchar_t kRecognitionPath[] = L"window.Velnor.Recognition.";

// The library's own file: the module that holds this code.
std::wstring LibraryPath() {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&LibraryPath), &module))
        module = nullptr;
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring RecognitionScriptUrl() {
    return L"res://" + LibraryPath() + L"/" + std::to_wstring(kRecognitionScriptResource);
}

bool IsObject(const VARIANT& value) {
    return value.vt == VT_DISPATCH && value.pdispVal;
}

// Makes the value an automation array of variants filled by `fill` for each
// index.
template <class Fill>
void MakeArray(Variant& target, size_t count, Fill fill) {
    target.Clear();
    target.parray = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(count));
    if (!target.parray)
        throw ComFailure(E_OUTOFMEMORY);
    target.vt = VT_ARRAY | VT_VARIANT;
    VARIANT* data = nullptr;
    HRESULT hr = SafeArrayAccessData(target.parray, reinterpret_cast<void**>(&data));
    if (FAILED(hr))
        throw ComFailure(hr);
    for (size_t i = 0; i < count; ++i)
        fill(i, data[i]);
    SafeArrayUnaccessData(target.parray);
}

}  // namespace

HRESULT CHintoraIEBHO::CollectFrames(IHTMLWindow2* window, LONG parentIndex) {
    if (!window)
        return S_OK;
    // A frame of another domain refuses its document to the window; its own
    // browser object still hands it out.
    ComPtr<IHTMLDocument2> document;
    if (FAILED(window->get_document(&document)) || !document) {
        HtmlDomHelper dom;
        if (FAILED(dom.GetBrowserDocument(window, document.ReleaseAndGetAddressOf())) || !document)
            return S_OK;
    }

    std::wstring url;
    bool accepted = false;
    Bstr address;
    if (SUCCEEDED(document->get_URL(address.Out())) && address.get()) {
        url = address.Text();
        if (url.size() >= 4) {
            std::wstring scheme = url.substr(0, 4);
            for (auto& c : scheme)
                c = static_cast<wchar_t>(towlower(c));
            accepted = scheme == L"http";
        }
    }

    LONG childParent = parentIndex;
    if (accepted) {
        m_frames.reserve(m_frames.size() + 1);
        m_frameParentIndexes.reserve(m_frameParentIndexes.size() + 1);
        frameLeaderIndexArray.reserve(frameLeaderIndexArray.size() + 1);
        m_frames.push_back(window);
        m_frameParentIndexes.push_back(parentIndex);
        LONG index = static_cast<LONG>(m_frames.size()) - 1;
        childParent = index;
        g_logger.Log(L"CHintoraIEBHO::CollectFrames() - frame added %s", url.c_str());

        LONG leader = index;
        Bstr domain;
        if (SUCCEEDED(document->get_domain(domain.Out())) && !domain.Text().empty()) {
            std::wstring name = domain.Text();
            auto known = m_domainLeaders.find(name);
            if (known != m_domainLeaders.end())
                leader = known->second;
            else
                m_domainLeaders[name] = index;
            g_logger.Log(L"CHintoraIEBHO::CollectFrames() - domain name %s, leader frame %d", name.c_str(),
                         static_cast<int>(leader));
        } else {
            g_logger.Log(L"CHintoraIEBHO::CollectFrames() - couldn't get domain name");
        }
        frameLeaderIndexArray.push_back(leader);
    } else {
        g_logger.Log(L"CHintoraIEBHO::CollectFrames() - frame not added %s", url.c_str());
    }

    ComPtr<IOleContainer> container;
    if (FAILED(document.As(&container)) || !container)
        return S_OK;
    ComPtr<IEnumUnknown> objects;
    if (FAILED(container->EnumObjects(OLECONTF_EMBEDDINGS, &objects)) || !objects)
        return S_OK;
    for (;;) {
        ComPtr<IUnknown> object;
        ULONG fetched = 0;
        if (objects->Next(1, &object, &fetched) != S_OK || !object)
            break;
        ComPtr<IWebBrowser2> browser;
        if (FAILED(object.As(&browser)) || !browser)
            continue;
        ComPtr<IDispatch> childDispatch;
        if (FAILED(browser->get_Document(&childDispatch)) || !childDispatch)
            continue;
        ComPtr<IHTMLDocument2> childDocument;
        if (FAILED(childDispatch.As(&childDocument)) || !childDocument)
            continue;
        ComPtr<IHTMLWindow2> childWindow;
        if (FAILED(childDocument->get_parentWindow(&childWindow)) || !childWindow)
            continue;
        CollectFrames(childWindow.Get(), childParent);
    }
    return S_OK;
}

HRESULT CHintoraIEBHO::ProceedWithRecognition() {
    HRESULT hr = S_OK;
    const wchar_t* failure = nullptr;
    try {
        g_logger.Log(L"CHintoraIEBHO::ProceedWithRecognition()");
        CollectFrames(m_spWindow.Get(), -1);

        if (m_frames.empty()) {
            g_logger.Log(L"CHintoraIEBHO::ProceedWithRecognition() - no valid frame");
            failure = ErrorTexts::kNoValidFrame;
            hr = E_FAIL;
        }

        HtmlDomHelper dom;
        Variant descriptor;
        if (!failure) {
            g_logger.Log(L"CHintoraIEBHO::ProceedWithRecognition() - number of frames = [%d]",
                         static_cast<int>(m_frames.size()));
            g_logger.Log(L"CHintoraIEBHO::ProceedWithRecognition() - number of frame parent indexes = [%d]",
                         static_cast<int>(m_frameParentIndexes.size()));
            g_logger.Log(L"CHintoraIEBHO::ProceedWithRecognition() - number of leader frame indexes = [%d]",
                         static_cast<int>(frameLeaderIndexArray.size()));

            // One injection per leader; a leader whose injection failed gets
            // another chance where it is named again.
            std::wstring scriptUrl = RecognitionScriptUrl();
            LONG lastInjected = -1;
            for (size_t i = 0; i < frameLeaderIndexArray.size(); ++i) {
                LONG leader = frameLeaderIndexArray[i];
                if (leader <= lastInjected) {
                    g_logger.Log(L"CHintoraIEBHO::ProceedWithRecognition() - NOT injected into "
                                 L"frameLeaderIndexArray[%d] = %d",
                                 static_cast<int>(i), static_cast<int>(leader));
                    continue;
                }
                ComPtr<IDispatch> script;
                hr = dom.GetScriptObject(m_frames.at(leader).Get(), &script);
                if (FAILED(hr) || !script) {
                    g_logger.Log(L"CHintoraIEBHO::ProceedWithRecognition() - Couldn't get script object, leader "
                                 L"frame index: %d",
                                 static_cast<int>(leader));
                    continue;
                }
                hr = dom.InjectScript(script.Get(), kScriptPrefix, scriptUrl, kScriptSuffix, false);
                if (SUCCEEDED(hr)) {
                    g_logger.Log(L"CHintoraIEBHO::ProceedWithRecognition() - Injected into "
                                 L"frameLeaderIndexArray[%d] = %d",
                                 static_cast<int>(i), static_cast<int>(leader));
                    lastInjected = leader;
                } else {
                    g_logger.Log(L"CHintoraIEBHO::ProceedWithRecognition() - Couldn't inject script, leader frame "
                                 L"index: %d",
                                 static_cast<int>(leader));
                }
            }

            SharedState::SetGatewayStatus(SharedState::kGatewayRunning);

            std::wstring order;
            ProductSettings::GetApplicationOrder(order);
            auto block = SharedState::NewBlock();
            SharedState::ReadFromSharedMemory(*block);
            std::wstring disabled = SharedState::ReadField(block->disabledApplicationList);
            std::wstring configured = SharedState::ReadField(block->configuredApplicationList);
            block.reset();

            IDispatch* frame0 = m_frames.front().Get();
            Variant orderArg(order), configuredArg(configured), disabledArg(disabled);
            hr = dom.CallFunction(frame0, &descriptor, std::wstring(kRecognitionPath) + L"CreateBrowserDescriptor",
                                  disabledArg, configuredArg, orderArg);
            if (FAILED(hr) || !IsObject(descriptor)) {
                g_logger.Log(L"CHintoraIEBHO::ProceedWithRecognition() - couldn't create BrowserDescriptor");
                failure = ErrorTexts::kBrowserDescriptorFailed;
                if (SUCCEEDED(hr))
                    hr = E_FAIL;
            }
        }

        if (!failure) {
            Variant frames, parents, leaders, none;
            none.vt = VT_NULL;
            MakeArray(frames, m_frames.size(), [&](size_t i, VARIANT& item) {
                item.pdispVal = ComPtr<IDispatch>(m_frames[i]).Detach();
                item.vt = VT_DISPATCH;
            });
            MakeArray(parents, m_frameParentIndexes.size(), [&](size_t i, VARIANT& item) {
                item.vt = VT_I4;
                item.lVal = m_frameParentIndexes[i];
            });
            MakeArray(leaders, frameLeaderIndexArray.size(), [&](size_t i, VARIANT& item) {
                item.vt = VT_I4;
                item.lVal = frameLeaderIndexArray[i];
            });

            Variant result;
            hr = dom.CallFunction(m_frames.front().Get(), &result, std::wstring(kRecognitionPath) + L"SetFrames", leaders,
                                  none, parents, frames, descriptor);
            if (FAILED(hr) || result.vt != VT_BOOL || result.boolVal != VARIANT_TRUE) {
                g_logger.Log(L"CHintoraIEBHO::ProceedWithRecognition() - SetFrames returned with false");
                failure = ErrorTexts::kSetFramesFailed;
                if (SUCCEEDED(hr))
                    hr = E_FAIL;
            } else {
                g_logger.Log(L"CHintoraIEBHO::ProceedWithRecognition() - SetFrames succeeded");
            }
        }

        if (failure) {
            Reset();
            m_bBlockNewGateway = 1;
            CloseGatewayWindow();
            ShowError(failure);
            return hr;
        }

        // The first leader frame that gives a context object wins.
        Variant context;
        for (size_t i = 0; i < frameLeaderIndexArray.size(); ++i) {
            LONG leader = frameLeaderIndexArray[i];
            ComPtr<IDispatch> script;
            if (FAILED(dom.GetScriptObject(m_frames.at(leader).Get(), &script)) || !script)
                continue;
            Variant index(leader);
            hr = dom.CallFunction(script.Get(), &context, std::wstring(kRecognitionPath) + L"GetPlaybackContext",
                                  index, descriptor);
            if (SUCCEEDED(hr) && IsObject(context)) {
                g_logger.Log(L"CHintoraIEBHO::ProceedWithRecognition() - GetPlaybackContext called on "
                             L"frameLeaderIndexArray[%d] = %d",
                             static_cast<int>(i), static_cast<int>(leader));
                break;
            }
            context.Clear();
            g_logger.Log(L"CHintoraIEBHO::ProceedWithRecognition() - couldn't get context for leader frame %d",
                         static_cast<int>(leader));
        }
        g_logger.Log(L"context.vt == %d, context.pdispVal == [%08IX]", static_cast<int>(context.vt),
                     reinterpret_cast<UINT_PTR>(IsObject(context) ? context.pdispVal : nullptr));
        g_logger.Log(L"CHintoraIEBHO::ProceedWithRecognition() - GetPlaybackContext succeeded");

        Variant order;
        hr = dom.CallFunction(m_frames.front().Get(), &order, std::wstring(kRecognitionPath) + L"GetApplicationOrder",
                              descriptor);
        if (SUCCEEDED(hr) && order.vt == VT_BSTR) {
            std::wstring text = order.Text();
            ProductSettings::SetApplicationOrder(text);
            g_logger.Log(L"CHintoraIEBHO::ProceedWithRecognition() - application order: %s", text.c_str());
        }

        // Without any context object the gateway gets an empty context, which
        // it treats like any other: the request ends there.
        IDispatch* source = IsObject(context) ? context.pdispVal : nullptr;
        std::wstring application = ReadTextProperty(dom, source, L"Application");
        std::wstring type = ReadTextProperty(dom, source, L"Type");
        std::wstring search = ReadTextProperty(dom, source, L"SearchExpression");
        std::wstring contextList = ReadTextProperty(dom, source, L"ContextList");
        std::wstring defaults = ReadTextProperty(dom, source, L"Defaults");
        g_logger.Log(L"CHintoraIEBHO::ProceedWithRecognition() - Context.Application: %s", application.c_str());
        g_logger.Log(L"CHintoraIEBHO::ProceedWithRecognition() - Context.Type: %s", type.c_str());
        g_logger.Log(L"CHintoraIEBHO::ProceedWithRecognition() - Context.SearchExpression: %s", search.c_str());
        g_logger.Log(L"CHintoraIEBHO::ProceedWithRecognition() - Context.ContextList: %s", contextList.c_str());
        g_logger.Log(L"CHintoraIEBHO::ProceedWithRecognition() - Context.Defaults: %s", defaults.c_str());

        // Read again just before writing, and change only the fields this
        // side owns: a close request or busy change that another tab wrote
        // since the lists were read must survive.
        auto block = SharedState::NewBlock();
        if (SharedState::ReadFromSharedMemory(*block)) {
            block->disabledApplicationList[0] = L'\0';
            block->configuredApplicationList[0] = L'\0';
            SharedState::CopyToField(block->application, application);
            SharedState::CopyToField(block->type, type);
            SharedState::CopyToField(block->searchExpression, search);
            SharedState::CopyToField(block->contextList, contextList);
            SharedState::CopyToField(block->defaults, defaults);
            SharedState::WriteToSharedMemory(*block);
        }

        HANDLE ready = SharedState::GetEvent(SharedState::kBrowserContextReadyEvent, FALSE);
        if (ready)
            SetEvent(ready);
        return hr;
    } catch (...) {
        g_logger.LogError(L"CHintoraIEBHO::ProceedWithRecognition() exception", GetLastError(), true);
        try {
            Reset();
            m_bBlockNewGateway = 1;
            CloseGatewayWindow();
            ShowError(ErrorTexts::kUnexpectedException);
        } catch (...) {
        }
        return E_UNEXPECTED;
    }
}

// The options dialog's pieces that run without a display: its template and
// dialog-init data, the host's template rewrite, the browser control's UI
// handler, the message map and the control's events.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>
#include <exdispid.h>
#include <mshtmhst.h>

#include <string>
#include <vector>

#include "base/ClassFactory.h"
#include "HintoraIE_h.h"
#include "OptionsFakes.h"
#include "ui/ControlHost.h"
#include "ui/DocUIHandler.h"
#include "ui/OptionsDialog.h"

using ::testing::InSequence;
using ::testing::Return;

namespace {

const wchar_t kBrowserClsid[] = L"{8856F961-340A-11D0-A96B-00C04FD705A2}";

std::vector<BYTE> ResourceBytes(LPCWSTR type, UINT id) {
    HRSRC resource = FindResourceW(nullptr, MAKEINTRESOURCEW(id), type);
    if (!resource)
        return {};
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, resource)));
    return std::vector<BYTE>(data, data + SizeofResource(nullptr, resource));
}

std::vector<BYTE> DialogResource() {
    return ResourceBytes(reinterpret_cast<LPCWSTR>(RT_DIALOG), COptionsDialog::IDD);
}

}  // namespace

// ---- Template and dialog-init data ------------------------------------------

TEST(OptionsDialogTemplate, HoldsOneBrowserControlFillingTheWindow) {
    std::vector<BYTE> bytes = DialogResource();
    ASSERT_FALSE(bytes.empty());
    DialogTemplate dialog;
    ASSERT_TRUE(ParseDialogTemplate(bytes.data(), bytes.size(), dialog));
    EXPECT_EQ(static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME),
              dialog.style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME));
    EXPECT_EQ(static_cast<DWORD>(DS_SHELLFONT), dialog.style & DS_SHELLFONT);
    EXPECT_EQ(332, dialog.cx);
    EXPECT_EQ(220, dialog.cy);
    EXPECT_EQ(L"xTitlex", dialog.title);
    EXPECT_EQ(L"MS Shell Dlg", dialog.typeface);
    EXPECT_EQ(8, dialog.pointSize);
    ASSERT_EQ(1u, dialog.items.size());
    const DialogItemTemplate& control = dialog.items[0];
    EXPECT_EQ(202u, control.id);
    EXPECT_EQ(kBrowserClsid, control.windowClass.name);
    EXPECT_EQ(static_cast<DWORD>(WS_CHILD | WS_VISIBLE | WS_TABSTOP), control.style);
    EXPECT_EQ(0, control.x);
    EXPECT_EQ(0, control.y);
    EXPECT_EQ(331, control.cx);
    EXPECT_EQ(220, control.cy);

    std::vector<BYTE> init = ResourceBytes(MAKEINTRESOURCEW(kDialogInitResourceType), COptionsDialog::IDD);
    std::vector<ControlInitRecord> records;
    ASSERT_TRUE(ParseDialogInit(init.data(), init.size(), records));
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(202, records[0].controlId);
    EXPECT_EQ(kInitNew, records[0].message);
    EXPECT_TRUE(records[0].data.empty());
}

TEST(OptionsDialogTemplate, ControlsNamedByClassIdentifierBecomeHostWindows) {
    std::vector<BYTE> bytes = DialogResource();
    DialogTemplate dialog;
    ASSERT_TRUE(ParseDialogTemplate(bytes.data(), bytes.size(), dialog));
    // A plain button (class by ordinal) with an odd-length text, so the
    // items after it need padding; it must stay as it is.
    DialogItemTemplate button;
    button.id = IDCANCEL;
    button.style = WS_CHILD | BS_PUSHBUTTON;
    button.windowClass.isOrdinal = true;
    button.windowClass.ordinal = 0x0080;
    button.title.name = L"Abc";
    button.creationData = {1, 2, 3};
    dialog.items.insert(dialog.items.begin(), button);

    EXPECT_EQ(1, ReplaceControlClasses(dialog));
    std::vector<DWORD> built = BuildDialogTemplate(dialog);
    DialogTemplate again;
    ASSERT_TRUE(ParseDialogTemplate(built.data(), built.size() * sizeof(DWORD), again));
    ASSERT_EQ(2u, again.items.size());
    EXPECT_TRUE(again.items[0].windowClass.isOrdinal);
    EXPECT_EQ(0x0080, again.items[0].windowClass.ordinal);
    EXPECT_EQ(L"Abc", again.items[0].title.name);
    EXPECT_EQ((std::vector<BYTE>{1, 2, 3}), again.items[0].creationData);
    EXPECT_EQ(CAxHost::kWindowClass, again.items[1].windowClass.name);
    EXPECT_EQ(kBrowserClsid, again.items[1].title.name) << "the host window's text names the control";
    EXPECT_EQ(202u, again.items[1].id);
    EXPECT_EQ(331, again.items[1].cx);
    EXPECT_EQ(L"xTitlex", again.title);
    EXPECT_EQ(L"MS Shell Dlg", again.typeface);
    EXPECT_EQ(0, ReplaceControlClasses(again)) << "nothing left to replace";
}

TEST(OptionsDialogTemplate, DamagedResourcesAreRefusedWithoutReadingPastThem) {
    std::vector<BYTE> bytes = DialogResource();
    DialogTemplate dialog;
    for (size_t size = 0; size < bytes.size(); ++size) {
        // A copy of exactly that size, so a read past it would be caught.
        std::vector<BYTE> cut(bytes.begin(), bytes.begin() + size);
        EXPECT_FALSE(ParseDialogTemplate(cut.data(), cut.size(), dialog)) << size;
    }
    EXPECT_FALSE(ParseDialogTemplate(nullptr, 100, dialog));
    std::vector<BYTE> classic = bytes;
    classic[2] = 0;  // not the extended template's signature
    EXPECT_FALSE(ParseDialogTemplate(classic.data(), classic.size(), dialog));

    std::vector<ControlInitRecord> records;
    const BYTE overlong[] = {202, 0, 0x78, 0x03, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0};
    EXPECT_FALSE(ParseDialogInit(overlong, sizeof(overlong), records));
    const BYTE unterminated[] = {202, 0, 0x76, 0x03, 1, 0, 0, 0, 9};
    EXPECT_FALSE(ParseDialogInit(unterminated, sizeof(unterminated), records));
    const BYTE two[] = {202, 0, 0x76, 0x03, 2, 0, 0, 0, 7, 8, 203, 0, 0x78, 0x03, 0, 0, 0, 0, 0, 0};
    ASSERT_TRUE(ParseDialogInit(two, sizeof(two), records));
    ASSERT_EQ(2u, records.size());
    EXPECT_EQ(kInitLoadFromStream, records[0].message);
    EXPECT_EQ((std::vector<BYTE>{7, 8}), records[0].data);
    EXPECT_EQ(203, records[1].controlId);
}

// ---- The browser control's UI handler ---------------------------------------

TEST(DocUIHandler, MakesThePageBehaveLikeAPlainDialog) {
    IDocUIHandler* handler = nullptr;
    ASSERT_EQ(S_OK, CDocUIHandler::CreateInstance(IID_IDocUIHandler, reinterpret_cast<void**>(&handler)));

    HRESULT shown = E_UNEXPECTED;
    EXPECT_EQ(S_OK, handler->ShowContextMenu(0, 10, 10, nullptr, nullptr, &shown));
    EXPECT_EQ(S_OK, shown) << "handled: no context menu";

    DWORD flags = DOCHOSTUIFLAG_NO3DBORDER;
    DWORD doubleClick = 2;
    EXPECT_EQ(S_OK, handler->GetHostInfo(&flags, &doubleClick));
    EXPECT_EQ(static_cast<DWORD>(DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_DIALOG | DOCHOSTUIFLAG_SCROLL_NO), flags);
    EXPECT_EQ(2u, doubleClick);

    HRESULT untouched = E_UNEXPECTED;
    EXPECT_EQ(S_OK, handler->ShowUI(0, nullptr, nullptr, nullptr, nullptr, &untouched));
    EXPECT_EQ(E_UNEXPECTED, untouched);
    EXPECT_EQ(S_FALSE, handler->TranslateAccelerator(0, WM_KEYDOWN, VK_TAB, 0, nullptr, 0, &untouched));
    EXPECT_EQ(E_UNEXPECTED, untouched);
    EXPECT_EQ(S_OK, handler->HideUI());
    EXPECT_EQ(S_FALSE, handler->UpdateUI());
    EXPECT_EQ(S_FALSE, handler->EnableModeless(VARIANT_TRUE));
    EXPECT_EQ(S_FALSE, handler->OnDocWindowActivate(VARIANT_TRUE));
    EXPECT_EQ(S_FALSE, handler->OnFrameWindowActivate(VARIANT_FALSE));
    EXPECT_EQ(S_FALSE, handler->ResizeBorder(0, 0, 10, 10, nullptr, VARIANT_TRUE));

    // Nothing is handed out, and stale out values are cleared.
    BSTR text = reinterpret_cast<BSTR>(1);
    EXPECT_EQ(S_FALSE, handler->GetOptionKeyPath(&text, 0));
    EXPECT_EQ(nullptr, text);
    IUnknown* unknown = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(E_NOTIMPL, handler->GetDropTarget(nullptr, &unknown));
    EXPECT_EQ(nullptr, unknown);
    IDispatch* external = reinterpret_cast<IDispatch*>(1);
    EXPECT_EQ(S_FALSE, handler->GetExternal(&external));
    EXPECT_EQ(nullptr, external);
    text = reinterpret_cast<BSTR>(1);
    EXPECT_EQ(S_FALSE, handler->TranslateUrl(0, nullptr, &text));
    EXPECT_EQ(nullptr, text);
    unknown = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(S_FALSE, handler->FilterDataObject(nullptr, &unknown));
    EXPECT_EQ(nullptr, unknown);

    EXPECT_EQ(E_POINTER, handler->ShowContextMenu(0, 0, 0, nullptr, nullptr, nullptr));
    EXPECT_EQ(E_POINTER, handler->GetHostInfo(nullptr, nullptr));
    handler->Release();
}

TEST(DocUIHandler, IsOneObjectUnderItsInterfacesAndHoldsTheModule) {
    LONG before = ModuleLockCount();
    IUnknown* unknown = nullptr;
    ASSERT_EQ(S_OK, CDocUIHandler::CreateInstance(IID_IUnknown, reinterpret_cast<void**>(&unknown)));
    EXPECT_EQ(before + 1, ModuleLockCount());
    for (REFIID iid : {IID_IDispatch, IID_IDocHostUIHandlerDispatch, IID_IDocUIHandler}) {
        IUnknown* other = nullptr;
        ASSERT_EQ(S_OK, unknown->QueryInterface(iid, reinterpret_cast<void**>(&other)));
        EXPECT_EQ(static_cast<void*>(unknown), static_cast<void*>(other));
        other->Release();
    }
    IUnknown* none = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(E_NOINTERFACE, unknown->QueryInterface(IID_IDocHostUIHandler, reinterpret_cast<void**>(&none)));
    EXPECT_EQ(nullptr, none);
    unknown->Release();
    EXPECT_EQ(before, ModuleLockCount());
}

TEST(DocUIHandler, TypeLibraryDescribesTheAutomationHandler) {
    wchar_t path[MAX_PATH + 8] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    ITypeLib* library = nullptr;
    ASSERT_EQ(S_OK, LoadTypeLibEx((std::wstring(path) + L"\\7").c_str(), REGKIND_NONE, &library));
    ITypeInfo* dispatchInfo = nullptr;
    ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(IID_IDocUIHandler, &dispatchInfo));
    // The dual interface's vtable side.
    HREFTYPE vtableRef = 0;
    ASSERT_EQ(S_OK, dispatchInfo->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableRef));
    ITypeInfo* info = nullptr;
    ASSERT_EQ(S_OK, dispatchInfo->GetRefTypeInfo(vtableRef, &info));
    dispatchInfo->Release();

    // IDocUIHandler adds nothing to the interface it derives from.
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(S_OK, info->GetTypeAttr(&attr));
    EXPECT_EQ(IID_IDocUIHandler, attr->guid);
    EXPECT_EQ(0, attr->cFuncs);
    info->ReleaseTypeAttr(attr);
    HREFTYPE baseRef = 0;
    ASSERT_EQ(S_OK, info->GetRefTypeOfImplType(0, &baseRef));
    ITypeInfo* base = nullptr;
    ASSERT_EQ(S_OK, info->GetRefTypeInfo(baseRef, &base));
    ASSERT_EQ(S_OK, base->GetTypeAttr(&attr));
    EXPECT_EQ(IID_IDocHostUIHandlerDispatch, attr->guid);
    ASSERT_EQ(15, attr->cFuncs);
    base->ReleaseTypeAttr(attr);

    const wchar_t* names[] = {L"ShowContextMenu",      L"GetHostInfo",           L"ShowUI",
                              L"HideUI",               L"UpdateUI",              L"EnableModeless",
                              L"OnDocWindowActivate",  L"OnFrameWindowActivate", L"ResizeBorder",
                              L"TranslateAccelerator", L"GetOptionKeyPath",      L"GetDropTarget",
                              L"GetExternal",          L"TranslateUrl",          L"FilterDataObject"};
    for (UINT i = 0; i < 15; ++i) {
        FUNCDESC* function = nullptr;
        ASSERT_EQ(S_OK, base->GetFuncDesc(i, &function));
        BSTR name = nullptr;
        base->GetDocumentation(function->memid, &name, nullptr, nullptr, nullptr);
        EXPECT_EQ(0x60020000 + static_cast<MEMBERID>(i), function->memid) << i;
        EXPECT_STREQ(names[i], name);
        SysFreeString(name);
        base->ReleaseFuncDesc(function);
    }
    base->Release();
    info->Release();

    library->Release();
}

TEST(DocUIHandler, TheControlHostAnswersTheControlThroughIt) {
    // The host window's site, as the browser control sees it.
    CAxHost* host = new CAxHost(nullptr);
    IDocHostUIHandler* site = nullptr;
    ASSERT_EQ(S_OK, host->QueryInterface(IID_IDocHostUIHandler, reinterpret_cast<void**>(&site)));
    host->Release();
    POINT point = {5, 5};
    EXPECT_EQ(S_FALSE, site->ShowContextMenu(CONTEXT_MENU_DEFAULT, &point, nullptr, nullptr))
        << "without a handler the control shows its own menu";

    IDocUIHandler* handler = nullptr;
    ASSERT_EQ(S_OK, CDocUIHandler::CreateInstance(IID_IDocUIHandler, reinterpret_cast<void**>(&handler)));
    host->SetExternalUIHandler(handler);
    handler->Release();
    EXPECT_EQ(S_OK, site->ShowContextMenu(CONTEXT_MENU_DEFAULT, &point, nullptr, nullptr)) << "no context menu";
    DOCHOSTUIINFO info = {sizeof(info)};
    info.dwFlags = DOCHOSTUIFLAG_NO3DBORDER;
    EXPECT_EQ(S_OK, site->GetHostInfo(&info));
    EXPECT_EQ(static_cast<DWORD>(DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_DIALOG | DOCHOSTUIFLAG_SCROLL_NO),
              info.dwFlags);
    MSG msg = {nullptr, WM_KEYDOWN, VK_TAB, 0};
    EXPECT_EQ(S_FALSE, site->TranslateAccelerator(&msg, nullptr, 0)) << "keys stay with the page";
    IDispatch* external = reinterpret_cast<IDispatch*>(1);
    EXPECT_EQ(S_FALSE, site->GetExternal(&external));
    EXPECT_EQ(nullptr, external);
    LPWSTR translated = reinterpret_cast<LPWSTR>(1);
    EXPECT_EQ(S_FALSE, site->TranslateUrl(0, const_cast<LPWSTR>(L"res://x/206"), &translated));
    EXPECT_EQ(nullptr, translated);
    site->Release();
}

// ---- Message map and control events, without a window ------------------------

namespace {

// A dialog whose control events can be fired as the control fires them.
class EventDialog : public COptionsDialog {
public:
    EventDialog() : COptionsDialog(L"Options") {}
    HRESULT Fire(DISPID id, VARIANT first, VARIANT second) {
        VARIANT args[2] = {second, first};  // last-first
        DISPPARAMS params = {args, nullptr, 2, 0};
        return m_spEventSink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                                    nullptr);
    }
    IDispatch* Sink() { return m_spEventSink.Get(); }
};

VARIANT BoolArg(VARIANT_BOOL value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BOOL;
    v.boolVal = value;
    return v;
}

VARIANT BoolRef(VARIANT_BOOL* target) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BYREF | VT_BOOL;
    v.pboolVal = target;
    return v;
}

}  // namespace

TEST(OptionsDialogMessages, OnlyCancelWithoutNotificationIsTheDialogsOwn) {
    EventDialog dialog;
    LRESULT result = 7;
    EXPECT_TRUE(dialog.ProcessWindowMessage(nullptr, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0, result));
    EXPECT_EQ(0, result);
    EXPECT_FALSE(dialog.ProcessWindowMessage(nullptr, WM_COMMAND, MAKEWPARAM(IDCANCEL, 1), 0, result));
    EXPECT_FALSE(dialog.ProcessWindowMessage(nullptr, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0, result));
    // Destruction goes on to the default handling.
    EXPECT_FALSE(dialog.ProcessWindowMessage(nullptr, WM_DESTROY, 0, 0, result));
    EXPECT_FALSE(dialog.ProcessWindowMessage(nullptr, WM_CLOSE, 0, 0, result));
}

TEST(OptionsDialogMessages, ThePageClosingItselfStopsAndQuitsTheControl) {
    EventDialog dialog;
    FakeBrowserControl browser;
    dialog.m_spBrowser = &browser;
    {
        InSequence order;
        EXPECT_CALL(browser, Stop()).WillOnce(Return(S_OK));
        EXPECT_CALL(browser, Quit()).WillOnce(Return(S_OK));
    }
    VARIANT_BOOL cancel = VARIANT_FALSE;
    EXPECT_EQ(S_OK, dialog.Fire(DISPID_WINDOWCLOSING, BoolArg(VARIANT_FALSE), BoolRef(&cancel)));
    EXPECT_EQ(VARIANT_FALSE, cancel) << "the control's own close goes ahead";
    ::testing::Mock::VerifyAndClearExpectations(&browser);
    dialog.m_spBrowser = nullptr;
}

TEST(OptionsDialogMessages, ACompletePageSizesTheControlHeightFirst) {
    EventDialog dialog;
    FakeBrowserControl browser;
    browser.frameWidth = 4;
    browser.frameHeight = 6;
    {
        InSequence order;
        EXPECT_CALL(browser, put_Height(342)).WillOnce(Return(S_OK));
        EXPECT_CALL(browser, put_Width(480)).WillOnce(Return(S_OK));
    }
    dialog.m_spBrowser = &browser;
    VARIANT url;
    VariantInit(&url);
    EXPECT_EQ(S_OK, dialog.Fire(DISPID_DOCUMENTCOMPLETE, BoolArg(VARIANT_FALSE), url));
    ::testing::Mock::VerifyAndClearExpectations(&browser);
    dialog.m_spBrowser = nullptr;

    // Without the control's browser there is nothing to size.
    EXPECT_EQ(S_OK, dialog.Fire(DISPID_DOCUMENTCOMPLETE, BoolArg(VARIANT_FALSE), url));
}

TEST(OptionsDialogMessages, EventsAfterTheDialogIsGoneReachNothing) {
    IDispatch* sink = nullptr;
    FakeBrowserControl browser;
    LONG references = browser.References();
    EXPECT_CALL(browser, Stop()).Times(0);
    {
        EventDialog dialog;
        dialog.m_spBrowser = &browser;
        sink = dialog.Sink();
        sink->AddRef();  // as a control that lets go late would
    }
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANT args[2] = {BoolRef(&cancel), BoolArg(VARIANT_FALSE)};
    DISPPARAMS params = {args, nullptr, 2, 0};
    EXPECT_EQ(S_OK, sink->Invoke(DISPID_WINDOWCLOSING, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr,
                                 nullptr));
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(S_OK, sink->Invoke(DISPID_WINDOWCLOSING, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr,
                                 nullptr));
    sink->Release();
    EXPECT_EQ(references, browser.References()) << "the dialog let go of the control";
}

// ---- The dialog thread ---------------------------------------------------------

TEST(OptionsDialogThread, ADialogThatCannotOpenStillEndsTheThread) {
    // An owner that is no window (a browser that went away): the dialog
    // cannot open, display or not, and the thread still ends with 0.
    auto* request = new OptionsDialogParams;
    request->hWndParent = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x7FFF0001));
    request->strTitle = L"Options";
    HANDLE thread = CreateThread(nullptr, 0, OptionsDialogThreadProc, request, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 60000));
    DWORD code = 1;
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(0u, code);
    CloseHandle(thread);
    EXPECT_EQ(0u, OptionsDialogThreadProc(nullptr));
}

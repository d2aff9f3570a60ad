// The control host's side of a control's life, without a window: creation
// with the stored initial state, the active object the control announces,
// the order in which the control is taken down, and the references the host
// takes and gives back, also through its UI handler forwarding.
#include <gtest/gtest.h>
#include <windows.h>
#include <mshtmhst.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "ComFakeBase.h"
#include "ui/ControlHost.h"

namespace {

// {6D1A8C07-3B44-4E2B-9A61-0C5D2E7F4A13}
const CLSID kFakeControlClsid = {0x6d1a8c07, 0x3b44, 0x4e2b, {0x9a, 0x61, 0x0c, 0x5d, 0x2e, 0x7f, 0x4a, 0x13}};

// A control as the host sees it: it keeps the site and frame it is given,
// as real controls do, and writes down the calls that matter for its life.
class FakeControl : public IOleObject, public IOleInPlaceObject, public IPersistStreamInit {
public:
    std::vector<std::wstring> calls;
    std::vector<BYTE> loaded;
    HRESULT loadResult = S_OK;
    LONG References() const { return m_refs; }

    // The object that becomes the host's active object: the control's own,
    // separately counted so its release shows in the calls.
    class Active : public IOleInPlaceActiveObject {
    public:
        explicit Active(FakeControl* owner) : m_owner(owner) {}
        LONG refs = 1;
        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
            *ppv = nullptr;
            if (riid != IID_IUnknown && riid != IID_IOleWindow && riid != IID_IOleInPlaceActiveObject)
                return E_NOINTERFACE;
            *ppv = static_cast<IOleInPlaceActiveObject*>(this);
            AddRef();
            return S_OK;
        }
        STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
        STDMETHODIMP_(ULONG) Release() override {
            if (--refs == 1)
                m_owner->calls.push_back(L"active object let go");
            return refs;
        }
        STDMETHODIMP GetWindow(HWND*) override { return E_NOTIMPL; }
        STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
        STDMETHODIMP TranslateAccelerator(LPMSG) override { return S_FALSE; }
        STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
        STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
        STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
        STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

    private:
        FakeControl* m_owner;
    } active{this};

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (riid == IID_IUnknown || riid == IID_IOleObject)
            *ppv = static_cast<IOleObject*>(this);
        else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceObject)
            *ppv = static_cast<IOleInPlaceObject*>(this);
        else if (riid == IID_IPersist || riid == IID_IPersistStreamInit)
            *ppv = static_cast<IPersistStreamInit*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override {
        if (--m_refs == 1)
            calls.push_back(L"control let go");
        return m_refs;
    }

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override {
        calls.push_back(site ? L"SetClientSite(site)" : L"SetClientSite(null)");
        m_site = site;
        return S_OK;
    }
    STDMETHODIMP GetClientSite(IOleClientSite**) override { return E_NOTIMPL; }
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD option) override {
        calls.push_back(option == OLECLOSE_NOSAVE ? L"Close(no save)" : L"Close(other)");
        return S_OK;
    }
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND, LPCRECT) override {
        calls.push_back(L"DoVerb(" + std::to_wstring(verb) + L")");
        // Goes active in place as a control does: through the site, keeping
        // the frame and announcing its active object to it.
        ComPtr<IOleInPlaceSite> inPlaceSite;
        if (!site || FAILED(site->QueryInterface(IID_IOleInPlaceSite,
                                                 reinterpret_cast<void**>(inPlaceSite.GetAddressOf()))))
            return E_UNEXPECTED;
        inPlaceSite->OnInPlaceActivate();
        ComPtr<IOleInPlaceUIWindow> document;
        RECT position;
        RECT clip;
        OLEINPLACEFRAMEINFO info = {sizeof(info)};
        if (FAILED(inPlaceSite->GetWindowContext(m_frame.ReleaseAndGetAddressOf(), document.GetAddressOf(),
                                                 &position, &clip, &info)))
            return E_UNEXPECTED;
        m_frame->SetActiveObject(&active, nullptr);
        return S_OK;
    }
    STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    STDMETHODIMP GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    STDMETHODIMP GetMiscStatus(DWORD, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleWindow / IOleInPlaceObject
    STDMETHODIMP GetWindow(HWND*) override { return E_NOTIMPL; }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InPlaceDeactivate() override {
        calls.push_back(L"InPlaceDeactivate");
        // Leaving in place ends the UI too, as the control tells the site.
        ComPtr<IOleInPlaceSite> inPlaceSite;
        if (m_site)
            m_site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(inPlaceSite.GetAddressOf()));
        if (inPlaceSite)
            inPlaceSite->OnInPlaceDeactivate();
        m_frame.Reset();
        return S_OK;
    }
    STDMETHODIMP UIDeactivate() override { return S_OK; }
    STDMETHODIMP SetObjectRects(LPCRECT, LPCRECT) override { return S_OK; }
    STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }

    // IPersistStreamInit
    STDMETHODIMP GetClassID(CLSID* clsid) override {
        *clsid = kFakeControlClsid;
        return S_OK;
    }
    STDMETHODIMP IsDirty() override { return S_FALSE; }
    STDMETHODIMP Load(LPSTREAM stream) override {
        calls.push_back(L"Load");
        BYTE buffer[16] = {};
        ULONG read = 0;
        if (stream && SUCCEEDED(stream->Read(buffer, sizeof(buffer), &read)))
            loaded.assign(buffer, buffer + read);
        return loadResult;
    }
    STDMETHODIMP Save(LPSTREAM, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    STDMETHODIMP InitNew() override {
        calls.push_back(L"InitNew");
        return S_OK;
    }

private:
    LONG m_refs = 1;
    ComPtr<IOleClientSite> m_site;
    ComPtr<IOleInPlaceFrame> m_frame;
};

// Makes CoCreateInstance of the fake's class identifier hand out the control.
class FakeControlClass : public IClassFactory {
public:
    FakeControl control;
    FakeControlClass() {
        CoRegisterClassObject(kFakeControlClsid, this, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &m_cookie);
    }
    ~FakeControlClass() {
        if (m_cookie)
            CoRevokeClassObject(m_cookie);
    }
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (riid != IID_IUnknown && riid != IID_IClassFactory)
            return E_NOINTERFACE;
        *ppv = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown*, REFIID riid, void** ppv) override {
        return control.QueryInterface(riid, ppv);
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

private:
    DWORD m_cookie = 0;
};

// A host the test holds one reference on; the count after the host is let
// go tells whether the host gave back what it took of itself.
struct HeldHost {
    CAxHost* host = new CAxHost(nullptr);
    ~HeldHost() { host->Release(); }
    ULONG Count() {
        host->AddRef();
        return host->Release();
    }
};

}  // namespace

TEST(ControlHost, TakesTheControlDownInTheContainersOrderAndLetsGoOfEverything) {
    FakeControlClass fake;
    HeldHost held;
    ControlInitRecord init;
    init.controlId = 202;
    init.message = kInitLoadFromStream;
    init.data = {7, 8, 9};
    ASSERT_EQ(S_OK, held.host->CreateControl(kFakeControlClsid, &init));
    EXPECT_EQ((std::vector<BYTE>{7, 8, 9}), fake.control.loaded) << "the stored state, from its start";
    EXPECT_EQ(E_UNEXPECTED, held.host->CreateControl(kFakeControlClsid, nullptr)) << "one control per host";

    ComPtr<IOleInPlaceObject> inPlace;
    ASSERT_EQ(S_OK,
              held.host->QueryControl(IID_IOleInPlaceObject, reinterpret_cast<void**>(inPlace.GetAddressOf())));
    inPlace.Reset();
    EXPECT_EQ(2, fake.control.active.refs) << "the host holds the announced active object";

    fake.control.calls.clear();
    held.host->DestroyControl();
    EXPECT_EQ((std::vector<std::wstring>{L"InPlaceDeactivate", L"active object let go", L"Close(no save)",
                                         L"SetClientSite(null)", L"control let go"}),
              fake.control.calls);
    EXPECT_EQ(1, fake.control.References());
    EXPECT_EQ(1, fake.control.active.refs);
    EXPECT_EQ(1u, held.Count()) << "the control gave back the site and the frame";

    // A host without a control answers as one.
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, held.host->QueryControl(IID_IOleObject, &none));
    EXPECT_EQ(nullptr, none);
    held.host->DestroyControl();
    EXPECT_EQ(1, fake.control.References());
}

TEST(ControlHost, AControlThatCannotStartIsTakenDownAtOnce) {
    FakeControlClass fake;
    HeldHost held;
    fake.control.loadResult = E_FAIL;
    ControlInitRecord init;
    init.message = kInitLoadFromStream;
    init.data = {1};
    EXPECT_EQ(E_FAIL, held.host->CreateControl(kFakeControlClsid, &init));
    EXPECT_EQ((std::vector<std::wstring>{L"SetClientSite(site)", L"Load", L"Close(no save)",
                                         L"SetClientSite(null)", L"control let go"}),
              fake.control.calls);
    EXPECT_EQ(1, fake.control.References());
    EXPECT_EQ(1u, held.Count());

    // Without stored state the control starts new, and the host may try again.
    fake.control.calls.clear();
    ASSERT_EQ(S_OK, held.host->CreateControl(kFakeControlClsid, nullptr));
    EXPECT_EQ((std::vector<std::wstring>{L"SetClientSite(site)", L"InitNew",
                                         L"DoVerb(" + std::to_wstring(OLEIVERB_INPLACEACTIVATE) + L")"}),
              fake.control.calls);
    held.host->DestroyControl();
    EXPECT_EQ(1, fake.control.References());
    EXPECT_EQ(1u, held.Count());

    const CLSID unknown = {0x6d1a8c07, 0x3b44, 0x4e2b, {0x9a, 0x61, 0x0c, 0x5d, 0x2e, 0x7f, 0x4a, 0x14}};
    EXPECT_TRUE(FAILED(held.host->CreateControl(unknown, nullptr)));
}

namespace {

// An automation UI handler that answers with strings and objects, so the
// host has something to copy and to let go of.
class AnsweringHandler : public ComFakeBase<IDocHostUIHandlerDispatch> {
public:
    ComFakeBase<IDispatch> answer;
    std::wstring group;
    bool urlWasNull = false;

    STDMETHODIMP ShowContextMenu(DWORD, DWORD, DWORD, IUnknown*, IDispatch*, HRESULT* result) override {
        *result = S_OK;
        return S_OK;
    }
    STDMETHODIMP GetHostInfo(DWORD*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP ShowUI(DWORD, IUnknown*, IUnknown*, IUnknown*, IUnknown*, HRESULT*) override { return S_OK; }
    STDMETHODIMP HideUI() override { return S_OK; }
    STDMETHODIMP UpdateUI() override { return S_OK; }
    STDMETHODIMP EnableModeless(VARIANT_BOOL) override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(VARIANT_BOOL) override { return S_OK; }
    STDMETHODIMP OnFrameWindowActivate(VARIANT_BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LONG, LONG, LONG, LONG, IUnknown*, VARIANT_BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(ULONG_PTR, DWORD, ULONG_PTR, ULONG_PTR, BSTR groupText, DWORD,
                                      HRESULT* result) override {
        group = groupText ? groupText : L"(null)";
        *result = S_OK;
        return S_OK;
    }
    STDMETHODIMP GetOptionKeyPath(BSTR* key, DWORD) override {
        *key = SysAllocString(L"Software\\Test\\Options");
        return S_OK;
    }
    STDMETHODIMP GetDropTarget(IUnknown*, IUnknown** result) override {
        answer.AddRef();
        *result = &answer;
        return S_OK;
    }
    STDMETHODIMP GetExternal(IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateUrl(DWORD, BSTR in, BSTR* out) override {
        urlWasNull = in == nullptr;
        *out = SysAllocString(L"res://translated/206");
        return S_OK;
    }
    STDMETHODIMP FilterDataObject(IUnknown*, IUnknown** result) override {
        answer.AddRef();
        *result = &answer;
        return S_OK;
    }
};

}  // namespace

TEST(ControlHost, CopiesTheHandlersAnswersAndLetsGoOfThem) {
    AnsweringHandler handler;
    {
        HeldHost held;
        ComPtr<IDocHostUIHandler> site;
        ASSERT_EQ(S_OK, held.host->QueryInterface(IID_IDocHostUIHandler,
                                                  reinterpret_cast<void**>(site.GetAddressOf())));
        // Without a handler: the control's own behaviour, out values cleared.
        IDropTarget* target = reinterpret_cast<IDropTarget*>(1);
        EXPECT_EQ(E_NOTIMPL, site->GetDropTarget(nullptr, &target));
        EXPECT_EQ(nullptr, target);
        LPWSTR translated = reinterpret_cast<LPWSTR>(1);
        EXPECT_EQ(S_FALSE, site->TranslateUrl(0, nullptr, &translated));
        EXPECT_EQ(nullptr, translated);
        EXPECT_EQ(E_POINTER, site->GetExternal(nullptr));

        held.host->SetExternalUIHandler(&handler);
        EXPECT_EQ(2, handler.References());
        EXPECT_EQ(E_POINTER, site->GetOptionKeyPath(nullptr, 0));
        EXPECT_EQ(E_POINTER, site->FilterDataObject(nullptr, nullptr));

        MSG msg = {nullptr, WM_KEYDOWN, VK_TAB, 0};
        EXPECT_EQ(S_OK, site->TranslateAccelerator(&msg, &kFakeControlClsid, 0));
        wchar_t expected[40] = {};
        StringFromGUID2(kFakeControlClsid, expected, 40);
        EXPECT_EQ(expected, handler.group);

        LPOLESTR key = nullptr;
        EXPECT_EQ(S_OK, site->GetOptionKeyPath(&key, 0));
        ASSERT_NE(nullptr, key);
        EXPECT_STREQ(L"Software\\Test\\Options", key);
        CoTaskMemFree(key);

        EXPECT_EQ(S_OK, site->TranslateUrl(0, nullptr, &translated));
        EXPECT_TRUE(handler.urlWasNull) << "no address is handed on as no string";
        ASSERT_NE(nullptr, translated);
        EXPECT_STREQ(L"res://translated/206", translated);
        CoTaskMemFree(translated);

        // The answers are no drop target and no data object: nothing comes
        // back, and the host keeps nothing of them.
        target = reinterpret_cast<IDropTarget*>(1);
        EXPECT_EQ(E_NOINTERFACE, site->GetDropTarget(nullptr, &target));
        EXPECT_EQ(nullptr, target);
        IDataObject* data = reinterpret_cast<IDataObject*>(1);
        EXPECT_EQ(E_NOINTERFACE, site->FilterDataObject(nullptr, &data));
        EXPECT_EQ(nullptr, data);
        EXPECT_EQ(1, handler.answer.References());

        held.host->SetExternalUIHandler(nullptr);
        EXPECT_EQ(1, handler.References());
        held.host->SetExternalUIHandler(&handler);
    }
    EXPECT_EQ(1, handler.References()) << "the host's last release lets go of the handler";
}

#include "ui/ControlHost.h"

#include "common/Handles.h"

#include <cstring>
#include <new>

const wchar_t CAxHost::kWindowClass[] = L"HintoraAxHost";

// ---- Dialog templates -------------------------------------------------------

namespace {

// Reads a resource within its bounds; every read fails once one has.
class TemplateReader {
public:
    TemplateReader(const void* data, size_t size)
        : m_begin(static_cast<const BYTE*>(data)), m_size(data ? size : 0) {}

    bool Ok() const { return m_ok; }
    size_t Offset() const { return m_offset; }

    template <typename T>
    T Read() {
        T value{};
        if (!m_ok || m_size - m_offset < sizeof(T)) {
            m_ok = false;
            return value;
        }
        std::memcpy(&value, m_begin + m_offset, sizeof(T));
        m_offset += sizeof(T);
        return value;
    }
    std::wstring ReadString() {
        std::wstring text;
        for (;;) {
            wchar_t c = Read<wchar_t>();
            if (!m_ok || c == L'\0')
                return text;
            text += c;
        }
    }
    TemplateName ReadName() {
        TemplateName name;
        WORD first = Read<WORD>();
        if (!m_ok || first == 0)
            return name;
        if (first == 0xFFFF) {
            name.isOrdinal = true;
            name.ordinal = Read<WORD>();
            return name;
        }
        name.name.assign(1, static_cast<wchar_t>(first));
        name.name += ReadString();
        return name;
    }
    std::vector<BYTE> ReadBytes(size_t count) {
        if (!m_ok || m_size - m_offset < count) {
            m_ok = false;
            return {};
        }
        std::vector<BYTE> bytes(m_begin + m_offset, m_begin + m_offset + count);
        m_offset += count;
        return bytes;
    }
    void AlignTo(size_t alignment) {
        size_t aligned = (m_offset + alignment - 1) / alignment * alignment;
        if (aligned > m_size)
            aligned = m_size;
        m_offset = aligned;
    }

private:
    const BYTE* m_begin;
    size_t m_size;
    size_t m_offset = 0;
    bool m_ok = true;
};

class TemplateWriter {
public:
    template <typename T>
    void Write(T value) {
        const BYTE* bytes = reinterpret_cast<const BYTE*>(&value);
        m_bytes.insert(m_bytes.end(), bytes, bytes + sizeof(T));
    }
    void WriteString(const std::wstring& text) {
        for (wchar_t c : text)
            Write<wchar_t>(c);
        Write<wchar_t>(L'\0');
    }
    void WriteName(const TemplateName& name) {
        if (name.isOrdinal) {
            Write<WORD>(0xFFFF);
            Write<WORD>(name.ordinal);
        } else {
            WriteString(name.name);
        }
    }
    void WriteBytes(const std::vector<BYTE>& bytes) { m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end()); }
    void AlignTo(size_t alignment) {
        while (m_bytes.size() % alignment)
            m_bytes.push_back(0);
    }
    std::vector<DWORD> Take() const {
        std::vector<DWORD> words((m_bytes.size() + sizeof(DWORD) - 1) / sizeof(DWORD), 0);
        if (!m_bytes.empty())
            std::memcpy(words.data(), m_bytes.data(), m_bytes.size());
        return words;
    }

private:
    std::vector<BYTE> m_bytes;
};

}  // namespace

bool ParseDialogTemplate(const void* data, size_t size, DialogTemplate& dialog) {
    TemplateReader in(data, size);
    WORD version = in.Read<WORD>();
    WORD signature = in.Read<WORD>();
    if (!in.Ok() || version != 1 || signature != 0xFFFF)
        return false;
    dialog = DialogTemplate();
    dialog.helpId = in.Read<DWORD>();
    dialog.exStyle = in.Read<DWORD>();
    dialog.style = in.Read<DWORD>();
    WORD count = in.Read<WORD>();
    dialog.x = in.Read<short>();
    dialog.y = in.Read<short>();
    dialog.cx = in.Read<short>();
    dialog.cy = in.Read<short>();
    dialog.menu = in.ReadName();
    dialog.windowClass = in.ReadName();
    dialog.title = in.ReadString();
    if (dialog.style & (DS_SETFONT | DS_SHELLFONT)) {
        dialog.pointSize = in.Read<WORD>();
        dialog.weight = in.Read<WORD>();
        dialog.italic = in.Read<BYTE>();
        dialog.charset = in.Read<BYTE>();
        dialog.typeface = in.ReadString();
    }
    for (WORD i = 0; i < count && in.Ok(); ++i) {
        in.AlignTo(sizeof(DWORD));
        DialogItemTemplate item;
        item.helpId = in.Read<DWORD>();
        item.exStyle = in.Read<DWORD>();
        item.style = in.Read<DWORD>();
        item.x = in.Read<short>();
        item.y = in.Read<short>();
        item.cx = in.Read<short>();
        item.cy = in.Read<short>();
        item.id = in.Read<DWORD>();
        item.windowClass = in.ReadName();
        item.title = in.ReadName();
        WORD extra = in.Read<WORD>();
        item.creationData = in.ReadBytes(extra);
        dialog.items.push_back(std::move(item));
    }
    return in.Ok();
}

std::vector<DWORD> BuildDialogTemplate(const DialogTemplate& dialog) {
    TemplateWriter out;
    out.Write<WORD>(1);
    out.Write<WORD>(0xFFFF);
    out.Write<DWORD>(dialog.helpId);
    out.Write<DWORD>(dialog.exStyle);
    out.Write<DWORD>(dialog.style);
    out.Write<WORD>(static_cast<WORD>(dialog.items.size()));
    out.Write<short>(dialog.x);
    out.Write<short>(dialog.y);
    out.Write<short>(dialog.cx);
    out.Write<short>(dialog.cy);
    out.WriteName(dialog.menu);
    out.WriteName(dialog.windowClass);
    out.WriteString(dialog.title);
    if (dialog.style & (DS_SETFONT | DS_SHELLFONT)) {
        out.Write<WORD>(dialog.pointSize);
        out.Write<WORD>(dialog.weight);
        out.Write<BYTE>(dialog.italic);
        out.Write<BYTE>(dialog.charset);
        out.WriteString(dialog.typeface);
    }
    for (const DialogItemTemplate& item : dialog.items) {
        out.AlignTo(sizeof(DWORD));
        out.Write<DWORD>(item.helpId);
        out.Write<DWORD>(item.exStyle);
        out.Write<DWORD>(item.style);
        out.Write<short>(item.x);
        out.Write<short>(item.y);
        out.Write<short>(item.cx);
        out.Write<short>(item.cy);
        out.Write<DWORD>(item.id);
        out.WriteName(item.windowClass);
        out.WriteName(item.title);
        out.Write<WORD>(static_cast<WORD>(item.creationData.size()));
        out.WriteBytes(item.creationData);
    }
    return out.Take();
}

int ReplaceControlClasses(DialogTemplate& dialog) {
    int replaced = 0;
    for (DialogItemTemplate& item : dialog.items) {
        if (item.windowClass.isOrdinal || item.windowClass.name.empty() || item.windowClass.name[0] != L'{')
            continue;
        item.title.isOrdinal = false;
        item.title.name = item.windowClass.name;
        item.windowClass.name = CAxHost::kWindowClass;
        ++replaced;
    }
    return replaced;
}

bool ParseDialogInit(const void* data, size_t size, std::vector<ControlInitRecord>& records) {
    records.clear();
    TemplateReader in(data, size);
    for (;;) {
        WORD id = in.Read<WORD>();
        if (!in.Ok())
            return false;
        if (id == 0)
            return true;
        ControlInitRecord record;
        record.controlId = id;
        record.message = in.Read<WORD>();
        DWORD length = in.Read<DWORD>();
        record.data = in.ReadBytes(length);
        if (!in.Ok())
            return false;
        records.push_back(std::move(record));
    }
}

// ---- The host window --------------------------------------------------------

namespace {

// A task-memory copy of an automation string, as IDocHostUIHandler hands
// strings out.
LPWSTR TaskCopy(BSTR text) {
    if (!text)
        return nullptr;
    size_t bytes = (SysStringLen(text) + 1) * sizeof(wchar_t);
    auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (copy)
        std::memcpy(copy, text, bytes);
    return copy;
}

// A stream over a copy of the bytes, positioned at their start.
HRESULT StreamOnCopy(const std::vector<BYTE>& data, ComPtr<IStream>& stream) {
    GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, data.size()));
    void* bytes = memory ? GlobalLock(memory.Get()) : nullptr;
    if (!bytes)
        return E_OUTOFMEMORY;
    std::memcpy(bytes, data.data(), data.size());
    GlobalUnlock(memory.Get());
    HRESULT hr = CreateStreamOnHGlobal(memory.Get(), TRUE, stream.ReleaseAndGetAddressOf());
    if (SUCCEEDED(hr))
        memory.Detach();  // the stream frees it
    return hr;
}

// The control's answer to a handler call that hands back an IUnknown, as the
// interface the control asked for.
HRESULT AnswerAs(HRESULT hr, const ComPtr<IUnknown>& answer, REFIID riid, void** result) {
    if (hr == S_OK && answer)
        hr = answer->QueryInterface(riid, result);
    return hr;
}

}  // namespace

bool CAxHost::RegisterWindowClass() {
    HINSTANCE instance = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&CAxHost::WindowProc), &instance);
    WNDCLASSEXW existing = {sizeof(existing)};
    if (GetClassInfoExW(instance, kWindowClass, &existing)) {
        if (existing.lpfnWndProc == WindowProc)
            return true;
        // Left behind by an earlier load of the library at the same address:
        // classes outlive the library that registered them.
        UnregisterClassW(kWindowClass, instance);
    }
    WNDCLASSEXW windowClass = {sizeof(windowClass)};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kWindowClass;
    // Another thread may have registered it meanwhile.
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

CAxHost* CAxHost::FromWindow(HWND hwnd) {
    wchar_t name[64] = {};
    if (!hwnd || !GetClassNameW(hwnd, name, 64) || lstrcmpW(name, kWindowClass) != 0)
        return nullptr;
    return reinterpret_cast<CAxHost*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

HRESULT CAxHost::CreateDialogControls(HWND dialog, HINSTANCE instance, UINT templateId) {
    std::vector<ControlInitRecord> records;
    HRSRC resource = FindResourceW(instance, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(kDialogInitResourceType));
    HGLOBAL loaded = resource ? LoadResource(instance, resource) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (data && !ParseDialogInit(data, SizeofResource(instance, resource), records))
        records.clear();

    HRESULT first = S_OK;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        CAxHost* host = FromWindow(child);
        if (!host)
            continue;
        wchar_t text[64] = {};
        GetWindowTextW(child, text, 64);
        CLSID clsid;
        HRESULT hr = CLSIDFromString(text, &clsid);
        const ControlInitRecord* init = nullptr;
        for (const ControlInitRecord& record : records)
            if (record.controlId == GetDlgCtrlID(child))
                init = &record;
        if (SUCCEEDED(hr))
            hr = host->CreateControl(clsid, init);
        if (FAILED(hr) && SUCCEEDED(first))
            first = hr;
    }
    return first;
}

CAxHost::CAxHost(HWND hwnd) : m_hWnd(hwnd), m_frame(this) {}

CAxHost::~CAxHost() {
    DestroyControl();
}

LRESULT CALLBACK CAxHost::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CAxHost* host = reinterpret_cast<CAxHost*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
    case WM_NCCREATE: {
        host = new (std::nothrow) CAxHost(hwnd);
        if (!host)
            return FALSE;
        // The control needs OLE on its thread for as long as it lives.
        host->m_bOleInitialized = SUCCEEDED(OleInitialize(nullptr));
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(host));
        break;
    }
    case WM_SIZE:
        if (host)
            host->Resize();
        break;
    case WM_SETFOCUS:
        if (host && host->m_spOleObject) {
            RECT rect;
            GetClientRect(hwnd, &rect);
            host->m_spOleObject->DoVerb(OLEIVERB_UIACTIVATE, nullptr, static_cast<IOleClientSite*>(host), 0, hwnd,
                                        &rect);
        }
        break;
    case WM_ERASEBKGND:
        // The control paints all of the window.
        if (host && host->m_spInPlaceObject)
            return 1;
        break;
    case WM_DESTROY:
        if (host)
            host->DestroyControl();
        break;
    case WM_NCDESTROY:
        if (host) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            bool uninitialize = host->m_bOleInitialized;
            host->m_hWnd = nullptr;
            // The window's reference, the one the host was created with.
            host->Release();
            if (uninitialize)
                OleUninitialize();
        }
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HRESULT CAxHost::CreateControl(REFCLSID clsid, const ControlInitRecord* init) {
    if (m_spOleObject)
        return E_UNEXPECTED;
    ComPtr<IOleObject> object;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                  reinterpret_cast<void**>(object.GetAddressOf()));
    if (FAILED(hr) || !object)
        return FAILED(hr) ? hr : E_NOINTERFACE;
    m_spOleObject.Swap(object);
    m_spOleObject->SetClientSite(static_cast<IOleClientSite*>(this));

    ComPtr<IPersistStreamInit> persist;
    if (SUCCEEDED(m_spOleObject->QueryInterface(IID_IPersistStreamInit,
                                                reinterpret_cast<void**>(persist.GetAddressOf()))) &&
        persist) {
        if (init && init->message == kInitLoadFromStream && !init->data.empty()) {
            ComPtr<IStream> stream;
            hr = StreamOnCopy(init->data, stream);
            if (SUCCEEDED(hr))
                hr = persist->Load(stream.Get());
        } else {
            hr = persist->InitNew();
        }
        // Let go before a failed control is taken down.
        persist.Reset();
        if (FAILED(hr)) {
            DestroyControl();
            return hr;
        }
    }

    RECT rect;
    GetClientRect(m_hWnd, &rect);
    hr = m_spOleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(this), 0, m_hWnd,
                               &rect);
    if (FAILED(hr)) {
        DestroyControl();
        return hr;
    }
    FindInPlaceObject();
    return S_OK;
}

void CAxHost::FindInPlaceObject() {
    if (m_spOleObject && !m_spInPlaceObject)
        m_spOleObject->QueryInterface(IID_IOleInPlaceObject,
                                      reinterpret_cast<void**>(m_spInPlaceObject.GetAddressOf()));
}

HRESULT CAxHost::QueryControl(REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (!m_spOleObject)
        return E_NOINTERFACE;
    return m_spOleObject->QueryInterface(riid, ppv);
}

HRESULT CAxHost::SetExternalUIHandler(IDocHostUIHandlerDispatch* handler) {
    m_spExternalUIHandler = handler;
    return S_OK;
}

void CAxHost::DestroyControl() {
    // Taken out first: the calls below may come back into the site. The
    // order is the container's contract: deactivate in place, drop the
    // active object, close, leave the site, and only then release.
    ComPtr<IOleInPlaceObject> inPlace;
    inPlace.Swap(m_spInPlaceObject);
    ComPtr<IOleObject> object;
    object.Swap(m_spOleObject);
    if (inPlace) {
        inPlace->InPlaceDeactivate();
        inPlace.Reset();
    }
    m_spActiveObject.Reset();
    if (object) {
        object->Close(OLECLOSE_NOSAVE);
        object->SetClientSite(nullptr);
        object.Reset();
    }
    m_spExternalUIHandler.Reset();
}

bool CAxHost::PreTranslateMessage(MSG* msg) {
    if (!msg || !m_spActiveObject || !m_hWnd || msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST)
        return false;
    if (msg->hwnd != m_hWnd && !IsChild(m_hWnd, msg->hwnd))
        return false;
    return m_spActiveObject->TranslateAccelerator(msg) == S_OK;
}

void CAxHost::Resize() {
    if (!m_spInPlaceObject || !m_hWnd)
        return;
    RECT rect;
    GetClientRect(m_hWnd, &rect);
    m_spInPlaceObject->SetObjectRects(&rect, &rect);
}

// ---- IUnknown -------------------------------------------------------------

STDMETHODIMP CAxHost::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IOleClientSite)
        *ppv = static_cast<IOleClientSite*>(this);
    else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite)
        *ppv = static_cast<IOleInPlaceSite*>(this);
    else if (riid == IID_IDocHostUIHandler)
        *ppv = static_cast<IDocHostUIHandler*>(this);
    else {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CAxHost::AddRef() {
    return AddComReference(m_cRef);
}

STDMETHODIMP_(ULONG) CAxHost::Release() {
    return ReleaseComReference(this, m_cRef);
}

// ---- IOleClientSite -------------------------------------------------------

STDMETHODIMP CAxHost::SaveObject() {
    return E_NOTIMPL;
}

STDMETHODIMP CAxHost::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker)
        *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CAxHost::GetContainer(IOleContainer** container) {
    if (container)
        *container = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP CAxHost::ShowObject() {
    return S_OK;
}

STDMETHODIMP CAxHost::OnShowWindow(BOOL) {
    return S_OK;
}

STDMETHODIMP CAxHost::RequestNewObjectLayout() {
    return E_NOTIMPL;
}

// ---- IOleInPlaceSite ------------------------------------------------------

STDMETHODIMP CAxHost::GetWindow(HWND* hwnd) {
    if (!hwnd)
        return E_POINTER;
    *hwnd = m_hWnd;
    return m_hWnd ? S_OK : E_FAIL;
}

STDMETHODIMP CAxHost::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

STDMETHODIMP CAxHost::CanInPlaceActivate() {
    return m_hWnd ? S_OK : S_FALSE;
}

STDMETHODIMP CAxHost::OnInPlaceActivate() {
    FindInPlaceObject();
    return S_OK;
}

STDMETHODIMP CAxHost::OnUIActivate() {
    return S_OK;
}

STDMETHODIMP CAxHost::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT posRect,
                                       LPRECT clipRect, LPOLEINPLACEFRAMEINFO frameInfo) {
    if (frame)
        *frame = nullptr;
    if (doc)
        *doc = nullptr;
    if (!frame || !doc || !posRect || !clipRect || !frameInfo)
        return E_POINTER;
    *frame = &m_frame;
    m_frame.AddRef();
    GetClientRect(m_hWnd, posRect);
    *clipRect = *posRect;
    frameInfo->fMDIApp = FALSE;
    frameInfo->hwndFrame = GetAncestor(m_hWnd, GA_ROOT);
    frameInfo->haccel = nullptr;
    frameInfo->cAccelEntries = 0;
    return S_OK;
}

STDMETHODIMP CAxHost::Scroll(SIZE) {
    return E_NOTIMPL;
}

STDMETHODIMP CAxHost::OnUIDeactivate(BOOL) {
    m_spActiveObject.Reset();
    return S_OK;
}

STDMETHODIMP CAxHost::OnInPlaceDeactivate() {
    return S_OK;
}

STDMETHODIMP CAxHost::DiscardUndoState() {
    return E_NOTIMPL;
}

STDMETHODIMP CAxHost::DeactivateAndUndo() {
    return E_NOTIMPL;
}

STDMETHODIMP CAxHost::OnPosRectChange(LPCRECT posRect) {
    if (!posRect)
        return E_POINTER;
    if (!m_hWnd)
        return E_FAIL;
    // The control asks for a new size; the host window follows and the
    // control then fills it again.
    SetWindowPos(m_hWnd, nullptr, 0, 0, posRect->right - posRect->left, posRect->bottom - posRect->top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Resize();
    return S_OK;
}

// ---- IDocHostUIHandler: forwarded to the external handler ---------------------
// Without a handler the answers leave the control its own default behaviour.

template <typename T>
bool CAxHost::ReadyToForward(T** out, HRESULT& answer) const {
    if (!out) {
        answer = E_POINTER;
        return false;
    }
    *out = nullptr;
    return m_spExternalUIHandler != nullptr;
}

STDMETHODIMP CAxHost::ShowContextMenu(DWORD id, POINT* point, IUnknown* commandTarget, IDispatch* object) {
    if (!m_spExternalUIHandler)
        return S_FALSE;
    HRESULT result = S_FALSE;
    HRESULT hr = m_spExternalUIHandler->ShowContextMenu(id, point ? point->x : 0, point ? point->y : 0,
                                                        commandTarget, object, &result);
    return SUCCEEDED(hr) ? result : S_FALSE;
}

STDMETHODIMP CAxHost::GetHostInfo(DOCHOSTUIINFO* info) {
    if (!info)
        return E_POINTER;
    if (!m_spExternalUIHandler)
        return E_NOTIMPL;
    DWORD flags = info->dwFlags;
    DWORD doubleClick = info->dwDoubleClick;
    HRESULT hr = m_spExternalUIHandler->GetHostInfo(&flags, &doubleClick);
    if (SUCCEEDED(hr)) {
        info->dwFlags = flags;
        info->dwDoubleClick = doubleClick;
    }
    return hr;
}

STDMETHODIMP CAxHost::ShowUI(DWORD id, IOleInPlaceActiveObject* activeObject, IOleCommandTarget* commandTarget,
                             IOleInPlaceFrame* frame, IOleInPlaceUIWindow* doc) {
    if (!m_spExternalUIHandler)
        return S_FALSE;
    HRESULT result = S_FALSE;
    HRESULT hr = m_spExternalUIHandler->ShowUI(id, activeObject, commandTarget, frame, doc, &result);
    return SUCCEEDED(hr) ? result : S_FALSE;
}

STDMETHODIMP CAxHost::HideUI() {
    return m_spExternalUIHandler ? m_spExternalUIHandler->HideUI() : S_OK;
}

STDMETHODIMP CAxHost::UpdateUI() {
    return m_spExternalUIHandler ? m_spExternalUIHandler->UpdateUI() : S_OK;
}

STDMETHODIMP CAxHost::EnableModeless(BOOL enable) {
    return m_spExternalUIHandler ? m_spExternalUIHandler->EnableModeless(enable ? VARIANT_TRUE : VARIANT_FALSE) : S_OK;
}

STDMETHODIMP CAxHost::OnDocWindowActivate(BOOL activate) {
    return m_spExternalUIHandler
               ? m_spExternalUIHandler->OnDocWindowActivate(activate ? VARIANT_TRUE : VARIANT_FALSE)
               : S_OK;
}

STDMETHODIMP CAxHost::OnFrameWindowActivate(BOOL activate) {
    return m_spExternalUIHandler
               ? m_spExternalUIHandler->OnFrameWindowActivate(activate ? VARIANT_TRUE : VARIANT_FALSE)
               : S_OK;
}

STDMETHODIMP CAxHost::ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow) {
    if (!m_spExternalUIHandler)
        return S_OK;
    RECT rect = border ? *border : RECT{0, 0, 0, 0};
    return m_spExternalUIHandler->ResizeBorder(rect.left, rect.top, rect.right, rect.bottom, window,
                                               frameWindow ? VARIANT_TRUE : VARIANT_FALSE);
}

STDMETHODIMP CAxHost::TranslateAccelerator(LPMSG msg, const GUID* group, DWORD command) {
    if (!m_spExternalUIHandler || !msg)
        return S_FALSE;
    wchar_t groupText[40] = {};
    if (group)
        StringFromGUID2(*group, groupText, 40);
    Bstr groupString{std::wstring(groupText)};
    HRESULT result = S_FALSE;
    HRESULT hr = m_spExternalUIHandler->TranslateAccelerator(
        reinterpret_cast<ULONG_PTR>(msg->hwnd), msg->message, static_cast<ULONG_PTR>(msg->wParam),
        static_cast<ULONG_PTR>(msg->lParam), groupString.get(), command, &result);
    return SUCCEEDED(hr) ? result : S_FALSE;
}

STDMETHODIMP CAxHost::GetOptionKeyPath(LPOLESTR* key, DWORD reserved) {
    HRESULT answer = E_NOTIMPL;
    if (!ReadyToForward(key, answer))
        return answer;
    Bstr path;
    HRESULT hr = m_spExternalUIHandler->GetOptionKeyPath(path.Out(), reserved);
    if (hr == S_OK && path.get())
        *key = TaskCopy(path.get());
    return hr;
}

STDMETHODIMP CAxHost::GetDropTarget(IDropTarget* dropTarget, IDropTarget** result) {
    HRESULT answer = E_NOTIMPL;
    if (!ReadyToForward(result, answer))
        return answer;
    ComPtr<IUnknown> unknown;
    HRESULT hr = m_spExternalUIHandler->GetDropTarget(dropTarget, unknown.GetAddressOf());
    return AnswerAs(hr, unknown, IID_IDropTarget, reinterpret_cast<void**>(result));
}

STDMETHODIMP CAxHost::GetExternal(IDispatch** dispatch) {
    HRESULT answer = E_NOTIMPL;
    if (!ReadyToForward(dispatch, answer))
        return answer;
    return m_spExternalUIHandler->GetExternal(dispatch);
}

STDMETHODIMP CAxHost::TranslateUrl(DWORD translate, LPWSTR url, LPWSTR* result) {
    HRESULT answer = S_FALSE;
    if (!ReadyToForward(result, answer))
        return answer;
    // A null address stays null for the handler.
    Bstr in;
    in.Reset(SysAllocString(url));
    Bstr out;
    HRESULT hr = m_spExternalUIHandler->TranslateUrl(translate, in.get(), out.Out());
    if (hr == S_OK && out.get())
        *result = TaskCopy(out.get());
    return hr;
}

STDMETHODIMP CAxHost::FilterDataObject(IDataObject* object, IDataObject** result) {
    HRESULT answer = S_FALSE;
    if (!ReadyToForward(result, answer))
        return answer;
    ComPtr<IUnknown> unknown;
    HRESULT hr = m_spExternalUIHandler->FilterDataObject(object, unknown.GetAddressOf());
    return AnswerAs(hr, unknown, IID_IDataObject, reinterpret_cast<void**>(result));
}

// ---- The in-place frame ------------------------------------------------------

STDMETHODIMP CAxHost::Frame::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IOleWindow || riid == IID_IOleInPlaceUIWindow ||
        riid == IID_IOleInPlaceFrame) {
        *ppv = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP CAxHost::Frame::GetWindow(HWND* hwnd) {
    if (!hwnd)
        return E_POINTER;
    *hwnd = m_owner->m_hWnd ? GetAncestor(m_owner->m_hWnd, GA_ROOT) : nullptr;
    return *hwnd ? S_OK : E_FAIL;
}

STDMETHODIMP CAxHost::Frame::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) {
    m_owner->m_spActiveObject = object;
    return S_OK;
}

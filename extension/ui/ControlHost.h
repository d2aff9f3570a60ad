#pragma once
// The library's own ActiveX control container for dialogs: a window class
// whose windows each host one control in place, the dialog-template rewrite
// that puts such windows where a template names a control by class
// identifier, and the reading of the controls' stored initial state.
#include <windows.h>
#include <docobj.h>
#include <mshtmhst.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "base/ComOwners.h"
#include "base/ComSupport.h"
#include "HintoraIE_h.h"

// ---- Dialog templates -------------------------------------------------------

// A name or ordinal field of a dialog template.
struct TemplateName {
    bool isOrdinal = false;
    WORD ordinal = 0;
    std::wstring name;
};

struct DialogItemTemplate {
    DWORD helpId = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    TemplateName windowClass;
    TemplateName title;
    std::vector<BYTE> creationData;
};

// An extended dialog template (DLGTEMPLATEEX) taken apart.
struct DialogTemplate {
    DWORD helpId = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    TemplateName menu;
    TemplateName windowClass;
    std::wstring title;
    WORD pointSize = 0;
    WORD weight = 0;
    BYTE italic = 0;
    BYTE charset = 0;
    std::wstring typeface;
    std::vector<DialogItemTemplate> items;
};

// False for anything but a well-formed extended template within size bytes.
bool ParseDialogTemplate(const void* data, size_t size, DialogTemplate& dialog);
// The template in memory, DWORD-aligned as the dialog functions need it.
std::vector<DWORD> BuildDialogTemplate(const DialogTemplate& dialog);
// Items whose class is a class identifier ("{...}") become host windows
// whose text is that identifier. Returns how many were changed.
int ReplaceControlClasses(DialogTemplate& dialog);

// One record of a dialog-init resource (type 240): the stored initial state
// of one control.
struct ControlInitRecord {
    WORD controlId = 0;
    WORD message = 0;
    std::vector<BYTE> data;
};

// Record messages: load the state from the data as a stream, or start new.
const WORD kInitLoadFromStream = 0x0376;
const WORD kInitNew = 0x0378;
const WORD kDialogInitResourceType = 240;

// False when the data is malformed; records end at a zero control id.
bool ParseDialogInit(const void* data, size_t size, std::vector<ControlInitRecord>& records);

// ---- The host window --------------------------------------------------------

// The host of one control: its client site, in-place site and frame, and the
// browser control's UI handler, which forwards to an external automation
// handler when one is set.
class CAxHost : public IOleClientSite, public IOleInPlaceSite, public IDocHostUIHandler {
public:
    static const wchar_t kWindowClass[];

    // Registers the host window class once per process; false when that fails.
    static bool RegisterWindowClass();
    // The host of a host window, null for any other window.
    static CAxHost* FromWindow(HWND hwnd);
    // Creates the controls of every host window among the dialog's children
    // from their class identifiers and the dialog-init resource of the same id.
    static HRESULT CreateDialogControls(HWND dialog, HINSTANCE instance, UINT templateId);

    explicit CAxHost(HWND hwnd);

    // Creates the control, hands it this site, applies its initial state and
    // activates it in place filling the window.
    HRESULT CreateControl(REFCLSID clsid, const ControlInitRecord* init);
    HRESULT QueryControl(REFIID riid, void** ppv);
    HRESULT SetExternalUIHandler(IDocHostUIHandlerDispatch* handler);
    void DestroyControl();
    // Gives the active control the first chance at a keyboard message meant
    // for a window inside the host; true when the control used it.
    bool PreTranslateMessage(MSG* msg);
    HWND Window() const { return m_hWnd; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IOleClientSite
    STDMETHODIMP SaveObject() override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    STDMETHODIMP GetContainer(IOleContainer** container) override;
    STDMETHODIMP ShowObject() override;
    STDMETHODIMP OnShowWindow(BOOL show) override;
    STDMETHODIMP RequestNewObjectLayout() override;

    // IOleWindow / IOleInPlaceSite
    STDMETHODIMP GetWindow(HWND* hwnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enter) override;
    STDMETHODIMP CanInPlaceActivate() override;
    STDMETHODIMP OnInPlaceActivate() override;
    STDMETHODIMP OnUIActivate() override;
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT posRect,
                                  LPRECT clipRect, LPOLEINPLACEFRAMEINFO frameInfo) override;
    STDMETHODIMP Scroll(SIZE extent) override;
    STDMETHODIMP OnUIDeactivate(BOOL undoable) override;
    STDMETHODIMP OnInPlaceDeactivate() override;
    STDMETHODIMP DiscardUndoState() override;
    STDMETHODIMP DeactivateAndUndo() override;
    STDMETHODIMP OnPosRectChange(LPCRECT posRect) override;

    // IDocHostUIHandler
    STDMETHODIMP ShowContextMenu(DWORD id, POINT* point, IUnknown* commandTarget, IDispatch* object) override;
    STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
    STDMETHODIMP ShowUI(DWORD id, IOleInPlaceActiveObject* activeObject, IOleCommandTarget* commandTarget,
                        IOleInPlaceFrame* frame, IOleInPlaceUIWindow* doc) override;
    STDMETHODIMP HideUI() override;
    STDMETHODIMP UpdateUI() override;
    STDMETHODIMP EnableModeless(BOOL enable) override;
    STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
    STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow) override;
    STDMETHODIMP TranslateAccelerator(LPMSG msg, const GUID* group, DWORD command) override;
    STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD reserved) override;
    STDMETHODIMP GetDropTarget(IDropTarget* dropTarget, IDropTarget** result) override;
    STDMETHODIMP GetExternal(IDispatch** dispatch) override;
    STDMETHODIMP TranslateUrl(DWORD translate, LPWSTR url, LPWSTR* result) override;
    STDMETHODIMP FilterDataObject(IDataObject* object, IDataObject** result) override;

private:
    // The in-place frame has a window of its own (the dialog), so it is a
    // separate identity; its references are the host's.
    class Frame : public IOleInPlaceFrame {
    public:
        explicit Frame(CAxHost* owner) : m_owner(owner) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
        STDMETHODIMP_(ULONG) AddRef() override { return m_owner->AddRef(); }
        STDMETHODIMP_(ULONG) Release() override { return m_owner->Release(); }
        STDMETHODIMP GetWindow(HWND* hwnd) override;
        STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
        STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
        STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
        STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
        STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) override;
        STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
        STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
        STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
        STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
        STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
        STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    private:
        CAxHost* m_owner;
    };

    // Only the last release deletes the host.
    virtual ~CAxHost();
    template <typename T>
    friend ULONG ReleaseComReference(T* object, LONG& count);
    CAxHost(const CAxHost&) = delete;
    CAxHost& operator=(const CAxHost&) = delete;

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Resize();
    // Takes the control's in-place side once, as soon as it has one.
    void FindInPlaceObject();
    // Clears a handler call's out value; false when the call ends here, with
    // answer then E_POINTER for no out value or left as given for no handler.
    template <typename T>
    bool ReadyToForward(T** out, HRESULT& answer) const;

    LONG m_cRef = 1;
    HWND m_hWnd;
    bool m_bOleInitialized = false;
    Frame m_frame;
    ComPtr<IOleObject> m_spOleObject;
    ComPtr<IOleInPlaceObject> m_spInPlaceObject;
    ComPtr<IOleInPlaceActiveObject> m_spActiveObject;
    ComPtr<IDocHostUIHandlerDispatch> m_spExternalUIHandler;
};

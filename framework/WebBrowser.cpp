#include "framework/WebBrowser.h"

// clang-format off
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <exdisp.h>
#include <exdispid.h>
// clang-format on

#include <utility>

#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "framework/Handles.h"
#include "framework/SystemLibrary.h"

// What the control's two objects for the browser share: a reference count that starts at
// one and frees the object with the last Release (the object lives as long as anyone holds
// it), and the control they serve until it lets them go.
class TBrowserPart {
 public:
  explicit TBrowserPart(TWebBrowser* owner) : FOwner(owner) {}
  void Detach() { FOwner = nullptr; }

 protected:
  virtual ~TBrowserPart() = default;
  ULONG Acquire() { return static_cast<ULONG>(InterlockedIncrement(&FRefs)); }
  ULONG Drop() {
    const LONG n = InterlockedDecrement(&FRefs);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
  }
  TWebBrowser* FOwner;

 private:
  LONG FRefs = 1;
};

// The smallest container the browser object needs to be active in place in our
// window: a client site, an in-place site and a frame that offers nothing.
class TBrowserSite : public TBrowserPart,
                     public IOleClientSite,
                     public IOleInPlaceSite,
                     public IOleInPlaceFrame {
 public:
  using TBrowserPart::TBrowserPart;
  HWND Wnd() const { return FOwner ? FOwner->ExistingHandle() : nullptr; }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid == IID_IUnknown || riid == IID_IOleClientSite)
      *out = static_cast<IOleClientSite*>(this);
    else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite)
      *out = static_cast<IOleInPlaceSite*>(this);
    else if (riid == IID_IOleInPlaceUIWindow || riid == IID_IOleInPlaceFrame)
      *out = static_cast<IOleInPlaceFrame*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return Acquire(); }
  STDMETHODIMP_(ULONG) Release() override { return Drop(); }

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP GetContainer(IOleContainer** c) override {
    *c = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow (shared by the in-place site and the frame)
  STDMETHODIMP GetWindow(HWND* wnd) override {
    *wnd = Wnd();
    return *wnd ? S_OK : E_FAIL;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return Wnd() ? S_OK : S_FALSE; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos,
                                LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *doc = nullptr;
    RECT r{0, 0, 0, 0};
    if (HWND w = Wnd()) GetClientRect(w, &r);
    *pos = r;
    *clip = r;
    info->fMDIApp = FALSE;
    info->hwndFrame = Wnd();
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
  STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

  // IOleInPlaceUIWindow / IOleInPlaceFrame: no tool space, menus or status line.
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

 private:
  ~TBrowserSite() override = default;
};

// Receives the browser's events: each navigation of the top-level page ends with its
// document or with an error, and the control needs to know which.
class TBrowserEvents : public TBrowserPart, public IDispatch {
 public:
  using TBrowserPart::TBrowserPart;

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid != IID_IUnknown && riid != IID_IDispatch && riid != DIID_DWebBrowserEvents2)
      return E_NOINTERFACE;
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return Acquire(); }
  STDMETHODIMP_(ULONG) Release() override { return Drop(); }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  // The arguments arrive last first.
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    if (!FOwner || !params) return S_OK;
    if (id == DISPID_DOCUMENTCOMPLETE && params->cArgs == 2) {
      FOwner->PageArrived(Frame(params->rgvarg[1]));
    } else if (id == DISPID_NAVIGATEERROR && params->cArgs == 5 &&
               FOwner->IsTopFrame(Frame(params->rgvarg[4]))) {
      // Not the browser's own error page: the control shows its placeholder instead.
      VARIANT& cancel = params->rgvarg[0];
      if (cancel.vt == (VT_BOOL | VT_BYREF) && cancel.pboolVal) *cancel.pboolVal = VARIANT_TRUE;
      FOwner->PageFailed(Frame(params->rgvarg[4]));
    }
    return S_OK;
  }

 private:
  ~TBrowserEvents() override = default;
  static IUnknown* Frame(const VARIANT& v) { return v.vt == VT_DISPATCH ? v.pdispVal : nullptr; }
};

namespace {
// The timer that waits for the page.
constexpr UINT_PTR kPageTimer = 1;

// The object libraries are bound with the browser object, after the first picture.
TSystemLibrary Ole(L"ole32.dll");
TSystemLibrary OleAutomation(L"oleaut32.dll");
TSystemFunction<decltype(&::OleInitialize)> OleInitializeFn(Ole, "OleInitialize");
TSystemFunction<decltype(&::CoCreateInstance)> CoCreateInstanceFn(Ole, "CoCreateInstance");
TSystemFunction<decltype(&::CoGetClassObject)> CoGetClassObjectFn(Ole, "CoGetClassObject");
TSystemFunction<decltype(&::OleSetContainedObject)> OleSetContainedObjectFn(
    Ole, "OleSetContainedObject");
TSystemFunction<decltype(&::SysAllocStringLen)> SysAllocStringLenFn(OleAutomation,
                                                                    "SysAllocStringLen");
TSystemFunction<decltype(&::SysFreeString)> SysFreeStringFn(OleAutomation, "SysFreeString");
TSystemFunction<decltype(&::VariantInit)> VariantInitFn(OleAutomation, "VariantInit");

// A system without the object libraries has no browser object: the control stays empty.
bool OleReady() {
  static const bool ready = OleInitializeFn.Available() && CoCreateInstanceFn.Available() &&
                            CoGetClassObjectFn.Available() && OleSetContainedObjectFn.Available() &&
                            SysAllocStringLenFn.Available() && SysFreeStringFn.Available() &&
                            VariantInitFn.Available() && SUCCEEDED(OleInitializeFn(nullptr));
  return ready;
}

// A browser object without the system's HTML engine is made and hosted, but never shows a
// page (Wine without its engine is such a system): the control then makes no object.
bool HtmlEngineAvailable() {
  static const bool available = [] {
    static constexpr CLSID kHtmlDocument = {
        0x25336920, 0x03f9, 0x11cf, {0x8f, 0xd0, 0x00, 0xaa, 0x00, 0x68, 0x6f, 0x13}};
    IClassFactory* factory = nullptr;
    if (FAILED(CoGetClassObjectFn(kHtmlDocument, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                  reinterpret_cast<void**>(&factory))) ||
        !factory)
      return false;
    factory->Release();
    return true;
  }();
  return available;
}

// The object library is loaded by a helper thread while the windows are built: the
// browser object needs it right after the first show, and the first focus of the main
// window needs it even before the window is on screen (the input method starts the object
// library on the window's thread), which then finds it loaded instead of waiting for the
// files. Loading is all the helper does. Only the one library: a second one made nothing
// faster, and a helper that still loads when the window is shown holds up the loading
// the show itself does.
DWORD WINAPI LoadObjectLibrary(void*) {
  Ole.Module();
  return 0;
}

void LoadObjectLibraryMeanwhile() {
  static bool started = false;
  if (std::exchange(started, true) || Ole.Loaded()) return;
  // Without a helper the library is loaded when it is first needed.
  if (HANDLE thread = CreateThread(nullptr, 0, LoadObjectLibrary, nullptr, 0, nullptr))
    CloseHandle(thread);
}
}  // namespace

TWebBrowser::TWebBrowser(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 300;
  FHeight = 150;
  FColor = clWindow;
  FOwnPaint = true;
  if (Application->WaitingForFirstShow()) LoadObjectLibraryMeanwhile();
}

TWebBrowser::~TWebBrowser() {
  DestroyBrowser();
}

void TWebBrowser::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.Style |= WS_CLIPCHILDREN;
}

void TWebBrowser::InitializeWnd() {
  TWinControl::InitializeWnd();
  if (!Application->WaitingForFirstShow()) {
    CreateBrowser();
    return;
  }
  // The browser object and its libraries are not part of the window's first picture:
  // made (and sent to the address asked for meanwhile) once the window is on screen.
  FCreatePending = true;
  Application->AfterFirstShow([this, alive = std::weak_ptr<int>(FAlive)] {
    if (alive.expired() || !FCreatePending) return;
    FCreatePending = false;
    CreateBrowser();
    if (FNavigatePending) {
      FNavigatePending = false;
      NavigateNow();
    }
  });
}

void TWebBrowser::CreateBrowser() {
  if (FBrowser || !HandleAllocated() || !OleReady()) return;
  FTriedCreate = true;
  if (!HtmlEngineAvailable()) return;
  IOleObject* ole = nullptr;
  if (FAILED(CoCreateInstanceFn(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                reinterpret_cast<void**>(&ole))) ||
      !ole)
    return;
  FSite = new TBrowserSite(this);
  ole->SetClientSite(static_cast<IOleClientSite*>(FSite));
  OleSetContainedObjectFn(ole, TRUE);
  RECT r;
  GetClientRect(Handle(), &r);
  HRESULT hr = ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(FSite),
                           0, Handle(), &r);
  IWebBrowser2* browser = nullptr;
  if (SUCCEEDED(hr)) ole->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser));
  if (!browser) {
    ole->Close(OLECLOSE_NOSAVE);
    ole->SetClientSite(nullptr);
    ole->Release();
    FSite->Detach();
    FSite->Release();
    FSite = nullptr;
    return;
  }
  ole->Release();
  FBrowser = browser;
  // The banner is a picture, not a place for dialogs about scripts or certificates.
  FBrowser->put_Silent(VARIANT_TRUE);
  IConnectionPointContainer* points = nullptr;
  if (SUCCEEDED(FBrowser->QueryInterface(IID_IConnectionPointContainer,
                                         reinterpret_cast<void**>(&points))) &&
      points) {
    IConnectionPoint* point = nullptr;
    if (SUCCEEDED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, &point)) && point) {
      FEvents = new TBrowserEvents(this);
      if (FAILED(point->Advise(FEvents, &FEventsCookie))) FEventsCookie = 0;
      point->Release();
    }
    points->Release();
  }
  UpdateObjectRects();
}

void TWebBrowser::DestroyBrowser() {
  if (!FBrowser) return;
  IWebBrowser2* browser = std::exchange(FBrowser, nullptr);
  if (FEvents) {
    IConnectionPointContainer* points = nullptr;
    if (FEventsCookie &&
        SUCCEEDED(browser->QueryInterface(IID_IConnectionPointContainer,
                                          reinterpret_cast<void**>(&points))) &&
        points) {
      IConnectionPoint* point = nullptr;
      if (SUCCEEDED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, &point)) && point) {
        point->Unadvise(FEventsCookie);
        point->Release();
      }
      points->Release();
    }
    FEventsCookie = 0;
    FEvents->Detach();
    std::exchange(FEvents, nullptr)->Release();
  }
  IOleInPlaceObject* inplace = nullptr;
  if (SUCCEEDED(
          browser->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inplace))) &&
      inplace) {
    inplace->InPlaceDeactivate();
    inplace->Release();
  }
  IOleObject* ole = nullptr;
  if (SUCCEEDED(browser->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole))) && ole) {
    ole->Close(OLECLOSE_NOSAVE);
    ole->SetClientSite(nullptr);
    ole->Release();
  }
  browser->Release();
  if (FSite) {
    FSite->Detach();
    FSite->Release();
    FSite = nullptr;
  }
}

void TWebBrowser::UpdateObjectRects() {
  if (!FBrowser || !HandleAllocated()) return;
  IOleInPlaceObject* inplace = nullptr;
  if (SUCCEEDED(
          FBrowser->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inplace))) &&
      inplace) {
    RECT r;
    GetClientRect(Handle(), &r);
    inplace->SetObjectRects(&r, &r);
    inplace->Release();
  }
}

IWebBrowser2* TWebBrowser::Browser() {
  if (!FBrowser && !FTriedCreate) {
    HandleNeeded();
    FCreatePending = false;
    CreateBrowser();
  }
  return FBrowser;
}

bool TWebBrowser::Navigate(std::wstring_view URL) {
  FURL.assign(URL);
  if (FCreatePending || (!HandleAllocated() && Application->WaitingForFirstShow())) {
    FNavigatePending = true;
    return true;
  }
  return NavigateNow();
}

bool TWebBrowser::NavigateNow() {
  ++FNavigation;
  FWaitingForPage = false;
  if (FFailed) {
    // A new try: the browser object is made again, and the placeholder goes.
    FFailed = false;
    FTriedCreate = false;
    Invalidate();
  }
  IWebBrowser2* browser = Browser();
  HRESULT hr = E_FAIL;
  if (browser) {
    BSTR url = SysAllocStringLenFn(FURL.data(), static_cast<UINT>(FURL.size()));
    VARIANT empty;
    VariantInitFn(&empty);
    hr = browser->Navigate(url, &empty, &empty, &empty, &empty);
    SysFreeStringFn(url);
  }
  if (FAILED(hr)) {
    Fail();
    return false;
  }
  FWaitingForPage = true;
  SetTimer(Handle(), kPageTimer, NavigateTimeoutMs, nullptr);
  return true;
}

bool TWebBrowser::IsTopFrame(IUnknown* Frame) const {
  if (!Frame || !FBrowser) return false;
  IUnknown* a = nullptr;
  IUnknown* b = nullptr;
  FBrowser->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&a));
  Frame->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&b));
  const bool same = a && a == b;
  if (a) a->Release();
  if (b) b->Release();
  return same;
}

void TWebBrowser::PageArrived(IUnknown* Frame) {
  if (!FWaitingForPage || !IsTopFrame(Frame)) return;
  FWaitingForPage = false;
  KillTimer(Handle(), kPageTimer);
}

void TWebBrowser::PageFailed(IUnknown* Frame) {
  if (FWaitingForPage && IsTopFrame(Frame)) Fail();
}

// From inside the browser's own calls the object cannot be closed: the control's message
// does it a moment later.
void TWebBrowser::Fail() {
  FWaitingForPage = false;
  if (HandleAllocated()) {
    KillTimer(Handle(), kPageTimer);
    PostMessageW(Handle(), PM_NAVIGATIONFAILED, FNavigation, 0);
  }
}

void TWebBrowser::ReportFailure() {
  DestroyBrowser();
  FFailed = true;
  Invalidate();
  if (OnNavigateFailed) OnNavigateFailed(this);
}

void TWebBrowser::PaintWindow(HDC DC) {
  if (!FFailed || !OnPaintPlaceholder) return;
  RECT r;
  GetClientRect(Handle(), &r);
  if (r.right <= 0 || r.bottom <= 0) return;
  TMemoryDC memory(CreateCompatibleDC(DC));
  TBitmapHandle picture(CreateCompatibleBitmap(DC, r.right, r.bottom));
  if (!memory || !picture) return;
  TSelectObject selected(memory.Get(), picture.Get());
  FillRect(memory.Get(), &r, ColorBrush(FColor));
  OnPaintPlaceholder(memory.Get(), r);
  BitBlt(DC, 0, 0, r.right, r.bottom, memory.Get(), 0, 0, SRCCOPY);
}

void TWebBrowser::BoundsChanged(const RECT& old) {
  TWinControl::BoundsChanged(old);
  UpdateObjectRects();
}

void TWebBrowser::WndProc(TMessage& m) {
  switch (m.Msg) {
    case PM_NAVIGATIONFAILED:
      if (m.WParam == FNavigation && !FFailed) ReportFailure();
      return;
    case WM_TIMER:
      if (m.WParam == kPageTimer) {
        KillTimer(Handle(), kPageTimer);
        if (FWaitingForPage) Fail();
        return;
      }
      break;
    case WM_ERASEBKGND:
      // The placeholder covers the whole area.
      if (FFailed && OnPaintPlaceholder) {
        m.Result = 1;
        return;
      }
      break;
    case WM_SIZE:
      TWinControl::WndProc(m);
      UpdateObjectRects();
      return;
    case WM_DESTROY:
      DestroyBrowser();
      break;
    default:
      break;
  }
  TWinControl::WndProc(m);
}

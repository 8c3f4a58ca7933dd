// The skinned frame's life: attaching to a window, the frame sizes from the skin,
// fitting the window around its client area, the menu bar taken from the window, and
// giving the window back.
#include "skin/SkinForm.h"

#include "framework/Forms.h"
#include "skin/CaptionButtons.h"
#include "skin/SkinChildControls.h"
#include "skin/SkinData.h"
#include "skin/SkinManager.h"
#include "skin/SkinMdiClient.h"
#include "skin/SkinMenuBar.h"
#include "skin/SkinMenus.h"
#include "skin/widgets/SkinControl.h"

using namespace vpn::skin;

namespace {

StripSize StripOf(const TDataSkinObject* e) {
  if (!e || e->Bitmap.Empty()) return {};
  return StripSize{e->Bitmap.Width, e->Bitmap.Height, e->FrameCount};
}

}  // namespace

TSkinForm::TSkinForm(TComponent* AOwner, HWND AWindow)
    : TComponent(AOwner),
      FWindow(AWindow),
      FButtons(std::make_unique<TCaptionButtons>(*this)),
      FControls(std::make_unique<TSkinChildControls>(*this)) {}

TSkinForm::~TSkinForm() {
  if (FState != sfsDestroyed && (FWindowHook.Attached() || FFormHook.Attached())) DetachWindow();
  if (FMdiClient) FMdiClient->Detach();
  ClearElements();
  // The skin controls are owned as components: they go while the parts they tell of
  // their going still exist.
  FControls->Free();
  DestroyComponents();
  if (SkinManager) SkinManager->ForgetSkinForm(this);
}

void TSkinForm::Release() {
  if (FDepth > 0)
    FReleased = true;
  else
    delete this;
}

void TSkinForm::AttachToForm(TSkinData* ASkinData, TForm* AForm) {
  FForm = AForm;
  if (ASkinData->SkinControls().Contains(xcMainMenu)) HookFormProc();
  AttachToWindow(ASkinData);
  FSavedColor = AForm->Color();
  AForm->SetColor(FrameworkColourOf(ASkinData->Colours.ButtonFace));
  SkinPopupMenus();
}

bool TSkinForm::SkinsPopupMenus() const {
  // A form whose frame takes the menus over has its popup menus drawn by the skin too:
  // the tray and settings menus of the main window look like its system menu.
  return FForm && FSkinData && FSkinData->SkinControls().Contains(xcMainMenu);
}

void TSkinForm::SkinPopupMenus() {
  if (SkinsPopupMenus()) SkinFormPopupMenus(FForm, FSkinData, true);
}

void TSkinForm::AttachToWindow(TSkinData* ASkinData) {
  if (FSkinData) return;
  FSkinData = ASkinData;
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof ncm;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0))
    FCaptionFont.Reset(CreateFontIndirectW(&ncm.lfCaptionFont));
  ReadWindow();
  FButtons->MakeSystemMenu();
  if (FWindowKind == wkMdiFrame) {
    FMdiClient = std::make_unique<TSkinMdiClient>(*this);
    FMdiClient->Attach(FindWindowExW(FWindow, nullptr, L"MDIClient", nullptr));
  }
  if (FSkinData->SkinControls().Contains(xcMainMenu)) {
    // The window's menu bar is the skin's: the frame makes room for it under the title.
    if (TakesMenuBar() && IsMenu(GetMenu(FWindow))) {
      FMenuBar = std::make_unique<TSkinMenuBar>(this, FSkinData, MenuBarRightToLeft());
      FMenuBar->BuildFromHandle();
    }
    const bool maxMdiChild =
        FWindowKind == wkMdiChild && SkinManager && SkinManager->MdiMaximized();
    if (!maxMdiChild && !IsIconic(FWindow)) SetFrameStyle(false);
    ReloadElements();
  }
  Subclass();
  if (FForm)
    FControls->SkinControlsOf(FForm);
  else
    FControls->SkinChildWindows(FWindow);
  InvalidateRect(FWindow, nullptr, TRUE);
}

void TSkinForm::ReadWindow() {
  FSavedStyle = static_cast<DWORD>(GetWindowLongPtrW(FWindow, GWL_STYLE));
  const DWORD ex = static_cast<DWORD>(GetWindowLongPtrW(FWindow, GWL_EXSTYLE));
  FRightToLeft = (ex & WS_EX_LEFTSCROLLBAR) != 0;
  // Asking for the window's system menu would give it a copy of its own: the style
  // says whether it has one.
  FFrameIcons = 0;
  if (FSavedStyle & WS_SYSMENU) FFrameIcons |= fiSystemMenu;
  if (FSavedStyle & WS_MINIMIZEBOX) FFrameIcons |= fiMinimize;
  if (FSavedStyle & WS_MAXIMIZEBOX) FFrameIcons |= fiMaximize;
  ReadCaption();
  if (ex & WS_EX_MDICHILD)
    FWindowKind = wkMdiChild;
  else if (FindWindowExW(FWindow, nullptr, L"MDIClient", nullptr))
    FWindowKind = wkMdiFrame;
  else
    FWindowKind = wkPlain;
  FBorderKind =
      BorderKindOf((FSavedStyle & WS_POPUP) != 0, (FSavedStyle & WS_CAPTION) == WS_CAPTION,
                   (ex & WS_EX_WINDOWEDGE) != 0, (FSavedStyle & WS_THICKFRAME) != 0);
  RECT w{}, c{};
  GetWindowRect(FWindow, &w);
  GetClientRect(FWindow, &c);
  FClientSize = {c.right, c.bottom};
  FSystemFrame = {(w.right - w.left) - c.right, (w.bottom - w.top) - c.bottom};
  if (IsIconic(FWindow))
    FSizeState = ssMinimized;
  else if (IsZoomed(FWindow))
    FSizeState = ssMaximized;
}

void TSkinForm::ReadCaption() {
  wchar_t text[1001] = {};
  SendMessageW(FWindow, WM_GETTEXT, 1001, reinterpret_cast<LPARAM>(text));
  FCaption = text;
}

void TSkinForm::SetFrameStyle(bool Keep) {
  if (!FWindow || !IsWindow(FWindow)) return;
  if (!Keep && FWindowKind == wkMdiChild && SkinManager && SkinManager->MdiMaximized()) return;
  const LONG_PTR style = GetWindowLongPtrW(FWindow, GWL_STYLE);
  const LONG_PTR boxes = WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  LONG_PTR wanted = style & ~boxes;
  if (Keep)
    wanted |= ((FFrameIcons & fiSystemMenu) ? WS_SYSMENU : 0) |
              ((FFrameIcons & fiMinimize) ? WS_MINIMIZEBOX : 0) |
              ((FFrameIcons & fiMaximize) ? WS_MAXIMIZEBOX : 0);
  if (wanted != style) SetWindowLongPtrW(FWindow, GWL_STYLE, wanted);
}

void TSkinForm::ReloadElements() {
  if (!FSkinData || FSkinData->SkinNotLoaded) return;
  FFrame = FrameSizesOf(StripOf(FSkinData->LeftBorder.get()), StripOf(FSkinData->RightBorder.get()),
                        StripOf(FSkinData->TopBorder.get()), StripOf(FSkinData->BottomBorder.get()),
                        FBorderKind);
  FMenuHeight = FMenuBar ? GetSystemMetrics(SM_CYMENU) : 0;
  FButtons->Reload();
  FTitleBitmap.Reset();
  FTitleBitmapSize = {};
  DropPieces();
}

void TSkinForm::ClearElements() {
  FButtons->Clear();
}

void TSkinForm::ApplySkinColors() {
  if (!FSkinData) return;
  if (FForm) FForm->SetColor(FrameworkColourOf(FSkinData->Colours.ButtonFace));
  FControls->SkinChanged();
  FState = sfsReskinning;
  DropPieces();  // the border pictures may be new
  if (FSkinData->SkinControls().Contains(xcMainMenu)) {
    SkinPopupMenus();
    FitFrame(true);
    FState = sfsSkinned;
    UpdateRegion();
  }
  FState = sfsSkinned;
  RedrawWindow(FWindow, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TSkinForm::ForceFrameChange() {
  SetWindowPos(FWindow, nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOACTIVATE);
}

void TSkinForm::FitFrame(bool ReadClient) {
  if (FSizeState == ssMaximized) {
    ForceFrameChange();
    return;
  }
  if (ReadClient) {
    RECT c{};
    GetClientRect(FWindow, &c);
    FClientSize = {c.right, c.bottom};
  }
  const OuterSize o = OuterSizeOf(FClientSize.cx, FClientSize.cy, FFrame, FMenuHeight);
  // Not activated: fitting the frame of a window must not take the focus from another.
  // The client area moves inside the window, so what it showed before (a window painted
  // before the skin took it) is stale there: nothing is copied, everything is painted anew.
  SetWindowPos(FWindow, nullptr, 0, 0, o.width, o.height,
               SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOCOPYBITS);
  // A window not on screen yet is painted whole when it is shown.
  if (IsWindowVisible(FWindow))
    RedrawWindow(FWindow, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void TSkinForm::Subclass() {
  FWindowHook.Attach(FWindow, this, [this](TMessage& m) {
    RunMessage([&] { m.Result = WndProc(m.Msg, m.WParam, m.LParam); });
  });
}

void TSkinForm::Unsubclass() {
  FWindowHook.Remove();
}

LRESULT TSkinForm::CallDefault(UINT Msg, WPARAM wParam, LPARAM lParam) {
  return FWindowHook.CallNext(Msg, wParam, lParam);
}

void TSkinForm::HookFormProc() {
  if (FForm) FFormHook.Attach(FForm, nullptr, this, [this](TMessage& m) { FormProc(m); });
}

void TSkinForm::UnhookFormProc() {
  FFormHook.Remove();
}

void TSkinForm::FormProc(TMessage& m) {
  switch (m.Msg) {
    case WM_SETTEXT:
      FFormHook.CallNext(m);
      // The system repaints its own caption on a new text: the frame is laid out and
      // painted again over it.
      ReadCaption();
      ForceFrameChange();
      return;
    case SM_RESKIN:
      ApplySkinColors();
      return;
    default:
      FFormHook.CallNext(m);
      return;
  }
}

void TSkinForm::DetachWindow() {
  FButtons->Detach();
  if (FForm) SkinFormPopupMenus(FForm, nullptr, false);
  UnhookFormProc();
  Unsubclass();
  if (HMENU menu = DropMenuBar()) {
    if (FState != sfsDetaching && IsWindow(FWindow)) {
      // The window draws its own menu bar again.
      SetMenu(FWindow, menu);
    } else if (MenuLoopForm() != this && IsMenu(menu)) {
      // The system destroys a window's menu with the window; this one was detached
      // from it. (Under an open drop-down it is left alone: the loop still reads it.)
      DestroyMenu(menu);
    }
  }
  FControls->Free();
  if (FMdiClient) FMdiClient->Detach();
  FTitleBitmap.Reset();
  DropPieces();
}

bool TSkinForm::TakesMenuBar() const {
  // A window keeping the system's frame keeps the system's bar; child windows and MDI
  // children have none of their own.
  return FSkinData && FSkinData->SkinControls().Contains(xcMainMenu) && FWindowKind != wkMdiChild &&
         FBorderKind != bkSystem && !(GetWindowLongPtrW(FWindow, GWL_STYLE) & WS_CHILD);
}

bool TSkinForm::MenuBarRightToLeft() const {
  const LONG_PTR ex = GetWindowLongPtrW(FWindow, GWL_EXSTYLE);
  return FRightToLeft || (ex & (WS_EX_LAYOUTRTL | WS_EX_RIGHT)) != 0;
}

HMENU TSkinForm::DropMenuBar() {
  if (!FMenuBar) return nullptr;
  EndMenuLoopOf(this);
  if (FMenuBar->Owns(FButtons->Hot())) FButtons->ForgetHot();
  HMENU menu = FMenuBar->MenuHandle();
  FMenuBar.reset();
  return menu;
}

void TSkinForm::AdoptWindowMenu() {
  if (!TakesMenuBar() || !IsMenu(GetMenu(FWindow))) return;
  const bool had = FMenuBar != nullptr;
  if (!FMenuBar) FMenuBar = std::make_unique<TSkinMenuBar>(this, FSkinData, MenuBarRightToLeft());
  if (FMenuBar->Owns(FButtons->Hot())) FButtons->ForgetHot();
  // Taking the menu from the window lays the frame out again: the client area keeps
  // its place under the bar.
  FMenuBar->BuildFromHandle();
  if (!had) {
    // As with the system's own bar, the window keeps its size and the client area
    // gives the bar its room; given back, the system's bar takes the same room.
    FMenuHeight = GetSystemMetrics(SM_CYMENU);
    FSystemFrame.cy += FMenuHeight;
    ForceFrameChange();
  }
  PaintFrame();
}

TMenuBtn* TSkinForm::MenuButtonAt(POINT Frame) const {
  return FMenuBar ? FMenuBar->ButtonAt(Frame) : nullptr;
}

void TSkinForm::RestoreWindow() {
  const bool detaching = FState == sfsDetaching;
  // The client size the window keeps when its own frame comes back.
  SIZE client = FClientSize;
  if (RECT c{}; !detaching && IsWindow(FWindow) && GetClientRect(FWindow, &c))
    client = SIZE{c.right, c.bottom};
  DetachWindow();
  if (!IsWindow(FWindow)) return;
  if (FForm && !detaching) FForm->SetColor(FSavedColor);
  if (FSkinData && FSkinData->SkinControls().Contains(xcMainMenu)) {
    SetFrameStyle(true);
    const bool resize =
        FWindowKind == wkMdiChild || !(GetWindowLongPtrW(FWindow, GWL_STYLE) & WS_CHILD);
    if (!detaching && resize) ResizeToOwnFrame(client);
    SetWindowRgn(FWindow, nullptr, TRUE);
    FHasRegion = false;
    FRegionSize = {};
  } else if (!detaching) {
    RedrawWindow(FWindow, nullptr, nullptr,
                 RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }
  FState = detaching ? sfsDetaching : sfsCreated;
}

void TSkinForm::ResizeToOwnFrame(SIZE Client) {
  RECT r{};
  GetWindowRect(FWindow, &r);
  POINT at{r.left, r.top};
  if (FWindowKind == wkMdiChild) ScreenToClient(GetParent(FWindow), &at);
  const int w = (r.right - r.left) - (FFrame.Left + FFrame.Right) + FSystemFrame.cx;
  const int h = (r.bottom - r.top) - (FFrame.Title + FMenuHeight + FFrame.Bottom) + FSystemFrame.cy;
  SetWindowPos(FWindow, nullptr, at.x, at.y, w, h,
               SWP_FRAMECHANGED | SWP_NOACTIVATE | SWP_NOZORDER);
  // The system's menu bar may take another height than the skin's row (or wrap on a
  // narrow window): the client size is what must stay.
  RECT c{};
  GetClientRect(FWindow, &c);
  const int dw = Client.cx - c.right, dh = Client.cy - c.bottom;
  if ((dw || dh) && !IsZoomed(FWindow))
    SetWindowPos(FWindow, nullptr, 0, 0, w + dw, h + dh,
                 SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
}

void TSkinForm::DropRegion(bool Redraw) {
  FTitleBitmap.Reset();
  FTitleBitmapSize = {};
  if (!FHasRegion) return;
  SetWindowRgn(FWindow, nullptr, Redraw);
  FHasRegion = false;
  FRegionSize = {};
}

POINT TSkinForm::FrameCoordinates(POINT Screen) const {
  RECT r{};
  GetWindowRect(FWindow, &r);
  return POINT{Screen.x - r.left, Screen.y - r.top};
}

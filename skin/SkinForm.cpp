// The skinned frame's life: attaching to a window, the frame sizes and caption buttons
// from the skin, fitting the window around its client area, the walk over its child
// controls, and giving the window back.
#include "skin/SkinForm.h"

#include <unordered_map>

#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Gbk.h"
#include "framework/Menus.h"
#include "skin/SkinData.h"
#include "skin/SkinManager.h"
#include "skin/SkinMenuBar.h"
#include "skin/SkinMenus.h"
#include "skin/widgets/SkinControl.h"

using namespace vpn::skin;

namespace {

// A skin colour (system colours with the top byte set) as the framework writes colours.
TColor FrameworkColour(int32_t skin) {
  if (IsSystemColour(skin)) return clSystemColor | (skin & 0xFF);
  return skin;
}

StripSize StripOf(const TDataSkinObject* e) {
  if (!e || e->Bitmap.Empty()) return {};
  return StripSize{e->Bitmap.Width, e->Bitmap.Height, e->FrameCount};
}

}  // namespace

void TSkinForm::Guarded(TMessage& m, LRESULT (TSkinForm::*Proc)(UINT, WPARAM, LPARAM)) {
  ++FDepth;
  // Nothing may travel through the system's code: a failure is reported and the window
  // goes on working.
  GuardedCall([&] { m.Result = (this->*Proc)(m.Msg, m.WParam, m.LParam); });
  // An object released while one of its messages ran goes once the outermost returns.
  if (--FDepth == 0 && FReleased) delete this;
}

TSkinForm::TSkinForm(TComponent* AOwner) : TComponent(AOwner) {}

TSkinForm::~TSkinForm() {
  if (State != sfsDestroyed && (FWindowHook.Attached() || FFormHook.Attached())) DetachWindow();
  UnsubclassMdiClient();
  ClearElements();
  FrameTimer.reset();
  if (SkinManager) SkinManager->ForgetSkinForm(this);
}

void TSkinForm::Release() {
  if (FDepth > 0)
    FReleased = true;
  else
    delete this;
}

void TSkinForm::AttachToForm(TSkinData* ASkinData, TForm* AForm) {
  Form = AForm;
  if (ASkinData->SkinControls.Contains(xcMainMenu)) HookFormProc();
  AttachToWindow(ASkinData);
  SavedColor = AForm->Color();
  AForm->SetColor(FrameworkColour(ASkinData->Colours.ButtonFace));
  SkinPopupMenus();
}

bool TSkinForm::SkinsPopupMenus() const {
  // A form whose frame takes the menus over has its popup menus drawn by the skin too:
  // the tray and settings menus of the main window look like its system menu.
  return Form && SkinData && SkinData->SkinControls.Contains(xcMainMenu);
}

void TSkinForm::SkinPopupMenus() {
  if (SkinsPopupMenus()) SkinFormPopupMenus(Form, SkinData, true);
}

void TSkinForm::AttachToWindow(TSkinData* ASkinData) {
  if (SkinData) return;
  SkinData = ASkinData;
  FrameTimer = std::make_unique<TTimer>(nullptr);
  FrameTimer->SetEnabled(false);
  FrameTimer->SetInterval(250);
  FrameTimer->SetOnTimer([this](TObject*) { FrameTimerTick(); });
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof ncm;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0))
    CaptionFont.Reset(CreateFontIndirectW(&ncm.lfCaptionFont));
  DoubleClickTime = GetDoubleClickTime();
  ReadWindow();
  MakeSysPopup();
  if (WindowKind == wkMdiFrame) SubclassMdiClient();
  if (SkinData->SkinControls.Contains(xcMainMenu)) {
    // The window's menu bar is the skin's: the frame makes room for it under the title.
    if (TakesMenuBar() && IsMenu(GetMenu(Window))) {
      MenuBar = std::make_unique<TSkinMenuBar>(this, SkinData);
      MenuBar->RightToLeft = MenuBarRightToLeft();
      MenuBar->BuildFromHandle();
    }
    const bool maxMdiChild = WindowKind == wkMdiChild && SkinManager && SkinManager->MdiMaximized;
    if (!maxMdiChild && !IsIconic(Window)) SetFrameStyle(false);
    ReloadElements();
  }
  Subclass();
  Controls.clear();
  if (Form)
    SkinChildControls(Form);
  else
    SkinChildWindows();
  InvalidateRect(Window, nullptr, TRUE);
}

void TSkinForm::ReadWindow() {
  SavedStyle = static_cast<DWORD>(GetWindowLongPtrW(Window, GWL_STYLE));
  const DWORD ex = static_cast<DWORD>(GetWindowLongPtrW(Window, GWL_EXSTYLE));
  RightToLeft = (ex & WS_EX_LEFTSCROLLBAR) != 0;
  // Asking for the window's system menu would give it a copy of its own: the style
  // says whether it has one.
  FrameIcons = 0;
  if (SavedStyle & WS_SYSMENU) FrameIcons |= fiSystemMenu;
  if (SavedStyle & WS_MINIMIZEBOX) FrameIcons |= fiMinimize;
  if (SavedStyle & WS_MAXIMIZEBOX) FrameIcons |= fiMaximize;
  ReadCaption();
  wchar_t cls[256] = {};
  GetClassNameW(Window, cls, 256);
  WindowClass = cls;
  if (ex & WS_EX_MDICHILD)
    WindowKind = wkMdiChild;
  else if (FindWindowExW(Window, nullptr, L"MDIClient", nullptr))
    WindowKind = wkMdiFrame;
  else
    WindowKind = wkPlain;
  BorderKind = BorderKindOf((SavedStyle & WS_POPUP) != 0, (SavedStyle & WS_CAPTION) == WS_CAPTION,
                            (ex & WS_EX_WINDOWEDGE) != 0, (SavedStyle & WS_THICKFRAME) != 0);
  RECT w{}, c{};
  GetWindowRect(Window, &w);
  GetClientRect(Window, &c);
  ClientSize = {c.right, c.bottom};
  SystemFrame = {(w.right - w.left) - c.right, (w.bottom - w.top) - c.bottom};
  if (IsIconic(Window))
    SizeState = ssMinimized;
  else if (IsZoomed(Window))
    SizeState = ssMaximized;
}

void TSkinForm::ReadCaption() {
  wchar_t text[1001] = {};
  SendMessageW(Window, WM_GETTEXT, 1001, reinterpret_cast<LPARAM>(text));
  Caption = text;
}

void TSkinForm::MakeSysPopup() {
  SysPopup = new TPopupMenu(this);
  struct Entry {
    const char* caption;
    intptr_t tag;
    bool shown;
    UINT command;
  };
  const Entry entries[] = {
      {" Restore ", 0, true, SC_RESTORE},
      {" Maximize ", 1, (FrameIcons & fiMaximize) != 0, SC_MAXIMIZE},
      {" Minimize ", 2, (FrameIcons & fiMinimize) != 0, SC_MINIMIZE},
      {"-", 100, true, 0},
      {" Close ", 3, true, SC_CLOSE},
  };
  for (const Entry& e : entries) {
    if (!e.shown) continue;
    auto* item = new TMenuItem(SysPopup);
    item->SetCaption(e.caption);
    item->SetTag(e.tag);
    if (e.tag == 3) item->SetShortCutText("Shift+F4");
    if (e.command) {
      const UINT command = e.command;
      item->OnClick = [this, command](TObject*) {
        PostMessageW(Window, WM_SYSCOMMAND, command, 0);
      };
    }
    SysPopup->Items()->Add(item);
  }
  // Drawn by the skin, with the skin data's window glyphs as the items' images.
  SkinPopupMenu(SysPopup, SkinData, SkinData->MenuGlyphs());
}

void TSkinForm::SetFrameStyle(bool Keep) {
  if (!Window || !IsWindow(Window)) return;
  if (!Keep && WindowKind == wkMdiChild && SkinManager && SkinManager->MdiMaximized) return;
  const LONG_PTR style = GetWindowLongPtrW(Window, GWL_STYLE);
  const LONG_PTR boxes = WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  LONG_PTR wanted = style & ~boxes;
  if (Keep)
    wanted |= ((FrameIcons & fiSystemMenu) ? WS_SYSMENU : 0) |
              ((FrameIcons & fiMinimize) ? WS_MINIMIZEBOX : 0) |
              ((FrameIcons & fiMaximize) ? WS_MAXIMIZEBOX : 0);
  if (wanted != style) SetWindowLongPtrW(Window, GWL_STYLE, wanted);
}

void TSkinForm::ReloadElements() {
  if (!SkinData || SkinData->SkinNotLoaded) return;
  const FrameSizes sizes = FrameSizesOf(
      StripOf(SkinData->LeftBorder.get()), StripOf(SkinData->RightBorder.get()),
      StripOf(SkinData->TopBorder.get()), StripOf(SkinData->BottomBorder.get()), BorderKind);
  BorderLeft = sizes.Left;
  TitleHeight = sizes.Title;
  BorderRight = sizes.Right;
  BorderBottom = sizes.Bottom;
  MenuHeight = MenuBar ? GetSystemMetrics(SM_CYMENU) : 0;
  SysButtons.clear();
  HotObject = nullptr;
  for (const auto& e : SkinData->SysButtonElements) {
    auto b = std::make_unique<TWinSysButton>(this, e.get());
    b->UsesIcon = ShowsWindowIcon(e->Action) && e->Bitmap.Empty();
    SysButtons.push_back(std::move(b));
  }
  TitleBitmap.Reset();
  TitleBitmapSize = {};
  DropPieces();
}

void TSkinForm::ClearElements() {
  HotObject = nullptr;
  SysButtons.clear();
}

void TSkinForm::ApplySkinColors() {
  if (!SkinData) return;
  if (Form) Form->SetColor(FrameworkColour(SkinData->Colours.ButtonFace));
  for (TSkinControl* c : ControlList) c->SkinChanged();
  State = sfsReskinning;
  DropPieces();  // the border pictures may be new
  if (SkinData->SkinControls.Contains(xcMainMenu)) {
    SkinPopupMenus();
    FitFrame(true);
    State = sfsSkinned;
    UpdateRegion();
  }
  State = sfsSkinned;
  RedrawWindow(Window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TSkinForm::ForceFrameChange() {
  SetWindowPos(Window, nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOACTIVATE);
}

void TSkinForm::FitFrame(bool ReadClient) {
  if (SizeState == ssMaximized) {
    ForceFrameChange();
    return;
  }
  if (ReadClient) {
    RECT c{};
    GetClientRect(Window, &c);
    ClientSize = {c.right, c.bottom};
  }
  const OuterSize o = OuterSizeOf(ClientSize.cx, ClientSize.cy,
                                  {BorderLeft, TitleHeight, BorderRight, BorderBottom}, MenuHeight);
  // Not activated: fitting the frame of a window must not take the focus from another.
  // The client area moves inside the window, so what it showed before (a window painted
  // before the skin took it) is stale there: nothing is copied, everything is painted anew.
  SetWindowPos(Window, nullptr, 0, 0, o.width, o.height,
               SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOCOPYBITS);
  // A window not on screen yet is painted whole when it is shown.
  if (IsWindowVisible(Window))
    RedrawWindow(Window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void TSkinForm::Subclass() {
  FWindowHook.Attach(Window, this, [this](TMessage& m) { Guarded(m, &TSkinForm::WndProc); });
}

void TSkinForm::Unsubclass() {
  FWindowHook.Remove();
}

LRESULT TSkinForm::CallDefault(UINT Msg, WPARAM wParam, LPARAM lParam) {
  return FWindowHook.CallNext(Msg, wParam, lParam);
}

void TSkinForm::HookFormProc() {
  if (Form) FFormHook.Attach(Form, nullptr, this, [this](TMessage& m) { FormProc(m); });
}

void TSkinForm::UnhookFormProc() {
  FFormHook.Remove();
}

void TSkinForm::FormProc(TMessage& m) {
  auto previous = [&] { FFormHook.CallNext(m); };
  switch (m.Msg) {
    case WM_SETTEXT:
      previous();
      // The system repaints its own caption on a new text: the frame is laid out and
      // painted again over it.
      ReadCaption();
      ForceFrameChange();
      return;
    case SM_RESKIN:
      ApplySkinColors();
      return;
    default:
      previous();
      return;
  }
}

void TSkinForm::SubclassMdiClient() {
  HWND client = FindWindowExW(Window, nullptr, L"MDIClient", nullptr);
  if (!client || MdiClientWindow) return;
  MdiClientWindow = client;
  if (SkinManager) SkinManager->MdiClient = client;
  SavedMenuUpdate = SkinData->MenuUpdate;
  FClientHook.Attach(client, this, [this](TMessage& m) { Guarded(m, &TSkinForm::ClientProc); });
}

void TSkinForm::UnsubclassMdiClient() {
  if (!MdiClientWindow) return;
  FClientHook.Remove();
  MdiClientWindow = nullptr;
}

void TSkinForm::DetachWindow() {
  if (SysPopup) {
    delete SysPopup;
    SysPopup = nullptr;
  }
  if (FrameTimer) FrameTimer->SetEnabled(false);
  if (Form) SkinFormPopupMenus(Form, nullptr, false);
  UnhookFormProc();
  Unsubclass();
  if (HMENU menu = DropMenuBar()) {
    if (State != sfsDetaching && IsWindow(Window)) {
      // The window draws its own menu bar again.
      SetMenu(Window, menu);
    } else if (MenuLoopForm() != this && IsMenu(menu)) {
      // The system destroys a window's menu with the window; this one was detached
      // from it. (Under an open drop-down it is left alone: the loop still reads it.)
      DestroyMenu(menu);
    }
  }
  FreeSkinControls();
  Controls.clear();
  UnsubclassMdiClient();
  TitleBitmap.Reset();
  DropPieces();
}

bool TSkinForm::TakesMenuBar() const {
  // A window keeping the system's frame keeps the system's bar; child windows and MDI
  // children have none of their own.
  return SkinData && SkinData->SkinControls.Contains(xcMainMenu) && WindowKind != wkMdiChild &&
         BorderKind != bkSystem && !(GetWindowLongPtrW(Window, GWL_STYLE) & WS_CHILD);
}

bool TSkinForm::MenuBarRightToLeft() const {
  const LONG_PTR ex = GetWindowLongPtrW(Window, GWL_EXSTYLE);
  return RightToLeft || (ex & (WS_EX_LAYOUTRTL | WS_EX_RIGHT)) != 0;
}

HMENU TSkinForm::DropMenuBar() {
  if (!MenuBar) return nullptr;
  EndMenuLoopOf(this);
  if (MenuBar->Owns(HotObject)) HotObject = nullptr;
  HMENU menu = MenuBar->MenuHandle;
  MenuBar.reset();
  return menu;
}

void TSkinForm::AdoptWindowMenu() {
  if (!TakesMenuBar() || !IsMenu(GetMenu(Window))) return;
  const bool had = MenuBar != nullptr;
  if (!MenuBar) {
    MenuBar = std::make_unique<TSkinMenuBar>(this, SkinData);
    MenuBar->RightToLeft = MenuBarRightToLeft();
  }
  if (MenuBar->Owns(HotObject)) HotObject = nullptr;
  // Taking the menu from the window lays the frame out again: the client area keeps
  // its place under the bar.
  MenuBar->BuildFromHandle();
  if (!had) {
    // As with the system's own bar, the window keeps its size and the client area
    // gives the bar its room; given back, the system's bar takes the same room.
    MenuHeight = GetSystemMetrics(SM_CYMENU);
    SystemFrame.cy += MenuHeight;
    ForceFrameChange();
  }
  PaintFrame();
}

void TSkinForm::RestoreWindow() {
  const bool detaching = State == sfsDetaching;
  // The client size the window keeps when its own frame comes back.
  SIZE client = ClientSize;
  if (RECT c{}; !detaching && IsWindow(Window) && GetClientRect(Window, &c))
    client = SIZE{c.right, c.bottom};
  DetachWindow();
  if (!IsWindow(Window)) return;
  if (Form && !detaching) Form->SetColor(SavedColor);
  if (SkinData && SkinData->SkinControls.Contains(xcMainMenu)) {
    SetFrameStyle(true);
    const bool resize =
        WindowKind == wkMdiChild || !(GetWindowLongPtrW(Window, GWL_STYLE) & WS_CHILD);
    if (!detaching && resize) {
      RECT r{};
      GetWindowRect(Window, &r);
      POINT at{r.left, r.top};
      if (WindowKind == wkMdiChild) ScreenToClient(GetParent(Window), &at);
      const int w = (r.right - r.left) - (BorderLeft + BorderRight) + SystemFrame.cx;
      const int h = (r.bottom - r.top) - (TitleHeight + MenuHeight + BorderBottom) + SystemFrame.cy;
      SetWindowPos(Window, nullptr, at.x, at.y, w, h,
                   SWP_FRAMECHANGED | SWP_NOACTIVATE | SWP_NOZORDER);
      // The system's menu bar may take another height than the skin's row (or wrap
      // on a narrow window): the client size is what must stay.
      RECT c{};
      GetClientRect(Window, &c);
      const int dw = client.cx - c.right, dh = client.cy - c.bottom;
      if ((dw || dh) && !IsZoomed(Window))
        SetWindowPos(Window, nullptr, 0, 0, w + dw, h + dh,
                     SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    }
    SetWindowRgn(Window, nullptr, TRUE);
    HasRegion = false;
    RegionSize = {};
  } else if (!detaching) {
    RedrawWindow(Window, nullptr, nullptr,
                 RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }
  State = detaching ? sfsDetaching : sfsCreated;
}

void TSkinForm::DropRegion(bool Redraw) {
  TitleBitmap.Reset();
  TitleBitmapSize = {};
  if (!HasRegion) return;
  SetWindowRgn(Window, nullptr, Redraw);
  HasRegion = false;
  RegionSize = {};
}

POINT TSkinForm::FrameCoordinates(POINT Screen) const {
  RECT r{};
  GetWindowRect(Window, &r);
  return POINT{Screen.x - r.left, Screen.y - r.top};
}

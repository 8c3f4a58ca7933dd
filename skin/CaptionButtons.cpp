#include "skin/CaptionButtons.h"

#include <windowsx.h>

#include "framework/ExtCtrls.h"
#include "framework/Menus.h"
#include "skin/SkinData.h"
#include "skin/SkinForm.h"
#include "skin/SkinMdiClient.h"
#include "skin/SkinMenuBar.h"
#include "skin/SkinMenus.h"

using namespace vpn::skin;

// ---------------------------------------------------------------- the buttons

void TNCObject::MouseDown() {
  if (TNCObject* hot = FOwner.Hot(); hot && hot != this) hot->MouseLeave();
  if (!FVisible) return;
  FOwner.SetHot(this);
  FState = nsPressed;
  Paint();
}

void TNCObject::MouseUp() {
  if (!FVisible) return;
  FState = nsHot;
  Paint();
}

void TNCObject::MouseMove() {
  TNCObject* hot = FOwner.Hot();
  if (hot && hot != this) hot->MouseLeave();
  if (FOwner.Hot() == this || !FVisible) return;
  FOwner.SetHot(this);
  FState = nsHot;
  Paint();
}

void TNCObject::MouseLeave() {
  if (!FVisible) return;
  if (FOwner.Hot() == this) FOwner.SetHot(nullptr);
  FState = nsNormal;
  Paint();
}

TWinSysButton::TWinSysButton(TCaptionButtons& AOwner, TSkinForm& AForm,
                             TDataSkinSysButton* AElement)
    : TNCObject(AOwner),
      FForm(AForm),
      FElement(AElement),
      FUsesIcon(ShowsWindowIcon(AElement->Action) && AElement->Bitmap.Empty()) {}

void TWinSysButton::Paint() {
  FForm.PaintSysButton(this);
}

TCaptionButtons::TCaptionButtons(TSkinForm& AForm)
    : FForm(AForm), FTimer(std::make_unique<TTimer>(nullptr)) {
  FTimer->SetEnabled(false);
  FTimer->SetInterval(250);
  FTimer->SetOnTimer([this](TObject*) { Tick(); });
  FDoubleClickTime = GetDoubleClickTime();
}

TCaptionButtons::~TCaptionButtons() = default;

void TCaptionButtons::Reload() {
  Clear();
  for (const auto& e : FForm.SkinData()->SysButtonElements)
    FButtons.push_back(std::make_unique<TWinSysButton>(*this, FForm, e.get()));
}

void TCaptionButtons::Clear() {
  SetHot(nullptr);
  FButtons.clear();
}

TWinSysButton* TCaptionButtons::ButtonAt(POINT Frame) const {
  for (const auto& b : FButtons)
    if (b->Visible() && b->Element()->Action >= baClose && PtInRect(&b->Bounds(), Frame))
      return b.get();
  return nullptr;
}

void TCaptionButtons::SetHot(TNCObject* Object) {
  FHot = Object;
  // Nothing lit: the next lit object asks the system again.
  if (!Object) FLeaveAsked = false;
  UpdateTimer();
}

void TCaptionButtons::ForgetHot(const TNCObject* Object) {
  if (!Object || FHot == Object) SetHot(nullptr);
}

void TCaptionButtons::RestAfterPaint() {
  if (!FHot) return;
  const TSkinMenuBar* bar = FForm.MenuBar();
  if (MenuLoopForm() == &FForm && bar && bar->Owns(FHot)) return;
  FHot->SetState(nsNormal);
  SetHot(nullptr);
}

// ---------------------------------------------------------------- the mouse

void TCaptionButtons::SetTracking(bool On) {
  FTracking = On;
  UpdateTimer();
}

bool TCaptionButtons::Ticking() const {
  return FTimer->Enabled();
}

void TCaptionButtons::UpdateTimer() {
  const bool on = FTracking && FHot != nullptr;
  if (FTimer->Enabled() != on) FTimer->SetEnabled(on);
}

void TCaptionButtons::TrackLeave() {
  if (FLeaveAsked) return;
  TRACKMOUSEEVENT t{sizeof t, TME_LEAVE | TME_NONCLIENT, FForm.Window(), 0};
  FLeaveAsked = TrackMouseEvent(&t) != FALSE;
}

void TCaptionButtons::Tick() {
  // An open drop-down keeps its button lit.
  if (!FHot || MenuLoopOpen()) return;
  POINT p{};
  GetCursorPos(&p);
  const POINT frame = FForm.FrameCoordinates(p);
  if (!PtInRect(&FHot->Bounds(), frame)) FHot->MouseLeave();
}

bool TCaptionButtons::Mouse(UINT Msg, WPARAM wParam, LPARAM lParam, LRESULT& Result) {
  const POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  const POINT frame = FForm.FrameCoordinates(screen);
  const bool mdiChild = FForm.WindowKind() == wkMdiChild;
  Result = 0;
  switch (Msg) {
    case WM_NCMOUSEMOVE:
      return MouseMove(frame);
    case WM_NCMOUSELEAVE:
      // The system's word comes once: a lit object asks for the next.
      FLeaveAsked = false;
      // An open drop-down keeps its button lit.
      if (FHot && !MenuLoopOpen()) FHot->MouseLeave();
      return true;
    case WM_NCLBUTTONDOWN:
      return ButtonDown(wParam, lParam, frame, Result);
    case WM_NCLBUTTONUP:
      return ButtonUp(frame, screen);
    case WM_NCLBUTTONDBLCLK:
      return DoubleClick(frame);
    case WM_NCRBUTTONDOWN:
      if (wParam != HTCAPTION || mdiChild) return false;
      ShowSystemMenu(screen, false);
      return true;
    case WM_NCRBUTTONUP:
      // The system would answer the release on its caption with its own menu.
      return wParam == HTCAPTION && !mdiChild;
    case WM_CONTEXTMENU:
      return lParam != -1 && !mdiChild && FForm.NcHitTest(lParam) == HTCAPTION;
    default:
      return false;
  }
}

bool TCaptionButtons::MouseMove(POINT Frame) {
  if (!FForm.Active()) return false;
  TNCObject* o = ButtonAt(Frame);
  if (!o) o = FForm.MenuButtonAt(Frame);
  if (o) {
    o->MouseMove();
    TrackLeave();
    return true;
  }
  if (FHot) FHot->MouseLeave();
  return false;
}

bool TCaptionButtons::ButtonDown(WPARAM HitTest, LPARAM lParam, POINT Frame, LRESULT& Result) {
  if (!FForm.Active()) SetForegroundWindow(FForm.Window());
  if (TWinSysButton* b = ButtonAt(Frame)) {
    b->MouseDown();
    TrackLeave();
    return true;
  }
  if (TMenuBtn* b = FForm.MenuButtonAt(Frame)) {
    b->MouseDown();
    FForm.OpenMenuButton(b);
    return true;
  }
  // A maximised window is not dragged by its caption.
  if (FForm.SizeState() == ssMaximized && FForm.Active() && HitTest == HTCAPTION) {
    Result = FForm.CallDefault(WM_NCLBUTTONDOWN, HTMENU, lParam);
    return true;
  }
  return false;
}

bool TCaptionButtons::ButtonUp(POINT Frame, POINT Screen) {
  if (TMenuBtn* b = FForm.MenuButtonAt(Frame)) {
    if (b == FHot) b->MouseUp();
    return true;
  }
  TWinSysButton* b = ButtonAt(Frame);
  if (!b) return false;
  if (b == FHot) {
    b->MouseUp();
    Click(b, Screen);
  }
  return true;
}

bool TCaptionButtons::DoubleClick(POINT Frame) {
  const int title = FForm.Frame().Title;
  // The menu bar's row is not the caption: a double click there is a press.
  if (FForm.MenuBar() && Frame.y >= title && Frame.y < title + FForm.MenuHeight()) {
    if (TMenuBtn* m = FForm.MenuButtonAt(Frame)) {
      m->MouseDown();
      FForm.OpenMenuButton(m);
    }
    return true;
  }
  TWinSysButton* b = ButtonAt(Frame);
  if (b && ShowsWindowIcon(b->Element()->Action)) {
    // A double click on the window's icon closes the window.
    Close();
    return true;
  }
  const HWND w = FForm.Window();
  if (FForm.SizeState() != ssRestored) {
    FForm.SetSizeState(ssRestored);
    PostMessageW(w, WM_SYSCOMMAND, SC_RESTORE, 0);
  } else if (FForm.FrameIcons() & fiMaximize) {
    FForm.SetSizeState(ssMaximized);
    SetHot(nullptr);
    PostMessageW(w, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  }
  return true;
}

// ---------------------------------------------------------------- what a click does

void TCaptionButtons::Close() {
  SetTracking(false);
  PostMessageW(FForm.Window(), WM_CLOSE, 0, 0);
}

void TCaptionButtons::Click(TWinSysButton* Button, POINT Screen) {
  const int action = Button->Element()->Action;
  const HWND w = FForm.Window();
  const TSizeState size = FForm.SizeState();
  switch (const TCaptionCommand command = CaptionCommandOf(action)) {
    case ccClose:
      Close();
      return;
    case ccMaximizeOrRestore:
      PostMessageW(w, WM_SYSCOMMAND, size == ssMaximized ? SC_RESTORE : SC_MAXIMIZE, 0);
      return;
    case ccMinimizeOrRestore:
      PostMessageW(w, WM_SYSCOMMAND, size == ssMinimized ? SC_RESTORE : SC_MINIMIZE, 0);
      return;
    case ccSystemMenu:
      SystemMenuClick(Screen);
      return;
    case ccChildMinimize:
    case ccChildRestore:
    case ccChildClose:
      ChildCommand(command);
      return;
    case ccProgram:
      // Buttons the program defines for itself: the window hears of the click with a
      // message of its own, which the skin passes on to the window's procedure.
      PostMessageW(w, SM_CAPTIONBUTTON, static_cast<WPARAM>(action), 0);
      return;
  }
}

void TCaptionButtons::SystemMenuClick(POINT Screen) {
  // A second click within the double-click time closes the window.
  const DWORD now = GetTickCount();
  if (FLastClickTime && now - FLastClickTime < FDoubleClickTime) {
    FLastClickTime = 0;
    Close();
    return;
  }
  FLastClickTime = now;
  ShowSystemMenu(POINT{Screen.x + 1, Screen.y + 1}, true);
}

void TCaptionButtons::ChildCommand(TCaptionCommand Command) {
  // The buttons of a maximised MDI child act on the frame's active child.
  TSkinMdiClient* client = FForm.WindowKind() == wkMdiFrame ? FForm.MdiClient() : nullptr;
  HWND child = client ? client->ActiveChild() : nullptr;
  if (!child) return;
  const WPARAM command = Command == ccChildMinimize  ? SC_MINIMIZE
                         : Command == ccChildRestore ? SC_RESTORE
                                                     : SC_CLOSE;
  SendMessageW(child, WM_SYSCOMMAND, command, 0);
}

// ---------------------------------------------------------------- the system menu

void TCaptionButtons::MakeSystemMenu() {
  FSystemMenu = std::make_unique<TPopupMenu>(nullptr);
  struct Entry {
    const char* caption;
    intptr_t tag;
    unsigned needs;  // the caption box the entry stands for
    UINT command;
  };
  static const Entry entries[] = {
      {" Restore ", 0, 0, SC_RESTORE},
      {" Maximize ", 1, fiMaximize, SC_MAXIMIZE},
      {" Minimize ", 2, fiMinimize, SC_MINIMIZE},
      {"-", 100, 0, 0},
      {" Close ", 3, 0, SC_CLOSE},
  };
  for (const Entry& e : entries) {
    if (e.needs && !(FForm.FrameIcons() & e.needs)) continue;
    auto* item = new TMenuItem(FSystemMenu.get());
    item->SetCaption(e.caption);
    item->SetTag(e.tag);
    if (e.command == SC_CLOSE) item->SetShortCutText("Shift+F4");
    if (e.command) {
      const UINT command = e.command;
      const HWND w = FForm.Window();
      item->OnClick = [w, command](TObject*) { PostMessageW(w, WM_SYSCOMMAND, command, 0); };
    }
    FSystemMenu->Items()->Add(item);
  }
  // Drawn by the skin, with the skin data's window glyphs as the items' images.
  TSkinData* skin = FForm.SkinData();
  SkinPopupMenu(FSystemMenu.get(), skin, skin->MenuGlyphs());
}

void TCaptionButtons::ShowSystemMenu(POINT Screen, bool FromButton) {
  const HWND w = FForm.Window();
  const bool iconic = IsIconic(w) != FALSE;
  const TSizeState size = FForm.SizeState();
  // The skin's own system menu answers a right click on the caption always, and the
  // icon's click when the skin skins system menus; otherwise the window's own menu.
  const bool skinsSystemMenu =
      FForm.SkinData()->SkinControls().Contains(xcSystemMenu) && FForm.WindowKind() != wkMdiChild;
  if (HMENU own = FromButton && !skinsSystemMenu ? GetSystemMenu(w, FALSE) : nullptr) {
    TrackPopupMenu(own, TPM_RIGHTBUTTON, Screen.x, Screen.y, 0, w, nullptr);
    return;
  }
  if (!FSystemMenu) return;
  TSkinData* skin = FForm.SkinData();
  if (skin->OnSystemMenu()) {
    skin->OnSystemMenu()(skin, w, FSystemMenu.get());
    // What the program put in is drawn by the skin too.
    SkinPopupMenu(FSystemMenu.get(), skin, skin->MenuGlyphs());
  }
  for (int i = 0; i < FSystemMenu->Items()->Count(); ++i) {
    TMenuItem* item = FSystemMenu->Items()->Items(i);
    if (item->Tag() == 0) item->SetEnabled(iconic || size != ssRestored);
    if (item->Tag() == 1) item->SetEnabled(size != ssMaximized);
    if (item->Tag() == 2) item->SetEnabled(!iconic && size != ssMinimized);
  }
  FSystemMenu->Popup(Screen.x, Screen.y);
}

void TCaptionButtons::Detach() {
  FSystemMenu.reset();
  SetTracking(false);
}

#include "skin/SkinMdiClient.h"

#include "skin/SkinData.h"
#include "skin/SkinForm.h"
#include "skin/SkinManager.h"

bool TSkinMdiClient::Attach(HWND Client) {
  if (FWindow || !Client) return false;
  TSkinData* skin = FFrame.SkinData();
  FSavedMenuUpdate = skin->MenuUpdate();
  if (!FHook.Attach(Client, nullptr, [this](TMessage& m) {
        FFrame.RunMessage([&] { m.Result = Handle(m.Msg, m.WParam, m.LParam); });
      }))
    return false;
  FWindow = Client;
  if (SkinManager) SkinManager->SetMdiClient(Client);
  return true;
}

void TSkinMdiClient::Detach() {
  FHook.Remove();
  FWindow = nullptr;
}

HWND TSkinMdiClient::ActiveChild(bool* Maximised) const {
  BOOL maximised = FALSE;
  HWND child = FWindow ? reinterpret_cast<HWND>(SendMessageW(FWindow, WM_MDIGETACTIVE, 0,
                                                             reinterpret_cast<LPARAM>(&maximised)))
                       : nullptr;
  if (Maximised) *Maximised = child && maximised;
  return child;
}

bool TSkinMdiClient::FrameTakesMenus() const {
  TSkinData* skin = FFrame.SkinData();
  return skin && skin->SkinControls().Contains(xcMainMenu);
}

LRESULT TSkinMdiClient::Handle(UINT Msg, WPARAM wParam, LPARAM lParam) {
  switch (Msg) {
    case SM_QUERYSKINNED:
      return 1;
    case WM_NCDESTROY:
      Detach();
      return CallNext(Msg, wParam, lParam);
    case WM_NCCALCSIZE:
      if (FrameTakesMenus()) {
        // The skin draws no scroll bars on the client's frame.
        const LONG_PTR style = GetWindowLongPtrW(FWindow, GWL_STYLE);
        if (style & (WS_HSCROLL | WS_VSCROLL))
          SetWindowLongPtrW(FWindow, GWL_STYLE, style & ~(WS_HSCROLL | WS_VSCROLL));
      }
      return CallNext(Msg, wParam, lParam);
    case WM_MDICREATE:
      return OnCreateChild(wParam, lParam);
    case WM_MDIDESTROY:
      return OnDestroyChild(wParam, lParam);
    case WM_MDITILE:
    case WM_MDICASCADE:
      if (FrameTakesMenus() && SkinManager) SkinManager->SetMdiMaximized(false);
      return CallNext(Msg, wParam, lParam);
    case WM_MDISETMENU: {
      const LRESULT r = CallNext(Msg, wParam, lParam);
      // The frame's new menu goes into its skinned bar.
      if (FrameTakesMenus() && wParam) FFrame.AdoptWindowMenu();
      return r;
    }
    case WM_MDIREFRESHMENU: {
      const LRESULT r = CallNext(Msg, wParam, lParam);
      SkinNewChild();
      return r;
    }
    default:
      return CallNext(Msg, wParam, lParam);
  }
}

LRESULT TSkinMdiClient::OnCreateChild(WPARAM wParam, LPARAM lParam) {
  TSkinData* skin = FFrame.SkinData();
  skin->SetMenuUpdate(false);
  const LRESULT r = CallNext(WM_MDICREATE, wParam, lParam);
  FNewChild = reinterpret_cast<HWND>(r);
  // The child is skinned at once: a program need not refresh its frame's menu after
  // creating a child, and the child would keep the system's frame until then.
  SkinNewChild();
  skin->SetMenuUpdate(FSavedMenuUpdate);
  return r;
}

LRESULT TSkinMdiClient::OnDestroyChild(WPARAM wParam, LPARAM lParam) {
  const LRESULT r = CallNext(WM_MDIDESTROY, wParam, lParam);
  if (FrameTakesMenus() && SkinManager) {
    bool maximised = false;
    ActiveChild(&maximised);
    SkinManager->SetMdiMaximized(maximised);
    if (SkinManager->CountMdiChildren() == 0) FFrame.SkinData()->SetMenuUpdate(FSavedMenuUpdate);
  }
  return r;
}

void TSkinMdiClient::SkinNewChild() {
  if (!FNewChild || !SkinManager) return;
  SkinManager->SkinWindow(FNewChild);
  PostMessageW(FFrame.Window(), SM_PAINTFRAME, 0, 0);
  FNewChild = nullptr;
}

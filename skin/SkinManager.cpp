#include "skin/SkinManager.h"

#include <algorithm>
#include <utility>

#include "core/text/text.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Gbk.h"
#include "skin/SkinData.h"
#include "skin/SkinForm.h"
#include "skin/SkinMenus.h"

TSkinManager* SkinManager = nullptr;

namespace {

// Frees the manager when the program ends. Made after the manager's timer, so that it
// goes before the framework's timer bookkeeping does.
struct ManagerFinaliser {
  ~ManagerFinaliser() {
    delete SkinManager;
    SkinManager = nullptr;
  }
};

LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam) {
  TSkinManager* m = SkinManager;
  LRESULT result = 0;
  bool handled = false;
  // Nothing raised here may travel through the system's code.
  if (code >= 0 && m) GuardedCall([&] { handled = m->HookEvent(code, wParam, lParam, result); });
  if (handled) return result;
  return CallNextHookEx(m ? m->HookHandle() : nullptr, code, wParam, lParam);
}

std::string ClassNameOf(HWND wnd) {
  wchar_t name[101] = {};
  GetClassNameW(wnd, name, 101);
  return WideToGbk(name);
}

TForm* FormOfWindow(HWND wnd) {
  if (!Application) return nullptr;
  for (TForm* f : Application->Forms())
    if (f->HandleAllocated() && f->ExistingHandle() == wnd) return f;
  return nullptr;
}

}  // namespace

TSkinManager* CreateSkinManager() {
  if (!SkinManager) {
    SkinManager = new TSkinManager();
    static ManagerFinaliser finaliser;
  }
  return SkinManager;
}

TSkinManager::TSkinManager() {
  FActionTimer = std::make_unique<TTimer>(nullptr);
  FActionTimer->SetEnabled(false);
  FActionTimer->SetInterval(250);
  FActionTimer->SetOnTimer([this](TObject*) { RunAction(); });
}

TSkinManager::~TSkinManager() {
  FStartState = stClosing;
  FActionTimer.reset();
  if (FHookHandle) UnhookWindowsHookEx(FHookHandle);
  FHookHandle = nullptr;
  while (!FSkinForms.empty()) {
    TSkinForm* f = FSkinForms.back();
    FSkinForms.pop_back();
    f->MarkDetaching();
    f->DetachWindow();
    f->Release();
  }
  for (TSkinPopupFrame* p : FPopupFrames) p->Release();
  FPopupFrames.clear();
}

void TSkinManager::InstallHook() {
  FOsVersion = GetVersion();
  if (!FHookHandle) FHookHandle = SetWindowsHookExW(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
  // The main window is skinned as it is first shown, not when it is activated later: its
  // first picture already wears the skin's frame, whenever the activation comes.
  if (Application && !Application->OnMainFormShowing)
    Application->OnMainFormShowing = [](HWND Window) {
      if (!SkinManager) return;
      SkinManager->MarkStarted();
      SkinManager->SkinWindow(Window);
    };
}

bool TSkinManager::HookEvent(int Code, WPARAM wParam, LPARAM lParam, LRESULT& Result) {
  HWND wnd = reinterpret_cast<HWND>(wParam);
  switch (Code) {
    case HCBT_CREATEWND: {
      const std::string cls = ClassNameOf(wnd);
      if (cls == "ScrollBar") {
        // A size grip would sit on the skinned frame's corner and draw the system's
        // look there: it is not created at all.
        const CREATESTRUCTW* cs = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
        if (cs && (cs->style & SBS_SIZEGRIP) && FindSkinForm(cs->hwndParent)) {
          Result = 10;
          return true;
        }
      } else if (cls == "#32768") {
        SkinPopupWindow(wnd);
      }
      return false;
    }
    case HCBT_DESTROYWND:
      ReleasePopupWindow(wnd);
      return false;
    case HCBT_ACTIVATE:
      MarkStarted();
      SkinWindow(wnd);
      return false;
    default:
      return false;
  }
}

void TSkinManager::RegisterSkinData(TSkinData* SkinData) {
  if (std::find(FSkinDatas.begin(), FSkinDatas.end(), SkinData) == FSkinDatas.end())
    FSkinDatas.push_back(SkinData);
}

void TSkinManager::UnregisterSkinData(TSkinData* SkinData) {
  FSkinDatas.erase(std::remove(FSkinDatas.begin(), FSkinDatas.end(), SkinData), FSkinDatas.end());
  if (FPendingData == SkinData) FPendingData = nullptr;  // a freed skin data asks for nothing
  // Windows skinned with it go back to their own look while the skin still exists.
  for (size_t i = FSkinForms.size(); i-- > 0;)
    if (i < FSkinForms.size() && FSkinForms[i]->SkinData() == SkinData)
      RestoreAndFree(FSkinForms[i]);
}

void TSkinManager::RequestAction(TSkinAction Action, unsigned Delay) {
  if (Action == saDispose) {
    // Disposing never overwrites what a skin data asked for: it runs after it.
    FDisposePending = true;
    if (!FActionTimer->Enabled()) {
      FActionTimer->SetInterval(Delay);
      FActionTimer->SetEnabled(true);
    }
    return;
  }
  FPendingAction = Action;
  FActionTimer->SetInterval(Delay);
  if (FStartState != stWaiting) {
    FActionTimer->SetEnabled(true);  // a later request within the interval replaces this one
  } else if (Action == saActivate || Action == saDeactivate) {
    FEnabled = Action == saActivate;
  }
}

void TSkinManager::RestoreAndFree(TSkinForm* f) {
  FSkinForms.erase(std::remove(FSkinForms.begin(), FSkinForms.end(), f), FSkinForms.end());
  const HWND wnd = f->Window();
  f->RestoreWindow();
  f->Release();
  if (IsWindow(wnd)) {
    InvalidateRect(wnd, nullptr, TRUE);
    UpdateWindow(wnd);
  }
}

void TSkinManager::RunAction() {
  FActionTimer->SetEnabled(false);
  TSkinData* data = FPendingData;
  if (data && FPendingAction != saNone) {
    const TSkinAction action = std::exchange(FPendingAction, saNone);
    const bool onlyThisForm = data->SkinFormtype() == sfOnlyThisForm;
    if (action == saActivate) Activate(data, onlyThisForm);
    if (action == saDeactivate) Deactivate(data, onlyThisForm);
    if (action == saRefresh) Refresh(data, onlyThisForm);
    ++FActionsRun;
    FPendingData = nullptr;
    if (data->OnSkinChanged()) data->OnSkinChanged()(data);
  }
  if (FDisposePending) {
    FDisposePending = false;
    DisposeClosedForms();
  }
}

void TSkinManager::Activate(TSkinData* Data, bool OnlyThisForm) {
  // Every form on the screen, or the skin data's own, is tried from the last one down.
  FEnabled = true;
  FActivatingAll = true;
  if (Application) {
    const std::vector<TForm*> forms = Application->Forms();
    for (auto it = forms.rbegin(); it != forms.rend(); ++it) {
      if (OnlyThisForm && *it != Data->Owner()) continue;
      SkinWindow((*it)->Handle());
      if (OnlyThisForm) break;
    }
  }
  FActivatingAll = false;
}

void TSkinManager::Deactivate(TSkinData* Data, bool OnlyThisForm) {
  FEnabled = false;
  for (size_t i = FSkinForms.size(); i-- > 0;) {
    if (i >= FSkinForms.size()) continue;
    TSkinForm* f = FSkinForms[i];
    if (OnlyThisForm && f->SkinData() != Data) continue;
    RestoreAndFree(f);
    if (OnlyThisForm) break;
  }
}

void TSkinManager::Refresh(TSkinData* Data, bool OnlyThisForm) {
  // Every window using the skin data first takes its new frame sizes and buttons, then
  // its colours and frame in a second pass.
  std::vector<TSkinForm*> users;
  for (TSkinForm* f : FSkinForms)
    if (f->SkinData() == Data) {
      users.push_back(f);
      if (OnlyThisForm) break;
    }
  for (TSkinForm* f : users) {
    f->ClearElements();
    f->ReloadElements();
  }
  for (TSkinForm* f : users) f->ApplySkinColors();
}

bool TSkinManager::ActionPending() const {
  return FActionTimer && FActionTimer->Enabled();
}

bool TSkinManager::AllowFormSkin(const std::string& ClassName) {
  TSkinData* main = nullptr;
  for (TSkinData* d : FSkinDatas)
    if (d->SkinFormtype() == sfMainform) {
      main = d;
      break;
    }
  if (!main) return true;
  if (main->OnFormSkin()) {
    bool doSkin = true;
    main->OnFormSkin()(main, ClassName, doSkin);
    return doSkin;
  }
  if (ClassName == "SysMonthCal32") return false;
  if (main->SkinControls().Contains(xcFastReport) && ClassName.starts_with("Tfr")) return false;
  return true;
}

TSkinData* TSkinManager::ChooseSkinData(HWND Window) {
  TSkinData* found = nullptr;
  for (TSkinData* d : FSkinDatas)
    if (d->SkinFormtype() == sfOnlyThisForm)
      if (auto* owner = dynamic_cast<TWinControl*>(d->Owner()))
        if (owner->HandleAllocated() && owner->ExistingHandle() == Window) found = d;
  if (found) return found;
  const std::string cls = vpn::AsciiLower(ClassNameOf(Window));
  if (cls == "tmessageform" || cls == "#32770") {
    for (TSkinData* d : FSkinDatas)
      if (d->SkinFormtype() == sfDialog) found = d;
    if (found) return found;
  }
  for (TSkinData* d : FSkinDatas)
    if (d->SkinFormtype() == sfMainform) found = d;
  if (found) return found;
  return FSkinDatas.empty() ? nullptr : FSkinDatas.front();
}

TSkinData* TSkinManager::SkinDataForWindow(HWND Window) {
  if (!FEnabled || !IsWindow(Window)) return nullptr;
  if (SendMessageW(Window, SM_QUERYSKINNED, 0, 0) == 1 || FindSkinForm(Window)) return nullptr;
  TForm* form = FormOfWindow(Window);
  // Of the child windows only MDI children are skinned when activated; while all forms
  // are skinned at once, every form is tried.
  if (!FActivatingAll && (GetWindowLongW(Window, GWL_STYLE) & WS_CHILD) &&
      vpn::AsciiLower(ClassNameOf(GetParent(Window))) != "mdiclient")
    return nullptr;
  RECT r{};
  GetWindowRect(Window, &r);
  if ((r.right - r.left) * (r.bottom - r.top) == 0) return nullptr;
  if (form && form->Tag() == UnskinnedFormTag) return nullptr;
  const std::string cls = ClassNameOf(Window);
  if (cls == "TApplication" || !AllowFormSkin(cls)) return nullptr;
  TSkinData* data = ChooseSkinData(Window);
  return (data && !data->SkinNotLoaded) ? data : nullptr;
}

bool TSkinManager::SkinWindow(HWND Window) {
  TSkinData* data = SkinDataForWindow(Window);
  if (!data) return false;
  TForm* form = FormOfWindow(Window);
  auto* f = new TSkinForm(form, Window);
  bool attached = false;
  GuardedCall([&] {
    if (form)
      f->AttachToForm(data, form);
    else
      f->AttachToWindow(data);
    attached = true;
  });
  if (!attached) {
    // A window the skin cannot take over keeps its own look (the failure was reported).
    f->MarkDetaching();
    f->RestoreWindow();
    f->Release();
    return false;
  }
  FSkinForms.push_back(f);
  // A window not yet on screen (the main window is skinned as it is shown and activated)
  // takes its frame and outline at once: its first picture is the skinned one, with no
  // picture of the system's frame before it and no second painting of everything.
  if (IsWindowVisible(Window))
    PostMessageW(Window, SM_SKINSTART, 0, 1000);
  else
    SendMessageW(Window, SM_SKINSTART, 0, 1000);
  return true;
}

TSkinForm* TSkinManager::FindSkinForm(HWND Window) const {
  if (!Window) return nullptr;
  for (TSkinForm* f : FSkinForms)
    if (f->Window() == Window) return f;
  return nullptr;
}

void TSkinManager::ForgetSkinForm(TSkinForm* SkinForm) {
  auto it = std::find(FSkinForms.begin(), FSkinForms.end(), SkinForm);
  if (it != FSkinForms.end()) FSkinForms.erase(it);
}

void TSkinManager::ResetFormElements() {
  for (TSkinForm* f : FSkinForms) f->ClearElements();
}

void TSkinManager::DisposeClosedForms() {
  for (size_t i = FSkinForms.size(); i-- > 0;) {
    if (i >= FSkinForms.size() || FSkinForms[i]->State() != sfsDestroyed) continue;
    TSkinForm* f = FSkinForms[i];
    FSkinForms.erase(FSkinForms.begin() + static_cast<std::ptrdiff_t>(i));
    f->Release();
  }
}

bool TSkinManager::SkinPopupWindow(HWND Window) {
  if (!FEnabled || IsPopupFramed(Window) || SendMessageW(Window, SM_QUERYSKINNED, 0, 0) == 1)
    return false;
  TSkinData* data = ChooseSkinData(Window);
  if (!data || data->SkinNotLoaded || !data->SkinControls().Contains(xcMainMenu)) return false;
  auto* frame = new TSkinPopupFrame();
  frame->Attach(Window, data);
  FPopupFrames.push_back(frame);
  return true;
}

bool TSkinManager::ReleasePopupWindow(HWND Window) {
  auto it = std::find_if(FPopupFrames.begin(), FPopupFrames.end(),
                         [&](TSkinPopupFrame* p) { return p->Window() == Window; });
  if (it == FPopupFrames.end()) return false;
  TSkinPopupFrame* frame = *it;
  FPopupFrames.erase(it);
  frame->Release();
  return true;
}

bool TSkinManager::IsPopupFramed(HWND Window) const {
  return Window && std::any_of(FPopupFrames.begin(), FPopupFrames.end(),
                               [&](TSkinPopupFrame* p) { return p->Window() == Window; });
}

TSkinPopupFrame* TSkinManager::PopupFrameOf(HMENU Menu) const {
  if (!Menu) return nullptr;
  for (TSkinPopupFrame* p : FPopupFrames)
    if (p->MenuHandle() == Menu) return p;
  return nullptr;
}

HBITMAP TSkinManager::PopupBitmapOf(HMENU Menu) const {
  TSkinPopupFrame* p = PopupFrameOf(Menu);
  return p ? p->Background() : nullptr;
}

void TSkinManager::SetMdiMaximized(bool Value) {
  if (Value == FMdiMaximized) return;
  FMdiMaximized = Value;
  for (TSkinForm* f : FSkinForms) {
    // The frame's menu bar shows the maximised child's buttons, or no longer.
    if (f->WindowKind() == wkMdiFrame) PostMessageW(f->Window(), SM_PAINTFRAME, 0, 0);
    if (f->WindowKind() != wkMdiChild) continue;
    if (Value) {
      f->DropRegion(false);
      f->SetFrameStyle(true);
      // The child now covers the whole MDI client, but the part outside its old outline
      // was never invalidated: without this it keeps the client's pixels until something
      // else paints it.
      RedrawWindow(f->Window(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    } else if (f->SizeState() == ssMinimized) {
      f->SetFrameStyle(true);
    } else {
      f->SetSizeState(ssRestored);
      f->UpdateRegion();
      f->SetFrameStyle(false);
      if (!f->HasRegion())
        SetWindowPos(f->Window(), nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOACTIVATE);
    }
  }
}

int TSkinManager::CountMdiChildren() const {
  return static_cast<int>(std::count_if(FSkinForms.begin(), FSkinForms.end(), [](TSkinForm* f) {
    return f->WindowKind() == wkMdiChild;
  }));
}

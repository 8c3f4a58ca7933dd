#include "skin/SkinManager.h"

#include <algorithm>

#include "core/text/text.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Gbk.h"
#include "skin/SkinData.h"

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
  if (code >= 0 && m && code == HCBT_ACTIVATE) {
    if (m->StartState == 0) m->StartState = 1;
    GuardedCall([&] { m->SkinWindow(reinterpret_cast<HWND>(wParam)); });
  }
  return CallNextHookEx(m ? m->HookHandle : nullptr, code, wParam, lParam);
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
  ActionTimer = std::make_unique<TTimer>(nullptr);
  ActionTimer->SetEnabled(false);
  ActionTimer->SetInterval(250);
  ActionTimer->SetOnTimer([this](TObject*) { RunAction(); });
}

TSkinManager::~TSkinManager() {
  StartState = 4;
  ActionTimer.reset();
  if (HookHandle) UnhookWindowsHookEx(HookHandle);
  HookHandle = nullptr;
}

void TSkinManager::InstallHook() {
  OsVersion = GetVersion();
  if (!HookHandle) HookHandle = SetWindowsHookExW(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
}

void TSkinManager::RegisterSkinData(TSkinData* SkinData) {
  if (std::find(SkinDatas.begin(), SkinDatas.end(), SkinData) == SkinDatas.end())
    SkinDatas.push_back(SkinData);
}

void TSkinManager::UnregisterSkinData(TSkinData* SkinData) {
  SkinDatas.erase(std::remove(SkinDatas.begin(), SkinDatas.end(), SkinData), SkinDatas.end());
  if (PendingData == SkinData) PendingData = nullptr;  // a freed skin data asks for nothing
}

void TSkinManager::RequestAction(int Action, unsigned Delay) {
  PendingAction = Action;
  ActionTimer->SetInterval(Delay);
  if (StartState != 0) {
    ActionTimer->SetEnabled(true);  // a later request within the interval replaces this one
  } else if (Action == 1 || Action == 2) {
    Enabled = Action == 1;
  }
}

void TSkinManager::RunAction() {
  if (!PendingData) return;
  ActionTimer->SetEnabled(false);
  TSkinData* data = PendingData;
  const bool onlyThisForm = data->SkinFormtype == sfOnlyThisForm;
  switch (PendingAction) {
    case 1: {
      Enabled = true;
      ActivatingAll = true;
      if (Application) {
        const std::vector<TForm*> forms = Application->Forms();
        for (auto it = forms.rbegin(); it != forms.rend(); ++it) {
          if (onlyThisForm && *it != data->Owner()) continue;
          SkinWindow((*it)->Handle());
          if (onlyThisForm) break;
        }
      }
      ActivatingAll = false;
      break;
    }
    case 2:
      Enabled = false;
      break;
    default:
      break;  // 3 and 6 concern skinned windows only
  }
  ++ActionsRun;
  PendingData = nullptr;
  if (data->OnSkinChanged) data->OnSkinChanged(data);
}

bool TSkinManager::AllowFormSkin(const std::string& ClassName) {
  TSkinData* main = nullptr;
  for (TSkinData* d : SkinDatas)
    if (d->SkinFormtype == sfMainform) {
      main = d;
      break;
    }
  if (!main) return true;
  if (main->OnFormSkin) {
    bool doSkin = true;
    main->OnFormSkin(main, ClassName, doSkin);
    return doSkin;
  }
  if (ClassName == "SysMonthCal32") return false;
  if (main->SkinControls.Contains(xcFastReport) && ClassName.starts_with("Tfr")) return false;
  return true;
}

TSkinData* TSkinManager::ChooseSkinData(HWND Window) {
  TSkinData* found = nullptr;
  for (TSkinData* d : SkinDatas)
    if (d->SkinFormtype == sfOnlyThisForm)
      if (auto* owner = dynamic_cast<TWinControl*>(d->Owner()))
        if (owner->HandleAllocated() && owner->ExistingHandle() == Window) found = d;
  if (found) return found;
  const std::string cls = vpn::AsciiLower(ClassNameOf(Window));
  if (cls == "tmessageform" || cls == "#32770") {
    for (TSkinData* d : SkinDatas)
      if (d->SkinFormtype == sfDialog) found = d;
    if (found) return found;
  }
  for (TSkinData* d : SkinDatas)
    if (d->SkinFormtype == sfMainform) found = d;
  if (found) return found;
  return SkinDatas.empty() ? nullptr : SkinDatas.front();
}

TSkinData* TSkinManager::SkinDataForWindow(HWND Window) {
  if (!Enabled || !IsWindow(Window)) return nullptr;
  if (SendMessageW(Window, SM_QUERYSKINNED, 0, 0) == 1) return nullptr;
  TForm* form = FormOfWindow(Window);
  if (!ActivatingAll && (GetWindowLongW(Window, GWL_STYLE) & WS_CHILD) &&
      vpn::AsciiLower(ClassNameOf(GetParent(Window))) != "mdiclient")
    return nullptr;
  RECT r{};
  GetWindowRect(Window, &r);
  if ((r.right - r.left) * (r.bottom - r.top) == 0) return nullptr;
  if (form && form->Tag() == 99) return nullptr;
  const std::string cls = ClassNameOf(Window);
  if (cls == "TApplication" || !AllowFormSkin(cls)) return nullptr;
  TSkinData* data = ChooseSkinData(Window);
  return (data && !data->SkinNotLoaded) ? data : nullptr;
}

bool TSkinManager::SkinWindow(HWND Window) {
  // Taking the window over (its skinned frame object) belongs to the window-frame code,
  // which the program does not have yet: the choice is made and no window changes.
  SkinDataForWindow(Window);
  return false;
}

void TSkinManager::ResetFormElements() {
  // Only skinned windows hold caption-button objects, and no window is skinned yet.
}

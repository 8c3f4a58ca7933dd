#include "skin/SkinChildControls.h"

// (the common controls' header needs the base declarations first)
#include <commctrl.h>
#include <windows.h>

#include <algorithm>
#include <typeindex>
#include <unordered_map>
#include <utility>

#include "framework/Controls.h"
#include "framework/Forms.h"
#include "framework/Gbk.h"
#include "skin/SkinData.h"
#include "skin/SkinForm.h"
#include "skin/widgets/SkinBox.h"
#include "skin/widgets/SkinButton.h"
#include "skin/widgets/SkinCheckBox.h"
#include "skin/widgets/SkinComBox.h"
#include "skin/widgets/SkinEdit.h"
#include "skin/widgets/SkinListView.h"
#include "skin/widgets/SkinProgress.h"
#include "skin/widgets/SkinScrollBar.h"
#include "skin/widgets/SkinStatusBar.h"
#include "skin/widgets/SkinTab.h"
#include "skin/widgets/SkinTrackBar.h"
#include "skin/widgets/SkinUpDown.h"

using namespace vpn::skin;

namespace {

std::string UpperCase(std::string s) {
  for (char& ch : s)
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  return s;
}

// Which of the framework's control families a control's class descends from. Asking a
// class for its ancestors by name reads its whole type chain, so each class is asked once.
uint32_t AncestorsOf(const TControl& control) {
  static std::unordered_map<std::type_index, uint32_t> known;
  const std::type_index type(typeid(control));
  if (auto it = known.find(type); it != known.end()) return it->second;
  static const std::pair<const char*, TControlAncestor> families[] = {
      {"TCheckBox", caCheckBox}, {"TStatusBar", caStatusBar}, {"TComboBox", caComboBox},
      {"TPanel", caPanel},       {"TButton", caButton},       {"TEdit", caEdit},
      {"TForm", caForm},         {"TListBox", caListBox},     {"TMemo", caEdit}};
  uint32_t ancestors = 0;
  for (const auto& [name, flag] : families)
    if (control.InheritsFrom(name)) ancestors |= flag;
  known.emplace(type, ancestors);
  return ancestors;
}

// A skin control of that kind, owned by the window's frame object; null for a kind that
// keeps its own look.
TSkinControl* NewSkinControl(TSkinControlKind Kind, TSkinForm* Owner) {
  switch (Kind) {
    case skButton:
      return new TSkinButton(Owner);
    case skCheckBox:
      return new TSkinCheckBox(Owner);
    case skRadioButton:
      return new TSkinRadioButton(Owner);
    case skEdit:
      return new TSkinEdit(Owner);
    case skStatusBar:
      return new TSkinStatusBar(Owner);
    case skBox:
      return new TSkinBox(Owner);
    case skSizer:
      return new TSkinSizer(Owner);
    case skTab:
      return new TSkinTab(Owner);
    case skTab31:
      return new TSkinTab31(Owner);
    case skScrollBar:
      return new TSkinScrollBar(Owner);
    case skListView:
      return new TSkinListView(Owner);
    case skScrollBarControl:
      return new TSkinScrollBarControl(Owner);
    case skComBox:
      return new TSkinComBox(Owner);
    case skUpDown:
      return new TSkinUpDown(Owner);
    case skProgress:
      return new TSkinProgress(Owner);
    case skTrackBar:
      return new TSkinTrackBar(Owner);
    default:
      return nullptr;
  }
}

}  // namespace

TSkinControl* TSkinChildControls::Make(const TChoice& k) {
  TSkinControl* made = NewSkinControl(k.Kind, &FForm);
  if (!made) return nullptr;
  TSkinData* skin = FForm.SkinData();
  auto* control = dynamic_cast<TControl*>(k.Control);
  // Scroll bars take the third argument as "the skin operates the bars", which it does
  // for every control it draws bars on.
  const bool bars = k.Kind == skScrollBar || k.Kind == skListView;
  if (control && !k.ByHandle) {
    made->Attach(control, skin, bars ? true : k.Recolour, &SkinScratch());
  } else if (k.Handle) {
    made->AttachHandle(k.Handle, skin, &SkinScratch());
    FList.push_back(made);
  }
  if (!made->Attached()) {
    delete made;
    return nullptr;
  }
  return made;
}

TSkinControl* TSkinChildControls::SkinInnerWindow(HWND Inner, TSkinControlKind Kind) {
  if (!Inner || !FForm.SkinData()) return nullptr;
  if (KnownWindow(Inner)) return TSkinControl::FromWindow(Inner);
  const TChoice k{nullptr, Inner, Kind, true, false};
  FChoices.push_back(k);
  return Make(k);
}

void TSkinChildControls::Add(TSkinControl* Control) {
  if (std::find(FList.begin(), FList.end(), Control) == FList.end()) FList.push_back(Control);
}

void TSkinChildControls::Forget(TSkinControl* Control) {
  ForgetHot(Control);
  std::erase(FList, Control);
}

void TSkinChildControls::Free() {
  FHot = nullptr;
  const std::vector<TSkinControl*> list = std::exchange(FList, {});
  for (auto it = list.rbegin(); it != list.rend(); ++it) delete *it;
  FChoices.clear();
}

void TSkinChildControls::SkinChanged() {
  for (TSkinControl* c : FList) c->SkinChanged();
}

TSkinControlKind TSkinChildControls::KindOf(const TComponent* Control) const {
  for (const TChoice& k : FChoices)
    if (k.Control == Control) return k.Kind;
  return skNone;
}

void TSkinChildControls::SetHot(TSkinControl* Control) {
  if (FHot && FHot != Control) FHot->MouseLeft();
  FHot = Control;
}

void TSkinChildControls::ForgetHot(const TSkinControl* Control) {
  if (FHot == Control) FHot = nullptr;
}

bool TSkinChildControls::Known(const TComponent* Component, const TWinControl* Windowed) const {
  const HWND handle =
      Windowed && Windowed->HandleAllocated() ? Windowed->ExistingHandle() : nullptr;
  return std::any_of(FChoices.begin(), FChoices.end(), [&](const TChoice& k) {
    return k.Control == Component || (handle && k.Handle == handle);
  });
}

bool TSkinChildControls::KnownWindow(HWND Window) const {
  return std::any_of(FChoices.begin(), FChoices.end(),
                     [&](const TChoice& k) { return k.Handle == Window; });
}

bool TSkinChildControls::WindowOf(TWinControl* Windowed, HWND& Handle) const {
  Handle = nullptr;
  if (!Windowed) return true;
  // A window made after the first show is skinned when it comes (the form hears of it).
  if (Windowed->WindowComesLater()) return false;
  // A control that cannot have its window keeps its look; the failure is reported.
  GuardedCall([&] { Handle = Windowed->Handle(); });
  return Handle != nullptr;
}

void TSkinChildControls::SkinControlsOf(TComponent* Container) {
  TSkinData* skin = FForm.SkinData();
  for (int i = 0; i < Container->ComponentCount(); ++i) {
    TComponent* c = Container->Components(i);
    if (c == &FForm) continue;
    auto* control = dynamic_cast<TControl*>(c);
    if (!control || dynamic_cast<TSkinControl*>(c)) continue;
    if (control->Tag() % 100 == skin->DisableTag()) continue;
    auto* win = dynamic_cast<TWinControl*>(control);
    HWND handle = nullptr;
    if (Known(c, win) || !WindowOf(win, handle)) continue;
    // The application may bring a skin control of its own.
    if (SkinnedByApplication(Container, control, handle)) continue;
    SkinControl(Container, control, win, handle);
  }
}

bool TSkinChildControls::SkinnedByApplication(TComponent* Container, TControl* Control,
                                              HWND Handle) {
  TSkinData* skin = FForm.SkinData();
  if (!skin->OnSkinControl()) return false;
  TComponent* supplied = nullptr;
  skin->OnSkinControl()(&FForm, skin, dynamic_cast<TControl*>(Container), Control,
                        UpperCase(Control->ClassName()), supplied);
  auto* own = dynamic_cast<TSkinControl*>(supplied);
  if (!own) return false;
  FChoices.push_back({Control, Handle, skNone, false, own->Recolour()});
  own->Attach(Control, skin, own->Recolour(), &SkinScratch());
  if (own->Attached()) Add(own);
  if (Control->InheritsFrom("TPanel")) SkinControlsOf(Control);
  return true;
}

void TSkinChildControls::SkinControl(TComponent* Container, TControl* Control,
                                     TWinControl* Windowed, HWND Handle) {
  TSkinData* skin = FForm.SkinData();
  ChoiceSkin s;
  s.skinControls = skin->SkinControls().Bits();
  s.skin3rd = &skin->Skin3rd();
  s.tabElement = skin->Tabs != nullptr;
  s.disableTag = skin->DisableTag();
  ControlFacts facts;
  facts.className = Control->ClassName();
  facts.tag = Control->Tag();
  facts.windowed = Windowed != nullptr;
  if (Handle)
    facts.scrollStyle = (GetWindowLongPtrW(Handle, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL)) != 0;
  facts.ancestors = AncestorsOf(*Control);
  const ControlChoice choice = ChooseSkinControl(facts, s);
  if (choice.skipped) return;
  Prepare(choice, Control, Handle);
  if (choice.childKind != skNone && Windowed) SkinGroup(Windowed, choice.childKind);
  if (choice.kind != skNone) {
    const TChoice k{Control, Handle, choice.kind, choice.byHandle, choice.recolour};
    FChoices.push_back(k);
    Make(k);
  }
  if (choice.walk) SkinControlsOf(Control);
}

void TSkinChildControls::Prepare(const ControlChoice& Choice, TControl* Control, HWND Handle) {
  if (Choice.flat) Control->SetLayoutProperty("Flat", "True");
  if (Choice.transparent) Control->SetLayoutProperty("Transparent", "True");
  if (Choice.formColour) Control->SetColor(FrameworkColourOf(FForm.SkinData()->Colours.ButtonFace));
  if (Choice.noSizeGrip && Handle) {
    const LONG_PTR style = GetWindowLongPtrW(Handle, GWL_STYLE);
    if (style & SBARS_SIZEGRIP) SetWindowLongPtrW(Handle, GWL_STYLE, style & ~SBARS_SIZEGRIP);
  }
}

void TSkinChildControls::SkinGroup(TWinControl* Group, TSkinControlKind Kind) {
  // A check or radio group: each of its controls gets the group's kind of glyph.
  for (int j = 0; j < Group->ControlCount(); ++j) {
    auto* child = dynamic_cast<TWinControl*>(Group->Controls(j));
    if (!child) continue;
    const TChoice k{child, child->Handle(), Kind, false, true};
    FChoices.push_back(k);
    Make(k);
  }
}

void TSkinChildControls::SkinChildWindows(HWND Parent) {
  for (HWND child = GetTopWindow(Parent); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
    if (!(style & WS_CHILD) || KnownWindow(child)) continue;
    wchar_t cls[64] = {};
    GetClassNameW(child, cls, 64);
    const WindowChoice choice = ChooseSkinWindow(WideToGbk(cls), static_cast<uint32_t>(style));
    if (choice.kind == skNone) continue;
    HWND target = choice.onFirstChild ? GetWindow(child, GW_CHILD) : child;
    if (!target) continue;
    const TChoice k{nullptr, target, choice.kind, true, false};
    FChoices.push_back(k);
    Make(k);
  }
}

// The skinned window's child controls: the walk over a form's controls (or a plain
// window's child windows) that gives each one the skin control chosen for it, and
// letting them go again when the window gives up the skin.
#include <windows.h>
// (the common controls' header needs the base declarations first)
#include <commctrl.h>

#include <algorithm>
#include <typeindex>
#include <unordered_map>

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

}  // namespace

TSkinControl* TSkinForm::MakeSkinControl(const TSkinControlChoice& k) {
  TSkinControl* made = nullptr;
  switch (k.Kind) {
    case skButton:
      made = new TSkinButton(this);
      break;
    case skCheckBox:
      made = new TSkinCheckBox(this);
      break;
    case skRadioButton:
      made = new TSkinRadioButton(this);
      break;
    case skEdit:
      made = new TSkinEdit(this);
      break;
    case skStatusBar:
      made = new TSkinStatusBar(this);
      break;
    case skBox:
      made = new TSkinBox(this);
      break;
    case skSizer:
      made = new TSkinSizer(this);
      break;
    case skTab:
      made = new TSkinTab(this);
      break;
    case skTab31:
      made = new TSkinTab31(this);
      break;
    case skScrollBar:
      made = new TSkinScrollBar(this);
      break;
    case skListView:
      made = new TSkinListView(this);
      break;
    case skComBox:
      made = new TSkinComBox(this);
      break;
    case skUpDown:
      made = new TSkinUpDown(this);
      break;
    case skProgress:
      made = new TSkinProgress(this);
      break;
    case skTrackBar:
      made = new TSkinTrackBar(this);
      break;
    default:
      // Every other kind keeps its own look.
      return nullptr;
  }
  auto* control = dynamic_cast<TControl*>(k.Control);
  // Scroll bars take the third argument as "the skin operates the bars", which it does
  // for every control it draws bars on.
  const bool bars = k.Kind == skScrollBar || k.Kind == skListView;
  if (control && !k.ByHandle) {
    made->Attach(control, SkinData, bars ? true : k.Recolour, &SkinScratch());
  } else if (k.Handle) {
    made->AttachHandle(k.Handle, SkinData, &SkinScratch());
    ControlList.push_back(made);
  }
  if (!made->Attached) {
    delete made;
    return nullptr;
  }
  return made;
}

TSkinControl* TSkinForm::SkinInnerWindow(HWND Inner, TSkinControlKind Kind) {
  if (!Inner || !SkinData) return nullptr;
  for (const TSkinControlChoice& k : Controls)
    if (k.Handle == Inner) return TSkinControl::FromWindow(Inner);
  const TSkinControlChoice k{nullptr, Inner, Kind, true, false};
  Controls.push_back(k);
  return MakeSkinControl(k);
}

void TSkinForm::FreeSkinControls() {
  HotControl = nullptr;
  const std::vector<TSkinControl*> list = std::exchange(ControlList, {});
  for (auto it = list.rbegin(); it != list.rend(); ++it) delete *it;
}

void TSkinForm::SkinChildControls(TComponent* Container) {
  ChoiceSkin skin;
  skin.skinControls = SkinData->SkinControls.Bits();
  skin.skin3rd = &SkinData->Skin3rd();
  skin.tabElement = SkinData->Tabs != nullptr;
  skin.disableTag = SkinData->DisableTag;
  for (int i = 0; i < Container->ComponentCount(); ++i) {
    TComponent* c = Container->Components(i);
    if (c == this) continue;
    auto* control = dynamic_cast<TControl*>(c);
    if (!control || dynamic_cast<TSkinControl*>(c)) continue;
    if (control->Tag() % 100 == SkinData->DisableTag) continue;
    auto* win = dynamic_cast<TWinControl*>(control);
    bool known = false;
    for (const TSkinControlChoice& k : Controls)
      if (k.Control == c || (win && win->HandleAllocated() && k.Handle == win->ExistingHandle()))
        known = true;
    if (known) continue;
    // A window made after the first show is skinned when it comes (the form hears of it).
    if (win && win->WindowComesLater()) continue;
    HWND handle = nullptr;
    if (win) {
      // A control that cannot have its window keeps its look; the failure is reported.
      GuardedCall([&] { handle = win->Handle(); });
      if (!handle) continue;
    }
    const std::string className = control->ClassName();
    const std::string upper = UpperCase(className);

    // The application may bring a skin control of its own.
    if (SkinData->OnSkinControl) {
      TComponent* supplied = nullptr;
      SkinData->OnSkinControl(this, SkinData, dynamic_cast<TControl*>(Container), control, upper,
                              supplied);
      if (auto* own = dynamic_cast<TSkinControl*>(supplied)) {
        Controls.push_back({c, handle, skNone, false, own->Recolour});
        own->Attach(control, SkinData, own->Recolour, &SkinScratch());
        if (own->Attached &&
            std::find(ControlList.begin(), ControlList.end(), own) == ControlList.end())
          ControlList.push_back(own);
        if (control->InheritsFrom("TPanel")) SkinChildControls(c);
        continue;
      }
    }

    ControlFacts facts;
    facts.className = className;
    facts.tag = control->Tag();
    facts.windowed = win != nullptr;
    if (handle)
      facts.scrollStyle = (GetWindowLongPtrW(handle, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL)) != 0;
    facts.ancestors = AncestorsOf(*control);
    const ControlChoice choice = ChooseSkinControl(facts, skin);
    if (choice.skipped) continue;
    // What the choice does to the control itself before its skin control comes.
    if (choice.flat) control->SetLayoutProperty("Flat", "True");
    if (choice.transparent) control->SetLayoutProperty("Transparent", "True");
    if (choice.formColour) control->SetColor(FrameworkColourOf(SkinData->Colours.ButtonFace));
    if (choice.noSizeGrip && handle) {
      const LONG_PTR style = GetWindowLongPtrW(handle, GWL_STYLE);
      if (style & SBARS_SIZEGRIP) SetWindowLongPtrW(handle, GWL_STYLE, style & ~SBARS_SIZEGRIP);
    }
    if (choice.childKind != skNone && win) {
      // A check or radio group: each of its controls gets the group's kind of glyph.
      for (int j = 0; j < win->ControlCount(); ++j) {
        auto* child = dynamic_cast<TWinControl*>(win->Controls(j));
        if (!child) continue;
        TSkinControlChoice k{child, child->Handle(), choice.childKind, false, true};
        Controls.push_back(k);
        MakeSkinControl(k);
      }
    }
    if (choice.kind != skNone) {
      const TSkinControlChoice k{c, handle, choice.kind, choice.byHandle, choice.recolour};
      Controls.push_back(k);
      MakeSkinControl(k);
    }
    if (choice.walk) SkinChildControls(c);
  }
}

void TSkinForm::SkinChildWindows() {
  for (HWND child = GetTopWindow(Window); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
    if (!(style & WS_CHILD)) continue;
    bool known = false;
    for (const TSkinControlChoice& k : Controls)
      if (k.Handle == child) known = true;
    if (known) continue;
    wchar_t cls[64] = {};
    GetClassNameW(child, cls, 64);
    const WindowChoice choice = ChooseSkinWindow(WideToGbk(cls), static_cast<uint32_t>(style));
    if (choice.kind == skNone) continue;
    HWND target = choice.onFirstChild ? GetWindow(child, GW_CHILD) : child;
    if (!target) continue;
    const TSkinControlChoice k{nullptr, target, choice.kind, true, false};
    Controls.push_back(k);
    MakeSkinControl(k);
  }
}

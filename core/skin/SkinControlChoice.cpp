#include "core/skin/SkinControlChoice.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace vpn::skin {

namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

bool OneOf(const std::string& s, std::initializer_list<const char*> names) {
  return std::any_of(names.begin(), names.end(), [&](const char* n) { return s == n; });
}

// Tags are signed: -1 mod 100 is -1 here as in the tag's own arithmetic, so a negative
// tag never matches a positive disable tag.
bool TagMod(int64_t tag, int64_t value) {
  return tag % 100 == value;
}

ControlChoice Make(TSkinControlKind kind) {
  ControlChoice c;
  c.kind = kind;
  return c;
}

ControlChoice FromSkin3rd(const std::string& kind, const ChoiceSkin& s) {
  const uint32_t on = s.skinControls;
  ControlChoice c;
  if (kind == "combobox") {
    if (on & cfCombo) c.kind = skComBox;
  } else if (kind == "edit") {
    if (on & cfEdit) {
      c.kind = skEdit;
      c.byHandle = true;
    }
  } else if (kind == "radiobutton") {
    if (on & cfRadioButton) {
      c.kind = skRadioButton;
      c.recolour = true;
    }
  } else if (kind == "panel") {
    if (on & cfPanel) {
      c.kind = skBox;
      c.recolour = true;
      c.transparent = true;
    }
  } else if (kind == "trackbar") {
    if (on & cfButton) {
      c.kind = skTrackBar;
      c.transparent = true;
    }
  } else if (kind == "button") {
    if (on & cfButton) c.kind = skButton;
  } else if (kind == "tab") {
    if ((on & cfTab) && s.tabElement) {
      c.kind = skTab;
      c.byHandle = true;
    }
  } else if (kind == "progress") {
    if (on & cfProgress) c.kind = skProgress;
  } else if (kind == "scrollbar") {
    if (on & cfScrollbar) c.kind = skScrollBar;
  } else if (kind == "radiogroup" || kind == "checkgroup") {
    if (on & cfPanel) {
      c.kind = skBox;
      c.recolour = true;
      if (on & cfRadioButton) c.childKind = kind == "radiogroup" ? skRadioButton : skCheckBox;
    }
  } else if (kind == "checkbox") {
    if (on & cfCheckBox) {
      c.kind = skCheckBox;
      c.recolour = true;
    }
  }
  return c;
}

}  // namespace

const char* SkinControlKindName(TSkinControlKind kind) {
  switch (kind) {
    case skNone:
      return "none";
    case skCheckBox:
      return "TSkinCheckBox";
    case skRadioButton:
      return "TSkinRadioButton";
    case skButton:
      return "TSkinButton";
    case skEdit:
      return "TSkinEdit";
    case skComBox:
      return "TSkinComBox";
    case skScrollBar:
      return "TSkinScrollBar";
    case skStatusBar:
      return "TSkinStatusBar";
    case skBox:
      return "TSkinBox";
    case skTrackBar:
      return "TSkinTrackBar";
    case skUpDown:
      return "TSkinUpDown";
    case skProgress:
      return "TSkinProgress";
    case skTab:
      return "TSkinTab";
    case skTab31:
      return "TSkinTab31";
    case skSizer:
      return "TSkinSizer";
    case skListView:
      return "TSkinListView";
    case skScrollBarControl:
      return "TSkinScrollBarControl";
  }
  return "none";
}

bool Skin3rdKind(const std::vector<std::string>& lines, std::string_view className,
                 std::string& kind) {
  // Every control of every skinned window is looked up in the whole list: the lines are
  // compared where they stand, and only the line that matches is copied.
  const auto same = [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
  };
  const size_t n = className.size();
  for (const std::string& line : lines) {
    if (line.size() <= n || line[n] != '=' ||
        !std::equal(className.begin(), className.end(), line.begin(), same))
      continue;
    kind = Lower(std::string_view(line).substr(n + 1, 50));
    return true;
  }
  return false;
}

namespace {

// The rules of the choice, first match wins, in three runs: classes the skin leaves to
// themselves or only recolours, the class mappings, tab controls and check boxes.
std::optional<ControlChoice> FirstRules(const ControlFacts& f, const ChoiceSkin& s,
                                        const std::string& name) {
  const uint32_t on = s.skinControls;
  if (OneOf(name, {"TDBCOMBOBOXEH", "TQRPREVIEW", "TFRDESIGNERPAGE", "TFRPBOX"}))
    return ControlChoice{};
  if (name == "TTOOLBAR") {
    ControlChoice c;
    c.flat = true;
    c.formColour = true;
    return c;
  }
  std::string kind;
  if (s.skin3rd && Skin3rdKind(*s.skin3rd, f.className, kind)) return FromSkin3rd(kind, s);
  const bool tabs = (on & cfTab) && s.tabElement;
  if (name == "TTABSET" && tabs) return Make(skTab31);
  // The framework's tab and page controls are tab controls of the system underneath.
  if (OneOf(name, {"TTABBEDNOTEBOOK", "TPAGECONTROL", "TTABCONTROL"}) && tabs) {
    ControlChoice c = Make(skTab);
    c.byHandle = true;
    return c;
  }
  // A page of a page control wears the face colour as a panel does.
  if (name == "TTABSHEET" && (on & cfPanel)) {
    ControlChoice c = Make(skBox);
    c.recolour = true;
    return c;
  }
  if (name == "TMVCPANEL") {
    ControlChoice c;
    c.walk = true;
    return c;
  }
  if ((f.ancestors & caCheckBox) && (on & cfCheckBox)) {
    ControlChoice c = Make(skCheckBox);
    c.recolour = true;
    return c;
  }
  return std::nullopt;
}

// Then the value controls, status bars and drop-down lists.
std::optional<ControlChoice> ValueRules(const ControlFacts& f, const ChoiceSkin& s,
                                        const std::string& name) {
  const uint32_t on = s.skinControls;
  if (name == "TTRACKBAR" && (on & cfButton)) return Make(skTrackBar);
  if (name == "TUPDOWN" && (on & cfButton)) return Make(skUpDown);
  // The framework's own progress bar takes the same skin as the bars a Skin3rd line names.
  if (name == "TPROGRESSBAR" && (on & cfProgress)) return Make(skProgress);
  if (name == "TDBNAVIGATOR" && (on & cfPanel)) {
    ControlChoice c = Make(skBox);
    c.flat = true;
    c.recolour = true;
    return c;
  }
  if ((f.ancestors & caStatusBar) && (on & cfStatusBar)) {
    ControlChoice c = Make(skStatusBar);
    c.noSizeGrip = true;
    return c;
  }
  if (((f.ancestors & caComboBox) || TagMod(f.tag, 95)) && (on & cfCombo)) return Make(skComBox);
  if (name == "TDATETIMEPICKER" && (on & cfEdit)) return Make(f.upDownPicker ? skEdit : skComBox);
  return std::nullopt;
}

// Last the scrolling controls, panels, buttons, edits and embedded forms.
ControlChoice LastRules(const ControlFacts& f, const ChoiceSkin& s, const std::string& name) {
  const uint32_t on = s.skinControls;
  const auto is = [&](TControlAncestor a) { return (f.ancestors & a) != 0; };
  if (OneOf(name, {"TRICHEDIT", "TWWDBRICHEDIT", "TDXDBMEMO"}) && (on & cfScrollbar))
    return Make(skScrollBar);
  if (is(caPanel) && (on & cfPanel)) {
    ControlChoice c = Make(skBox);
    c.recolour = true;
    c.walk = true;
    return c;
  }
  if (OneOf(name, {"TDXTREELIST", "TDXDBTREELIST", "TDXDBGRID"}) && (on & cfScrollbar))
    return Make(skScrollBar);
  if ((TagMod(f.tag, 96) || (f.windowed && f.scrollStyle) || is(caListBox) || f.tag == 55) &&
      (on & cfScrollbar))
    return Make(skScrollBar);
  if (is(caButton) && (on & cfButton)) return Make(skButton);
  if ((is(caEdit) || TagMod(f.tag, 97)) && (on & cfEdit)) {
    ControlChoice c = Make(skEdit);
    c.byHandle = true;
    return c;
  }
  if (is(caForm)) {
    ControlChoice c;
    c.formColour = true;
    c.walk = true;
    return c;
  }
  return {};
}

}  // namespace

ControlChoice ChooseSkinControl(const ControlFacts& f, const ChoiceSkin& s) {
  if (TagMod(f.tag, s.disableTag)) {
    ControlChoice c;
    c.skipped = true;
    return c;
  }
  const std::string name = Upper(f.className);
  if (std::optional<ControlChoice> c = FirstRules(f, s, name)) return *c;
  if (std::optional<ControlChoice> c = ValueRules(f, s, name)) return *c;
  return LastRules(f, s, name);
}

WindowChoice ChooseSkinWindow(std::string_view className, uint32_t style) {
  const std::string cls = Lower(className);
  if (cls == "button") {
    // The button's type is its low four style bits.
    switch (style & 0xF) {
      case 7:   // group box
      case 11:  // drawn by its owner
        return {};
      case 2:
      case 3:
      case 5:
      case 6:
        return {skCheckBox};
      case 4:
      case 9:
        return {skRadioButton};
      default:
        return {skButton};
    }
  }
  if (cls == "combobox") return (style & 3) != 1 ? WindowChoice{skComBox} : WindowChoice{};
  if (cls == "comboboxex32") return {skComBox, true};
  // A size box or grip is hidden; any other scroll-bar control is drawn from the skin.
  if (cls == "scrollbar")
    return (style & 0x18) ? WindowChoice{skSizer} : WindowChoice{skScrollBarControl};
  if (cls == "listbox") return {skScrollBar};
  if (cls == "syslistview32") return {skListView};
  if (cls == "systabcontrol32") return (style & 0x2000) ? WindowChoice{} : WindowChoice{skTab};
  // A multi-line edit with scroll bars gets skinned bars; other edits the flat border.
  if (cls == "edit")
    return ((style & 0x4) && (style & 0x00300000)) ? WindowChoice{skScrollBar}
                                                   : WindowChoice{skEdit};
  if (cls == "msctls_updown32") return {skUpDown};
  if (cls == "msctls_progress32") return {skProgress};
  if (cls == "msctls_trackbar32") return {skTrackBar};
  return {};
}

}  // namespace vpn::skin

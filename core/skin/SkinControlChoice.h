// Which skin control a child control of a skinned window gets: from the control's class
// name, the framework classes it derives from, its tag and styles, the kinds the skin
// data skins and the skin data's class-name mappings. The window walks its controls and
// asks; the answer says which skin control to make, how to attach it, and what else
// the walk does with the control.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vpn::skin {

// The skin-control classes a control can be given.
enum TSkinControlKind {
  skNone,
  skCheckBox,
  skRadioButton,
  skButton,
  skEdit,
  skComBox,
  skScrollBar,
  skStatusBar,
  skBox,
  skTrackBar,
  skUpDown,
  skProgress,
  skTab,
  skTab31,
  skSizer,
  skListView,
  skScrollBarControl,  // a scroll-bar control of its own (class "ScrollBar")
};

const char* SkinControlKindName(TSkinControlKind kind);

// Bits of the skin data's SkinControls set that the choice looks at (bit n for the n-th
// control kind of the set, in the order the skin data declares them).
enum TChoiceFlag : uint32_t {
  cfCombo = 1u << 4,
  cfCheckBox = 1u << 5,
  cfRadioButton = 1u << 6,
  cfProgress = 1u << 7,
  cfScrollbar = 1u << 8,
  cfEdit = 1u << 9,
  cfButton = 1u << 10,
  cfPanel = 1u << 13,
  cfStatusBar = 1u << 15,
  cfTab = 1u << 16,
};

// The framework classes a control derives from.
enum TControlAncestor : uint32_t {
  caCheckBox = 1u << 0,  // check boxes of every kind
  caStatusBar = 1u << 1,
  caComboBox = 1u << 2,  // drop-down lists of every kind
  caPanel = 1u << 3,     // panels of every kind
  caButton = 1u << 4,    // push buttons
  caEdit = 1u << 5,      // edits of every kind
  caForm = 1u << 6,      // a form placed inside another
  caListBox = 1u << 7,
};

struct ControlFacts {
  std::string className;  // as the class is named, e.g. "TComboBox"
  uint32_t ancestors = 0;
  int64_t tag = 0;
  bool windowed = false;
  bool scrollStyle = false;   // WS_VSCROLL or WS_HSCROLL
  bool upDownPicker = false;  // a date-time picker in up-down mode
};

struct ChoiceSkin {
  uint32_t skinControls = 0;  // TChoiceFlag bits
  const std::vector<std::string>* skin3rd = nullptr;
  bool tabElement = false;  // the skin holds tab pictures
  int32_t disableTag = 99;
};

struct ControlChoice {
  TSkinControlKind kind = skNone;
  bool byHandle = false;     // attached by window handle rather than as a control
  bool recolour = false;     // the control takes the skin's face colour while skinned
  bool walk = false;         // the control's own children are walked next
  bool skipped = false;      // the disable tag keeps the control as it is
  bool flat = false;         // made flat (tool bars, navigators)
  bool transparent = false;  // its published Transparent is switched on
  bool formColour = false;   // its Color becomes the skin's face colour
  bool noSizeGrip = false;   // a status bar loses its size grip
  // For check and radio groups: the kind each child control of the group gets.
  TSkinControlKind childKind = skNone;
  bool operator==(const ControlChoice&) const = default;
};

// The choice for an owned component of a form.
ControlChoice ChooseSkinControl(const ControlFacts& control, const ChoiceSkin& skin);

// The kind a Skin3rd list gives a class: the text after the first "=" of the first line
// that starts with the class name and "=" (letter case ignored, at most 50 characters),
// or nothing when no line names the class.
bool Skin3rdKind(const std::vector<std::string>& lines, std::string_view className,
                 std::string& kind);

// The choice for a child window of a plain window, from its class name and style (every
// kind counts, whatever the skin data's set says). `onFirstChild`: the skin control goes
// on the window's first child (the inner combo box of an extended combo box).
struct WindowChoice {
  TSkinControlKind kind = skNone;
  bool onFirstChild = false;
  bool operator==(const WindowChoice&) const = default;
};
WindowChoice ChooseSkinWindow(std::string_view className, uint32_t style);

}  // namespace vpn::skin

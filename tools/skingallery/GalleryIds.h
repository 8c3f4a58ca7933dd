// The skin gallery's window and the ids of its controls, which stay the same from build
// to build so that the tests and the benchmarks that drive the gallery find each control
// with GetDlgItem.
#pragma once

namespace gallery {

inline constexpr wchar_t kWindowClass[] = L"TSkinGallery";
inline constexpr wchar_t kWindowCaption[] = L"Skin gallery";

// Lines of the list box unless the command line asks for another number.
inline constexpr int kDefaultListLines = 200;
// Tabs of the crowded top tab row (more than fit: the row shows its scroll arrows).
inline constexpr int kTopTabCount = 12;
// Tabs of each of the other three tab controls.
inline constexpr int kSideTabCount = 3;

enum TGalleryControl : int {
  // Push buttons.
  gcButton = 1001,
  gcDefaultButton = 1002,
  gcDisabledButton = 1003,
  // Check and radio boxes and the group boxes around them.
  gcCheckBox = 1010,
  gcCheckedBox = 1011,
  gcDisabledCheckBox = 1012,
  gcThreeStateBox = 1013,
  gcRadioOne = 1014,
  gcRadioTwo = 1015,
  gcDisabledRadio = 1016,
  gcButtonGroup = 1020,
  gcChoiceGroup = 1021,
  // Edits and up-downs.
  gcEdit = 1030,
  gcSpinEdit = 1031,        // the buddy of gcSpinEditUpDown
  gcSpinEditUpDown = 1032,  // vertical, inside the edit's right edge
  gcUpDownHorz = 1033,
  gcUpDownDisabled = 1034,  // vertical, disabled
  // Scrolling controls.
  gcMemo = 1040,
  gcListBox = 1041,
  // Combo boxes: a drop-down list, and a drop-down with its button on the left
  // (left scroll bar, right-to-left reading).
  gcCombo = 1050,
  gcComboLeft = 1051,
  // Progress bars: the standard (block) look and the smooth one.
  gcProgress = 1060,
  gcProgressSmooth = 1061,
  // Track bars.
  gcTrackHorz = 1070,
  gcTrackVert = 1071,
  // Tab controls: tabs on top (an overflowing row), bottom, left and right.
  gcTabTop = 1080,
  gcTabBottom = 1081,
  gcTabLeft = 1082,
  gcTabRight = 1083,
  // The status bar.
  gcStatusBar = 1090,
};

// Menu commands.
enum TGalleryCommand : int {
  cmExit = 2001,
  cmDisableAll = 2010,
  cmPositionStart = 2020,
  cmPositionMiddle = 2021,
  cmPositionEnd = 2022,
  cmDisabledItem = 2030,
};

}  // namespace gallery

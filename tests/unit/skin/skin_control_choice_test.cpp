// Which skin control each child control of a skinned window gets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/skin/SkinControlChoice.h"

using namespace vpn::skin;

namespace {

// The kinds the program's skin data skins: everything but popup menus, system menus and
// the report designer.
constexpr uint32_t kProgramKinds = ((1u << 19) - 1) & ~(1u << 1) & ~(1u << 17) & ~(1u << 18);

const std::vector<std::string> kSkin3rd = {
    "TTBDock=Panel",
    "TRzButton=button",
    "TRzCheckGroup=CheckGroup",
    "TRzRadioGroup=Radiogroup",
    "TLMDTrackbar=trackbar",
    "TRzButtonEdit=Edit",
    "TOddity=Calendar",
    "TWWKeyCombo=combobox",
    "TRzTabs=Tab",
};

ChoiceSkin Skin(uint32_t kinds = kProgramKinds, bool tabs = true) {
  return ChoiceSkin{kinds, &kSkin3rd, tabs, 99};
}

ControlFacts Facts(const char* cls, uint32_t ancestors = 0, int64_t tag = 0, bool windowed = true,
                   bool scroll = false) {
  return ControlFacts{cls, ancestors, tag, windowed, scroll, false};
}

}  // namespace

TEST(SkinControlChoice, TheFrameworksControls) {
  const ChoiceSkin s = Skin();
  ControlChoice c = ChooseSkinControl(Facts("TMaskEdit", caEdit), s);
  EXPECT_EQ(c.kind, skEdit);
  EXPECT_TRUE(c.byHandle);
  EXPECT_TRUE(ChooseSkinControl(Facts("TCheckBox", caCheckBox), s).recolour);
  EXPECT_EQ(ChooseSkinControl(Facts("TListBox", caListBox), s).kind, skScrollBar);
  EXPECT_TRUE(ChooseSkinControl(Facts("TStatusBar", caStatusBar), s).noSizeGrip);
  c = ChooseSkinControl(Facts("TPanel", caPanel), s);
  EXPECT_EQ(c.kind, skBox);
  EXPECT_TRUE(c.walk);
  c = ChooseSkinControl(Facts("TForm2", caForm), s);
  EXPECT_EQ(c.kind, skNone);
  EXPECT_TRUE(c.walk);
  EXPECT_TRUE(c.formColour);
  EXPECT_EQ(ChooseSkinControl(Facts("TLabel", 0, 0, false, true), s), ControlChoice{});
}

TEST(SkinControlChoice, TagsDisableAndSteer) {
  const ChoiceSkin s = Skin();
  for (int64_t tag : {99, 199, 2099}) {
    const ControlChoice c = ChooseSkinControl(Facts("TButton", caButton, tag), s);
    EXPECT_TRUE(c.skipped) << tag;
    EXPECT_EQ(c.kind, skNone) << tag;
  }
  EXPECT_FALSE(ChooseSkinControl(Facts("TButton", caButton, -99), s).skipped);
  EXPECT_FALSE(ChooseSkinControl(Facts("TButton", caButton, 98), s).skipped);
  // 95 makes a drop-down list of anything, ahead of the edit rule; 96 and 55 a
  // scrolling control; 97 an edit.
  EXPECT_EQ(ChooseSkinControl(Facts("TEdit", caEdit, 195), s).kind, skComBox);
  EXPECT_EQ(ChooseSkinControl(Facts("TWebBrowser", 0, 96), s).kind, skScrollBar);
  EXPECT_EQ(ChooseSkinControl(Facts("TWebBrowser", 0, 55), s).kind, skScrollBar);
  EXPECT_EQ(ChooseSkinControl(Facts("TWebBrowser", 0, 155), s).kind, skNone);
  EXPECT_EQ(ChooseSkinControl(Facts("TWebBrowser", 0, 97), s).kind, skEdit);
}

TEST(SkinControlChoice, MappedClassesEndTheSearch) {
  const ChoiceSkin s = Skin();
  // Matched whatever the letter case, by the first line that names the class.
  ControlChoice c = ChooseSkinControl(Facts("TRZBUTTONEDIT", caEdit), s);
  EXPECT_EQ(c.kind, skEdit);
  EXPECT_TRUE(c.byHandle);
  c = ChooseSkinControl(Facts("TTBDock"), s);
  EXPECT_EQ(c.kind, skBox);
  EXPECT_TRUE(c.transparent);
  c = ChooseSkinControl(Facts("TRzRadioGroup", caPanel), s);
  EXPECT_EQ(c.kind, skBox);
  EXPECT_EQ(c.childKind, skRadioButton);
  EXPECT_EQ(ChooseSkinControl(Facts("TRzCheckGroup", caPanel), s).childKind, skCheckBox);
  // The group's children stay plain when radio buttons are not skinned.
  EXPECT_EQ(ChooseSkinControl(Facts("TRzCheckGroup", caPanel), Skin(kProgramKinds & ~cfRadioButton))
                .childKind,
            skNone);
  EXPECT_EQ(ChooseSkinControl(Facts("TLMDTrackbar"), s).kind, skTrackBar);
  EXPECT_EQ(ChooseSkinControl(Facts("TRzTabs"), s).kind, skTab);
  EXPECT_EQ(ChooseSkinControl(Facts("TRzTabs"), Skin(kProgramKinds, false)).kind, skNone);
  // A mapped class with an unknown kind, or with its kind switched off, stays plain
  // although a later rule would have skinned it.
  EXPECT_EQ(ChooseSkinControl(Facts("TOddity", caButton), s), ControlChoice{});
  EXPECT_EQ(ChooseSkinControl(Facts("TRzButton", caButton), Skin(kProgramKinds & ~cfButton)),
            ControlChoice{});
  // A line must name the whole class: "TRzButtonX" is not "TRzButton".
  EXPECT_EQ(ChooseSkinControl(Facts("TRzButtonX", caButton), s).kind, skButton);
  std::string kind;
  EXPECT_FALSE(Skin3rdKind(kSkin3rd, "TRz", kind));
  ASSERT_TRUE(Skin3rdKind({"a=" + std::string(80, 'x')}, "A", kind));
  EXPECT_EQ(kind.size(), 50u);
  // Short, empty and bare lines name nothing; the first whole name wins, in any case.
  EXPECT_FALSE(Skin3rdKind({"", "TRz", "TRzButton", "TRzButto="}, "TRzButton", kind));
  ASSERT_TRUE(Skin3rdKind({"", "trzBUTTON=BuTTon", "TRzButton=Edit"}, "TRzButton", kind));
  EXPECT_EQ(kind, "button");
}

TEST(SkinControlChoice, ASwitchedOffKindFallsThroughToLaterRules) {
  // A drop-down list with its kind off is still a scrolling window.
  const ChoiceSkin noCombo = Skin(kProgramKinds & ~cfCombo);
  EXPECT_EQ(ChooseSkinControl(Facts("TComboBox", caComboBox, 0, true, true), noCombo).kind,
            skScrollBar);
  EXPECT_EQ(ChooseSkinControl(Facts("TComboBox", caComboBox, 0, true, false), noCombo).kind,
            skNone);
  // A panel with panels off is not walked.
  EXPECT_EQ(ChooseSkinControl(Facts("TPanel", caPanel), Skin(kProgramKinds & ~cfPanel)),
            ControlChoice{});
  // Nothing at all when the set is empty, except the walk into embedded forms.
  EXPECT_EQ(ChooseSkinControl(Facts("TButton", caButton), Skin(0)).kind, skNone);
  EXPECT_TRUE(ChooseSkinControl(Facts("TFrame1", caForm), Skin(0)).walk);
}

TEST(SkinControlChoice, NamedClassesOfOtherLibraries) {
  const ChoiceSkin s = Skin();
  EXPECT_EQ(ChooseSkinControl(Facts("TQRPreview", caPanel), s), ControlChoice{});
  ControlChoice c = ChooseSkinControl(Facts("TToolBar"), s);
  EXPECT_TRUE(c.flat);
  EXPECT_EQ(c.kind, skNone);
  EXPECT_EQ(ChooseSkinControl(Facts("TTabSet"), Skin(kProgramKinds, false)).kind, skNone);
  // The framework's tab and page controls are tab windows, skinned by handle while the
  // skin has tab pictures; their pages take the face colour.
  for (const char* name : {"TPageControl", "TTabControl"}) {
    ControlChoice tabs = ChooseSkinControl(Facts(name), s);
    EXPECT_EQ(tabs.kind, skTab) << name;
    EXPECT_TRUE(tabs.byHandle) << name;
    EXPECT_EQ(ChooseSkinControl(Facts(name), Skin(kProgramKinds, false)).kind, skNone) << name;
  }
  const ControlChoice page = ChooseSkinControl(Facts("TTabSheet"), s);
  EXPECT_EQ(page.kind, skBox);
  EXPECT_TRUE(page.recolour);
  ControlFacts picker = Facts("TDateTimePicker");
  EXPECT_EQ(ChooseSkinControl(picker, s).kind, skComBox);
  picker.upDownPicker = true;
  EXPECT_EQ(ChooseSkinControl(picker, s).kind, skEdit);
  EXPECT_EQ(ChooseSkinControl(Facts("TRichEdit", caEdit), s).kind, skScrollBar);
  EXPECT_EQ(ChooseSkinControl(Facts("TProgressBar"), s).kind, skProgress);
  EXPECT_EQ(ChooseSkinControl(Facts("TProgressBar"), Skin(kProgramKinds & ~cfProgress)).kind,
            skNone);
}

TEST(SkinControlChoice, ChildWindowsOfPlainWindows) {
  // Buttons by their type (the low four style bits); other style bits do not count.
  EXPECT_EQ(ChooseSkinWindow("Button", 0x50010000), (WindowChoice{skButton}));
  EXPECT_EQ(ChooseSkinWindow("BUTTON", 1), (WindowChoice{skButton}));
  for (uint32_t check : {2u, 3u, 5u, 6u})
    EXPECT_EQ(ChooseSkinWindow("button", 0x50000000 | check).kind, skCheckBox) << check;
  for (uint32_t radio : {4u, 9u}) EXPECT_EQ(ChooseSkinWindow("button", radio).kind, skRadioButton);
  EXPECT_EQ(ChooseSkinWindow("button", 7).kind, skNone);   // group box
  EXPECT_EQ(ChooseSkinWindow("button", 11).kind, skNone);  // drawn by its owner
  EXPECT_EQ(ChooseSkinWindow("button", 0x2000 | 12).kind, skButton);
  EXPECT_EQ(ChooseSkinWindow("ComboBox", 2).kind, skComBox);
  EXPECT_EQ(ChooseSkinWindow("ComboBox", 1).kind, skNone);  // a list that is always open
  EXPECT_EQ(ChooseSkinWindow("ComboBoxEx32", 0), (WindowChoice{skComBox, true}));
  EXPECT_EQ(ChooseSkinWindow("ScrollBar", 0x10).kind, skSizer);  // size grip
  EXPECT_EQ(ChooseSkinWindow("ScrollBar", 0x08).kind, skSizer);  // size box
  EXPECT_EQ(ChooseSkinWindow("ScrollBar", 0x01).kind, skScrollBarControl);
  EXPECT_EQ(ChooseSkinWindow("ListBox", 0x00200000).kind, skScrollBar);
  EXPECT_EQ(ChooseSkinWindow("SysListView32", 1).kind, skListView);
  EXPECT_EQ(ChooseSkinWindow("Edit", 0x00200004).kind, skScrollBar);  // memo with a bar
  EXPECT_EQ(ChooseSkinWindow("Edit", 0x4).kind, skEdit);
  EXPECT_EQ(ChooseSkinWindow("SysTabControl32", 0).kind, skTab);
  EXPECT_EQ(ChooseSkinWindow("SysTabControl32", 0x2000).kind, skNone);
  EXPECT_EQ(ChooseSkinWindow("Edit", 0).kind, skEdit);
  EXPECT_EQ(ChooseSkinWindow("Static", 0).kind, skNone);
  EXPECT_EQ(ChooseSkinWindow("msctls_updown32", 0x40).kind, skUpDown);
  EXPECT_EQ(ChooseSkinWindow("msctls_progress32", 0).kind, skProgress);
  EXPECT_EQ(ChooseSkinWindow("msctls_trackbar32", 2).kind, skTrackBar);
  EXPECT_STREQ(SkinControlKindName(skComBox), "TSkinComBox");
}

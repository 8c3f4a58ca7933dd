// The skinned frame's window-free decisions, asked the way the frame asks them.
#include <gtest/gtest.h>

#include <vector>

#include "core/skin/SkinFrame.h"

using namespace vpn::skin;

namespace {

// The caption buttons of the program's skin: action, visibility, visibility1.
struct Button {
  const char* name;
  int action, visibility, visibility1;
};
const Button kSkinButtons[] = {
    {"system menu", 3, 0, 0}, {"close", 0, 0, 0},     {"maximize", 1, 2, 6},
    {"restore", 1, 1, 6},     {"minimize", 2, 8, 6},  {"minimize alone", 2, 8, 7},
    {"help", 4, 10, 10},      {"roll up", 5, 11, 11}, {"mdi minimize", 7, 100, 100},
};

std::vector<std::string> Shown(const SysButtonWindow& w) {
  std::vector<std::string> out;
  for (const Button& b : kSkinButtons)
    if (SysButtonShown(b.action, b.visibility, b.visibility1, w)) out.push_back(b.name);
  return out;
}

}  // namespace

TEST(SkinFrame, FrameSizesFollowTheBorderStrips) {
  // Sides are strips side by side, title and bottom stacked: the program's skin gives
  // 4, 30, 4, 4; another skin its own numbers.
  EXPECT_EQ(FrameSizesOf({8, 40, 2}, {8, 40, 2}, {64, 60, 2}, {16, 8, 2}, bkFramed),
            (FrameSizes{4, 30, 4, 4}));
  EXPECT_EQ(FrameSizesOf({18, 9, 3}, {7, 30, 1}, {40, 66, 3}, {10, 12, 2}, bkThin),
            (FrameSizes{6, 22, 7, 6}));
  // Missing pictures give no frame; a frame count of 0 or less counts as one frame.
  EXPECT_EQ(FrameSizesOf({}, {}, {}, {}, bkFramed), (FrameSizes{0, 0, 0, 0}));
  EXPECT_EQ(FrameSizesOf({5, 5, 0}, {5, 5, -3}, {5, 5, 0}, {5, 5, 1}, bkFramed),
            (FrameSizes{5, 5, 5, 5}));
  // A popup without a caption keeps the system's frame whatever the skin says.
  EXPECT_EQ(FrameSizesOf({8, 40, 2}, {8, 40, 2}, {64, 60, 2}, {16, 8, 2}, bkSystem),
            (FrameSizes{}));
}

TEST(SkinFrame, ClientAreaAndOuterSizeAgree) {
  const FrameSizes f{4, 30, 5, 6};
  for (int menu : {0, 19}) {
    const OuterSize o = OuterSizeOf(351, 239, f, menu);
    EXPECT_EQ(o, (OuterSize{351 + 9, 239 + 36 + menu}));
    const TPixelRect window{100, 50, 100 + o.width, 50 + o.height};
    const TPixelRect client = ClientBoxOf(window, f, menu);
    EXPECT_EQ(client, (TPixelRect{104, 80 + menu, 100 + o.width - 5, 50 + o.height - 6}));
    EXPECT_EQ(client.Width(), 351);
    EXPECT_EQ(client.Height(), 239);
  }
  const FramePieces p = FramePiecesOf(360, 275, f);
  EXPECT_EQ(p.Left, (TPixelRect{0, 0, 4, 275}));
  EXPECT_EQ(p.Right, (TPixelRect{355, 0, 360, 275}));
  EXPECT_EQ(p.Bottom, (TPixelRect{4, 269, 355, 275}));
  EXPECT_EQ(p.Title, (TPixelRect{4, 0, 355, 30}));
}

TEST(SkinFrame, TopRowsDoNotDragAndBelowTheTitleIsTheMenuRow) {
  for (int y = -2; y <= 3; ++y) EXPECT_EQ(FrameRowAt(y, 30), frEdge) << y;
  for (int y = 4; y <= 30; ++y) EXPECT_EQ(FrameRowAt(y, 30), frCaption) << y;
  EXPECT_EQ(FrameRowAt(31, 30), frMenu);
  EXPECT_EQ(FrameRowAt(3, 2), frMenu);  // a title thinner than the edge
}

TEST(SkinFrame, AFrameNumberBeyondTheStripFallsBackToTheFirst) {
  EXPECT_EQ(BorderFrameOf(false, 0), 1);
  EXPECT_EQ(SysButtonFrameOf(nsNormal, false, 3, 0), 1);  // no inactive frame
  EXPECT_EQ(SysButtonFrameOf(nsHot, true, 4, kMenuBarButton), 4);
  EXPECT_EQ(SysButtonFrameOf(nsHot, true, 2, 0), 1);
  EXPECT_EQ(SysButtonFrameOf(nsHot, true, 3, kMenuBarButton), 1);
  EXPECT_EQ(SysButtonFrameOf(nsPressed, true, 1, 0), 1);
}

TEST(SkinFrame, CaptionButtonActionsComeToTheirCommands) {
  // Each command has two action numbers in skins; a number the skin does not know is
  // the program's own button.
  const std::pair<int, TCaptionCommand> table[] = {{0, ccClose},
                                                   {1, ccMaximizeOrRestore},
                                                   {22, ccMaximizeOrRestore},
                                                   {2, ccMinimizeOrRestore},
                                                   {23, ccMinimizeOrRestore},
                                                   {3, ccSystemMenu},
                                                   {11, ccSystemMenu},
                                                   {12, ccSystemMenu},
                                                   {7, ccChildMinimize},
                                                   {60, ccChildMinimize},
                                                   {8, ccChildRestore},
                                                   {61, ccChildRestore},
                                                   {9, ccChildClose},
                                                   {62, ccChildClose},
                                                   {4, ccProgram},
                                                   {40, ccProgram},
                                                   {-1, ccProgram},
                                                   {100, ccProgram}};
  for (const auto& [action, command] : table)
    EXPECT_EQ(CaptionCommandOf(action), command) << action;
  EXPECT_TRUE(ShowsWindowIcon(3));
  EXPECT_TRUE(ShowsWindowIcon(11));
  EXPECT_FALSE(ShowsWindowIcon(12));
}

TEST(SkinFrame, CaptionButtonsFollowTheWindowsBoxes) {
  // The program's windows: system menu and minimise box, no maximise box.
  SysButtonWindow w{bkFramed, true, false, true, false, true, false};
  EXPECT_EQ(Shown(w), (std::vector<std::string>{"system menu", "close", "minimize alone"}));
  // With a maximise box the pair shows; maximised, restore takes maximise's place.
  w.maxBox = true;
  EXPECT_EQ(Shown(w), (std::vector<std::string>{"system menu", "close", "maximize", "minimize"}));
  w.maximised = true;
  EXPECT_EQ(Shown(w), (std::vector<std::string>{"system menu", "close", "restore", "minimize"}));
  // Without a system menu there is no close button and no minimise button (the skin
  // asks for both boxes there), but the maximise button asks for its box alone; a thin
  // frame has no icon either.
  SysButtonWindow bare{bkThin, false, true, true, false, true, false};
  EXPECT_EQ(Shown(bare), (std::vector<std::string>{"maximize"}));
  bare.border = bkFramed;
  EXPECT_EQ(Shown(bare), (std::vector<std::string>{"system menu", "maximize"}));
  // An MDI frame with a maximised child shows the child's buttons in its menu bar.
  SysButtonWindow mdi{bkFramed, true, false, false, false, true, true};
  EXPECT_EQ(Shown(mdi), (std::vector<std::string>{"system menu", "close", "mdi minimize"}));
}

TEST(SkinFrame, VisibilityConditionsOfActivationAndRanges) {
  SysButtonWindow w;
  w.active = false;
  EXPECT_FALSE(SysButtonShown(5, 3, 0, w));
  EXPECT_TRUE(SysButtonShown(5, 4, 4, w));
  EXPECT_TRUE(SysButtonShown(5, 200, 2000, w));
  EXPECT_FALSE(SysButtonShown(5, 199, 0, w));
  EXPECT_FALSE(SysButtonShown(5, 0, 2001, w));
  EXPECT_FALSE(SysButtonShown(5, 5, 0, w));
}

TEST(SkinFrame, ButtonsAreLaidOutByTheirAlignment) {
  TitleMetrics m{359, {4, 30, 4, 4}, 0, 0, false};
  CaptionSpec c;
  c.textWidth = 100;
  c.textHeight = 14;
  c.shift = 28;
  c.backLeft = 9;
  c.backRight = 9;
  c.rightClip = 100;
  const std::vector<SysButtonSpec> specs = {
      {0, 8, 7, 16, 16},    // icon at its own place
      {1, 36, 4, 28, 22},   // close, from the right edge
      {1, 66, 4, 28, 22},   // minimise, further left: the caption limit
      {2, 3, 5, 10, 10},    // left of the caption text box
      {3, 2, 5, 10, 10},    // right of it
      {100, 10, 0, 12, 8},  // in the menu row
      {8, 0, 1, 6, 6},     {9, 0, 1, 6, 6},
  };
  m.menuHeight = 20;
  m.menuBarMargin = 5;
  TitleLayout l = LayoutTitle(specs, c, m);
  EXPECT_EQ(l.buttons[0], (TPixelRect{8, 7, 24, 23}));
  EXPECT_EQ(l.buttons[1], (TPixelRect{323, 4, 351, 26}));
  EXPECT_EQ(l.buttons[2], (TPixelRect{293, 4, 321, 26}));
  EXPECT_EQ(l.captionLimit, 293);
  // Text box: 4 + 28 = 32, 118 wide, centred on the 30-pixel title.
  EXPECT_EQ(l.textBox, (TPixelRect{32, 8, 150, 22}));
  EXPECT_EQ(l.textRect, (TPixelRect{41, 8, 141, 22}));
  EXPECT_EQ(l.buttons[3], (TPixelRect{32 - 10 - 3, 5, 32 - 3, 15}));
  EXPECT_EQ(l.buttons[4], (TPixelRect{152, 5, 162, 15}));
  EXPECT_EQ(l.buttons[5], (TPixelRect{359 - 10 - 4 - 5, 36, 359 - 4 - 5 - 10 + 12, 44}));
  EXPECT_EQ(l.buttons[6], (TPixelRect{26, 1, 32, 7}));
  EXPECT_EQ(l.buttons[7], (TPixelRect{150, 1, 156, 7}));
  m.rightToLeft = true;
  l = LayoutTitle(specs, c, m);
  EXPECT_EQ(l.buttons[5].Left, 4 + 10 + 5);
  // Without right-aligned buttons the limit is the title's right edge.
  l = LayoutTitle({}, c, m);
  EXPECT_EQ(l.captionLimit, 355);
}

TEST(SkinFrame, CaptionTextBoxByAlignment) {
  const TitleMetrics m{300, {10, 24, 6, 4}, 0, 0, false};
  CaptionSpec c;
  c.textWidth = 80;
  c.textHeight = 13;
  c.shift = 20;
  c.rightClip = 30;
  c.backLeft = 4;
  c.backRight = 6;
  c.shiftVert = 3;  // half of it, truncated: 1
  // Left: at the shift from the title's left edge.
  TitleLayout l = LayoutTitle({}, c, m);
  EXPECT_EQ(l.textBox, (TPixelRect{30, 6, 120, 19}));
  EXPECT_EQ(l.textRect, (TPixelRect{34, 6, 114, 19}));
  // Centred in the title (10 .. 294).
  c.alignment = 1;
  l = LayoutTitle({}, c, m);
  EXPECT_EQ(l.textBox.Left, 10 + (284 - 90) / 2);
  EXPECT_EQ(l.textBox.Width(), 90);
  // Right: ending rightClip before the title's right edge; right-to-left alike.
  c.alignment = 2;
  l = LayoutTitle({}, c, m);
  EXPECT_EQ(l.textBox, (TPixelRect{294 - 30 - 90, 6, 294 - 30, 19}));
  c.alignment = 0;
  c.rightToLeft = true;
  EXPECT_EQ(LayoutTitle({}, c, m).textBox, l.textBox);
  c.rightToLeft = false;
  // Negative vertical shifts truncate toward zero on each half.
  c.shiftVert = -3;
  c.textHeight = 14;
  EXPECT_EQ(LayoutTitle({}, c, m).textBox.Top, 5 - 1);
  c.textHeight = 13;
  c.shiftVert = 0;
  // A long caption is cut back before rightClip; a popup's box reaches out instead to 5
  // pixels before the leftmost right-aligned button.
  c.textWidth = 400;
  l = LayoutTitle({}, c, m);
  EXPECT_EQ(l.textBox.Right, 294 - 30);
  EXPECT_EQ(l.textRect.Right, 294 - 30 - 6);
  c.textWidth = 40;
  c.popup = true;
  l = LayoutTitle({{1, 50, 3, 20, 18}}, c, m);
  EXPECT_EQ(l.captionLimit, 250);
  EXPECT_EQ(l.textBox.Right, 245);
  c.textWidth = 400;  // already beyond: left as measured
  EXPECT_EQ(LayoutTitle({{1, 50, 3, 20, 18}}, c, m).textBox.Right, 30 + 410);
}

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/skin/SkinModel.h"
#include "core/skin/SkinReader.h"
#include "skins/DefaultSkin.h"

namespace {

std::vector<uint8_t> EmbeddedPackedSkin() {
  const int32_t length = vpn::skin::ReadLE32(DefaultSkinStream);
  EXPECT_EQ(static_cast<unsigned>(length) + 4, DefaultSkinStreamSize);
  return std::vector<uint8_t>(DefaultSkinStream + 4, DefaultSkinStream + 4 + length);
}

// Every frame of a strip has the same whole size.
void ExpectStrip(const TDataSkinObject* e, int frames, bool vertical, const char* what) {
  ASSERT_NE(e, nullptr) << what;
  EXPECT_EQ(e->FrameCount, frames) << what;
  ASSERT_FALSE(e->Bitmap.Empty()) << what;
  EXPECT_EQ((vertical ? e->Bitmap.Height : e->Bitmap.Width) % frames, 0) << what;
}

}  // namespace

TEST(DefaultSkin, ArchiveHoldsTheMembersInOrderAndPacksWell) {
  const std::vector<uint8_t> packed = EmbeddedPackedSkin();
  TSkinReader r;
  ASSERT_TRUE(r.Load(packed)) << r.LastError;
  const std::vector<std::string> expected = {"menuitembg.bmp",
                                             "arrows.bmp",
                                             "hscroll.bmp",
                                             "vscroll.bmp",
                                             "hscroll2.bmp",
                                             "vscroll2.bmp",
                                             "buttons-mdi.bmp",
                                             "toolbarback.bmp",
                                             "toolbarsnew.bmp",
                                             "menutitlebg.bmp",
                                             "min1.bmp",
                                             "close1.bmp",
                                             "rollup3a.bmp",
                                             "rollup1a.bmp",
                                             "help.bmp",
                                             "max1.bmp",
                                             "minover.bmp",
                                             "maxover.bmp",
                                             "closeover1.bmp",
                                             "closeover.bmp",
                                             "skin.ini",
                                             "tabs.bmp",
                                             "mac-tab-borders.bmp",
                                             "top.bmp",
                                             "bottom.bmp",
                                             "left.bmp",
                                             "right.bmp",
                                             "menu.bmp",
                                             "dialog.bmp",
                                             "buttons.bmp",
                                             "check.bmp",
                                             "radio.bmp",
                                             "pbars.bmp",
                                             "status.bmp",
                                             "combo.bmp",
                                             "sunkedge.bmp",
                                             "combo-arrows.bmp",
                                             "header.bmp",
                                             "menubg.bmp"};
  EXPECT_EQ(r.Names, expected);
  size_t unpacked = 0;
  for (int32_t s : r.Sizes) unpacked += static_cast<size_t>(s);
  EXPECT_LT(packed.size() * 2, unpacked);
}

TEST(DefaultSkin, EverySlotIsFilledWithTheFramesTheModelNeeds) {
  TSkinModel s;
  s.PackedSkin = EmbeddedPackedSkin();
  ASSERT_TRUE(s.LoadSkinStore());
  EXPECT_FALSE(s.SkinNotLoaded);
  EXPECT_EQ(s.SkinName, "Slate Blue");

  ExpectStrip(s.LeftBorder.get(), 2, false, "Left");
  ExpectStrip(s.RightBorder.get(), 2, false, "Right");
  ExpectStrip(s.TopBorder.get(), 2, true, "Top");
  ExpectStrip(s.BottomBorder.get(), 2, true, "Bottom");
  // The sides run beside the title: their fixed top part is the title's height.
  EXPECT_EQ(s.LeftBorder->TopHeight, s.TopBorder->Bitmap.Height / 2);
  EXPECT_EQ(s.LeftBorder->Bitmap.Height, s.RightBorder->Bitmap.Height);
  ExpectStrip(s.Title.get(), 2, true, "Title");
  ExpectStrip(s.Buttons.get(), 5, false, "Buttons");
  EXPECT_EQ(s.Buttons->CheckBitmap.Width % s.Buttons->CheckButtonFrame, 0);
  EXPECT_EQ(s.Buttons->RadioBitmap.Width % s.Buttons->RadioButtonFrame, 0);
  EXPECT_GE(s.Buttons->CheckButtonFrame, 4);
  EXPECT_GE(s.Buttons->RadioButtonFrame, 4);
  ExpectStrip(s.Progress.get(), 2, false, "Progress");
  EXPECT_FALSE(s.Progress->Bitmap2.Empty());
  ExpectStrip(s.MenuBarImage.get(), 2, true, "menuBar");
  ExpectStrip(s.GroupBoxEdge.get(), 2, false, "GroupBoxEdge");
  ExpectStrip(s.Toolbars.get(), 5, false, "Toolbars");
  ExpectStrip(s.Tabs.get(), 5, false, "Tabs");
  EXPECT_FALSE(s.Tabs->Bitmap2.Empty());
  ExpectStrip(s.StatusBarEdges.get(), 3, false, "StatusBarEdges");
  ExpectStrip(s.ComboButton.get(), 4, false, "ComboButton");
  EXPECT_EQ(s.ComboButton->Bitmap2.Width, s.ComboButton->Bitmap.Width);
  ExpectStrip(s.SunkEdge.get(), 4, false, "SunkEdge");
  ExpectStrip(s.ExtraImages.get(), 5, false, "ExtraImages");
  ExpectStrip(s.Headerbar.get(), 5, false, "Headerbar");
  ExpectStrip(s.MenuItem.get(), 5, false, "MenuItem");
  ExpectStrip(s.MenuBackground.get(), 1, false, "MenuBackground");
  ExpectStrip(s.Scrollbar.get(), 23, false, "Scrollbar");
  ExpectStrip(s.HorzScroll.get(), 4, false, "HorzScroll");
  ExpectStrip(s.VertScroll.get(), 4, false, "VertScroll");
  ExpectStrip(s.HorzScrollThumb.get(), 3, false, "HorzScrollThumb");
  ExpectStrip(s.VertScrollThumb.get(), 3, false, "VertScrollThumb");
  for (const auto* e :
       {s.TrackbarThumbHorz.get(), s.TrackbarThumbVert.get(), s.TrackbarThumbLeft.get(),
        s.TrackbarThumbRight.get(), s.TrackbarThumbUp.get(), s.TrackbarThumbDown.get()})
    ExpectStrip(e, 5, false, "Trackbar thumb");
  for (const auto* e : {s.UpDownHorz.get(), s.UpDownVert.get()}) {
    ExpectStrip(e, 8, false, "UpDown");
    ASSERT_FALSE(e->Bitmap2.Empty());
    EXPECT_EQ(e->Bitmap2.Width % 8, 0);
  }

  // Caption buttons, then the three MDI buttons cut from their strip.
  ASSERT_EQ(s.SysButtonElements.size(), 9u + 3u);
  int withPicture = 0;
  for (size_t i = 0; i < s.SysButtonElements.size(); ++i) {
    const TDataSkinSysButton& b = *s.SysButtonElements[i];
    if (b.Action == 3) {
      EXPECT_TRUE(b.Bitmap.Empty());  // the window icon
      continue;
    }
    ASSERT_FALSE(b.Bitmap.Empty()) << b.Name;
    EXPECT_EQ(b.Bitmap.Width % b.FrameCount, 0) << b.Name;
    ++withPicture;
  }
  EXPECT_EQ(withPicture, 11);
  EXPECT_EQ(s.SysButtonElements[0]->Name, "BUTTONSYSTEMMENU");
  const TDataSkinSysButton* help = s.SysButtonElements[6].get();
  EXPECT_EQ(help->Name, "BUTTONHELP");
  EXPECT_EQ(help->FrameCount, 3);  // derived from its shape
  for (int k = 0; k < 3; ++k) {
    const TDataSkinSysButton& mdi = *s.SysButtonElements[9 + k];
    EXPECT_EQ(mdi.Action, 7 + k);
    EXPECT_EQ(mdi.Bitmap.Width, 4 * (s.SysButtonElements[9]->Bitmap.Width / 4));
  }
  EXPECT_EQ(s.Palette.size(), 10u);
  EXPECT_EQ(s.Colours.ButtonFace, vpn::skin::RgbColour(241, 245, 249));
}

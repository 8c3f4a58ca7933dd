#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/skin/IniText.h"
#include "core/skin/SkinModel.h"
#include "tools/skinpack/LzhEncoder.h"
#include "tools/skinpack/SkinArchive.h"

using namespace vpn::skin;

namespace {

// A picture whose pixel (x, y) is x + 1000 * y, so crops and mirrors can be checked.
std::vector<uint8_t> Bmp(int w, int h) {
  TSkinPicture p;
  p.Width = w;
  p.Height = h;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p.Pixels.push_back(static_cast<uint32_t>(x + 1000 * y));
  return EncodeBmp24(p);
}

struct Skin {
  std::vector<skinpack::Member> members;
  Skin& Pic(const std::string& name, int w, int h) {
    members.push_back({name, Bmp(w, h)});
    return *this;
  }
  std::vector<uint8_t> Packed(const std::string& ini) const {
    std::vector<skinpack::Member> all = members;
    all.push_back({"test.ini", std::vector<uint8_t>(ini.begin(), ini.end())});
    return skinpack::LzhPack(skinpack::WriteArchive(all));
  }
};

class Model : public TSkinModel {
 public:
  bool Load(const std::vector<uint8_t>& packed) {
    PackedSkin = packed;
    return LoadSkinStore();
  }
  std::vector<std::string> messages;
  int reads = 0;

 protected:
  void ShowSkinMessage(const std::string& text) override { messages.push_back(text); }
  void SkinRead() override { ++reads; }
};

}  // namespace

TEST(SkinSettings, IniLookupIgnoresCaseAndKeepsTheFirst) {
  IniText ini(
      "; comment\r\nstray=1\r\n[Sec]\r\n  Key = some value  \r\nkey=second\r\nq=\"quoted\"\r\n"
      "novalue\r\n[SEC]\r\nother=x\r\n[Num]\r\nhex1=0x1F\r\nhex2=$ff\r\nneg=-12\r\nbad=12a\r\n"
      "big=4294967296\r\nfull=$FFFFFFFF\r\n");
  EXPECT_EQ(ini.ReadString("sec", "KEY"), "some value");
  EXPECT_EQ(ini.ReadString("Sec", "q"), "quoted");
  EXPECT_EQ(ini.ReadString("Sec", "other", "def"), "def");  // the first [Sec] is read
  EXPECT_EQ(ini.ReadString("none", "stray", "def"), "def");
  EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"Sec", "SEC", "Num"}));
  EXPECT_EQ(ini.ReadInteger("num", "hex1", 0), 31);
  EXPECT_EQ(ini.ReadInteger("num", "hex2", 0), 255);
  EXPECT_EQ(ini.ReadInteger("num", "neg", 0), -12);
  EXPECT_EQ(ini.ReadInteger("num", "bad", 7), 7);
  EXPECT_EQ(ini.ReadInteger("num", "big", 7), 7);
  EXPECT_EQ(ini.ReadInteger("num", "full", 7), -1);
  EXPECT_EQ(ini.ReadInteger("num", "missing", 7), 7);
  EXPECT_EQ(ini.ReadInteger("sec", "novalue", 7), 7);
}

TEST(SkinSettings, SectionListHasTheSizeOfOneRead) {
  std::string text;
  for (int i = 0; i < 2000; ++i) text += "[Section" + std::to_string(10000 + i) + "]\r\n";
  IniText ini(text);
  const size_t listed = ini.SectionNames().size();
  EXPECT_EQ(listed, (16384 - 1) / 13);  // 12 characters and a NUL each
  EXPECT_TRUE(ini.HasSection("Section11999"));
}

TEST(SkinSettings, ParseColour) {
  EXPECT_EQ(ParseColour("239 239 239", 5), RgbColour(239, 239, 239));
  EXPECT_EQ(ParseColour("1,2,3,4", 5), RgbColour(1, 2, 3));
  EXPECT_EQ(ParseColour("1,2,3,4,", 5), RgbColour(1, 2, 3));
  EXPECT_EQ(ParseColour("12", 5), RgbColour(0, 0, 0));
  EXPECT_EQ(ParseColour("1 2", 5), RgbColour(1, 0, 0));
  EXPECT_EQ(ParseColour("", 5), 5);
  EXPECT_EQ(ParseColour("  10 , 20 ; 30  ", 5), RgbColour(10, 20, 30));
  EXPECT_EQ(ParseColour("256 257 511", 5), RgbColour(0, 1, 255));
  EXPECT_EQ(ParseColour("r10g20b30", 5), RgbColour(10, 20, 30));
  // A number beyond 32 bits is not taken; its digits stay and swallow what follows.
  EXPECT_EQ(ParseColour("99999999999 5 6 7", 5), RgbColour(0, 0, 0));
  EXPECT_EQ(ParseColour("7 8 99999999999 5", 5), RgbColour(7, 8, 0));
  EXPECT_EQ(ParseColour("x", 5), RgbColour(0, 0, 0));
}

TEST(SkinSettings, Borders) {
  Model m;
  ASSERT_TRUE(m.Load(Skin()
                         .Pic("left.bmp", 8, 40)
                         .Pic("top.bmp", 100, 60)
                         .Packed("[personality]\r\nLeft=left.bmp\r\nLeftTopHeight="
                                 "5\r\nLeftBotHeight=6\r\nLeftFrame=2\r\n"
                                 "LeftStretch=2\r\nLeftTrans=0\r\nTop=top.bmp\r\nTopTopHeight="
                                 "10\r\nTopBotHeight=11\r\n"
                                 "TopFrame=2\r\n")));
  EXPECT_FALSE(m.SkinNotLoaded);
  EXPECT_EQ(m.reads, 1);
  const TDataSkinBorder& l = *m.LeftBorder;
  EXPECT_EQ(l.Bitmap.Width, 8);
  EXPECT_EQ(l.TopHeight, 5);
  EXPECT_EQ(l.BottomHeight, 6);
  EXPECT_EQ(l.LeftWidth + l.RightWidth, 0);
  EXPECT_EQ(l.FrameCount, 2);
  EXPECT_EQ(l.Tile, 2);  // a border's Stretch is kept as written
  EXPECT_EQ(l.Trans, 0);
  const TDataSkinBorder& t = *m.TopBorder;
  EXPECT_EQ(t.LeftWidth, 10);
  EXPECT_EQ(t.RightWidth, 11);
  EXPECT_EQ(t.TopHeight + t.BottomHeight, 0);
  EXPECT_EQ(t.Name, "Top");
  const TDataSkinBorder& r = *m.RightBorder;  // nothing written: the defaults
  EXPECT_TRUE(r.Bitmap.Empty());
  EXPECT_EQ(r.FrameCount, 1);
  EXPECT_EQ(r.Tile, 1);
  EXPECT_EQ(r.Trans, 1);
}

TEST(SkinSettings, CaptionButtonsAndTheirFrameCounts) {
  Model m;
  Skin s;
  s.Pic("b39.bmp", 39, 13).Pic("b78.bmp", 78, 13).Pic("b49.bmp", 49, 13).Pic("mdi.bmp", 120, 10);
  ASSERT_TRUE(m.Load(s.Packed(
      "[Buttons]\r\n[Button.Radio]\r\n[BUTTON.CHECKBOX]\r\n"
      "[ButtonThree]\r\nButtonImage=b39.bmp\r\nAction=2\r\nAlign=1\r\nXcoord=40\r\nYcoord=3\r\n"
      "Visibility=8\r\nVisibility1=7\r\n"
      "[buttonsix]\r\nButtonImage=b78.bmp\r\nCombineOp=2\r\n"
      "[ButtonDeco]\r\nButtonImage=b39.bmp\r\nAction=-1\r\n"
      "[ButtonLimit]\r\nButtonImage=b49.bmp\r\n"  // 49 / 13 = 3.77
      "[ButtonIcon]\r\nButtonImage=b39.bmp\r\nAction=3\r\n"
      "[ButtonIcon4]\r\nButtonImage=b39.bmp\r\nAction=11\r\nframe=4\r\n"
      "[ButtonNone]\r\nAction=1\r\n"
      "[MDIControls]\r\nImage=mdi.bmp\r\n")));
  ASSERT_EQ(m.SysButtonElements.size(), 7u + 3u);
  auto& b = m.SysButtonElements;
  EXPECT_EQ(b[0]->Name, "BUTTONTHREE");
  EXPECT_EQ(b[0]->FrameCount, 3);
  EXPECT_EQ(b[0]->Action, 2);
  EXPECT_EQ(b[0]->Align, 1);
  EXPECT_EQ(b[0]->Xcoord, 40);
  EXPECT_EQ(b[0]->Ycoord, 3);
  EXPECT_EQ(b[0]->Visibility, 8);
  EXPECT_EQ(b[0]->Visibility1, 7);
  EXPECT_EQ(b[0]->CombineOp, -1);
  EXPECT_EQ(b[1]->Name, "BUTTONSIX");
  EXPECT_EQ(b[1]->FrameCount, 6);
  EXPECT_EQ(b[1]->CombineOp, 2);
  EXPECT_EQ(b[2]->FrameCount, 6);  // Action below 0
  EXPECT_EQ(b[3]->FrameCount, 3);
  EXPECT_EQ(b[4]->FrameCount, 3);
  EXPECT_TRUE(b[4]->Bitmap.Empty());  // the system-menu button shows the window icon
  EXPECT_EQ(b[5]->FrameCount, 4);
  EXPECT_EQ(b[5]->Bitmap.Width, 39);  // a written frame count keeps the picture
  EXPECT_EQ(b[6]->FrameCount, 6);
  EXPECT_TRUE(b[6]->Bitmap.Empty());
  for (int k = 0; k < 3; ++k) {
    const TDataSkinSysButton& mdi = *b[7 + k];
    EXPECT_EQ(mdi.Action, 7 + k);
    EXPECT_EQ(mdi.Align, 100);
    EXPECT_EQ(mdi.Visibility, 100);
    EXPECT_EQ(mdi.Visibility1, 100);
    EXPECT_EQ(mdi.FrameCount, 4);
    EXPECT_EQ(mdi.Xcoord, 14 * (3 - k));
    ASSERT_EQ(mdi.Bitmap.Width, 40);
    ASSERT_EQ(mdi.Bitmap.Height, 10);
    EXPECT_EQ(mdi.Bitmap.At(0, 0), static_cast<uint32_t>(40 * k));
    EXPECT_EQ(mdi.Bitmap.At(39, 9), static_cast<uint32_t>(40 * k + 39 + 9000));
  }
}

TEST(SkinSettings, PictureNamesAndTheExtensionTest) {
  Skin s;
  s.Pic("top.bmp", 5, 4);
  const char* good[] = {"Top.bmp", "top.bmp", "skins\\top.bmp", "c:\\x\\y/top.bmp", "d:top.bmp"};
  for (const char* v : good) {
    Model m;
    ASSERT_TRUE(m.Load(s.Packed(std::string("[Personality]\r\nTop=") + v + "\r\n")));
    EXPECT_EQ(m.TopBorder->Bitmap.Width, 5) << v;
  }
  const char* bad[] = {"TOP.BMP", "top.Bmp", "top", "skins\\", "", "top.bmp.txt", "other.bmp"};
  for (const char* v : bad) {
    Model m;
    ASSERT_TRUE(m.Load(s.Packed(std::string("[Personality]\r\nTop=") + v + "\r\n")));
    EXPECT_TRUE(m.TopBorder->Bitmap.Empty()) << v;
  }
  // A member that is no picture leaves the slot's picture empty.
  Skin junk;
  junk.members.push_back({"top.bmp", {'B', 'M', 1, 2, 3}});
  Model m;
  ASSERT_TRUE(m.Load(junk.Packed("[Personality]\r\nTop=top.bmp\r\n")));
  EXPECT_TRUE(m.TopBorder->Bitmap.Empty());
}

TEST(SkinSettings, ColoursPaletteAndCaption) {
  Model m;
  ASSERT_TRUE(m.Load(Skin().Packed("[Personality]\r\n")));
  EXPECT_EQ(m.Colours.ButtonFace, clBtnFace);
  EXPECT_EQ(m.Colours.Menubar, clBtnFace);
  EXPECT_EQ(m.Colours.ButtonDkShadow, clBtnShadow);
  EXPECT_EQ(m.Colours.TitleTextNoActive, clInactiveCaptionText);
  EXPECT_TRUE(m.Palette.empty());
  EXPECT_EQ(m.Title->ActiveText, clNone);
  EXPECT_EQ(m.Title->FontHeight, 14);

  ASSERT_TRUE(m.Load(Skin().Packed(
      "[TitlebarSkin]\r\nSkinName=Slate\r\n[Colours]\r\nButtonFace=200 201 202\r\n"
      "MenuText=1 2 3\r\n[ColoursRevert]\r\nx=1\r\n[Colour1]\r\ncolor=10 20 30\r\n"
      "[colour2]\r\ncolor=40,50,60\r\n[Personality]\r\nActiveTextR=300\r\nActiveTextG=2\r\n"
      "ActiveTextB=3\r\nInActiveTextR=1\r\nInActiveTextG=-1\r\nInActiveTextB=1\r\n"
      "TextShift=7\r\nTextShiftVert=3\r\nTextRightClip=9\r\nTextAlignment=1\r\n"
      "TXTBackleft=4\r\nTXTBackRight=5\r\n[fonts]\r\nFontHeight=$0C\r\n")));
  EXPECT_EQ(m.SkinName, "Slate");
  EXPECT_EQ(m.Colours.ButtonFace, RgbColour(200, 201, 202));
  EXPECT_EQ(m.Colours.Menubar, RgbColour(200, 201, 202));
  EXPECT_EQ(m.Colours.MenuText, RgbColour(1, 2, 3));
  EXPECT_EQ(m.Colours.MenuBarText, clMenuText);
  EXPECT_EQ(m.Palette,
            (std::vector<TColor>{clWindowText, RgbColour(10, 20, 30), RgbColour(40, 50, 60)}));
  EXPECT_EQ(m.Title->ActiveText, RgbColour(44, 2, 3));
  EXPECT_EQ(m.Title->InActiveText, clNone);
  EXPECT_EQ(m.Title->LeftWidth, 7);
  EXPECT_EQ(m.Title->TopHeight, 3);
  EXPECT_EQ(m.Title->RightWidth, 9);
  EXPECT_EQ(m.Title->TextAlignment, 1);
  EXPECT_EQ(m.Title->TXTBackleft, 4);
  EXPECT_EQ(m.Title->TXTBackRight, 5);
  EXPECT_EQ(m.Title->FontHeight, 12);
  EXPECT_EQ(m.Title->FrameCount, 2);
}

TEST(SkinSettings, ButtonsGlyphFramesAndTiles) {
  Skin s;
  s.Pic("b.bmp", 100, 20).Pic("r64.bmp", 64, 13).Pic("c32.bmp", 32, 16).Pic("r96.bmp", 96, 16);
  Model m;
  ASSERT_TRUE(m.Load(s.Packed(
      "[Buttons]\r\nBitmap=b.bmp\r\nRadioButton=r64.bmp\r\nCheckButton=c32.bmp\r\nTile=2\r\n"
      "LeftWidth=3\r\nTrans=1\r\nNormalColour2=1 1 1\r\n"
      "[Progress]\r\nBitmap=b.bmp\r\nChunk=r64.bmp\r\nTile=2\r\nStyle=1\r\n"
      "[SunkEdge]\r\nImage=b.bmp\r\nTile=2\r\nStyle=4\r\n[Tabs]\r\nImage=b.bmp\r\nTile=1\r\n")));
  EXPECT_EQ(m.Buttons->FrameCount, 5);
  EXPECT_EQ(m.Buttons->RadioButtonFrame, 4);  // 64 div 13
  EXPECT_EQ(m.Buttons->CheckButtonFrame, 4);  // 32 div 16 = 2, raised to 4
  EXPECT_EQ(m.Buttons->Tile, 2);
  EXPECT_EQ(m.Buttons->LeftWidth, 3);
  EXPECT_EQ(m.Buttons->Trans, 1);
  EXPECT_EQ(m.Buttons->NormalColour2, RgbColour(1, 1, 1));
  EXPECT_EQ(m.Buttons->PressedColour2, clBtnText);
  EXPECT_EQ(m.Buttons->NormalColour, -1);
  ASSERT_TRUE(m.Progress);
  EXPECT_EQ(m.Progress->Tile, 2);
  EXPECT_EQ(m.Progress->Style, 1);
  EXPECT_EQ(m.Progress->Bitmap2.Width, 64);
  ASSERT_TRUE(m.SunkEdge);
  EXPECT_EQ(m.SunkEdge->Tile, 0);
  EXPECT_EQ(m.SunkEdge->Style, 4);
  ASSERT_TRUE(m.Tabs);
  EXPECT_EQ(m.Tabs->Tile, 1);
  EXPECT_TRUE(m.Tabs->Bitmap2.Empty());

  ASSERT_TRUE(m.Load(s.Packed(
      "[Buttons]\r\nRadioButton=r96.bmp\r\nRadioButtonFrame=7\r\nCheckButton=r96.bmp\r\n")));
  EXPECT_EQ(m.Buttons->RadioButtonFrame, 7);
  EXPECT_EQ(m.Buttons->CheckButtonFrame, 6);
  EXPECT_TRUE(m.Buttons->Bitmap.Empty());
}

TEST(SkinSettings, SecondLoadEmptiesSlotsTheNewSkinLacks) {
  Skin s;
  s.Pic("p.bmp", 40, 10);
  std::string full =
      "[Personality]\r\nLeft=p.bmp\r\nmenuBar=p.bmp\r\n[Progress]\r\nBitmap=p.bmp\r\n";
  for (const char* sec :
       {"GroupBoxEdge",        "Toolbars",           "StatusBarEdges",     "SunkEdge",
        "ExtraImages",         "Headerbar",          "MenuItem",           "MenuBackground",
        "Scrollbar",           "HorzScroll",         "VertScroll",         "HorzScrollThumb",
        "VertScrollThumb",     "Trackbar.ThumbHorz", "Trackbar.ThumbVert", "Trackbar.ThumbLeft",
        "Trackbar.ThumbRight", "Trackbar.ThumbUp",   "Trackbar.ThumbDown", "Tabs",
        "ComboButton",         "UpDown.Horz",        "UpDown.Vert"})
    full += std::string("[") + sec + "]\r\nImage=p.bmp\r\n";
  full += "[VertScrollThumb]\r\nFrameCount=9\r\n[ButtonX]\r\nAction=1\r\n";
  full += "[UpDown.Vert]\r\nGlyphImage=p.bmp\r\n";  // a second [UpDown.Vert] is not read
  Model m;
  ASSERT_TRUE(m.Load(s.Packed(full)));
  ASSERT_TRUE(m.Scrollbar && m.MenuBarImage && m.Progress && m.ComboButton && m.UpDownVert);
  EXPECT_EQ(m.Scrollbar->FrameCount, 23);
  EXPECT_EQ(m.HorzScrollThumb->FrameCount, 3);
  EXPECT_EQ(m.VertScrollThumb->FrameCount, 3);  // FrameCount sits in the second section
  EXPECT_EQ(m.UpDownHorz->FrameCount, 8);
  EXPECT_EQ(m.TrackbarThumbDown->FrameCount, 5);
  EXPECT_EQ(m.StatusBarEdges->FrameCount, 3);
  EXPECT_EQ(m.MenuBackground->FrameCount, 1);
  EXPECT_EQ(m.MenuBarImage->LeftWidth, 1);
  EXPECT_TRUE(m.UpDownVert->Bitmap2.Empty());
  // The mirrored copy of the combo button for right-to-left boxes.
  ASSERT_EQ(m.ComboButton->Bitmap2.Width, 40);
  EXPECT_EQ(m.ComboButton->Bitmap2.At(0, 0), m.ComboButton->Bitmap.At(39, 0));
  EXPECT_EQ(m.ComboButton->Bitmap2.At(39, 9), m.ComboButton->Bitmap.At(0, 9));
  EXPECT_EQ(m.SysButtonElements.size(), 4u);

  const TDataSkinBorder* left = m.LeftBorder.get();
  const TDataSkinButton* buttons = m.Buttons.get();
  ASSERT_TRUE(m.Load(s.Packed("[Personality]\r\nTop=p.bmp\r\n")));
  EXPECT_EQ(m.LeftBorder.get(), left);  // reused and refilled
  EXPECT_TRUE(m.LeftBorder->Bitmap.Empty());
  EXPECT_EQ(m.Buttons.get(), buttons);
  EXPECT_EQ(m.TopBorder->Bitmap.Width, 40);
  for (auto* slot :
       {&m.GroupBoxEdge,       &m.Toolbars,          &m.StatusBarEdges,    &m.SunkEdge,
        &m.ExtraImages,        &m.Headerbar,         &m.MenuItem,          &m.MenuBackground,
        &m.Scrollbar,          &m.HorzScroll,        &m.VertScroll,        &m.HorzScrollThumb,
        &m.VertScrollThumb,    &m.TrackbarThumbHorz, &m.TrackbarThumbVert, &m.TrackbarThumbLeft,
        &m.TrackbarThumbRight, &m.TrackbarThumbUp,   &m.TrackbarThumbDown, &m.MenuBarImage})
    EXPECT_FALSE(*slot);
  EXPECT_FALSE(m.Tabs || m.ComboButton || m.UpDownHorz || m.UpDownVert || m.Progress);
  EXPECT_EQ(m.SysButtonElements.size(), 3u);
}

TEST(SkinSettings, RefusedArchiveKeepsTheFlagAndTheElements) {
  Skin s;
  s.Pic("p.bmp", 40, 10);
  Model m;
  ASSERT_TRUE(m.Load(s.Packed("[Personality]\r\nLeft=p.bmp\r\n")));
  std::vector<uint8_t> other = skinpack::WriteArchive({{"a.ini", {}}});
  other[0] = 0x10;  // another format tag
  EXPECT_FALSE(m.Load(skinpack::LzhPack(other)));
  EXPECT_TRUE(m.SkinNotLoaded);
  EXPECT_EQ(m.messages, (std::vector<std::string>{TSkinReader::OlderSkinText}));
  EXPECT_EQ(m.LeftBorder->Bitmap.Width, 40);
  EXPECT_FALSE(m.Load({}));
  EXPECT_EQ(m.messages.size(), 1u);
}

#include "core/skin/SkinModel.h"

#include <algorithm>
#include <optional>

#include "core/text/text.h"

using namespace vpn::skin;

namespace vpn::skin {

std::string_view FileNamePart(std::string_view value) {
  size_t start = 0;
  for (size_t i = 0; i < value.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(value[i]);
    if (c >= 0x81 && c <= 0xFE && i + 1 < value.size()) {
      ++i;  // a GBK trail byte may look like a backslash
    } else if (c == '\\' || c == '/' || c == ':') {
      start = i + 1;
    }
  }
  return value.substr(start);
}

std::string_view ExtensionPart(std::string_view value) {
  std::string_view name = FileNamePart(value);
  const size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view{} : name.substr(dot);
}

}  // namespace vpn::skin

namespace {

template <class T>
std::unique_ptr<T> Named(const char* name) {
  auto e = std::make_unique<T>();
  e->Name = name;
  return e;
}

}  // namespace

TSkinModel::TSkinModel()
    : LeftBorder(Named<TDataSkinBorder>("Left")),
      RightBorder(Named<TDataSkinBorder>("Right")),
      TopBorder(Named<TDataSkinBorder>("Top")),
      BottomBorder(Named<TDataSkinBorder>("Bottom")),
      Title(Named<TDataSkinTitle>("Title")),
      Buttons(Named<TDataSkinButton>("Buttons")) {
  Colours = {clWindowText, clBtnFace,      clScrollBar,    clHighlightText,
             clHighlight,  clBtnFace,      clMenu,         clMenuText,
             clBtnText,    clBtnHighlight, clBtnHighlight, clBtnShadow,
             clBtnShadow,  clMenuText,     clCaptionText,  clInactiveCaptionText};
}

TSkinModel::~TSkinModel() = default;

bool TSkinModel::LoadSkinStore() {
  SkinNotLoaded = true;
  TSkinReader reader;
  reader.OnMessage = [this](const std::string& text) { ShowSkinMessage(text); };
  if (!reader.Load(PackedSkin)) return false;
  std::vector<uint8_t> text;
  std::string name;
  reader.FindMember(".ini", text, name);
  LoadFromIni(IniText(std::string_view(reinterpret_cast<const char*>(text.data()), text.size())),
              reader);
  return true;
}

void TSkinModel::LoadBitmap(TSkinPicture& Target, std::string_view Value) const {
  Target.Clear();
  const std::string_view name = FileNamePart(Value);
  if (name.empty() || ExtensionPart(Value) != ".bmp" || !FArchive) return;
  std::vector<uint8_t> member;
  FArchive->GetMember(name, member);
  if (member.empty()) return;
  // A member that is not a picture we can read leaves the slot's picture empty.
  if (std::optional<TSkinPicture> pic = DecodeBmp(member)) Target = std::move(*pic);
}

std::vector<TSkinPicture*> TSkinModel::AllPictures() {
  std::vector<TSkinPicture*> all;
  auto add = [&](TDataSkinObject* e) {
    if (!e) return;
    all.push_back(&e->Bitmap);
    if (auto* b = dynamic_cast<TDataSkinBorder*>(e)) all.push_back(&b->Bitmap2);
    if (auto* b = dynamic_cast<TDataSkinButton*>(e)) {
      all.push_back(&b->CheckBitmap);
      all.push_back(&b->RadioBitmap);
    }
  };
  for (TDataSkinObject* e : {static_cast<TDataSkinObject*>(LeftBorder.get()),
                             static_cast<TDataSkinObject*>(RightBorder.get()),
                             static_cast<TDataSkinObject*>(TopBorder.get()),
                             static_cast<TDataSkinObject*>(BottomBorder.get()),
                             static_cast<TDataSkinObject*>(Title.get()),
                             static_cast<TDataSkinObject*>(Buttons.get()),
                             static_cast<TDataSkinObject*>(Progress.get()),
                             MenuBarImage.get(),
                             GroupBoxEdge.get(),
                             Toolbars.get(),
                             static_cast<TDataSkinObject*>(Tabs.get()),
                             StatusBarEdges.get(),
                             static_cast<TDataSkinObject*>(ComboButton.get()),
                             SunkEdge.get(),
                             ExtraImages.get(),
                             Headerbar.get(),
                             MenuItem.get(),
                             MenuBackground.get(),
                             Scrollbar.get(),
                             HorzScroll.get(),
                             VertScroll.get(),
                             HorzScrollThumb.get(),
                             VertScrollThumb.get(),
                             TrackbarThumbHorz.get(),
                             TrackbarThumbVert.get(),
                             TrackbarThumbLeft.get(),
                             TrackbarThumbRight.get(),
                             TrackbarThumbUp.get(),
                             TrackbarThumbDown.get(),
                             static_cast<TDataSkinObject*>(UpDownHorz.get()),
                             static_cast<TDataSkinObject*>(UpDownVert.get())})
    add(e);
  for (auto& b : SysButtonElements) add(b.get());
  return all;
}

void TSkinModel::LoadFromIni(const IniText& Ini, const TSkinReader& Archive) {
  FArchive = &Archive;
  const std::vector<std::string> sections = Ini.SectionNames();
  SkinName = Ini.ReadString("TitlebarSkin", "SkinName");
  ReadBorders(Ini);
  // The colours come before the elements: the buttons' text colours default to them.
  ReadColours(Ini, sections);
  ReadSysButtons(Ini, sections);
  ReadButtons(Ini);
  ReadTitle(Ini);
  ReadProgress(Ini);
  ReadMenuBar(Ini);
  ReadImageElements(Ini);
  FArchive = nullptr;
  SkinNotLoaded = false;
  SkinRead();
}

// The four borders, refilled in place.
void TSkinModel::ReadBorders(const IniText& Ini) {
  for (TDataSkinBorder* b :
       {LeftBorder.get(), RightBorder.get(), TopBorder.get(), BottomBorder.get()}) {
    const std::string& n = b->Name;
    LoadBitmap(b->Bitmap, Ini.ReadString("Personality", n));
    const int32_t first = Ini.ReadInteger("Personality", n + "TopHeight", 0);
    const int32_t second = Ini.ReadInteger("Personality", n + "BotHeight", 0);
    if (n == "Left" || n == "Right") {
      b->TopHeight = first;
      b->BottomHeight = second;
      b->LeftWidth = b->RightWidth = 0;
    } else {
      b->LeftWidth = first;
      b->RightWidth = second;
      b->TopHeight = b->BottomHeight = 0;
    }
    b->FrameCount = Ini.ReadInteger("Personality", n + "Frame", 1);
    b->Tile = Ini.ReadInteger("Personality", n + "Stretch", 1);
    b->Trans = Ini.ReadInteger("Personality", n + "Trans", 1);
  }
}

// Colours: the system colour is the default of each; the menu bar follows the face. Every
// section named "Colour..." but "Colours" adds one palette entry.
void TSkinModel::ReadColours(const IniText& Ini, const std::vector<std::string>& Sections) {
  auto colour = [&](std::string_view key, TColor def) {
    return ParseColour(Ini.ReadString("Colours", key), def);
  };
  TSkinColours& c = Colours;
  c.WindowText = colour("WindowText", clWindowText);
  c.ButtonFace = colour("ButtonFace", clBtnFace);
  c.Scrollbar = colour("Scrollbar", clScrollBar);
  c.HilightText = colour("HilightText", clHighlightText);
  c.Hilight = colour("Hilight", clHighlight);
  c.Menubar = colour("Menubar", c.ButtonFace);
  c.Menu = colour("Menu", clMenu);
  c.MenuText = colour("MenuText", clMenuText);
  c.ButtonText = colour("ButtonText", clBtnText);
  c.ButtonHilight = colour("ButtonHilight", clBtnHighlight);
  c.Buttonlight = colour("Buttonlight", clBtnHighlight);
  c.ButtonShadow = colour("ButtonShadow", clBtnShadow);
  c.ButtonDkShadow = colour("ButtonDkShadow", clBtnShadow);
  c.MenuBarText = colour("MenuBarText", clMenuText);
  c.TitleTextActive = colour("TitleTextActive", clCaptionText);
  c.TitleTextNoActive = colour("TitleTextNoActive", clInactiveCaptionText);
  Palette.clear();
  for (const std::string& s : Sections) {
    const std::string upper = vpn::AsciiUpper(s);
    if (upper.starts_with("COLOUR") && upper != "COLOURS")
      Palette.push_back(ParseColour(Ini.ReadString(s, "color"), clWindowText));
  }
}

// Caption buttons, in file order, then the three buttons of a maximised MDI child.
void TSkinModel::ReadSysButtons(const IniText& Ini, const std::vector<std::string>& Sections) {
  SysButtonElements.clear();
  for (const std::string& s : Sections) {
    const std::string upper = vpn::AsciiUpper(s);
    if (!upper.starts_with("BUTTON") || upper == "BUTTONS" || upper == "BUTTON.RADIO" ||
        upper == "BUTTON.CHECKBOX")
      continue;
    auto b = std::make_unique<TDataSkinSysButton>();
    b->Name = upper;
    b->Action = Ini.ReadInteger(s, "Action", 0);
    b->Align = Ini.ReadInteger(s, "Align", 0);
    b->Xcoord = Ini.ReadInteger(s, "Xcoord", 0);
    b->Ycoord = Ini.ReadInteger(s, "Ycoord", 0);
    b->Visibility = Ini.ReadInteger(s, "Visibility", 0);
    b->Visibility1 = Ini.ReadInteger(s, "Visibility1", 0);
    b->CombineOp = Ini.ReadInteger(s, "CombineOp", -1);
    b->FrameCount = Ini.ReadInteger(s, "frame", 0);
    LoadBitmap(b->Bitmap, Ini.ReadString(s, "ButtonImage"));
    if (b->FrameCount == 0) {
      // A strip no more than 3.8 times as wide as high holds normal, pressed and hot.
      b->FrameCount = 6;
      if (!b->Bitmap.Empty())
        b->FrameCount = static_cast<double>(b->Bitmap.Width) / b->Bitmap.Height <= 3.8 ? 3 : 6;
      if (b->Action < 0) b->FrameCount = 6;
      if (b->Action == 3 || b->Action == 11) b->Bitmap.Clear();  // the window's icon is drawn
    }
    SysButtonElements.push_back(std::move(b));
  }
  const size_t firstMdi = SysButtonElements.size();
  for (int action : {7, 8, 9}) {
    auto b = std::make_unique<TDataSkinSysButton>();
    b->Action = action;
    b->Align = b->Visibility = b->Visibility1 = 100;
    b->FrameCount = 4;
    b->CombineOp = 0;
    SysButtonElements.push_back(std::move(b));
  }
  TSkinPicture mdi;
  LoadBitmap(mdi, Ini.ReadString("MDICONTROLS", "Image"));
  if (!mdi.Empty()) {
    const int w = mdi.Width / 12;
    for (int k = 0; k < 3; ++k) {
      TDataSkinSysButton& b = *SysButtonElements[firstMdi + static_cast<size_t>(k)];
      b.Bitmap = mdi.Crop(4 * w * k, 0, 4 * w, mdi.Height);
      b.Xcoord = (w + 4) * (3 - k);
    }
  }
}

// Push buttons, check boxes and radio buttons, refilled in place.
void TSkinModel::ReadButtons(const IniText& Ini) {
  auto num = [&](std::string_view key, int32_t def) {
    return Ini.ReadInteger("Buttons", key, def);
  };
  auto str = [&](std::string_view key) { return Ini.ReadString("Buttons", key); };
  TDataSkinButton& bt = *Buttons;
  bt.LeftWidth = num("LeftWidth", 0);
  bt.RightWidth = num("RightWidth", 0);
  bt.TopHeight = num("TopHeight", 0);
  bt.BottomHeight = num("BottomHeight", 0);
  bt.Trans = num("Trans", 0);
  bt.Tile = num("Tile", 0);
  LoadBitmap(bt.Bitmap, str("Bitmap"));
  LoadBitmap(bt.CheckBitmap, str("CheckButton"));
  LoadBitmap(bt.RadioBitmap, str("RadioButton"));
  bt.NormalColour = num("NormalColour", -1);
  bt.MouseOverColour = num("MouseOverColour", -1);
  bt.PressedColour = num("PressedColour", -1);
  bt.RadioButtonFrame = num("RadioButtonFrame", 0);
  bt.CheckButtonFrame = num("CheckButtonFrame", 0);
  bt.NormalColour2 = ParseColour(str("NormalColour2"), Colours.ButtonText);
  bt.MouseOverColour2 = ParseColour(str("MouseOverColour2"), Colours.ButtonText);
  bt.PressedColour2 = ParseColour(str("PressedColour2"), Colours.ButtonText);
  bt.FrameCount = 5;
  // Glyph strips without a frame count hold cells 13 wide (under 16 high) or 16 wide.
  auto glyphFrames = [](const TSkinPicture& p) {
    const int cell = p.Height < 16 ? 13 : 16;
    return std::max(4, p.Width / cell);
  };
  if (bt.RadioButtonFrame == 0) bt.RadioButtonFrame = glyphFrames(bt.RadioBitmap);
  if (bt.CheckButtonFrame == 0) bt.CheckButtonFrame = glyphFrames(bt.CheckBitmap);
}

// The caption: its background picture and text placement from "Personality", its font
// height from "Fonts".
void TSkinModel::ReadTitle(const IniText& Ini) {
  auto num = [&](std::string_view key, int32_t def) {
    return Ini.ReadInteger("Personality", key, def);
  };
  TDataSkinTitle& t = *Title;
  LoadBitmap(t.Bitmap, Ini.ReadString("Personality", "TextBack"));
  t.LeftWidth = num("TextShift", 0);
  t.TopHeight = num("TextShiftVert", 0);
  t.RightWidth = num("TextRightClip", 0);
  t.BottomHeight = 0;
  t.TextAlignment = num("TextAlignment", 0);
  t.Textbackground = num("Textbackground", 0);
  t.TXTBackleft = num("TXTBackleft", 0);
  t.TXTBackRight = num("TXTBackRight", 0);
  t.FontHeight = Ini.ReadInteger("Fonts", "FontHeight", 14);
  t.FrameCount = 2;
  auto rgbKeys = [&](const std::string& prefix) {
    const int32_t r = num(prefix + "R", -1);
    const int32_t g = num(prefix + "G", -1);
    const int32_t b = num(prefix + "B", -1);
    return (r >= 0 && g >= 0 && b >= 0)
               ? RgbColour(static_cast<uint32_t>(r) % 256, static_cast<uint32_t>(g) % 256,
                           static_cast<uint32_t>(b) % 256)
               : clNone;
  };
  t.ActiveText = rgbKeys("ActiveText");
  t.InActiveText = rgbKeys("InActiveText");
}

// The progress bar, present only when the skin names its picture.
void TSkinModel::ReadProgress(const IniText& Ini) {
  Progress.reset();
  const std::string bitmap = Ini.ReadString("Progress", "Bitmap");
  if (bitmap.empty()) return;
  auto num = [&](std::string_view key) { return Ini.ReadInteger("Progress", key, 0); };
  Progress = Named<TDataSkinBorder>("Progress");
  LoadBitmap(Progress->Bitmap, bitmap);
  LoadBitmap(Progress->Bitmap2, Ini.ReadString("Progress", "Chunk"));
  Progress->Style = num("Style");
  Progress->LeftWidth = num("LeftWidth");
  Progress->RightWidth = num("RightWidth");
  Progress->TopHeight = num("TopHeight");
  Progress->BottomHeight = num("BottomHeight");
  Progress->Trans = num("Trans");
  Progress->Tile = num("Tile");
  Progress->FrameCount = 2;
}

// The menu bar background, present only when the skin names its picture.
void TSkinModel::ReadMenuBar(const IniText& Ini) {
  MenuBarImage.reset();
  const std::string bitmap = Ini.ReadString("Personality", "menuBar");
  if (bitmap.empty()) return;
  MenuBarImage = Named<TDataSkinObject>("menuBar");
  LoadBitmap(MenuBarImage->Bitmap, bitmap);
  MenuBarImage->TopHeight = MenuBarImage->BottomHeight = 0;
  MenuBarImage->Tile = Ini.ReadInteger("Personality", "TileMenu", 0);
  MenuBarImage->LeftWidth = Ini.ReadInteger("Personality", "TileLeftMenu", 1);
  MenuBarImage->RightWidth = Ini.ReadInteger("Personality", "TileRightMenu", 1);
  MenuBarImage->FrameCount = 2;
}

// The keys every image element's section shares.
void TSkinModel::ReadElementCommon(const IniText& Ini, TDataSkinObject& E,
                                   const std::string& Section, bool WithStyle) const {
  auto num = [&](std::string_view key, int32_t def) { return Ini.ReadInteger(Section, key, def); };
  auto colour = [&](std::string_view key) {
    return ParseColour(Ini.ReadString(Section, key), Colours.ButtonText);
  };
  if (WithStyle) E.Style = num("Style", 0);
  E.LeftWidth = num("LeftWidth", 0);
  E.RightWidth = num("RightWidth", 0);
  E.TopHeight = num("TopHeight", 0);
  E.BottomHeight = num("BottomHeight", 0);
  E.Trans = num("Trans", 0);
  E.Tile = num("Tile", 0);
  if (E.Tile > 1) E.Tile = 0;
  E.NormalColour = num("NormalColour", -1);
  E.MouseOverColour = num("MouseOverColour", -1);
  E.PressedColour = num("PressedColour", -1);
  E.NormalColour2 = colour("NormalColour2");
  E.MouseOverColour2 = colour("MouseOverColour2");
  E.PressedColour2 = colour("PressedColour2");
}

// Plain image elements and those with a second picture. A section the skin lacks leaves
// its slot empty, also after an earlier skin filled it.
void TSkinModel::ReadImageElements(const IniText& Ini) {
  auto plain = [&](std::unique_ptr<TDataSkinObject>& slot, const std::string& sec, int frames) {
    slot.reset();
    const std::string image = Ini.ReadString(sec, "Image");
    if (image.empty()) return;
    slot = std::make_unique<TDataSkinObject>();
    slot->Name = sec;
    LoadBitmap(slot->Bitmap, image);
    ReadElementCommon(Ini, *slot, sec, true);
    slot->FrameCount = frames;
  };
  auto bordered = [&](std::unique_ptr<TDataSkinBorder>& slot, const std::string& sec,
                      const char* secondKey, int frames) {
    slot.reset();
    const std::string image = Ini.ReadString(sec, "Image");
    if (image.empty()) return;
    slot = std::make_unique<TDataSkinBorder>();
    slot->Name = sec;
    LoadBitmap(slot->Bitmap, image);
    LoadBitmap(slot->Bitmap2, Ini.ReadString(sec, secondKey));
    ReadElementCommon(Ini, *slot, sec, false);
    slot->FrameCount = frames;
  };
  plain(GroupBoxEdge, "GroupBoxEdge", 2);
  plain(Toolbars, "Toolbars", 5);
  bordered(Tabs, "Tabs", "Border", 5);
  plain(StatusBarEdges, "StatusBarEdges", 3);
  bordered(ComboButton, "ComboButton", "****", 4);
  if (ComboButton && !ComboButton->Bitmap.Empty()) {
    // Right-to-left boxes get the button mirrored.
    ComboButton->Bitmap2 = ComboButton->Bitmap;
    ComboButton->Bitmap2.Mirror();
  }
  plain(SunkEdge, "SunkEdge", 4);
  plain(ExtraImages, "ExtraImages", 5);
  plain(Headerbar, "Headerbar", 5);
  plain(MenuItem, "MenuItem", 5);
  plain(MenuBackground, "MenuBackground", 1);
  plain(Scrollbar, "Scrollbar", 23);
  plain(HorzScroll, "HorzScroll", 4);
  plain(VertScroll, "VertScroll", 4);
  plain(HorzScrollThumb, "HorzScrollThumb", 3);
  if (HorzScrollThumb)
    HorzScrollThumb->FrameCount = Ini.ReadInteger("HorzScrollThumb", "FrameCount", 3);
  plain(VertScrollThumb, "VertScrollThumb", 3);
  if (VertScrollThumb)
    VertScrollThumb->FrameCount = Ini.ReadInteger("VertScrollThumb", "FrameCount", 3);
  plain(TrackbarThumbHorz, "Trackbar.ThumbHorz", 5);
  plain(TrackbarThumbVert, "Trackbar.ThumbVert", 5);
  plain(TrackbarThumbLeft, "Trackbar.ThumbLeft", 5);
  plain(TrackbarThumbRight, "Trackbar.ThumbRight", 5);
  plain(TrackbarThumbUp, "Trackbar.ThumbUp", 5);
  plain(TrackbarThumbDown, "Trackbar.ThumbDown", 5);
  bordered(UpDownHorz, "UpDown.Horz", "GlyphImage", 8);
  bordered(UpDownVert, "UpDown.Vert", "GlyphImage", 8);
}

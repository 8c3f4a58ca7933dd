// One skin read into element objects, colours and a palette: the part of the skin data
// component that needs no window system. The component adds the platform's bitmaps,
// brush and message box by overriding the two hooks at the end.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/skin/IniText.h"
#include "core/skin/SkinElements.h"
#include "core/skin/SkinReader.h"

// The system header names a function of its own LoadBitmap; the model's member keeps
// its name in every file.
#ifdef LoadBitmap
#undef LoadBitmap
#endif

struct TSkinColours {
  TColor WindowText, ButtonFace, Scrollbar, HilightText, Hilight, Menubar, Menu, MenuText,
      ButtonText, ButtonHilight, Buttonlight, ButtonShadow, ButtonDkShadow, MenuBarText,
      TitleTextActive, TitleTextNoActive;
};

class TSkinModel {
 public:
  TSkinModel();
  virtual ~TSkinModel();
  TSkinModel(const TSkinModel&) = delete;
  TSkinModel& operator=(const TSkinModel&) = delete;

  // Reads the skin held in PackedSkin (32-bit unpacked size, then the LZHUF stream).
  // False when the archive is refused; SkinNotLoaded then stays set.
  bool LoadSkinStore();
  // Reads the settings text into the elements; pictures come from the archive.
  void LoadFromIni(const vpn::skin::IniText& Ini, const TSkinReader& Archive);
  // Loads the picture named by Value (directory parts dropped; only names ending in
  // ".bmp", written in lower case, are pictures); empty when there is none.
  void LoadBitmap(TSkinPicture& Target, std::string_view Value) const;
  static TColor ParseColour(std::string_view Text, TColor Default) {
    return vpn::skin::ParseColour(Text, Default);
  }

  std::vector<uint8_t> PackedSkin;
  bool SkinNotLoaded = true;
  std::string SkinName;
  TSkinColours Colours{};
  std::vector<TColor> Palette;

  // Created with the model and refilled by every load.
  std::unique_ptr<TDataSkinBorder> LeftBorder, RightBorder, TopBorder, BottomBorder;
  std::unique_ptr<TDataSkinTitle> Title;
  std::unique_ptr<TDataSkinButton> Buttons;
  // Rebuilt by every load: the caption buttons, then the three MDI child buttons.
  std::vector<std::unique_ptr<TDataSkinSysButton>> SysButtonElements;
  // Present only when the skin describes them.
  std::unique_ptr<TDataSkinBorder> Progress;
  std::unique_ptr<TDataSkinObject> MenuBarImage, GroupBoxEdge, Toolbars;
  std::unique_ptr<TDataSkinBorder> Tabs;
  std::unique_ptr<TDataSkinObject> StatusBarEdges;
  std::unique_ptr<TDataSkinBorder> ComboButton;
  std::unique_ptr<TDataSkinObject> SunkEdge, ExtraImages, Headerbar, MenuItem, MenuBackground,
      Scrollbar, HorzScroll, VertScroll, HorzScrollThumb, VertScrollThumb, TrackbarThumbHorz,
      TrackbarThumbVert, TrackbarThumbLeft, TrackbarThumbRight, TrackbarThumbUp, TrackbarThumbDown;
  std::unique_ptr<TDataSkinBorder> UpDownHorz, UpDownVert;

  // Every picture of the model, for the platform side (null entries for empty slots).
  std::vector<TSkinPicture*> AllPictures();

 protected:
  // The archive carries another format version: tell the user.
  virtual void ShowSkinMessage(const std::string& Text) {}
  // A skin was read completely: make the platform's objects from it.
  virtual void SkinRead() {}

 private:
  // One reader per part of the settings text, in the order LoadFromIni calls them.
  void ReadBorders(const vpn::skin::IniText& Ini);
  void ReadColours(const vpn::skin::IniText& Ini, const std::vector<std::string>& Sections);
  void ReadSysButtons(const vpn::skin::IniText& Ini, const std::vector<std::string>& Sections);
  void ReadButtons(const vpn::skin::IniText& Ini);
  void ReadTitle(const vpn::skin::IniText& Ini);
  void ReadProgress(const vpn::skin::IniText& Ini);
  void ReadMenuBar(const vpn::skin::IniText& Ini);
  void ReadImageElements(const vpn::skin::IniText& Ini);
  void ReadElementCommon(const vpn::skin::IniText& Ini, TDataSkinObject& E,
                         const std::string& Section, bool WithStyle) const;

  // The archive of the load in progress, for LoadBitmap; null outside a load.
  const TSkinReader* FArchive = nullptr;
};

namespace vpn::skin {

// The file-name part of a picture value (after the last '\', '/' or ':'; GBK aware) and
// its extension (from the last '.' of the file-name part).
std::string_view FileNamePart(std::string_view value);
std::string_view ExtensionPart(std::string_view value);

}  // namespace vpn::skin

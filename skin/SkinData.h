// The skin data component: one skin (read from the window layout's skin stream or from
// a skin file) and the options for applying it. Its element objects, colours and
// palette come from the portable model; this part adds the bitmaps, the face brush,
// the menu glyphs and the requests to the skin manager.
#pragma once

#include <windows.h>
// (the common controls' header needs the base declarations first)
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "core/skin/SkinModel.h"
#include "framework/Classes.h"
#include "framework/Handles.h"

class TControl;
class TPopupMenu;

enum TSkinControlType {
  xcMainMenu,
  xcPopupMenu,
  xcToolbar,
  xcControlbar,
  xcCombo,
  xcCheckBox,
  xcRadioButton,
  xcProgress,
  xcScrollbar,
  xcEdit,
  xcButton,
  xcBitBtn,
  xcSpeedButton,
  xcPanel,
  xcGroupBox,
  xcStatusBar,
  xcTab,
  xcSystemMenu,
  xcFastReport
};

// A set of control kinds, bit n for kind n (3 bytes when stored).
class TSkinControlTypes {
 public:
  TSkinControlTypes() = default;
  TSkinControlTypes(std::initializer_list<TSkinControlType> kinds) {
    for (TSkinControlType k : kinds) Include(k);
  }
  static TSkinControlTypes All() {
    TSkinControlTypes s;
    s.FBits = (1u << (xcFastReport + 1)) - 1;
    return s;
  }
  bool Contains(TSkinControlType k) const { return (FBits >> k) & 1u; }
  TSkinControlTypes& Include(TSkinControlType k) {
    FBits |= 1u << k;
    return *this;
  }
  TSkinControlTypes& Exclude(TSkinControlType k) {
    FBits &= ~(1u << k);
    return *this;
  }
  uint32_t Bits() const { return FBits; }
  bool operator==(const TSkinControlTypes&) const = default;

 private:
  uint32_t FBits = 0;
};

enum TSkinFormType { sfMainform, sfOnlyThisForm, sfDialog };

using TFormSkinEvent = std::function<void(TObject* Sender, const std::string& aName, bool& DoSkin)>;
// Told before the skin shows its own system menu of a window (the caption icon's click, a
// right click on the caption, Alt+Space): the program may put items of its own into Menu,
// which the skin then draws like the menu's own. Items tagged 0, 1 or 2 would be taken
// for the menu's restore, maximise and minimise entries.
using TSystemMenuEvent =
    std::function<void(class TSkinData* Sender, HWND Window, TPopupMenu* Menu)>;
using TSkinControlEvent = std::function<void(
    TComponent* Sender, class TSkinData* SkinData, TControl* Form, TControl* Control,
    const std::string& ControlClass, TComponent*& SkinnedControl)>;

class TSkinData : public TComponent, public TSkinModel {
 public:
  explicit TSkinData(TComponent* AOwner);
  ~TSkinData() override;

  // Registers with the skin manager (creating it first) and, for the main-form type,
  // installs its hook and asks for skinning to start.
  void Loaded() override;
  // The settings a window layout gives: Active, DisableTag, SkinControls (a set such
  // as "[xcMainMenu,xcCombo]"), SkinFormtype, MenuUpdate, SkinFile, SkinStore (ignored)
  // and SkinStream (the name of a skin stream the program carries: "DefaultSkin").
  bool SetLayoutProperty(const std::string& name, const std::string& value) override;

  bool Active() const { return FActive; }
  void SetActive(bool Value);
  // Controls whose Tag modulo 100 is this keep their own look.
  int32_t DisableTag() const { return FDisableTag; }
  void SetDisableTag(int32_t Value) { FDisableTag = Value; }
  // The kinds of controls (and menus) the skin draws.
  const TSkinControlTypes& SkinControls() const { return FSkinControls; }
  void SetSkinControls(const TSkinControlTypes& Value) { FSkinControls = Value; }
  const std::vector<std::string>& Skin3rd() const { return FSkin3rd; }
  void SetSkin3rd(const std::vector<std::string>& Lines) { FSkin3rd = Lines; }
  const std::string& SkinFile() const { return FSkinFile; }
  void SetSkinFile(const std::string& Path);
  // Reads "(none)" at run time; writing it changes nothing.
  std::string SkinStore() const;
  void SetSkinStore(const std::string&) {}
  // Which windows the skin data skins: all of them, its own form only, or dialogs.
  TSkinFormType SkinFormtype() const { return FSkinFormtype; }
  void SetSkinFormtype(TSkinFormType Value) { FSkinFormtype = Value; }
  bool MenuUpdate() const { return FMenuUpdate; }
  void SetMenuUpdate(bool Value) { FMenuUpdate = Value; }
  // Asked whether a window class is to be skinned (DoSkin starts true).
  const TFormSkinEvent& OnFormSkin() const { return FOnFormSkin; }
  void SetOnFormSkin(TFormSkinEvent Handler) { FOnFormSkin = std::move(Handler); }
  // Told once a request to the skin manager was carried out.
  const TNotifyEvent& OnSkinChanged() const { return FOnSkinChanged; }
  void SetOnSkinChanged(TNotifyEvent Handler) { FOnSkinChanged = std::move(Handler); }
  // Asked for a skin control of the application's own for each control of a form.
  const TSkinControlEvent& OnSkinControl() const { return FOnSkinControl; }
  void SetOnSkinControl(TSkinControlEvent Handler) { FOnSkinControl = std::move(Handler); }
  // Told before the skin shows its own system menu of a window.
  const TSystemMenuEvent& OnSystemMenu() const { return FOnSystemMenu; }
  void SetOnSystemMenu(TSystemMenuEvent Handler) { FOnSystemMenu = std::move(Handler); }

  // The stored skin stream: a 32-bit little-endian length, then the packed skin. A
  // length of 0 or less stores nothing; at run time the skin is read at once.
  void ReadSkinStream(std::span<const uint8_t> Stream);
  std::vector<uint8_t> WriteSkinStream() const;

  // After a new skin was read at run time: have the manager apply it again.
  void RefreshSkin();

  HBRUSH FaceBrush() const { return FFaceBrush.Get(); }
  // Restore, maximise, minimise and close glyphs, 16 x 16, white transparent; made when
  // first asked for (a system menu is shown).
  HIMAGELIST MenuGlyphs() const;
  // A colour of the skin as the screen shows it (system colours resolved).
  static COLORREF ColorToRGB(TColor Colour);

  // Set at creation for the window frame: a 16-bit 1023, the frame-painting switch the
  // frame turns off around its menu work, a 32-bit 0, and a spare bitmap.
  uint16_t FrameOptions() const { return FFrameOptions; }
  bool PaintFrames() const { return FPaintFrames; }
  void SetPaintFrames(bool Value) { FPaintFrames = Value; }
  int32_t FrameReserved() const { return FFrameReserved; }
  HBITMAP SpareBitmap() const { return FSpareBitmap.Get(); }

  static const std::vector<std::string>& DefaultSkin3rd();

 protected:
  void ShowSkinMessage(const std::string& Text) override;
  void SkinRead() override;

 private:
  bool Designing() const { return HasState(csDesigning); }
  bool Reading() const { return HasState(csLoading); }

  bool FActive = false;
  int32_t FDisableTag = 99;
  TSkinControlTypes FSkinControls = TSkinControlTypes::All().Exclude(xcFastReport);
  TSkinFormType FSkinFormtype = sfMainform;
  bool FMenuUpdate = true;
  TFormSkinEvent FOnFormSkin;
  TNotifyEvent FOnSkinChanged;
  TSkinControlEvent FOnSkinControl;
  TSystemMenuEvent FOnSystemMenu;
  uint16_t FFrameOptions = 1023;
  bool FPaintFrames = true;
  int32_t FFrameReserved = 0;
  std::string FSkinFile;
  std::vector<std::string> FSkin3rd;
  TBrushHandle FFaceBrush;
  TBitmapHandle FSpareBitmap;
  mutable TImageListHandle FMenuGlyphs;
};

// Pixels of a skin picture as a 32-bit device-independent bitmap (top-down rows).
HBITMAP CreateSkinBitmap(const TSkinPicture& Picture);
// The bitmap of a picture, made on first use and kept with the picture.
HBITMAP SkinBitmapOf(TSkinPicture& Picture);

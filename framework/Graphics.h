// Colours, fonts, cursors, icons and image lists.
#pragma once

// clang-format off
#include <windows.h>
#include <commctrl.h>  // needs windows.h first
// clang-format on

#include <cstdint>
#include <string>

#include "framework/Classes.h"
#include "framework/Handles.h"

// A colour: 0x00BBGGRR, or a system colour index with the top bit set.
using TColor = int32_t;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clGreen = 0x008000;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSystemColor = static_cast<TColor>(0x80000000u);
constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
constexpr TColor clWindow = clSystemColor | COLOR_WINDOW;
constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;
constexpr TColor clBtnText = clSystemColor | COLOR_BTNTEXT;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

COLORREF ColorToRGB(TColor color);
// "clBlue", "clMoneyGreen", "clBtnFace", ..., "$00FF0000" or a decimal number.
TColor StringToColor(const std::string& text);

// A brush of one colour, cached for the life of the program (system colours map to the
// system's own brushes).
HBRUSH ColorBrush(TColor color);

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

class TFont : public TObject {
 public:
  TFont();

  const std::string& Name() const { return FName; }  // GBK
  void SetName(const std::string& name);
  // Character height in pixels (the cell height without internal leading).
  int Height() const { return FHeight; }
  void SetHeight(int height);
  unsigned Style() const { return FStyle; }
  void SetStyle(unsigned style);
  bool Bold() const { return (FStyle & fsBold) != 0; }
  void SetBold(bool bold) { SetStyle(bold ? (FStyle | fsBold) : (FStyle & ~fsBold)); }
  BYTE Charset() const { return FCharset; }
  void SetCharset(BYTE charset);
  TColor Color() const { return FColor; }
  void SetColor(TColor color);

  void Assign(const TFont& other);
  bool SameAs(const TFont& other) const;
  // The GDI font, created on first use and again after each change.
  HFONT Handle();

  TNotifyEvent OnChange;

 private:
  void Changed();

  std::string FName;
  int FHeight = 11;
  unsigned FStyle = 0;
  BYTE FCharset = DEFAULT_CHARSET;
  TColor FColor = clWindowText;
  TFontHandle FHandle;
};

enum TCursor : int {
  crDefault = 0,
  crArrow = -2,
  crCross = -3,
  crIBeam = -4,
  crHourGlass = -11,
  crNo = -18,
  crAppStart = -19,
  crHelp = -20,
  crHandPoint = -21,
};
HCURSOR CursorHandle(TCursor cursor);
// "crHandPoint", "crDefault", ...
TCursor StringToCursor(const std::string& text);

class TIcon : public TObject {
 public:
  TIcon() = default;
  ~TIcon() override {
    if (FLent) FHandle.Release();
  }
  HICON Handle() const { return FHandle.Get(); }
  // Takes ownership of the icon.
  void SetHandle(HICON icon);
  // Gives the icon up without destroying it.
  HICON ReleaseHandle();
  bool Empty() const { return !FHandle.Valid(); }
  // Loads an icon resource of the program (or of `module`) at the given size
  // (0 = the resource's own first size).
  bool LoadFromResource(const wchar_t* name, int size = 0, HINSTANCE module = nullptr);
  bool LoadFromResource(int id, int size = 0, HINSTANCE module = nullptr) {
    return LoadFromResource(MAKEINTRESOURCEW(id), size, module);
  }
  void Assign(const TIcon& other);
  // The handle is lent out for the rest of the run (to a window class): replacing or
  // freeing this icon leaves that handle alive.
  void LendForRun() { FLent = true; }
  int Width() const;
  int Height() const;

  TNotifyEvent OnChange;

 private:
  void Changed();
  TIconHandle FHandle;
  bool FLent = false;
};

class TImageList : public TComponent {
 public:
  explicit TImageList(TComponent* AOwner, int width = 16, int height = 16);

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  HIMAGELIST Handle();
  int Count() const;
  // Adds a copy of the icon; returns its index, -1 on failure.
  int AddIcon(const TIcon& icon);
  // Puts a new icon made from image `index` into `icon`; false when there is none.
  bool GetIcon(int index, TIcon& icon) const;
  void Clear();

  TNotifyEvent OnChange;

 private:
  int FWidth, FHeight;
  TImageListHandle FHandle;
};

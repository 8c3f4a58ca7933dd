// Painting the skinned frame: the border pieces (drawn once per window size and state,
// then only copied), the title bar composed off screen with the caption text on its
// background picture and the caption buttons, and the window region cut from the key
// colour of the borders.
#include <algorithm>

#include "framework/Forms.h"
#include "skin/SkinData.h"
#include "skin/SkinDraw.h"
#include "skin/SkinForm.h"
#include "skin/SkinManager.h"
#include "skin/SkinMenuBar.h"

using namespace vpn::skin;

namespace {

HBITMAP StripOf(const TDataSkinObject* e) {
  if (!e || e->Bitmap.Empty()) return nullptr;
  return SkinBitmapOf(const_cast<TSkinPicture&>(e->Bitmap));
}

// A border piece at its place's size: the element's margins are the fixed ends, the
// centre stretched (Stretch 1) or tiled; the side borders' frames lie side by side, the
// title's and the bottom's are stacked.
TBitmapHandle RenderPiece(const TDataSkinObject* e, int width, int height, bool stacked,
                          bool active) {
  HBITMAP strip = StripOf(e);
  if (!strip || width <= 0 || height <= 0) return {};
  return RenderNineSlice(width, height, strip, ElementMargins(*e), stacked, e->Tile != 1,
                         e->FrameCount, BorderFrameOf(active, e->FrameCount));
}

void Blit(HDC target, int x, int y, int w, int h, HDC scratch, HGDIOBJ bitmap, int sx = 0,
          int sy = 0) {
  if (!bitmap || w <= 0 || h <= 0) return;
  TSelectObject sel(scratch, bitmap);
  BitBlt(target, x, y, w, h, scratch, sx, sy, SRCCOPY);
}

// The window's DC for the frame. A right-to-left window's DC is mirrored; the frame is
// laid out and hit-tested in screen order, so it is drawn in screen order too.
class TFrameDC : public TWindowDC {
 public:
  explicit TFrameDC(HWND wnd) : TWindowDC(wnd, true) {
    if (Get()) SetLayout(Get(), 0);
  }
};

}  // namespace

bool TSkinForm::FramePaintingOn() const {
  return SkinData && SkinData->PaintFrames && !SkinData->SkinNotLoaded &&
         (State == sfsSkinned || State == sfsReskinning) && BorderKind != bkSystem &&
         !(WindowKind == wkMdiChild && SizeState != ssRestored);
}

void TSkinForm::DropPieces() {
  for (TFramePieces& p : FPieces) {
    p.Size = {};
    p.Left.Reset();
    p.Right.Reset();
    p.Bottom.Reset();
    p.Title.Reset();
  }
}

TSkinForm::TFramePieces& TSkinForm::Pieces(int Width, int Height, bool ForActive) {
  TFramePieces& p = FPieces[ForActive ? 0 : 1];
  if (p.Size.cx == Width && p.Size.cy == Height) return p;
  const FramePieces places =
      FramePiecesOf(Width, Height, {BorderLeft, TitleHeight, BorderRight, BorderBottom});
  p.Left = RenderPiece(SkinData->LeftBorder.get(), places.Left.Width(), places.Left.Height(), false,
                       ForActive);
  p.Right = RenderPiece(SkinData->RightBorder.get(), places.Right.Width(), places.Right.Height(),
                        false, ForActive);
  p.Bottom = RenderPiece(SkinData->BottomBorder.get(), places.Bottom.Width(),
                         places.Bottom.Height(), true, ForActive);
  p.Title = RenderPiece(SkinData->TopBorder.get(), places.Title.Width(), places.Title.Height(),
                        true, ForActive);
  p.Size = {Width, Height};
  return p;
}

void TSkinForm::PaintFrame(HRGN) {
  // A window not yet on screen (activated as it is being shown) gets its frame painted
  // when it appears; a picture drawn before that would be thrown away.
  if (!FramePaintingOn() || !IsWindowVisible(Window)) return;
  // The whole frame is drawn: its pieces are copied from pictures made once per size,
  // which costs less than working out what the update region leaves out.
  TFrameDC dc(Window);
  if (!dc.Get()) return;
  // A frame that cannot be drawn stays as it was and the failure is reported; the window
  // goes on working.
  GuardedCall([&] {
    PaintFrameParts(dc.Get(), false);
    ++FramePaints;
  });
  // The button of an open drop-down stays pressed.
  if (HotObject && !(MenuLoopForm() == this && MenuBar && MenuBar->Owns(HotObject))) {
    HotObject->State = nsNormal;
    HotObject = nullptr;
  }
}

void TSkinForm::PaintMenuButton(TMenuBtn* Button) {
  if (!FramePaintingOn() || !MenuBar || MenuHeight <= 0) return;
  TFrameDC dc(Window);
  if (!dc.Get()) return;
  GuardedCall([&] { MenuBar->PaintButton(dc.Get(), *Button); });
}

void TSkinForm::PaintSysButton(TWinSysButton* Button) {
  if (!FramePaintingOn()) return;
  TFrameDC dc(Window);
  if (!dc.Get()) return;
  GuardedCall([&] {
    if (Button && Button->Element->Visibility == kMenuBarButton) {
      // A maximised MDI child's button lives in the menu bar: the bar is drawn again.
      RECT wr{};
      GetWindowRect(Window, &wr);
      if (MenuBar && MenuHeight > 0)
        MenuBar->Paint(dc.Get(), RECT{BorderLeft, TitleHeight, wr.right - wr.left - BorderRight,
                                      TitleHeight + MenuHeight});
      return;
    }
    PaintFrameParts(dc.Get(), true);
  });
}

void TSkinForm::PaintMenuBarButtons(HDC Bar) {
  RECT wr{};
  GetWindowRect(Window, &wr);
  const SysButtonWindow conditions = ButtonConditions();
  // The buttons keep clear of the bar picture's fixed end, as the bar's items do.
  const TDataSkinObject* picture = SkinData->MenuBarImage.get();
  const int margin = picture && !picture->Bitmap.Empty() ? picture->LeftWidth : 0;
  const TitleMetrics m{wr.right - wr.left,
                       {BorderLeft, TitleHeight, BorderRight, BorderBottom},
                       MenuHeight,
                       margin,
                       RightToLeft};
  bool shown = false;
  for (const auto& b : SysButtons) {
    const TDataSkinSysButton* e = b->Element;
    if (e->Visibility != kMenuBarButton) continue;
    b->Visible = false;
    HBITMAP strip = StripOf(e);
    if (!strip || !SysButtonShown(e->Action, e->Visibility, e->Visibility1, conditions)) {
      // A button that went away does not stay lit under the mouse.
      if (HotObject == b.get()) HotObject = nullptr;
      b->State = nsNormal;
      continue;
    }
    const int frames = std::max(1, e->FrameCount);
    const SysButtonSpec spec{e->Align, e->Xcoord, e->Ycoord, e->Bitmap.Width / frames,
                             e->Bitmap.Height};
    const TPixelRect r = LayoutTitle({spec}, CaptionSpec{}, m).buttons[0];
    b->Bounds = RECT{r.Left, r.Top, r.Right, r.Bottom};
    b->Visible = true;
    shown = true;
    // Frame 1 at rest; pressed and hot as the caption's buttons are.
    const int frame =
        b->State == nsNormal ? 1 : SysButtonFrameOf(b->State, Active, frames, kMenuBarButton);
    DrawFrame(Bar,
              RECT{r.Left - BorderLeft, r.Top - TitleHeight, r.Right - BorderLeft,
                   r.Bottom - TitleHeight},
              strip, true, frames, frame);
  }
  // The child's own frame gives way while its buttons show here.
  if (shown && SkinManager && !SkinManager->MdiMaximized) SkinManager->SetMdiMaximized(true);
}

void TSkinForm::PaintFrameParts(HDC Target, bool TitleOnly) {
  RECT wr{};
  GetWindowRect(Window, &wr);
  const int width = wr.right - wr.left, height = wr.bottom - wr.top;
  if (width <= 0 || height <= 0) return;
  TFramePieces& p = Pieces(width, height, Active);
  TMemoryDC scratch(CreateCompatibleDC(Target));
  if (!scratch) return;
  if (!TitleOnly) {
    Blit(Target, 0, 0, BorderLeft, height, scratch.Get(), p.Left.Get());
    Blit(Target, width - BorderRight, 0, BorderRight, height, scratch.Get(), p.Right.Get());
    Blit(Target, BorderLeft, height - BorderBottom, width - BorderLeft - BorderRight, BorderBottom,
         scratch.Get(), p.Bottom.Get());
    if (MenuBar && MenuHeight > 0)
      MenuBar->Paint(Target,
                     RECT{BorderLeft, TitleHeight, width - BorderRight, TitleHeight + MenuHeight});
  }
  if (TitleHeight <= 0) return;
  if (!TitleBitmap || TitleBitmapSize.cx != width || TitleBitmapSize.cy != TitleHeight) {
    TitleBitmap = NewSurface(width, TitleHeight);
    TitleBitmapSize = {width, TitleHeight};
  }
  if (!TitleBitmap) return;
  TMemoryDC title(CreateCompatibleDC(Target));
  if (!title) return;
  {
    TSelectObject sel(title.Get(), TitleBitmap.Get());
    // The side borders' top rows, the title piece between them, the caption, the
    // buttons: composed here, then put on the screen in one copy.
    Blit(title.Get(), 0, 0, BorderLeft, TitleHeight, scratch.Get(), p.Left.Get());
    Blit(title.Get(), width - BorderRight, 0, BorderRight, TitleHeight, scratch.Get(),
         p.Right.Get());
    Blit(title.Get(), BorderLeft, 0, width - BorderLeft - BorderRight, TitleHeight, scratch.Get(),
         p.Title.Get());
    PaintTitle(title.Get(), width);
    BitBlt(Target, 0, 0, width, TitleHeight, title.Get(), 0, 0, SRCCOPY);
  }
}

TitleLayout TSkinForm::LayoutTitleBar(HDC Dc, int Width) {
  const SysButtonWindow conditions = ButtonConditions();
  std::vector<SysButtonSpec> specs;
  std::vector<TWinSysButton*> placed;
  const SIZE icon{GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)};
  TitleIcon = WindowSmallIcon();
  for (const auto& b : SysButtons) {
    const TDataSkinSysButton* e = b->Element;
    if (e->Visibility == kMenuBarButton) continue;  // laid out and drawn by the menu bar
    b->Visible = false;
    if (!SysButtonShown(e->Action, e->Visibility, e->Visibility1, conditions)) continue;
    SysButtonSpec s{e->Align, e->Xcoord, e->Ycoord, 0, 0};
    if (b->UsesIcon) {
      if (!TitleIcon) continue;
      s.width = icon.cx;
      s.height = icon.cy;
    } else {
      if (e->Bitmap.Empty()) continue;
      s.width = e->Bitmap.Width / std::max(1, e->FrameCount);
      s.height = e->Bitmap.Height;
    }
    specs.push_back(s);
    placed.push_back(b.get());
  }
  const TDataSkinTitle* t = SkinData->Title.get();
  CaptionSpec c;
  {
    TSelectObject font(Dc, CaptionFont.Get());
    const std::wstring measured = Caption + L"   ";
    RECT r{0, 0, 0, 0};
    DrawTextW(Dc, measured.c_str(), -1, &r, DT_CALCRECT | DT_NOCLIP | DT_SINGLELINE | DT_NOPREFIX);
    c.textWidth = r.right - r.left;
    c.textHeight = r.bottom - r.top;
  }
  if (t) {
    c.alignment = t->TextAlignment;
    c.shift = t->LeftWidth;
    c.shiftVert = t->TopHeight;
    c.rightClip = t->RightWidth;
    c.backLeft = t->TXTBackleft;
    c.backRight = t->TXTBackRight;
  }
  c.rightToLeft = RightToLeft;
  c.popup = (SavedStyle & WS_POPUP) != 0;
  const TitleMetrics m{
      Width, {BorderLeft, TitleHeight, BorderRight, BorderBottom}, MenuHeight, 0, RightToLeft};
  TitleLayout layout = LayoutTitle(specs, c, m);
  for (size_t i = 0; i < placed.size(); ++i) {
    const TPixelRect& r = layout.buttons[i];
    placed[i]->Bounds = RECT{r.Left, r.Top, r.Right, r.Bottom};
    placed[i]->Visible = true;
  }
  return layout;
}

void TSkinForm::PaintTitle(HDC Dc, int Width) {
  const TitleLayout layout = LayoutTitleBar(Dc, Width);
  PaintCaption(Dc, layout);
  for (const auto& b : SysButtons) {
    if (!b->Visible) continue;
    if (b->UsesIcon) {
      // Drawn straight onto the title: its soft edges blend with the picture under it.
      DrawIconEx(Dc, b->Bounds.left, b->Bounds.top, TitleIcon, b->Bounds.right - b->Bounds.left,
                 b->Bounds.bottom - b->Bounds.top, 0, nullptr, DI_NORMAL);
      continue;
    }
    const TDataSkinSysButton* e = b->Element;
    HBITMAP strip = StripOf(e);
    if (!strip) continue;
    const int frames = std::max(1, e->FrameCount);
    DrawFrame(Dc, b->Bounds, strip, true, frames,
              SysButtonFrameOf(b->State, Active, frames, e->Visibility));
  }
}

void TSkinForm::PaintCaption(HDC Dc, const TitleLayout& Layout) {
  const TDataSkinTitle* t = SkinData->Title.get();
  const TPixelRect& box = Layout.textBox;
  if (t && !t->Bitmap.Empty() && !box.Inverted()) {
    DrawThreeSlice(Dc, RECT{box.Left, box.Top, box.Right, box.Bottom}, StripOf(t), true, true,
                   std::max(1, t->FrameCount), Active ? 1 : 2,
                   RECT{t->TXTBackleft, 0, t->TXTBackRight, 0});
  }
  if (Layout.textRect.Inverted()) return;
  TSelectObject font(Dc, CaptionFont.Get());
  SetBkMode(Dc, TRANSPARENT);
  SetTextColor(Dc, TSkinData::ColorToRGB(Active ? SkinData->Colours.TitleTextActive
                                                : SkinData->Colours.TitleTextNoActive));
  const std::wstring text = L"  " + Caption;
  RECT r{Layout.textRect.Left, Layout.textRect.Top, Layout.textRect.Right, Layout.textRect.Bottom};
  DrawTextW(Dc, text.c_str(), -1, &r,
            DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX | (RightToLeft ? DT_RIGHT : 0));
}

void TSkinForm::UpdateRegion() {
  RECT wr{};
  GetWindowRect(Window, &wr);
  const int width = wr.right - wr.left, height = wr.bottom - wr.top;
  if (width <= 0 || height <= 0) return;
  if (WindowKind == wkMdiChild && SizeState != ssRestored) return;
  if (width == RegionSize.cx && height == RegionSize.cy && WindowKind != wkMdiChild &&
      State != sfsReskinning)
    return;
  // A window that keeps the system's frame keeps its own outline too.
  if (BorderKind == bkSystem || !SkinData || SkinData->SkinNotLoaded) return;
  const TDataSkinBorder* left = SkinData->LeftBorder.get();
  const TDataSkinBorder* right = SkinData->RightBorder.get();
  const TDataSkinBorder* top = SkinData->TopBorder.get();
  const TDataSkinBorder* bottom = SkinData->BottomBorder.get();
  auto trans = [](const TDataSkinBorder* e) { return e ? e->Trans : 0; };
  auto rect = [](int l, int t, int r, int b) {
    return TRegionHandle(CreateRectRgn(l, t, std::max(l, r), std::max(t, b)));
  };
  auto unite = [](TRegionHandle& into, const TRegionHandle& other) {
    if (into && other) CombineRgn(into.Get(), into.Get(), other.Get(), RGN_OR);
  };
  auto opaque = [&](const TBitmapHandle& piece, int w, int h, int x, int y) {
    if (!piece) return rect(x, y, x + w, y + h);
    TRegionHandle r = RegionFromBitmap(piece.Get(), x, y);
    return r ? std::move(r) : rect(x, y, x + w, y + h);
  };

  TRegionHandle region;
  if (trans(right) + trans(top) + 2 * trans(left) == 0) {
    region = rect(0, 0, width, height);
  } else {
    region = rect(BorderLeft, TitleHeight, width - BorderRight, height - BorderBottom);
    // The outline follows the active frame's pictures: activation does not change it.
    // They are the pictures the frame is painted from next, so they are drawn once for both.
    const TFramePieces& pieces = Pieces(width, height, true);
    TRegionHandle sides, ends;
    sides = (trans(left) == 1 && height > 1) ? opaque(pieces.Left, BorderLeft, height, 0, 0)
                                             : rect(0, 0, BorderLeft, height);
    unite(sides, (trans(right) == 1 && height > 1)
                     ? opaque(pieces.Right, BorderRight, height, width - BorderRight, 0)
                     : rect(width - BorderRight, 0, width, height));
    const int middle = width - BorderLeft - BorderRight;
    ends = (trans(bottom) == 1 && BorderBottom >= 2)
               ? opaque(pieces.Bottom, middle, BorderBottom, BorderLeft, height - BorderBottom)
               : rect(BorderLeft, height - BorderBottom, width - BorderRight, height);
    unite(ends, (trans(top) == 1 && TitleHeight > 1 && middle > 0)
                    ? opaque(pieces.Title, middle, TitleHeight, BorderLeft, 0)
                    : rect(BorderLeft, 0, width - BorderRight, TitleHeight));
    unite(sides, ends);
    unite(region, sides);
  }
  if (!region) return;
  // The system owns the region from here on.
  if (SetWindowRgn(Window, region.Get(), TRUE)) {
    region.Release();
    HasRegion = true;
    RegionSize = {width, height};
  }
}

HICON TSkinForm::WindowSmallIcon() const {
  // Asked for at each layout of the title rather than copied once: the window may replace
  // its icon at any time, and a copy of an icon costs the window's show a millisecond.
  HICON icon = reinterpret_cast<HICON>(SendMessageW(Window, WM_GETICON, ICON_SMALL, 0));
  if (!icon) icon = reinterpret_cast<HICON>(SendMessageW(Window, WM_GETICON, ICON_SMALL2, 0));
  if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrW(Window, GCLP_HICONSM));
  if (!icon) icon = reinterpret_cast<HICON>(SendMessageW(Window, WM_GETICON, ICON_BIG, 0));
  if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrW(Window, GCLP_HICON));
  return icon;
}

// Painting the skinned frame: the border pieces (drawn once per window size and state,
// then only copied), the title bar composed off screen with the caption text on its
// background picture and the caption buttons, and the window region cut from the key
// colour of the borders.
#include <algorithm>

#include "framework/Forms.h"
#include "skin/CaptionButtons.h"
#include "skin/SkinData.h"
#include "skin/SkinDraw.h"
#include "skin/SkinForm.h"
#include "skin/SkinManager.h"
#include "skin/SkinMdiClient.h"
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

void Blit(HDC target, int x, int y, int w, int h, HDC scratch, HBITMAP bitmap, int sx = 0,
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

int BorderTrans(const TDataSkinBorder* e) {
  return e ? e->Trans : 0;
}

TRegionHandle RectRegion(int l, int t, int r, int b) {
  return TRegionHandle(CreateRectRgn(l, t, std::max(l, r), std::max(t, b)));
}

void Unite(TRegionHandle& into, const TRegionHandle& other) {
  if (into && other) CombineRgn(into.Get(), into.Get(), other.Get(), RGN_OR);
}

// The pixels of a rendered piece that are not the key colour, placed at (x, y); the
// piece's whole rectangle when there is no picture to cut.
TRegionHandle OpaquePart(const TBitmapHandle& piece, int w, int h, int x, int y) {
  if (!piece) return RectRegion(x, y, x + w, y + h);
  TRegionHandle r = RegionFromBitmap(piece.Get(), x, y);
  return r ? std::move(r) : RectRegion(x, y, x + w, y + h);
}

}  // namespace

bool TSkinForm::FramePaintingOn() const {
  return FSkinData && FSkinData->PaintFrames() && !FSkinData->SkinNotLoaded &&
         (FState == sfsSkinned || FState == sfsReskinning) && FBorderKind != bkSystem &&
         !(FWindowKind == wkMdiChild && FSizeState != ssRestored);
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
  const FramePieces places = FramePiecesOf(Width, Height, FFrame);
  p.Left = RenderPiece(FSkinData->LeftBorder.get(), places.Left.Width(), places.Left.Height(),
                       false, ForActive);
  p.Right = RenderPiece(FSkinData->RightBorder.get(), places.Right.Width(), places.Right.Height(),
                        false, ForActive);
  p.Bottom = RenderPiece(FSkinData->BottomBorder.get(), places.Bottom.Width(),
                         places.Bottom.Height(), true, ForActive);
  p.Title = RenderPiece(FSkinData->TopBorder.get(), places.Title.Width(), places.Title.Height(),
                        true, ForActive);
  p.Size = {Width, Height};
  return p;
}

void TSkinForm::PaintFrame() {
  // A window not yet on screen (activated as it is being shown) gets its frame painted
  // when it appears; a picture drawn before that would be thrown away.
  if (!FramePaintingOn() || !IsWindowVisible(FWindow)) return;
  // The whole frame is drawn: its pieces are copied from pictures made once per size,
  // which costs less than working out what the update region leaves out.
  TFrameDC dc(FWindow);
  if (!dc.Get()) return;
  // A frame that cannot be drawn stays as it was and the failure is reported; the window
  // goes on working.
  GuardedCall([&] {
    PaintFrameParts(dc.Get(), false);
    ++FFramePaints;
  });
  FButtons->RestAfterPaint();
}

void TSkinForm::PaintMenuButton(TMenuBtn* Button) {
  if (!FramePaintingOn() || !FMenuBar || FMenuHeight <= 0) return;
  TFrameDC dc(FWindow);
  if (!dc.Get()) return;
  GuardedCall([&] { FMenuBar->PaintButton(dc.Get(), *Button); });
}

void TSkinForm::PaintSysButton(TWinSysButton* Button) {
  if (!FramePaintingOn()) return;
  TFrameDC dc(FWindow);
  if (!dc.Get()) return;
  GuardedCall([&] {
    if (Button && Button->Element()->Visibility == kMenuBarButton) {
      // A maximised MDI child's button lives in the menu bar: the bar is drawn again.
      RECT wr{};
      GetWindowRect(FWindow, &wr);
      if (FMenuBar && FMenuHeight > 0)
        FMenuBar->Paint(dc.Get(), RECT{FFrame.Left, FFrame.Title, wr.right - wr.left - FFrame.Right,
                                       FFrame.Title + FMenuHeight});
      return;
    }
    PaintFrameParts(dc.Get(), true);
  });
}

SysButtonWindow TSkinForm::ButtonConditions() const {
  SysButtonWindow w;
  w.border = FBorderKind;
  w.sysMenu = (FFrameIcons & fiSystemMenu) != 0;
  w.maxBox = (FFrameIcons & fiMaximize) != 0;
  w.minBox = (FFrameIcons & fiMinimize) != 0;
  w.maximised = FSizeState == ssMaximized;
  w.active = FActive;
  w.mdiMaxChildInMenuBar = MdiChildMaximisedInBar();
  return w;
}

bool TSkinForm::MdiChildMaximisedInBar() const {
  if (FWindowKind != wkMdiFrame || !FMdiClient || !FMdiClient->Window() || !FMenuBar) return false;
  bool maximised = false;
  return FMdiClient->ActiveChild(&maximised) && maximised;
}

void TSkinForm::PaintMenuBarButtons(HDC Bar) {
  RECT wr{};
  GetWindowRect(FWindow, &wr);
  const SysButtonWindow conditions = ButtonConditions();
  // The buttons keep clear of the bar picture's fixed end, as the bar's items do.
  const TDataSkinObject* picture = FSkinData->MenuBarImage.get();
  const int margin = picture && !picture->Bitmap.Empty() ? picture->LeftWidth : 0;
  const TitleMetrics m{wr.right - wr.left, FFrame, FMenuHeight, margin, FRightToLeft};
  bool shown = false;
  for (const auto& b : FButtons->List()) {
    const TDataSkinSysButton* e = b->Element();
    if (e->Visibility != kMenuBarButton) continue;
    b->SetVisible(false);
    HBITMAP strip = StripOf(e);
    if (!strip || !SysButtonShown(e->Action, e->Visibility, e->Visibility1, conditions)) {
      // A button that went away does not stay lit under the mouse.
      FButtons->ForgetHot(b.get());
      b->SetState(nsNormal);
      continue;
    }
    const int frames = std::max(1, e->FrameCount);
    const SysButtonSpec spec{e->Align, e->Xcoord, e->Ycoord, e->Bitmap.Width / frames,
                             e->Bitmap.Height};
    const TPixelRect r = LayoutTitle({spec}, CaptionSpec{}, m).buttons[0];
    b->SetBounds(RECT{r.Left, r.Top, r.Right, r.Bottom});
    b->SetVisible(true);
    shown = true;
    // Frame 1 at rest; pressed and hot as the caption's buttons are.
    const int frame =
        b->State() == nsNormal ? 1 : SysButtonFrameOf(b->State(), FActive, frames, kMenuBarButton);
    DrawFrame(Bar,
              RECT{r.Left - FFrame.Left, r.Top - FFrame.Title, r.Right - FFrame.Left,
                   r.Bottom - FFrame.Title},
              strip, true, frames, frame);
  }
  // The child's own frame gives way while its buttons show here.
  if (shown && SkinManager && !SkinManager->MdiMaximized()) SkinManager->SetMdiMaximized(true);
}

void TSkinForm::PaintFrameParts(HDC Target, bool TitleOnly) {
  RECT wr{};
  GetWindowRect(FWindow, &wr);
  const int width = wr.right - wr.left, height = wr.bottom - wr.top;
  if (width <= 0 || height <= 0) return;
  const int left = FFrame.Left, right = FFrame.Right, title = FFrame.Title;
  TFramePieces& p = Pieces(width, height, FActive);
  TMemoryDC scratch(CreateCompatibleDC(Target));
  if (!scratch) return;
  if (!TitleOnly) {
    Blit(Target, 0, 0, left, height, scratch.Get(), p.Left.Get());
    Blit(Target, width - right, 0, right, height, scratch.Get(), p.Right.Get());
    Blit(Target, left, height - FFrame.Bottom, width - left - right, FFrame.Bottom, scratch.Get(),
         p.Bottom.Get());
    if (FMenuBar && FMenuHeight > 0)
      FMenuBar->Paint(Target, RECT{left, title, width - right, title + FMenuHeight});
  }
  if (title <= 0) return;
  if (!FTitleBitmap || FTitleBitmapSize.cx != width || FTitleBitmapSize.cy != title) {
    FTitleBitmap = NewSurface(width, title);
    FTitleBitmapSize = {width, title};
  }
  if (!FTitleBitmap) return;
  TMemoryDC titleDc(CreateCompatibleDC(Target));
  if (!titleDc) return;
  TSelectObject sel(titleDc.Get(), FTitleBitmap.Get());
  // The side borders' top rows, the title piece between them, the caption, the buttons:
  // composed here, then put on the screen in one copy.
  Blit(titleDc.Get(), 0, 0, left, title, scratch.Get(), p.Left.Get());
  Blit(titleDc.Get(), width - right, 0, right, title, scratch.Get(), p.Right.Get());
  Blit(titleDc.Get(), left, 0, width - left - right, title, scratch.Get(), p.Title.Get());
  PaintTitle(titleDc.Get(), width);
  BitBlt(Target, 0, 0, width, title, titleDc.Get(), 0, 0, SRCCOPY);
}

TitleLayout TSkinForm::LayoutTitleBar(HDC Dc, int Width) {
  const SysButtonWindow conditions = ButtonConditions();
  std::vector<SysButtonSpec> specs;
  std::vector<TWinSysButton*> placed;
  const SIZE icon{GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)};
  FTitleIcon = WindowSmallIcon();
  for (const auto& b : FButtons->List()) {
    const TDataSkinSysButton* e = b->Element();
    if (e->Visibility == kMenuBarButton) continue;  // laid out and drawn by the menu bar
    b->SetVisible(false);
    if (!SysButtonShown(e->Action, e->Visibility, e->Visibility1, conditions)) continue;
    SysButtonSpec s{e->Align, e->Xcoord, e->Ycoord, 0, 0};
    if (b->UsesIcon()) {
      if (!FTitleIcon) continue;
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
  const TDataSkinTitle* t = FSkinData->Title.get();
  CaptionSpec c;
  {
    TSelectObject font(Dc, FCaptionFont.Get());
    const std::wstring measured = FCaption + L"   ";
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
  c.rightToLeft = FRightToLeft;
  c.popup = (FSavedStyle & WS_POPUP) != 0;
  const TitleMetrics m{Width, FFrame, FMenuHeight, 0, FRightToLeft};
  TitleLayout layout = LayoutTitle(specs, c, m);
  for (size_t i = 0; i < placed.size(); ++i) {
    const TPixelRect& r = layout.buttons[i];
    placed[i]->SetBounds(RECT{r.Left, r.Top, r.Right, r.Bottom});
    placed[i]->SetVisible(true);
  }
  return layout;
}

void TSkinForm::PaintTitle(HDC Dc, int Width) {
  const TitleLayout layout = LayoutTitleBar(Dc, Width);
  PaintCaption(Dc, layout);
  for (const auto& b : FButtons->List()) {
    if (!b->Visible()) continue;
    const RECT& at = b->Bounds();
    if (b->UsesIcon()) {
      // Drawn straight onto the title: its soft edges blend with the picture under it.
      DrawIconEx(Dc, at.left, at.top, FTitleIcon, at.right - at.left, at.bottom - at.top, 0,
                 nullptr, DI_NORMAL);
      continue;
    }
    const TDataSkinSysButton* e = b->Element();
    HBITMAP strip = StripOf(e);
    if (!strip) continue;
    const int frames = std::max(1, e->FrameCount);
    DrawFrame(Dc, at, strip, true, frames,
              SysButtonFrameOf(b->State(), FActive, frames, e->Visibility));
  }
}

void TSkinForm::PaintCaption(HDC Dc, const TitleLayout& Layout) {
  const TDataSkinTitle* t = FSkinData->Title.get();
  const TPixelRect& box = Layout.textBox;
  if (t && !t->Bitmap.Empty() && !box.Inverted()) {
    DrawThreeSlice(Dc, RECT{box.Left, box.Top, box.Right, box.Bottom}, StripOf(t), true, true,
                   std::max(1, t->FrameCount), FActive ? 1 : 2,
                   RECT{t->TXTBackleft, 0, t->TXTBackRight, 0});
  }
  if (Layout.textRect.Inverted()) return;
  TSelectObject font(Dc, FCaptionFont.Get());
  SetBkMode(Dc, TRANSPARENT);
  SetTextColor(Dc, TSkinData::ColorToRGB(FActive ? FSkinData->Colours.TitleTextActive
                                                 : FSkinData->Colours.TitleTextNoActive));
  const std::wstring text = L"  " + FCaption;
  RECT r{Layout.textRect.Left, Layout.textRect.Top, Layout.textRect.Right, Layout.textRect.Bottom};
  DrawTextW(Dc, text.c_str(), -1, &r,
            DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX | (FRightToLeft ? DT_RIGHT : 0));
}

void TSkinForm::UpdateRegion(bool Anyway) {
  RECT wr{};
  GetWindowRect(FWindow, &wr);
  const int width = wr.right - wr.left, height = wr.bottom - wr.top;
  if (width <= 0 || height <= 0) return;
  if (FWindowKind == wkMdiChild && FSizeState != ssRestored) return;
  if (!Anyway && width == FRegionSize.cx && height == FRegionSize.cy && FWindowKind != wkMdiChild &&
      FState != sfsReskinning)
    return;
  // A window that keeps the system's frame keeps its own outline too.
  if (FBorderKind == bkSystem || !FSkinData || FSkinData->SkinNotLoaded) return;
  TRegionHandle region = BorderRegion(width, height);
  if (!region) return;
  // The system owns the region from here on.
  if (SetWindowRgn(FWindow, region.Get(), TRUE)) {
    region.Release();
    FHasRegion = true;
    FRegionSize = {width, height};
  }
}

TRegionHandle TSkinForm::BorderRegion(int width, int height) {
  const TDataSkinBorder* left = FSkinData->LeftBorder.get();
  const TDataSkinBorder* right = FSkinData->RightBorder.get();
  const TDataSkinBorder* top = FSkinData->TopBorder.get();
  const TDataSkinBorder* bottom = FSkinData->BottomBorder.get();
  const int l = FFrame.Left, r = FFrame.Right, t = FFrame.Title, b = FFrame.Bottom;
  if (BorderTrans(right) + BorderTrans(top) + 2 * BorderTrans(left) == 0)
    return RectRegion(0, 0, width, height);
  TRegionHandle region = RectRegion(l, t, width - r, height - b);
  // The outline follows the active frame's pictures: activation does not change it.
  // They are the pictures the frame is painted from next, so they are drawn once for both.
  const TFramePieces& pieces = Pieces(width, height, true);
  TRegionHandle sides = (BorderTrans(left) == 1 && height > 1)
                            ? OpaquePart(pieces.Left, l, height, 0, 0)
                            : RectRegion(0, 0, l, height);
  Unite(sides, (BorderTrans(right) == 1 && height > 1)
                   ? OpaquePart(pieces.Right, r, height, width - r, 0)
                   : RectRegion(width - r, 0, width, height));
  const int middle = width - l - r;
  TRegionHandle ends = (BorderTrans(bottom) == 1 && b >= 2)
                           ? OpaquePart(pieces.Bottom, middle, b, l, height - b)
                           : RectRegion(l, height - b, width - r, height);
  Unite(ends, (BorderTrans(top) == 1 && t > 1 && middle > 0)
                  ? OpaquePart(pieces.Title, middle, t, l, 0)
                  : RectRegion(l, 0, width - r, t));
  Unite(sides, ends);
  Unite(region, sides);
  return region;
}

HICON TSkinForm::WindowSmallIcon() const {
  // Asked for at each layout of the title rather than copied once: the window may replace
  // its icon at any time, and a copy of an icon costs the window's show a millisecond.
  HICON icon = reinterpret_cast<HICON>(SendMessageW(FWindow, WM_GETICON, ICON_SMALL, 0));
  if (!icon) icon = reinterpret_cast<HICON>(SendMessageW(FWindow, WM_GETICON, ICON_SMALL2, 0));
  if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrW(FWindow, GCLP_HICONSM));
  if (!icon) icon = reinterpret_cast<HICON>(SendMessageW(FWindow, WM_GETICON, ICON_BIG, 0));
  if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrW(FWindow, GCLP_HICON));
  return icon;
}

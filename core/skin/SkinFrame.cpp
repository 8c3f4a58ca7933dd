#include "core/skin/SkinFrame.h"

#include <algorithm>

namespace vpn::skin {

TBorderKind BorderKindOf(bool popup, bool fullCaption, bool windowEdge, bool thickFrame) {
  if (popup && !fullCaption) return bkSystem;
  if (windowEdge || thickFrame) return bkFramed;
  return bkThin;
}

FrameSizes FrameSizesOf(StripSize left, StripSize right, StripSize top, StripSize bottom,
                        TBorderKind kind) {
  if (kind == bkSystem) return {};
  auto across = [](int length, int frames) { return std::max(0, length / std::max(1, frames)); };
  return FrameSizes{across(left.width, left.frames), across(top.height, top.frames),
                    across(right.width, right.frames), across(bottom.height, bottom.frames)};
}

TPixelRect ClientBoxOf(const TPixelRect& window, const FrameSizes& frame, int menuHeight) {
  return TPixelRect{window.Left + frame.Left, window.Top + frame.Title + menuHeight,
                    window.Right - frame.Right, window.Bottom - frame.Bottom};
}

OuterSize OuterSizeOf(int clientWidth, int clientHeight, const FrameSizes& frame, int menuHeight) {
  return OuterSize{clientWidth + frame.Left + frame.Right,
                   clientHeight + frame.Title + frame.Bottom + menuHeight};
}

FramePieces FramePiecesOf(int width, int height, const FrameSizes& frame) {
  FramePieces p;
  p.Left = TPixelRect{0, 0, frame.Left, height};
  p.Right = TPixelRect{width - frame.Right, 0, width, height};
  p.Bottom = TPixelRect{frame.Left, height - frame.Bottom, width - frame.Right, height};
  p.Title = TPixelRect{frame.Left, 0, width - frame.Right, frame.Title};
  return p;
}

TFrameRow FrameRowAt(int y, int titleHeight) {
  if (y > titleHeight) return frMenu;
  if (y > 3) return frCaption;
  return frEdge;
}

int BorderFrameOf(bool active, int frames) {
  return (active || frames <= 1) ? 1 : 2;
}

TCaptionCommand CaptionCommandOf(int action) {
  switch (action) {
    case baClose:
      return ccClose;
    case baMaximize:
    case baMaximizeAlt:
      return ccMaximizeOrRestore;
    case baMinimize:
    case baMinimizeAlt:
      return ccMinimizeOrRestore;
    case baSystemMenu:
    case baWindowIcon:
    case baSystemMenuPicture:
      return ccSystemMenu;
    case baChildMinimize:
    case baChildMinimizeAlt:
      return ccChildMinimize;
    case baChildRestore:
    case baChildRestoreAlt:
      return ccChildRestore;
    case baChildClose:
    case baChildCloseAlt:
      return ccChildClose;
    default:
      return ccProgram;
  }
}

bool ShowsWindowIcon(int action) {
  return action == baSystemMenu || action == baWindowIcon;
}

int SysButtonFrameOf(TNCState state, bool active, int frames, int visibility) {
  int frame = 1;
  switch (state) {
    case nsPressed:
      frame = 2;
      break;
    case nsHot:
      frame = visibility == kMenuBarButton ? 4 : 3;
      break;
    default:
      frame = (!active && frames >= 4) ? 4 : 1;
      break;
  }
  return frame <= frames ? frame : 1;
}

namespace {

// One column of the visibility table: `first` picks the first condition's reading where
// the two columns differ.
bool ConditionHolds(int condition, int action, bool first, const SysButtonWindow& w) {
  switch (condition) {
    case 0:
      return !first || (w.border != bkThin && (action != baClose || w.sysMenu));
    case 1:
      return w.maximised;
    case 2:
      return !w.maximised;
    case 3:
      return w.active;
    case 4:
      return !w.active;
    case 6:
      return w.maxBox && (!first || w.sysMenu);
    case 7:
      return !w.maxBox;
    case 8:
      return w.minBox && (!first || w.sysMenu);
    case 9:
      return !w.minBox;
    case 100:
      return w.mdiMaxChildInMenuBar;
    default:
      return condition >= 200 && condition <= 2000;
  }
}

}  // namespace

bool SysButtonShown(int action, int visibility, int visibility1, const SysButtonWindow& w) {
  if (action == baMaximize && !w.maxBox) return false;
  if (action == baMinimize && !w.minBox) return false;
  return ConditionHolds(visibility, action, true, w) &&
         ConditionHolds(visibility1, action, false, w);
}

TitleLayout LayoutTitle(const std::vector<SysButtonSpec>& buttons, const CaptionSpec& caption,
                        const TitleMetrics& m) {
  TitleLayout out;
  out.buttons.resize(buttons.size());
  const int titleLeft = m.frame.Left;
  const int titleRight = m.windowWidth - m.frame.Right;
  auto at = [](const SysButtonSpec& b, int x, int y) {
    return TPixelRect{x, y, x + b.width, y + b.height};
  };

  out.captionLimit = titleRight;
  for (size_t i = 0; i < buttons.size(); ++i) {
    const SysButtonSpec& b = buttons[i];
    if (b.align == 1) {
      out.buttons[i] = at(b, m.windowWidth - b.x, b.y);
      out.captionLimit = std::min(out.captionLimit, out.buttons[i].Left);
    } else if (b.align == 100) {
      const int y = m.frame.Title + (m.menuHeight - b.height) / 2;
      const int x = m.rightToLeft ? m.frame.Left + b.x + m.menuBarMargin
                                  : m.windowWidth - b.x - m.frame.Right - m.menuBarMargin;
      out.buttons[i] = at(b, x, y);
    } else if (b.align != 2 && b.align != 3 && b.align != 8 && b.align != 9) {
      out.buttons[i] = at(b, b.x, b.y);
    }
  }

  const int boxWidth = caption.textWidth + caption.backLeft + caption.backRight;
  int left;
  if (caption.rightToLeft || caption.alignment == 2) {
    left = titleRight - caption.rightClip - boxWidth;
  } else if (caption.alignment == 1) {
    left = titleLeft + (titleRight - titleLeft - boxWidth) / 2;
  } else {
    left = titleLeft + caption.shift;
  }
  const int top = (m.frame.Title - caption.textHeight) / 2 + caption.shiftVert / 2;
  TPixelRect box{left, top, left + boxWidth, top + caption.textHeight};
  if (caption.popup) {
    if (box.Right < out.captionLimit - 5) box.Right = out.captionLimit - 5;
  } else if (box.Right > titleRight - caption.rightClip) {
    box.Right = titleRight - caption.rightClip;
  }
  out.textBox = box;
  out.textRect =
      TPixelRect{box.Left + caption.backLeft, box.Top, box.Right - caption.backRight, box.Bottom};

  for (size_t i = 0; i < buttons.size(); ++i) {
    const SysButtonSpec& b = buttons[i];
    if (b.align == 2 || b.align == 8)
      out.buttons[i] = at(b, box.Left - b.width - b.x, b.y);
    else if (b.align == 3 || b.align == 9)
      out.buttons[i] = at(b, box.Right + b.x, b.y);
  }
  return out;
}

}  // namespace vpn::skin

// Window messages as the framework hands them to controls.
#pragma once

#include <windows.h>

#include <functional>

struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

using TWndMethod = std::function<void(TMessage&)>;

// The framework's own messages. CM_ messages go to controls; CN_ messages are the
// notifications a parent reflects back to the child control that sent them.
enum : UINT {
  CM_BASE = 0xB000,
  CM_ENABLEDCHANGED = CM_BASE + 3,
  CM_FONTCHANGED = CM_BASE + 9,
  CM_COLORCHANGED = CM_BASE + 10,
  CM_MOUSEENTER = CM_BASE + 19,
  CM_MOUSELEAVE = CM_BASE + 20,
  CM_VISIBLECHANGED = CM_BASE + 23,
  CM_TEXTCHANGED = CM_BASE + 24,
  // Sent to a form once the windows of its controls that lay out of sight at the first
  // show have been made, right after that show.
  CM_LATEWINDOWSCREATED = CM_BASE + 60,
  CN_BASE = 0xBC00,
  CN_COMMAND = CN_BASE + WM_COMMAND,
  CN_NOTIFY = CN_BASE + WM_NOTIFY,
  CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT,
  CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX,
  CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN,
  CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC,
  CN_DRAWITEM = CN_BASE + WM_DRAWITEM,
  CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM,
  CN_HSCROLL = CN_BASE + WM_HSCROLL,
  CN_VSCROLL = CN_BASE + WM_VSCROLL,
};

// Window messages as the framework hands them to controls, and every message number of
// the program's own in one place.
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
  CM_EXIT = CM_BASE + 27,  // focus left a control of the form
  // Sent to a form once the windows of its controls that lay out of sight at the first
  // show have been made, right after that show.
  CM_LATEWINDOWSCREATED = CM_BASE + 60,
  CM_CHECKCHANGED = CM_BASE + 208,  // a framework check box changed its state
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

// The skin engine's messages between the skin manager, the skinned windows and their
// controls. Other programs and tools send them too, so their numbers stay as they are.
enum : UINT {
  SM_RESKIN = 0x3401,        // re-apply the skin's colours and frame to a form
  SM_PAINTFRAME = 0x3502,    // paint the frame (posted by an MDI client)
  SM_SKINSTART = 0x3503,     // posted to a newly skinned window, lParam 1000
  SM_QUERYSKINNED = 0x3504,  // a skinned window answers 1
};

// The shell's notifications about the tray icon, at the number the icon's record names.
constexpr UINT WM_TRAYCALLBACK = 0x0800;  // WM_USER + 0x400

// The program's private messages: each goes to a window of the program's own, which
// alone gives it a meaning.
enum : UINT {
  // The skin's caption button of a kind the program defines was clicked: wParam is the
  // button's action number (posted to the skinned window).
  SM_CAPTIONBUTTON = WM_APP + 1,
  // The application window runs what waited for the main form's first show.
  PM_RUNAFTERSHOW = WM_APP + 2,
  // The timers' window switches a timer on (wParam its identity, lParam 1) or off.
  PM_SETTIMERENABLED = WM_APP + 3,
  // The line watch's window: the line with this generation (wParam) was dropped.
  PM_LINEDROPPED = WM_APP + 4,
  // A skinned control's bars changed: it paints them once, however many changes came.
  PM_REPAINTBARS = WM_APP + 5,
  // Sent through a window to learn whether the skin's subclass procedure is still in its
  // chain of procedures (lParam: the skin's mark).
  PM_SUBCLASSPROBE = WM_APP + 6,
  // The browser control: a navigation failed (wParam: its number).
  PM_NAVIGATIONFAILED = WM_APP + 7,
  // The main window: the account query's worker has its answer.
  PM_ACCOUNTQUERYENDED = WM_APP + 8,
  // The main window: the node list's fetch has ended.
  PM_NODELISTFETCHED = WM_APP + 9,
  // The main window: a second copy's command is waiting to be carried out.
  PM_COMMANDSWAITING = WM_APP + 10,
  // The main window: the commands waiting for an outcome look at the state again.
  PM_COMMANDCHECK = WM_APP + 11,
  // The timers' window: the first tick of a timer shorter than the system's shortest is
  // due (wParam its identity).
  PM_TIMERDUE = WM_APP + 12,
};

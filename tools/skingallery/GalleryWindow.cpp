#include "tools/skingallery/GalleryWindow.h"

// (the common controls' header needs the base declarations first)
#include <commctrl.h>

#include <string>

#include "tools/skingallery/GalleryIds.h"

namespace gallery {

namespace {

constexpr int kClientWidth = 890;
constexpr int kClientHeight = 520;

struct TMaker {
  HWND parent;
  HFONT font;

  HWND Make(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h,
            int id, DWORD exStyle = 0) const {
    HWND c = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             GetModuleHandleW(nullptr), nullptr);
    if (c) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return c;
  }
};

void AddTabs(HWND tab, int count, const wchar_t* prefix) {
  for (int i = 0; i < count; ++i) {
    std::wstring text = prefix + std::to_wstring(i + 1);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    SendMessageW(tab, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
}

void MakeButtons(const TMaker& m) {
  // The group boxes come first, as in a dialog: the controls they hold lie above them.
  m.Make(L"BUTTON", L"Buttons", BS_GROUPBOX, 12, 8, 210, 90, gcButtonGroup);
  m.Make(L"BUTTON", L"Choices", BS_GROUPBOX, 12, 112, 210, 116, gcChoiceGroup);
  m.Make(L"BUTTON", L"Normal", BS_PUSHBUTTON | WS_TABSTOP, 24, 28, 90, 25, gcButton);
  m.Make(L"BUTTON", L"Default", BS_DEFPUSHBUTTON | WS_TABSTOP, 122, 28, 90, 25, gcDefaultButton);
  m.Make(L"BUTTON", L"Disabled", BS_PUSHBUTTON | WS_DISABLED, 24, 62, 90, 25, gcDisabledButton);

  m.Make(L"BUTTON", L"Check box", BS_AUTOCHECKBOX | WS_TABSTOP, 24, 134, 90, 18, gcCheckBox);
  HWND checked =
      m.Make(L"BUTTON", L"Checked", BS_AUTOCHECKBOX | WS_TABSTOP, 24, 156, 90, 18, gcCheckedBox);
  SendMessageW(checked, BM_SETCHECK, BST_CHECKED, 0);
  HWND off = m.Make(L"BUTTON", L"Disabled", BS_AUTOCHECKBOX | WS_DISABLED, 24, 178, 90, 18,
                    gcDisabledCheckBox);
  SendMessageW(off, BM_SETCHECK, BST_CHECKED, 0);
  HWND third = m.Make(L"BUTTON", L"Third state", BS_AUTO3STATE | WS_TABSTOP, 24, 200, 90, 18,
                      gcThreeStateBox);
  SendMessageW(third, BM_SETCHECK, BST_INDETERMINATE, 0);
  HWND one = m.Make(L"BUTTON", L"Radio one", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 122, 134,
                    90, 18, gcRadioOne);
  SendMessageW(one, BM_SETCHECK, BST_CHECKED, 0);
  m.Make(L"BUTTON", L"Radio two", BS_AUTORADIOBUTTON, 122, 156, 90, 18, gcRadioTwo);
  m.Make(L"BUTTON", L"Disabled", BS_AUTORADIOBUTTON | WS_DISABLED, 122, 178, 90, 18,
         gcDisabledRadio);
}

void MakeValueControls(const TMaker& m) {
  m.Make(L"EDIT", L"An edit box", ES_AUTOHSCROLL | WS_TABSTOP, 12, 240, 210, 22, gcEdit,
         WS_EX_CLIENTEDGE);
  HWND spinEdit =
      m.Make(L"EDIT", L"", ES_NUMBER | WS_TABSTOP, 12, 270, 96, 22, gcSpinEdit, WS_EX_CLIENTEDGE);
  HWND spin =
      m.Make(UPDOWN_CLASSW, L"", UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
             0, 0, 0, 0, gcSpinEditUpDown);
  SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(spinEdit), 0);
  SendMessageW(spin, UDM_SETRANGE32, 0, 100);
  SendMessageW(spin, UDM_SETPOS32, 0, 42);
  HWND horz = m.Make(UPDOWN_CLASSW, L"", UDS_HORZ | UDS_ARROWKEYS, 118, 270, 40, 22, gcUpDownHorz);
  SendMessageW(horz, UDM_SETRANGE32, 0, 10);
  m.Make(UPDOWN_CLASSW, L"", WS_DISABLED, 168, 270, 18, 22, gcUpDownDisabled);

  HWND combo = m.Make(L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 12, 302, 210,
                      200, gcCombo);
  HWND left = m.Make(L"COMBOBOX", L"", CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP, 12, 332, 210, 200,
                     gcComboLeft, WS_EX_LEFTSCROLLBAR | WS_EX_RTLREADING | WS_EX_RIGHT);
  for (const wchar_t* item : {L"First choice", L"Second choice", L"Third choice", L"Fourth choice",
                              L"Fifth choice", L"Sixth choice"}) {
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SendMessageW(left, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  }
  SendMessageW(combo, CB_SETCURSEL, 0, 0);
  SendMessageW(left, CB_SETCURSEL, 1, 0);

  HWND progress = m.Make(PROGRESS_CLASSW, L"", 0, 12, 366, 210, 18, gcProgress);
  SendMessageW(progress, PBM_SETPOS, 60, 0);
  HWND smooth = m.Make(PROGRESS_CLASSW, L"", PBS_SMOOTH, 12, 392, 210, 18, gcProgressSmooth);
  SendMessageW(smooth, PBM_SETPOS, 35, 0);

  HWND track = m.Make(TRACKBAR_CLASSW, L"", TBS_HORZ | TBS_AUTOTICKS | WS_TABSTOP, 12, 420, 210, 32,
                      gcTrackHorz);
  SendMessageW(track, TBM_SETRANGE, TRUE, MAKELPARAM(0, 20));
  SendMessageW(track, TBM_SETPOS, TRUE, 8);
  HWND vert = m.Make(TRACKBAR_CLASSW, L"", TBS_VERT | TBS_AUTOTICKS | WS_TABSTOP, 236, 380, 36, 110,
                     gcTrackVert);
  SendMessageW(vert, TBM_SETRANGE, TRUE, MAKELPARAM(0, 20));
  SendMessageW(vert, TBM_SETPOS, TRUE, 12);
}

void MakeScrollingControls(const TMaker& m, int listLines) {
  std::wstring text;
  for (int i = 1; i <= 60; ++i) {
    text += L"Memo line " + std::to_wstring(i);
    if (i % 7 == 0) text += L", a longer line that reaches past the right edge of the memo";
    text += L"\r\n";
  }
  m.Make(L"EDIT", text.c_str(),
         ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_HSCROLL |
             WS_TABSTOP,
         236, 8, 250, 150, gcMemo, WS_EX_CLIENTEDGE);

  HWND list = m.Make(
      L"LISTBOX", L"",
      LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP,
      236, 166, 250, 204, gcListBox, WS_EX_CLIENTEDGE);
  // Ten thousand lines go in without a repaint per line.
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_INITSTORAGE, listLines, static_cast<LPARAM>(listLines) * 40);
  for (int i = 1; i <= listLines; ++i) {
    std::wstring line = L"List line " + std::to_wstring(i);
    if (i % 5 == 0) line += L" with more words than the list box is wide";
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  }
  SendMessageW(list, LB_SETHORIZONTALEXTENT, 420, 0);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
}

void MakeTabs(const TMaker& m) {
  // Twelve tabs on one row of 380 pixels: the row overflows and shows its arrows.
  HWND top = m.Make(WC_TABCONTROLW, L"", WS_TABSTOP | WS_CLIPSIBLINGS, 496, 8, 380, 110, gcTabTop);
  AddTabs(top, kTopTabCount, L"Page ");
  HWND bottom = m.Make(WC_TABCONTROLW, L"", TCS_BOTTOM | WS_TABSTOP | WS_CLIPSIBLINGS, 496, 126,
                       380, 100, gcTabBottom);
  AddTabs(bottom, kSideTabCount, L"Bottom ");
  // Tabs on the sides stand in a column of their own (the control makes them multi-line).
  HWND left =
      m.Make(WC_TABCONTROLW, L"", TCS_VERTICAL | TCS_MULTILINE | WS_TABSTOP | WS_CLIPSIBLINGS, 496,
             236, 185, 170, gcTabLeft);
  AddTabs(left, kSideTabCount, L"L");
  HWND right = m.Make(WC_TABCONTROLW, L"",
                      TCS_VERTICAL | TCS_RIGHT | TCS_MULTILINE | WS_TABSTOP | WS_CLIPSIBLINGS, 691,
                      236, 185, 170, gcTabRight);
  AddTabs(right, kSideTabCount, L"R");
}

HMENU MakeMenu() {
  HMENU file = CreatePopupMenu();
  AppendMenuW(file, MF_STRING, cmExit, L"E&xit");
  HMENU position = CreatePopupMenu();
  AppendMenuW(position, MF_STRING, cmPositionStart, L"&Start");
  AppendMenuW(position, MF_STRING, cmPositionMiddle, L"&Middle");
  AppendMenuW(position, MF_STRING, cmPositionEnd, L"&End");
  HMENU view = CreatePopupMenu();
  AppendMenuW(view, MF_STRING, cmDisableAll, L"&Disable the controls");
  AppendMenuW(view, MF_POPUP, reinterpret_cast<UINT_PTR>(position), L"&Values");
  AppendMenuW(view, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(view, MF_STRING | MF_GRAYED, cmDisabledItem, L"A disabled item");
  HMENU bar = CreateMenu();
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(view), L"&View");
  return bar;
}

// The controls that the menu's "disable" switches off and on again (those that are
// disabled for good stay so).
constexpr int kSwitchable[] = {
    gcButton,    gcDefaultButton, gcCheckBox,  gcCheckedBox,     gcThreeStateBox,  gcRadioOne,
    gcRadioTwo,  gcEdit,          gcSpinEdit,  gcSpinEditUpDown, gcUpDownHorz,     gcMemo,
    gcListBox,   gcCombo,         gcComboLeft, gcProgress,       gcProgressSmooth, gcTrackHorz,
    gcTrackVert, gcTabTop,        gcTabBottom, gcTabLeft,        gcTabRight};

void SetValues(HWND w, int percent) {
  SendDlgItemMessageW(w, gcProgress, PBM_SETPOS, percent, 0);
  SendDlgItemMessageW(w, gcProgressSmooth, PBM_SETPOS, percent, 0);
  SendDlgItemMessageW(w, gcTrackHorz, TBM_SETPOS, TRUE, percent / 5);
  SendDlgItemMessageW(w, gcTrackVert, TBM_SETPOS, TRUE, percent / 5);
  SendDlgItemMessageW(w, gcSpinEditUpDown, UDM_SETPOS32, 0, percent);
}

void Command(HWND w, int id) {
  switch (id) {
    case cmExit:
      PostMessageW(w, WM_CLOSE, 0, 0);
      break;
    case cmDisableAll: {
      HMENU menu = GetMenu(w);
      const bool disable = !(GetMenuState(menu, cmDisableAll, MF_BYCOMMAND) & MF_CHECKED);
      CheckMenuItem(menu, cmDisableAll, MF_BYCOMMAND | (disable ? MF_CHECKED : MF_UNCHECKED));
      for (int c : kSwitchable) EnableWindow(GetDlgItem(w, c), !disable);
      SendDlgItemMessageW(w, gcStatusBar, SB_SETTEXTW, 2,
                          reinterpret_cast<LPARAM>(disable ? L"Disabled" : L"Ready"));
      break;
    }
    case cmPositionStart:
      SetValues(w, 0);
      break;
    case cmPositionMiddle:
      SetValues(w, 50);
      break;
    case cmPositionEnd:
      SetValues(w, 100);
      break;
  }
}

LRESULT CALLBACK GalleryProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wp) == 0 && lp == 0) Command(w, LOWORD(wp));
      return 0;
    case WM_SIZE:
      SendDlgItemMessageW(w, gcStatusBar, WM_SIZE, 0, 0);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

}  // namespace

HWND CreateGalleryWindow(const TGalleryOptions& options) {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = GalleryProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
    wc.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));      // the application icon
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    return RegisterClassExW(&wc) != 0;
  }();
  if (!registered) return nullptr;

  // Not clipping its children: the group boxes leave their inside to the window.
  const DWORD style = WS_OVERLAPPEDWINDOW;
  HMENU menu = MakeMenu();
  RECT r{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&r, style, TRUE, 0);
  HWND w = CreateWindowExW(0, kWindowClass, kWindowCaption, style, 40, 40, r.right - r.left,
                           r.bottom - r.top, nullptr, menu, GetModuleHandleW(nullptr), nullptr);
  if (!w) {
    DestroyMenu(menu);
    return nullptr;
  }
  const TMaker m{w, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))};
  MakeButtons(m);
  MakeValueControls(m);
  MakeScrollingControls(m, options.listLines);
  MakeTabs(m);

  HWND status = m.Make(STATUSCLASSNAMEW, L"", SBARS_SIZEGRIP, 0, 0, 0, 0, gcStatusBar);
  const int parts[] = {260, 420, -1};
  SendMessageW(status, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(parts));
  const std::wstring skin = L"Skin: " + options.skinName;
  const std::wstring lines = std::to_wstring(options.listLines) + L" list lines";
  SendMessageW(status, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(skin.c_str()));
  SendMessageW(status, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(lines.c_str()));
  SendMessageW(status, SB_SETTEXTW, 2, reinterpret_cast<LPARAM>(L"Ready"));
  return w;
}

}  // namespace gallery

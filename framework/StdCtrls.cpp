#include "framework/StdCtrls.h"

#include "core/text/secret.h"
#include "framework/Gbk.h"

// ---------------------------------------------------------------- TButton

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 75;
  FHeight = 25;
  SetTabStop(true);
}

void TButton::SetDefault(bool on) {
  FDefault = on;
  if (HandleAllocated())
    SendMessageW(Handle(), BM_SETSTYLE, on ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SysClassName = L"BUTTON";
  p.Style |= (FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
}

void TButton::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND) {
    if (HIWORD(m.WParam) == BN_CLICKED) Click();
    return;
  }
  TWinControl::WndProc(m);
}

// ---------------------------------------------------------------- TCheckBox

TCheckBox::TCheckBox(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 97;
  FHeight = 17;
  SetTabStop(true);
}

bool TCheckBox::Checked() const {
  if (ExistingHandle()) return SendMessageW(ExistingHandle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
  return FChecked;
}

void TCheckBox::SetChecked(bool on) {
  if (on == Checked()) return;
  FChecked = on;
  if (HandleAllocated()) SendMessageW(Handle(), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
  Click();
}

void TCheckBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SysClassName = L"BUTTON";
  p.Style |= BS_AUTOCHECKBOX;
}

void TCheckBox::InitializeWnd() {
  TWinControl::InitializeWnd();
  SendMessageW(Handle(), BM_SETCHECK, FChecked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND) {
    if (HIWORD(m.WParam) == BN_CLICKED) {
      FChecked = Checked();
      Click();
    }
    return;
  }
  if (m.Msg == WM_DESTROY) FChecked = Checked();
  TWinControl::WndProc(m);
}

// ---------------------------------------------------------------- TEdit

TEdit::TEdit(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 121;
  FHeight = 21;
  FColor = clWindow;
  SetTabStop(true);
}

void TEdit::SetMaxLength(int n) {
  FMaxLength = n;
  if (HandleAllocated()) SendMessageW(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(n), 0);
}

void TEdit::SetReadOnly(bool on) {
  FReadOnly = on;
  if (HandleAllocated()) SendMessageW(Handle(), EM_SETREADONLY, on, 0);
}

void TEdit::SetCharCase(TEditCharCase c) {
  if (c == FCharCase) return;
  FCharCase = c;
  RecreateWnd();
}

void TEdit::SelectAll() {
  if (HandleAllocated()) SendMessageW(Handle(), EM_SETSEL, 0, -1);
}

void TEdit::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SysClassName = L"EDIT";
  p.Style |= ES_AUTOHSCROLL | ES_LEFT;
  if (FReadOnly) p.Style |= ES_READONLY;
  if (FCharCase == ecUpperCase) p.Style |= ES_UPPERCASE;
  if (FCharCase == ecLowerCase) p.Style |= ES_LOWERCASE;
  p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TEdit::InitializeWnd() {
  TWinControl::InitializeWnd();
  if (FMaxLength) SendMessageW(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
}

void TEdit::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND) {
    if (HIWORD(m.WParam) == EN_CHANGE && OnChange) OnChange(this);
    return;
  }
  TWinControl::WndProc(m);
}

void TMaskEdit::SetPasswordChar(char c) {
  if (c == FPasswordChar) return;
  FPasswordChar = c;
  if (HandleAllocated()) {
    SendMessageW(Handle(), EM_SETPASSWORDCHAR, static_cast<WPARAM>(static_cast<unsigned char>(c)),
                 0);
    Invalidate();
  }
}

void TMaskEdit::CreateParams(TCreateParams& p) {
  TEdit::CreateParams(p);
  if (FPasswordChar) p.Style |= ES_PASSWORD;
}

void TMaskEdit::InitializeWnd() {
  TEdit::InitializeWnd();
  if (FPasswordChar) {
    SendMessageW(Handle(), EM_SETPASSWORDCHAR,
                 static_cast<WPARAM>(static_cast<unsigned char>(FPasswordChar)), 0);
    vpn::WipeText(FText);
  }
}

std::string TMaskEdit::GetText() const {
  if (!FPasswordChar || !HandleAllocated()) return TEdit::GetText();
  HWND wnd = ExistingHandle();
  const int n = GetWindowTextLengthW(wnd);
  std::wstring buf(static_cast<size_t>(n) + 1, L'\0');
  const int got = GetWindowTextW(wnd, buf.data(), n + 1);
  std::string text =
      WideToGbk(std::wstring_view(buf.data(), static_cast<size_t>(got > 0 ? got : 0)));
  vpn::WipeBytes(buf.data(), buf.size() * sizeof(wchar_t));
  return text;
}

void TMaskEdit::TextChanged() {
  if (!FPasswordChar || !HandleAllocated()) {
    TEdit::TextChanged();
    return;
  }
  std::wstring wide = GbkToWide(FText);
  SetWindowTextW(Handle(), wide.c_str());
  vpn::WipeBytes(wide.data(), wide.size() * sizeof(wchar_t));
  vpn::WipeText(FText);
  Invalidate();
}

// ---------------------------------------------------------------- item lists

void TItemsMirror::Attach(TStrings& items) {
  items.OnChange = [this, &items](TStrings::TChange change, int index) {
    if (!FControl->HandleAllocated()) return;
    HWND wnd = FControl->Handle();
    switch (change) {
      case TStrings::chInsert:
        SendMessageW(wnd, FInsert, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(GbkToWide(items[index]).c_str()));
        break;
      case TStrings::chDelete:
        SendMessageW(wnd, FDelete, static_cast<WPARAM>(index), 0);
        break;
      case TStrings::chPut:
        SendMessageW(wnd, FDelete, static_cast<WPARAM>(index), 0);
        SendMessageW(wnd, FInsert, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(GbkToWide(items[index]).c_str()));
        break;
      case TStrings::chClear:
        SendMessageW(wnd, FReset, 0, 0);
        break;
    }
  };
}

void TItemsMirror::Fill(const TStrings& items) {
  HWND wnd = FControl->Handle();
  SendMessageW(wnd, FReset, 0, 0);
  for (int i = 0; i < items.Count(); ++i)
    SendMessageW(wnd, FInsert, static_cast<WPARAM>(i),
                 reinterpret_cast<LPARAM>(GbkToWide(items[i]).c_str()));
}

// ---------------------------------------------------------------- TComboBox

TComboBox::TComboBox(TComponent* AOwner)
    : TWinControl(AOwner), FMirror(this, CB_INSERTSTRING, CB_DELETESTRING, CB_RESETCONTENT) {
  FWidth = 145;
  FHeight = 21;
  FColor = clWindow;
  SetTabStop(true);
  FMirror.Attach(FItems);
}

int TComboBox::ItemIndex() const {
  if (ExistingHandle()) return static_cast<int>(SendMessageW(ExistingHandle(), CB_GETCURSEL, 0, 0));
  return FItemIndex;
}

void TComboBox::SetItemIndex(int index) {
  FItemIndex = index;
  if (HandleAllocated()) SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TComboBox::SetStyle(TComboBoxStyle style) {
  if (style == FStyle) return;
  FStyle = style;
  RecreateWnd();
}

void TComboBox::SetCharCase(TEditCharCase c) {
  if (c == FCharCase) return;
  FCharCase = c;
  RecreateWnd();
}

void TComboBox::SetItemHeight(int h) {
  FItemHeight = h;
  if (HandleAllocated() && h > 0)
    SendMessageW(Handle(), CB_SETITEMHEIGHT, 0, static_cast<LPARAM>(h));
}

void TComboBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SysClassName = L"COMBOBOX";
  p.Style |= WS_VSCROLL | CBS_AUTOHSCROLL;
  p.Style |= FStyle == csDropDownList ? CBS_DROPDOWNLIST
             : FStyle == csSimple     ? CBS_SIMPLE
                                      : CBS_DROPDOWN;
  if (FCharCase == ecUpperCase) p.Style |= CBS_UPPERCASE;
  if (FCharCase == ecLowerCase) p.Style |= CBS_LOWERCASE;
  // The window height includes the dropped-down list.
  int item = FItemHeight > 0 ? FItemHeight : 16;
  if (FStyle != csSimple) p.Height = FHeight + item * FDropDownCount + 2;
}

void TComboBox::InitializeWnd() {
  std::string text = FText;
  TWinControl::InitializeWnd();
  FMirror.Fill(FItems);
  if (FItemHeight > 0) SendMessageW(Handle(), CB_SETITEMHEIGHT, 0, FItemHeight);
  if (FItemIndex >= 0) SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
  if (FStyle != csDropDownList && FItemIndex < 0 && !text.empty())
    SetWindowTextW(Handle(), GbkToWide(text).c_str());
}

void TComboBox::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND) {
    WORD code = HIWORD(m.WParam);
    if (code == CBN_SELCHANGE) {
      FItemIndex = ItemIndex();
      if (OnChange) OnChange(this);
      Click();
    } else if (code == CBN_EDITCHANGE && OnChange) {
      OnChange(this);
    }
    return;
  }
  if (m.Msg == WM_DESTROY) FItemIndex = ItemIndex();
  TWinControl::WndProc(m);
}

// ---------------------------------------------------------------- TListBox

TListBox::TListBox(TComponent* AOwner)
    : TWinControl(AOwner), FMirror(this, LB_INSERTSTRING, LB_DELETESTRING, LB_RESETCONTENT) {
  FWidth = 121;
  FHeight = 97;
  FColor = clWindow;
  SetTabStop(true);
  FMirror.Attach(FItems);
}

int TListBox::ItemIndex() const {
  if (ExistingHandle()) return static_cast<int>(SendMessageW(ExistingHandle(), LB_GETCURSEL, 0, 0));
  return FItemIndex;
}

void TListBox::SetItemIndex(int index) {
  FItemIndex = index;
  if (HandleAllocated()) SendMessageW(Handle(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TListBox::SetItemHeight(int h) {
  FItemHeight = h;
  if (HandleAllocated() && h > 0) SendMessageW(Handle(), LB_SETITEMHEIGHT, 0, h);
}

int TListBox::TopIndex() const {
  return ExistingHandle() ? static_cast<int>(SendMessageW(ExistingHandle(), LB_GETTOPINDEX, 0, 0))
                          : 0;
}

void TListBox::SetTopIndex(int index) {
  if (HandleAllocated()) SendMessageW(Handle(), LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}

void TListBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SysClassName = L"LISTBOX";
  p.Style |= LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
  p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TListBox::InitializeWnd() {
  TWinControl::InitializeWnd();
  if (FItemHeight > 0) SendMessageW(Handle(), LB_SETITEMHEIGHT, 0, FItemHeight);
  FMirror.Fill(FItems);
  if (FItemIndex >= 0) SendMessageW(Handle(), LB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
}

void TListBox::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND) {
    if (HIWORD(m.WParam) == LBN_SELCHANGE) {
      FItemIndex = ItemIndex();
      Click();
    } else if (HIWORD(m.WParam) == LBN_DBLCLK && OnDblClick) {
      FItemIndex = ItemIndex();
      OnDblClick(this);
    }
    return;
  }
  if (m.Msg == WM_DESTROY) FItemIndex = ItemIndex();
  TWinControl::WndProc(m);
}

// ---------------------------------------------------------------- TLabel

TLabel::TLabel(TComponent* AOwner) : TControl(AOwner) {
  FWidth = 65;
  FHeight = 17;
}

void TLabel::SetAutoSize(bool on) {
  FAutoSize = on;
  AdjustBounds();
}

void TLabel::SetTransparent(bool on) {
  FTransparent = on;
  Invalidate();
}

void TLabel::SetAlignment(TAlignment a) {
  FAlignment = a;
  Invalidate();
}

void TLabel::SetShowAccelChar(bool on) {
  FShowAccelChar = on;
  AdjustBounds();
  Invalidate();
}

void TLabel::SetWordWrap(bool on) {
  FWordWrap = on;
  AdjustBounds();
  Invalidate();
}

UINT TLabel::DrawFlags() const {
  UINT flags = DT_EXPANDTABS;
  if (FWordWrap) flags |= DT_WORDBREAK;
  if (!FShowAccelChar) flags |= DT_NOPREFIX;
  if (FAlignment == taCenter) flags |= DT_CENTER;
  if (FAlignment == taRightJustify) flags |= DT_RIGHT;
  return flags;
}

void TLabel::AdjustBounds() {
  if (!FAutoSize || HasState(csLoading)) return;
  TWindowDC screen(nullptr);
  TSelectObject font(screen.Get(), FFont.Handle());
  std::wstring text = GbkToWide(FText);
  // An empty label keeps the height of one line.
  if (text.empty()) text = L" ";
  RECT r{0, 0, FWordWrap ? FWidth : 0, 0};
  DrawTextW(screen.Get(), text.c_str(), static_cast<int>(text.size()), &r,
            DrawFlags() | DT_CALCRECT);
  int w = FWordWrap ? FWidth : r.right - r.left;
  int h = r.bottom - r.top;
  // Right-aligned labels keep their right edge.
  int left = FAlignment == taRightJustify ? FLeft + FWidth - w : FLeft;
  SetBounds(left, FTop, w, h);
}

void TLabel::Loaded() {
  TControl::Loaded();
  AdjustBounds();
}

void TLabel::TextChanged() {
  AdjustBounds();
  Invalidate();
}

void TLabel::FontChanged() {
  AdjustBounds();
  Invalidate();
}

void TLabel::Paint(HDC dc) {
  RECT r = ClientRect();
  if (!FTransparent) {
    TColor back = FParent ? FParent->Color() : FColor;
    FillRect(dc, &r, ColorBrush(back));
  }
  TSelectObject font(dc, FFont.Handle());
  SetBkMode(dc, TRANSPARENT);
  std::wstring text = GbkToWide(FText);
  if (!FEnabled) {
    // Disabled text: embossed, as the system draws it.
    RECT shifted = r;
    OffsetRect(&shifted, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &shifted, DrawFlags());
    SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
  } else {
    SetTextColor(dc, ColorToRGB(FFont.Color()));
  }
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DrawFlags());
}

// ---------------------------------------------------------------- layout settings

namespace {
TEditCharCase ParseCharCase(const std::string& v) {
  if (v == "ecNormal") return ecNormal;
  if (v == "ecUpperCase") return ecUpperCase;
  if (v == "ecLowerCase") return ecLowerCase;
  throw Exception("Not a character case: " + v);
}
}  // namespace

bool TButton::SetLayoutProperty(const std::string& name, const std::string& value) {
  if (name == "Default") {
    SetDefault(LayoutBool(value));
    return true;
  }
  return TWinControl::SetLayoutProperty(name, value);
}

bool TEdit::SetLayoutProperty(const std::string& name, const std::string& value) {
  if (name == "MaxLength") {
    SetMaxLength(std::stoi(value));
  } else if (name == "ReadOnly") {
    SetReadOnly(LayoutBool(value));
  } else if (name == "CharCase") {
    SetCharCase(ParseCharCase(value));
  } else {
    return TWinControl::SetLayoutProperty(name, value);
  }
  return true;
}

bool TEdit::SetLayoutEvent(const std::string& event, const std::any& handler) {
  if (event == "OnChange") return AssignLayoutEvent(OnChange, handler, event);
  return TWinControl::SetLayoutEvent(event, handler);
}

bool TMaskEdit::SetLayoutProperty(const std::string& name, const std::string& value) {
  if (name == "PasswordChar") {
    if (value.size() > 1) throw Exception("PasswordChar takes one character");
    SetPasswordChar(value.empty() ? 0 : value[0]);
    return true;
  }
  return TEdit::SetLayoutProperty(name, value);
}

bool TComboBox::SetLayoutProperty(const std::string& name, const std::string& value) {
  if (name == "Style") {
    if (value == "csDropDown")
      SetStyle(csDropDown);
    else if (value == "csDropDownList")
      SetStyle(csDropDownList);
    else if (value == "csSimple")
      SetStyle(csSimple);
    else
      throw Exception("Not a combo box style: " + value);
  } else if (name == "CharCase") {
    SetCharCase(ParseCharCase(value));
  } else if (name == "ItemHeight") {
    SetItemHeight(std::stoi(value));
  } else if (name == "DropDownCount") {
    SetDropDownCount(std::stoi(value));
  } else if (name == "ItemIndex") {
    SetItemIndex(std::stoi(value));
  } else {
    return TWinControl::SetLayoutProperty(name, value);
  }
  return true;
}

bool TComboBox::SetLayoutEvent(const std::string& event, const std::any& handler) {
  if (event == "OnChange") return AssignLayoutEvent(OnChange, handler, event);
  return TWinControl::SetLayoutEvent(event, handler);
}

bool TListBox::SetLayoutProperty(const std::string& name, const std::string& value) {
  if (name == "ItemHeight") {
    SetItemHeight(std::stoi(value));
    return true;
  }
  return TWinControl::SetLayoutProperty(name, value);
}

bool TListBox::SetLayoutEvent(const std::string& event, const std::any& handler) {
  if (event == "OnDblClick") return AssignLayoutEvent(OnDblClick, handler, event);
  return TWinControl::SetLayoutEvent(event, handler);
}

bool TLabel::SetLayoutProperty(const std::string& name, const std::string& value) {
  if (name == "AutoSize") {
    SetAutoSize(LayoutBool(value));
  } else if (name == "Transparent") {
    SetTransparent(LayoutBool(value));
  } else if (name == "WordWrap") {
    SetWordWrap(LayoutBool(value));
  } else if (name == "ShowAccelChar") {
    SetShowAccelChar(LayoutBool(value));
  } else if (name == "Alignment") {
    if (value == "taLeftJustify")
      SetAlignment(taLeftJustify);
    else if (value == "taRightJustify")
      SetAlignment(taRightJustify);
    else if (value == "taCenter")
      SetAlignment(taCenter);
    else
      throw Exception("Not an alignment: " + value);
  } else {
    return TControl::SetLayoutProperty(name, value);
  }
  return true;
}

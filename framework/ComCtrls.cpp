// clang-format off
#include <windows.h>
#include <commctrl.h>  // needs windows.h first
// clang-format on

#include "framework/ComCtrls.h"

#include <algorithm>

#include "framework/Gbk.h"
#include "framework/Graphics.h"

void TStatusPanel::SetText(const std::string& text) {
  if (text == FText) return;
  FText = text;
  FBar->UpdatePanel(Index());
}

void TStatusPanel::SetWidth(int w) {
  FWidth = w;
  FBar->UpdatePanels();
}

int TStatusPanel::Index() const {
  auto& items = FBar->FPanels.FItems;
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].get() == this) return static_cast<int>(i);
  return -1;
}

TStatusPanel* TStatusPanels::Add() {
  FItems.push_back(std::make_unique<TStatusPanel>(FBar));
  FBar->UpdatePanels();
  return FItems.back().get();
}

void TStatusPanels::Clear() {
  FItems.clear();
  FBar->UpdatePanels();
}

TStatusBar::TStatusBar(TComponent* AOwner) : TWinControl(AOwner), FPanels(this) {
  FWidth = 200;
  FHeight = 19;
}

std::string TStatusBar::SimpleText() const {
  return FPanels.Count() ? FPanels.Items(0)->Text() : std::string();
}

void TStatusBar::SetSimpleText(const std::string& text) {
  if (!FPanels.Count()) FPanels.Add();
  FPanels.Items(0)->SetText(text);
}

std::string TStatusBar::PanelText(int index) const {
  HWND wnd = ExistingHandle();
  if (!wnd) return index < FPanels.Count() ? FPanels.Items(index)->Text() : std::string();
  LRESULT info = SendMessageW(wnd, SB_GETTEXTLENGTHW, static_cast<WPARAM>(index), 0);
  std::wstring buf(static_cast<size_t>(LOWORD(info)) + 1, L'\0');
  SendMessageW(wnd, SB_GETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buf.data()));
  buf.resize(wcslen(buf.c_str()));
  return WideToGbk(buf);
}

void TStatusBar::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SysClassName = STATUSCLASSNAMEW;
  // The layout places the bar itself.
  p.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NOMOVEY;
}

void TStatusBar::InitializeWnd() {
  TWinControl::InitializeWnd();
  UpdatePanels();
}

void TStatusBar::UpdatePanels() {
  if (!HandleAllocated()) return;
  int n = std::max(1, FPanels.Count());
  std::vector<int> edges(static_cast<size_t>(n), -1);
  int edge = 0;
  for (int i = 0; i + 1 < FPanels.Count(); ++i) {
    edge += FPanels.Items(i)->Width();
    edges[static_cast<size_t>(i)] = edge;
  }
  SendMessageW(Handle(), SB_SETPARTS, static_cast<WPARAM>(n),
               reinterpret_cast<LPARAM>(edges.data()));
  for (int i = 0; i < FPanels.Count(); ++i) UpdatePanel(i);
}

void TStatusBar::UpdatePanel(int index) {
  if (!HandleAllocated() || index < 0) return;
  std::wstring text = GbkToWide(FPanels.Items(index)->Text());
  SendMessageW(Handle(), SB_SETTEXTW, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(text.c_str()));
}

bool TStatusBar::SetLayoutProperty(const std::string& name, const std::string& value) {
  if (name == "PanelWidths") {
    // Panels that exist keep their texts; missing ones are added.
    size_t start = 0;
    int index = 0;
    while (start <= value.size()) {
      size_t comma = value.find(',', start);
      std::string part =
          value.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
      if (index >= FPanels.Count()) FPanels.Add();
      FPanels.Items(index++)->SetWidth(std::stoi(part));
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
    return true;
  }
  return TWinControl::SetLayoutProperty(name, value);
}

// ---------------------------------------------------------------- TProgressBar

TProgressBar::TProgressBar(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 150;
  FHeight = 16;
}

void TProgressBar::SetRange(int AMin, int AMax) {
  if (AMax < AMin) std::swap(AMin, AMax);
  FMin = AMin;
  FMax = AMax;
  if (HandleAllocated()) SendMessageW(Handle(), PBM_SETRANGE32, FMin, FMax);
  SetPosition(FPosition);
}

void TProgressBar::SetPosition(int value) {
  FPosition = std::clamp(value, FMin, FMax);
  if (HandleAllocated()) SendMessageW(Handle(), PBM_SETPOS, static_cast<WPARAM>(FPosition), 0);
}

void TProgressBar::StepIt() {
  SetPosition(FPosition + FStep);
}

void TProgressBar::SetSmooth(bool on) {
  if (on == FSmooth) return;
  FSmooth = on;
  RecreateWnd();
}

void TProgressBar::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SysClassName = PROGRESS_CLASSW;
  if (FSmooth) p.Style |= PBS_SMOOTH;
}

void TProgressBar::InitializeWnd() {
  TWinControl::InitializeWnd();
  SendMessageW(Handle(), PBM_SETRANGE32, FMin, FMax);
  SendMessageW(Handle(), PBM_SETPOS, static_cast<WPARAM>(FPosition), 0);
}

// ---------------------------------------------------------------- TTrackBar

TTrackBar::TTrackBar(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 150;
  FHeight = 45;
  SetTabStop(true);
}

void TTrackBar::SetRange(int AMin, int AMax) {
  if (AMax < AMin) std::swap(AMin, AMax);
  FMin = AMin;
  FMax = AMax;
  if (HandleAllocated()) SendMessageW(Handle(), TBM_SETRANGEMAX, FALSE, FMax);
  if (HandleAllocated()) SendMessageW(Handle(), TBM_SETRANGEMIN, TRUE, FMin);
  SetPosition(Position());
}

int TTrackBar::Position() const {
  if (HWND w = ExistingHandle()) return static_cast<int>(SendMessageW(w, TBM_GETPOS, 0, 0));
  return FPosition;
}

void TTrackBar::SetPosition(int value) {
  value = std::clamp(value, FMin, FMax);
  const int old = Position();
  FPosition = value;
  if (HandleAllocated()) SendMessageW(Handle(), TBM_SETPOS, TRUE, value);
  if (old != value) Changed();
}

void TTrackBar::SetOrientation(TTrackBarOrientation o) {
  if (o == FOrientation) return;
  FPosition = Position();
  FOrientation = o;
  RecreateWnd();
}

void TTrackBar::SetFrequency(int value) {
  FFrequency = std::max(0, value);
  if (HandleAllocated()) RecreateWnd();
}

void TTrackBar::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SysClassName = TRACKBAR_CLASSW;
  p.Style |= FOrientation == trVertical ? TBS_VERT : TBS_HORZ;
  if (FFrequency > 0) p.Style |= TBS_AUTOTICKS;
}

void TTrackBar::InitializeWnd() {
  TWinControl::InitializeWnd();
  SendMessageW(Handle(), TBM_SETRANGEMIN, FALSE, FMin);
  SendMessageW(Handle(), TBM_SETRANGEMAX, FALSE, FMax);
  if (FFrequency > 0) SendMessageW(Handle(), TBM_SETTICFREQ, static_cast<WPARAM>(FFrequency), 0);
  SendMessageW(Handle(), TBM_SETPOS, TRUE, FPosition);
}

void TTrackBar::Changed() {
  if (OnChange) OnChange(this);
}

void TTrackBar::WndProc(TMessage& m) {
  if (m.Msg == CN_HSCROLL || m.Msg == CN_VSCROLL) {
    const int now = Position();
    if (now != FPosition) {
      FPosition = now;
      Changed();
    }
    return;
  }
  if (m.Msg == CN_CTLCOLORSTATIC && Parent()) {
    // The bar has no face of its own: it stands on its parent's colour.
    const TColor back = Parent()->Color();
    SetBkColor(reinterpret_cast<HDC>(m.WParam), ColorToRGB(back));
    m.Result = reinterpret_cast<LRESULT>(ColorBrush(back));
    return;
  }
  if (m.Msg == WM_DESTROY) FPosition = Position();
  TWinControl::WndProc(m);
}

// ---------------------------------------------------------------- TUpDown

TUpDown::TUpDown(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 17;
  FHeight = 25;
}

void TUpDown::SetRange(int AMin, int AMax) {
  FMin = AMin;
  FMax = AMax;
  if (HandleAllocated()) SendMessageW(Handle(), UDM_SETRANGE32, FMin, FMax);
  SetPosition(FPosition);
}

int TUpDown::Position() const {
  if (HWND w = ExistingHandle()) return static_cast<int>(SendMessageW(w, UDM_GETPOS32, 0, 0));
  return FPosition;
}

void TUpDown::SetPosition(int value) {
  // The range may run downwards (the up arrow then lowers the number).
  FPosition = std::clamp(value, std::min(FMin, FMax), std::max(FMin, FMax));
  if (HandleAllocated()) SendMessageW(Handle(), UDM_SETPOS32, 0, FPosition);
}

void TUpDown::SetIncrement(int value) {
  FIncrement = value;
  if (HandleAllocated()) {
    UDACCEL accel{0, static_cast<UINT>(std::max(1, value))};
    SendMessageW(Handle(), UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
  }
}

void TUpDown::SetWrap(bool on) {
  if (on == FWrap) return;
  FPosition = Position();
  FWrap = on;
  RecreateWnd();
}

void TUpDown::SetOrientation(TUDOrientation o) {
  if (o == FOrientation) return;
  FPosition = Position();
  FOrientation = o;
  RecreateWnd();
}

void TUpDown::SetAssociate(TWinControl* control) {
  if (control == FAssociate) return;
  if (FAssociate) FAssociate->RemoveFreeNotification(this);
  FPosition = Position();
  FAssociate = control;
  if (FAssociate) FAssociate->FreeNotification(this);
  // The buttons take their place beside the new partner when the window is made.
  if (HandleAllocated()) RecreateWnd();
}

void TUpDown::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FAssociate) {
    FAssociate = nullptr;
    if (HandleAllocated()) SendMessageW(Handle(), UDM_SETBUDDY, 0, 0);
  }
}

void TUpDown::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SysClassName = UPDOWN_CLASSW;
  p.Style |= UDS_ARROWKEYS;
  if (FOrientation == udHorizontal) p.Style |= UDS_HORZ;
  if (FWrap) p.Style |= UDS_WRAP;
  if (FAssociate) p.Style |= UDS_ALIGNRIGHT | UDS_SETBUDDYINT;
}

void TUpDown::InitializeWnd() {
  TWinControl::InitializeWnd();
  SendMessageW(Handle(), UDM_SETRANGE32, FMin, FMax);
  if (FIncrement != 1) SetIncrement(FIncrement);
  if (FAssociate)
    SendMessageW(Handle(), UDM_SETBUDDY, reinterpret_cast<WPARAM>(FAssociate->Handle()), 0);
  SendMessageW(Handle(), UDM_SETPOS32, 0, FPosition);
}

void TUpDown::WndProc(TMessage& m) {
  if (m.Msg == CN_HSCROLL || m.Msg == CN_VSCROLL) {
    if (LOWORD(m.WParam) == SB_THUMBPOSITION) {
      FPosition = Position();
      Click();
    }
    return;
  }
  if (m.Msg == WM_DESTROY) FPosition = Position();
  TWinControl::WndProc(m);
}

namespace {

int LayoutInt(const std::string& value) {
  return std::stoi(value);
}

// Min, Max and Position of the value controls: each end moves on its own (the other
// stays), and the control keeps the position inside the new range. False for any other
// property.
template <class TValueControl>
bool SetRangeLayoutProperty(TValueControl& control, const std::string& name,
                            const std::string& value) {
  if (name == "Min") {
    control.SetRange(LayoutInt(value), control.Max());
  } else if (name == "Max") {
    control.SetRange(control.Min(), LayoutInt(value));
  } else if (name == "Position") {
    control.SetPosition(LayoutInt(value));
  } else {
    return false;
  }
  return true;
}

}  // namespace

bool TProgressBar::SetLayoutProperty(const std::string& name, const std::string& value) {
  if (SetRangeLayoutProperty(*this, name, value)) return true;
  if (name == "Step") {
    SetStep(LayoutInt(value));
  } else if (name == "Smooth") {
    SetSmooth(LayoutBool(value));
  } else {
    return TWinControl::SetLayoutProperty(name, value);
  }
  return true;
}

bool TTrackBar::SetLayoutProperty(const std::string& name, const std::string& value) {
  if (SetRangeLayoutProperty(*this, name, value)) return true;
  if (name == "Frequency") {
    SetFrequency(LayoutInt(value));
  } else if (name == "Orientation") {
    if (value != "trHorizontal" && value != "trVertical")
      throw Exception("Not a track bar orientation: " + value);
    SetOrientation(value == "trVertical" ? trVertical : trHorizontal);
  } else {
    return TWinControl::SetLayoutProperty(name, value);
  }
  return true;
}

bool TTrackBar::SetLayoutEvent(const std::string& event, const std::any& handler) {
  if (event == "OnChange") return AssignLayoutEvent(OnChange, handler, event);
  return TWinControl::SetLayoutEvent(event, handler);
}

bool TUpDown::SetLayoutProperty(const std::string& name, const std::string& value) {
  if (SetRangeLayoutProperty(*this, name, value)) return true;
  if (name == "Increment") {
    SetIncrement(LayoutInt(value));
  } else if (name == "Wrap") {
    SetWrap(LayoutBool(value));
  } else if (name == "Orientation") {
    if (value != "udVertical" && value != "udHorizontal")
      throw Exception("Not an up-down orientation: " + value);
    SetOrientation(value == "udHorizontal" ? udHorizontal : udVertical);
  } else {
    return TWinControl::SetLayoutProperty(name, value);
  }
  return true;
}

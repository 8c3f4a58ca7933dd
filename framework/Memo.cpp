#include "framework/Memo.h"

#include <algorithm>
#include <iterator>

#include "framework/Gbk.h"

TMemo::TMemo(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 185;
  FHeight = 89;
  FColor = clWindow;
  SetTabStop(true);
  FLines.OnChange = [this](TStrings::TChange, int) {
    if (!FSyncing) LinesToWindow();
  };
}

void TMemo::LinesToWindow() {
  // The last line gets no line break of its own: the box would show an empty line more.
  std::string text;
  for (int i = 0; i < FLines.Count(); ++i) text += (i ? "\r\n" : "") + FLines[i];
  FText = text;
  if (HandleAllocated()) SetWindowTextW(Handle(), GbkToWide(text).c_str());
}

void TMemo::TextToLines(const std::string& text) {
  FSyncing = true;
  FLines.SetText(text);
  FSyncing = false;
}

void TMemo::TextChanged() {
  TWinControl::TextChanged();
  TextToLines(FText);
}

void TMemo::SetScrollBars(TScrollStyle s) {
  if (s == FScrollBars) return;
  FScrollBars = s;
  RecreateWnd();
}

void TMemo::SetWordWrap(bool on) {
  if (on == FWordWrap) return;
  FWordWrap = on;
  RecreateWnd();
}

void TMemo::SetReadOnly(bool on) {
  FReadOnly = on;
  if (HandleAllocated()) SendMessageW(Handle(), EM_SETREADONLY, on, 0);
}

void TMemo::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SysClassName = L"EDIT";
  p.Style |= ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | ES_LEFT;
  // Without word wrap long lines run on to the right and the box scrolls sideways.
  if (!FWordWrap || FScrollBars == ssHorizontal || FScrollBars == ssBoth) p.Style |= ES_AUTOHSCROLL;
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) p.Style |= WS_VSCROLL;
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) p.Style |= WS_HSCROLL;
  if (FReadOnly) p.Style |= ES_READONLY;
  p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TMemo::InitializeWnd() {
  TWinControl::InitializeWnd();
  LinesToWindow();
}

void TMemo::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND) {
    if (HIWORD(m.WParam) == EN_CHANGE) {
      FText = GetText();
      TextToLines(FText);
      if (OnChange) OnChange(this);
    }
    return;
  }
  TWinControl::WndProc(m);
}

bool TMemo::SetLayoutProperty(const std::string& name, const std::string& value) {
  if (name == "ScrollBars") {
    const char* names[] = {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"};
    auto at = std::find(std::begin(names), std::end(names), value);
    if (at == std::end(names)) throw Exception("Not a scroll bar choice: " + value);
    SetScrollBars(static_cast<TScrollStyle>(at - std::begin(names)));
  } else if (name == "WordWrap") {
    SetWordWrap(LayoutBool(value));
  } else if (name == "ReadOnly") {
    SetReadOnly(LayoutBool(value));
  } else {
    return TWinControl::SetLayoutProperty(name, value);
  }
  return true;
}

bool TMemo::SetLayoutEvent(const std::string& event, const std::any& handler) {
  if (event == "OnChange") return AssignLayoutEvent(OnChange, handler, event);
  return TWinControl::SetLayoutEvent(event, handler);
}

// clang-format off
#include <windows.h>
#include <commctrl.h>  // needs windows.h first
// clang-format on

#include "framework/ComCtrls.h"

#include <algorithm>

#include "framework/Gbk.h"

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

// The status bar.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/Controls.h"

class TStatusBar;

class TStatusPanel {
 public:
  TStatusPanel(TStatusBar* bar) : FBar(bar) {}
  const std::string& Text() const { return FText; }
  void SetText(const std::string& text);
  int Width() const { return FWidth; }
  void SetWidth(int w);
  int Index() const;

 private:
  TStatusBar* FBar;
  std::string FText;
  int FWidth = 50;
};

class TStatusPanels {
 public:
  explicit TStatusPanels(TStatusBar* bar) : FBar(bar) {}
  int Count() const { return static_cast<int>(FItems.size()); }
  TStatusPanel* Items(int index) const { return FItems.at(static_cast<size_t>(index)).get(); }
  TStatusPanel* operator[](int index) const { return Items(index); }
  TStatusPanel* Add();
  void Clear();

 private:
  friend class TStatusPanel;
  TStatusBar* FBar;
  std::vector<std::unique_ptr<TStatusPanel>> FItems;
};

class TStatusBar : public TWinControl {
 public:
  explicit TStatusBar(TComponent* AOwner);
  TStatusPanels* Panels() { return &FPanels; }
  // The text of the first panel (the bar's only text in this program).
  std::string SimpleText() const;
  void SetSimpleText(const std::string& text);
  // Text of a panel as the window shows it.
  std::string PanelText(int index) const;
  // "PanelWidths" = "50,80": one panel per width.
  bool SetLayoutProperty(const std::string& name, const std::string& value) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void InitializeWnd() override;

 private:
  friend class TStatusPanel;
  friend class TStatusPanels;
  void UpdatePanels();
  void UpdatePanel(int index);
  TStatusPanels FPanels;
};

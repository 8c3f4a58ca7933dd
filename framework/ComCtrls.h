// The common controls: the status bar, and the value controls (progress bar, track bar,
// up-down buttons).
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

// A bar that fills from left to right as Position goes from Min to Max. The values are
// kept by the control, so they survive the window being made again.
class TProgressBar : public TWinControl {
 public:
  explicit TProgressBar(TComponent* AOwner);
  int Min() const { return FMin; }
  int Max() const { return FMax; }
  // The position is kept inside the range; a range whose ends are swapped is put right.
  void SetRange(int AMin, int AMax);
  int Position() const { return FPosition; }
  void SetPosition(int value);
  int Step() const { return FStep; }
  void SetStep(int value) { FStep = value; }
  // Moves the position on by Step, stopping at Max.
  void StepIt();
  bool Smooth() const { return FSmooth; }
  void SetSmooth(bool on);
  bool SetLayoutProperty(const std::string& name, const std::string& value) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void InitializeWnd() override;

 private:
  int FMin = 0, FMax = 100, FPosition = 0, FStep = 10;
  bool FSmooth = false;
};

enum TTrackBarOrientation { trHorizontal, trVertical };

// A slider the user moves with the mouse or the keys. OnChange follows every move, by
// the user or by the program.
class TTrackBar : public TWinControl {
 public:
  explicit TTrackBar(TComponent* AOwner);
  int Min() const { return FMin; }
  int Max() const { return FMax; }
  void SetRange(int AMin, int AMax);
  // The slider's place as the window shows it.
  int Position() const;
  void SetPosition(int value);
  TTrackBarOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TTrackBarOrientation o);
  // A tick every Frequency steps (0: none).
  int Frequency() const { return FFrequency; }
  void SetFrequency(int value);
  TNotifyEvent OnChange;
  bool SetLayoutProperty(const std::string& name, const std::string& value) override;
  bool SetLayoutEvent(const std::string& event, const std::any& handler) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void InitializeWnd() override;
  void WndProc(TMessage& Message) override;

 private:
  void Changed();
  int FMin = 0, FMax = 10, FPosition = 0, FFrequency = 1;
  TTrackBarOrientation FOrientation = trHorizontal;
};

enum TUDOrientation { udVertical, udHorizontal };

// A pair of arrow buttons that step Position between Min and Max. With Associate set,
// the buttons sit at the right edge of that control (an edit) and show the position in
// it. OnClick follows each step.
class TUpDown : public TWinControl {
 public:
  explicit TUpDown(TComponent* AOwner);
  int Min() const { return FMin; }
  int Max() const { return FMax; }
  void SetRange(int AMin, int AMax);
  int Position() const;
  void SetPosition(int value);
  int Increment() const { return FIncrement; }
  void SetIncrement(int value);
  bool Wrap() const { return FWrap; }
  void SetWrap(bool on);
  TUDOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TUDOrientation o);
  TWinControl* Associate() const { return FAssociate; }
  void SetAssociate(TWinControl* control);
  bool SetLayoutProperty(const std::string& name, const std::string& value) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void InitializeWnd() override;
  void WndProc(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  int FMin = 0, FMax = 100, FPosition = 0, FIncrement = 1;
  bool FWrap = false;
  TUDOrientation FOrientation = udVertical;
  TWinControl* FAssociate = nullptr;
};

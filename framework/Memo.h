// The multi-line edit.
#pragma once

#include "framework/Controls.h"
#include "framework/Strings.h"

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// A multi-line edit. Lines holds its text one line a string; changes made by the program
// reach the window at once, and what the user types is read back on every change, so
// the lines survive the window being made again.
class TMemo : public TWinControl {
 public:
  explicit TMemo(TComponent* AOwner);
  TStrings* Lines() { return &FLines; }
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle s);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool on);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool on);
  TNotifyEvent OnChange;
  bool SetLayoutProperty(const std::string& name, const std::string& value) override;
  bool SetLayoutEvent(const std::string& event, const std::any& handler) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void InitializeWnd() override;
  void WndProc(TMessage& Message) override;
  void TextChanged() override;

 private:
  void LinesToWindow();
  void TextToLines(const std::string& text);
  TStrings FLines;
  TScrollStyle FScrollBars = ssNone;
  bool FWordWrap = true;
  bool FReadOnly = false;
  bool FSyncing = false;
};

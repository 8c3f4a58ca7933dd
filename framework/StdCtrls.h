// The standard controls: buttons, edits, check boxes, combo boxes, list boxes, labels.
#pragma once

#include "framework/Controls.h"
#include "framework/Strings.h"

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

class TButton : public TWinControl {
 public:
  explicit TButton(TComponent* AOwner);
  bool Default() const { return FDefault; }
  void SetDefault(bool on);
  bool SetLayoutProperty(const std::string& name, const std::string& value) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void WndProc(TMessage& Message) override;

 private:
  bool FDefault = false;
};

class TCheckBox : public TWinControl {
 public:
  explicit TCheckBox(TComponent* AOwner);
  bool Checked() const;
  void SetChecked(bool on);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void InitializeWnd() override;
  void WndProc(TMessage& Message) override;

 private:
  bool FChecked = false;
};

class TEdit : public TWinControl {
 public:
  explicit TEdit(TComponent* AOwner);
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int n);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool on);
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase c);
  void SelectAll();
  TNotifyEvent OnChange;
  bool SetLayoutProperty(const std::string& name, const std::string& value) override;
  bool SetLayoutEvent(const std::string& event, const std::any& handler) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void InitializeWnd() override;
  void WndProc(TMessage& Message) override;

 private:
  int FMaxLength = 0;
  bool FReadOnly = false;
  TEditCharCase FCharCase = ecNormal;
};

// An edit that can hide what is typed behind a password character.
class TMaskEdit : public TEdit {
 public:
  explicit TMaskEdit(TComponent* AOwner) : TEdit(AOwner) {}
  char PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(char c);
  bool SetLayoutProperty(const std::string& name, const std::string& value) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void InitializeWnd() override;
  // With a password character the text lives in the window alone: the copies made on
  // the way there and back are wiped, and none is kept once the window holds it.
  std::string GetText() const override;
  void TextChanged() override;

 private:
  char FPasswordChar = 0;
};

// Keeps a TStrings and the list of a list box or combo box window in step.
class TItemsMirror {
 public:
  TItemsMirror(TWinControl* control, UINT insertMsg, UINT deleteMsg, UINT resetMsg)
      : FControl(control), FInsert(insertMsg), FDelete(deleteMsg), FReset(resetMsg) {}
  void Attach(TStrings& items);
  void Fill(const TStrings& items);

 private:
  TWinControl* FControl;
  UINT FInsert, FDelete, FReset;
};

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList };

class TComboBox : public TWinControl {
 public:
  explicit TComboBox(TComponent* AOwner);
  TStrings* Items() { return &FItems; }
  int ItemIndex() const;
  void SetItemIndex(int index);
  TComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TComboBoxStyle style);
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase c);
  int ItemHeight() const { return FItemHeight; }
  void SetItemHeight(int h);
  int DropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(int n) { FDropDownCount = n; }
  TNotifyEvent OnChange;
  bool SetLayoutProperty(const std::string& name, const std::string& value) override;
  bool SetLayoutEvent(const std::string& event, const std::any& handler) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void InitializeWnd() override;
  void WndProc(TMessage& Message) override;

 private:
  TStrings FItems;
  TItemsMirror FMirror;
  int FItemIndex = -1;
  TComboBoxStyle FStyle = csDropDown;
  TEditCharCase FCharCase = ecNormal;
  int FItemHeight = 0;
  int FDropDownCount = 8;
};

class TListBox : public TWinControl {
 public:
  explicit TListBox(TComponent* AOwner);
  TStrings* Items() { return &FItems; }
  int ItemIndex() const;
  void SetItemIndex(int index);
  int ItemHeight() const { return FItemHeight; }
  void SetItemHeight(int h);
  int TopIndex() const;
  void SetTopIndex(int index);
  bool SetLayoutProperty(const std::string& name, const std::string& value) override;
  bool SetLayoutEvent(const std::string& event, const std::any& handler) override;
  // A double click on an item (the item is selected by then).
  TNotifyEvent OnDblClick;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void InitializeWnd() override;
  void WndProc(TMessage& Message) override;

 private:
  TStrings FItems;
  TItemsMirror FMirror;
  int FItemIndex = -1;
  int FItemHeight = 0;
};

// A text painted by its parent: no window of its own. With AutoSize it takes the size
// of its text; line breaks in the caption start new lines, long lines never wrap.
class TLabel : public TControl {
 public:
  explicit TLabel(TComponent* AOwner);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool on);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool on);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment a);
  bool ShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool on);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool on);
  void Paint(HDC dc) override;
  void Loaded() override;
  bool SetLayoutProperty(const std::string& name, const std::string& value) override;
  // Fits the bounds to the text now (AutoSize does it on every change).
  void AdjustBounds();

 protected:
  void TextChanged() override;
  void FontChanged() override;
  UINT DrawFlags() const;

 private:
  bool FAutoSize = true;
  bool FTransparent = false;
  bool FShowAccelChar = true;
  bool FWordWrap = false;
  TAlignment FAlignment = taLeftJustify;
};

// Tab controls: a row of tabs over a sheet (TTabControl, whose tabs are texts), and a
// set of pages of which the chosen one shows on the sheet (TPageControl with its
// TTabSheet pages). Both are the system's tab control underneath, with the tabs on any
// of the four sides. And a tab set (TTabSet): a row of tabs that hang below what they
// switch, drawn by the framework itself.
#pragma once

#include <string>
#include <vector>

#include "framework/Controls.h"

enum TTabPosition { tpTop, tpBottom, tpLeft, tpRight };

// AllowChange starts true; a handler that sets it false keeps the current tab.
using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

class TCustomTabControl : public TWinControl {
 public:
  explicit TCustomTabControl(TComponent* AOwner);

  TTabPosition TabPosition() const { return FTabPosition; }
  void SetTabPosition(TTabPosition Value);
  // Tabs that do not fit make more rows instead of a scrolled row (tabs on the left or
  // right always stand in columns).
  bool MultiLine() const { return FMultiLine; }
  void SetMultiLine(bool Value);
  // The chosen tab, -1 for none.
  int TabIndex() const;
  void SetTabIndex(int Value);
  // The inside of the sheet, in client coordinates.
  RECT DisplayRect();
  // "TabPosition" (tpTop, tpBottom, tpLeft, tpRight), "MultiLine" (True/False),
  // "TabIndex".
  bool SetLayoutProperty(const std::string& name, const std::string& value) override;

  TNotifyEvent OnChange;
  TTabChangingEvent OnChanging;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void InitializeWnd() override;
  void WndProc(TMessage& Message) override;
  // The texts the tabs show, in order.
  virtual std::vector<std::string> TabTexts() const = 0;
  // The user chose another tab (after the window shows it).
  virtual void Change();
  // Puts the window's tabs in line with TabTexts.
  void UpdateTabs();

  int FTabIndex = -1;

 private:
  TTabPosition FTabPosition = tpTop;
  bool FMultiLine = false;
};

class TTabControl : public TCustomTabControl {
 public:
  explicit TTabControl(TComponent* AOwner);
  const std::vector<std::string>& Tabs() const { return FTabs; }
  void SetTabs(const std::vector<std::string>& Texts);
  void AddTab(const std::string& Text);
  // Also "Tabs": the tab texts, one per line.
  bool SetLayoutProperty(const std::string& name, const std::string& value) override;

 protected:
  std::vector<std::string> TabTexts() const override { return FTabs; }

 private:
  std::vector<std::string> FTabs;
};

class TPageControl;

// One page of a page control: its caption is the tab's text; it covers the control's
// sheet and shows while its tab is chosen.
class TTabSheet : public TWinControl {
 public:
  explicit TTabSheet(TComponent* AOwner);
  ~TTabSheet() override;
  TPageControl* PageControl() const { return FPageControl; }
  // Joins the page control (as its last page), or leaves it with null.
  void SetPageControl(TPageControl* Value);
  int PageIndex() const;
  // A page placed on a page control (by a layout, for one) joins it.
  void SetParent(TWinControl* parent) override;

 protected:
  void TextChanged() override;

 private:
  friend class TPageControl;
  TPageControl* FPageControl = nullptr;
};

class TPageControl : public TCustomTabControl {
 public:
  explicit TPageControl(TComponent* AOwner);
  ~TPageControl() override;
  int PageCount() const { return static_cast<int>(FPages.size()); }
  TTabSheet* Pages(int Index) const { return FPages.at(static_cast<size_t>(Index)); }
  TTabSheet* ActivePage() const { return FActivePage; }
  void SetActivePage(TTabSheet* Page);
  int ActivePageIndex() const;
  void SetActivePageIndex(int Index);

 protected:
  std::vector<std::string> TabTexts() const override;
  void InitializeWnd() override;
  void BoundsChanged(const RECT& old) override;
  void Change() override;

 private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* Page);
  void RemovePage(TTabSheet* Page);
  // Every page over the sheet, only the active one shown.
  void ArrangePages();

  std::vector<TTabSheet*> FPages;
  TTabSheet* FActivePage = nullptr;
};

// A row of tabs hanging from the control's top edge, each as wide as its text; the
// chosen one stands out. Chosen with the mouse or the arrow keys.
class TTabSet : public TWinControl {
 public:
  explicit TTabSet(TComponent* AOwner);
  const std::vector<std::string>& Tabs() const { return FTabs; }
  void SetTabs(const std::vector<std::string>& Texts);
  int TabIndex() const { return FTabIndex; }
  // Chooses a tab (-1: none) as the user would, with OnChanging asked and OnChange told
  // when it changes.
  void SelectTab(int Index);
  void SetTabIndex(int Value);
  // A tab's rectangle in client coordinates (empty for an index out of range).
  RECT ItemRect(int Index);
  // The tab at a client point, or -1.
  int ItemAtPos(POINT P);
  // "Tabs": the tab texts, one per line; "TabIndex".
  bool SetLayoutProperty(const std::string& name, const std::string& value) override;

  TNotifyEvent OnChange;
  TTabChangingEvent OnChanging;

 protected:
  void PaintWindow(HDC dc) override;
  void WndProc(TMessage& Message) override;
  void FontChanged() override;

 private:
  void MeasureTabs();

  std::vector<std::string> FTabs;
  std::vector<int> FEdges;  // the tabs' left edges and the last one's right edge
  int FTabIndex = -1;
};

// Popup menus and their items.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Classes.h"
#include "framework/Handles.h"
#include "framework/Messages.h"

class TPopupMenu;

// Owner-draw events of an item (used when the menu is owner-drawn).
using TMenuMeasureItemEvent = std::function<void(TObject* Sender, HDC dc, int& Width, int& Height)>;
using TMenuDrawItemEvent =
    std::function<void(TObject* Sender, HDC dc, const RECT& Rect, UINT State)>;

class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;

  // "-" makes a separator; "&" marks the accelerator letter.
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& caption);
  bool IsLine() const { return FCaption == "-"; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool on);
  bool Visible() const { return FVisible; }
  void SetVisible(bool on);
  bool Default() const { return FDefault; }
  void SetDefault(bool on);
  bool Checked() const { return FChecked; }
  void SetChecked(bool on);
  // A radio item shows a dot instead of a tick when checked (one choice of several); the
  // owner keeps one item of its group checked.
  bool RadioItem() const { return FRadioItem; }
  void SetRadioItem(bool on);
  // The keys shown at the item's right ("Ctrl+O"); the item does not handle them.
  const std::string& ShortCutText() const { return FShortCutText; }
  void SetShortCutText(const std::string& text);

  int Count() const { return static_cast<int>(FItems.size()); }
  TMenuItem* Items(int index) const { return FItems.at(static_cast<size_t>(index)); }
  void Add(TMenuItem* item);
  void Insert(int index, TMenuItem* item);
  void Remove(TMenuItem* item);
  int IndexOf(const TMenuItem* item) const;
  TMenuItem* Parent() const { return FParent; }
  // The popup menu this item belongs to (through its parents), or null.
  TPopupMenu* GetParentMenu() const;

  // Shows the items of Source as this item's sub-menu: the same system menu, so that one
  // set of items, with their states and handlers, appears in two menus. An item with
  // children of its own shows those. Null ends the link; so does Source going away.
  void SetSubMenuOf(TMenuItem* Source);
  TMenuItem* SubMenuOf() const { return FLinked; }

  // The command identifier the system reports for this item.
  UINT Command() const { return FCommand; }
  // The item's submenu (created on first use for items with children).
  HMENU Handle();

  TNotifyEvent OnClick;
  bool SetLayoutProperty(const std::string& name, const std::string& value) override;
  bool SetLayoutEvent(const std::string& event, const std::any& handler) override;
  TMenuMeasureItemEvent OnMeasureItem;
  TMenuDrawItemEvent OnAdvancedDrawItem;
  virtual void Click();

  // Runs the item with this command identifier; false when there is none.
  static bool DispatchCommand(UINT command);
  static TMenuItem* FindCommand(UINT command);
  // WM_MEASUREITEM / WM_DRAWITEM of an owner-drawn menu item.
  static bool DispatchOwnerDraw(TMessage& Message);
  // WM_MENUCHAR: the item of the open menu whose caption marks the typed letter with "&"
  // (an owner-drawn item shows no text the system could search).
  static bool DispatchMenuChar(TMessage& Message);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TPopupMenu;
  void Changed();
  void Rebuild();
  // This menu and every sub-menu made so far, after a change of the whole menu's look.
  void RebuildAll();
  void AppendTo(HMENU menu);

  std::string FCaption;
  std::string FShortCutText;
  bool FEnabled = true, FVisible = true, FDefault = false, FChecked = false, FRadioItem = false;
  std::vector<TMenuItem*> FItems;
  TMenuItem* FParent = nullptr;
  TPopupMenu* FMenu = nullptr;   // set on the root item of a popup menu
  TMenuItem* FLinked = nullptr;  // the item whose sub-menu this one shows
  UINT FCommand;
  TMenuHandle FHandle;
};

class TPopupMenu : public TComponent {
 public:
  explicit TPopupMenu(TComponent* AOwner);
  ~TPopupMenu() override;

  TMenuItem* Items() const { return FItems; }
  HMENU Handle() { return FItems->Handle(); }
  bool AutoPopup() const { return FAutoPopup; }
  void SetAutoPopup(bool on) { FAutoPopup = on; }
  bool OwnerDraw() const { return FOwnerDraw; }
  void SetOwnerDraw(bool on);
  // The component that popped the menu up last (a control or a tray icon).
  TComponent* PopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* c);
  // Shows the menu at a screen point; returns when the menu has closed, after the
  // chosen item (if any) has run.
  virtual void Popup(int X, int Y);

  TNotifyEvent OnPopup;
  bool SetLayoutProperty(const std::string& name, const std::string& value) override;
  bool SetLayoutEvent(const std::string& event, const std::any& handler) override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TMenuItem* FItems;
  bool FAutoPopup = true;
  bool FOwnerDraw = false;
  TComponent* FPopupComponent = nullptr;
};

// Skinned menus: the popup menu window ("#32768") gets its border and background from
// the skin's MenuBackground picture, and the items of owner-drawn menus (a form's popup
// menus, the skinned frame's own system menu) are painted with the MenuItem picture:
// frame 1 at rest, frame 4 under the selection, the separator cut from frame 2.
#pragma once

#include <windows.h>
// (after windows.h)
#include <commctrl.h>

#include "framework/Handles.h"
#include "framework/Menus.h"
#include "skin/SkinSubclass.h"

class TComponent;
class TSkinData;

// One popup menu window of the thread while skinning is on: subclassed from its
// creation to its destruction (the manager's CBT hook makes and frees it).
class TSkinPopupFrame : public TObject {
 public:
  TSkinPopupFrame() = default;
  ~TSkinPopupFrame() override;

  void Attach(HWND AWindow, TSkinData* ASkinData);
  void Detach();
  // Lets go of the window and frees the object, at once or when the window procedure
  // it runs in has returned.
  void Release();
  LRESULT WndProc(UINT Msg, WPARAM wParam, LPARAM lParam);
  // Where the client area (where the items are) starts inside the window.
  POINT ClientOffset() const;

  HWND Window() const { return FWindow; }
  // The MenuBackground picture at the window's size, drawn by the last paint, or null.
  HBITMAP Background() const { return FBackground.Get(); }
  // The menu shown in this window, learned while its first item is drawn.
  HMENU MenuHandle() const { return FMenuHandle; }
  void SetMenuHandle(HMENU Value) { FMenuHandle = Value; }
  // Border paints seen (for tests).
  int BorderPaints() const { return FBorderPaints; }

 private:
  LRESULT Handle(UINT Msg, WPARAM wParam, LPARAM lParam);
  bool CanPaint() const;
  bool RenderBackground();
  void PaintBand(HDC Dc);

  HWND FWindow = nullptr;
  TSkinData* FSkinData = nullptr;
  TBitmapHandle FBackground;
  SIZE FBackgroundSize{};
  HMENU FMenuHandle = nullptr;
  int FBorderPaints = 0;
  TSkinSubclass FHook;
  int FDepth = 0;  // nesting of the window procedure
  bool FReleased = false;
};

// The popup frame painted most recently that does not know its menu yet: the next
// owner-drawn item tells it.
extern TSkinPopupFrame* PendingPopup;

// The owner-draw handlers of skinned menu items. Images (when not null) is the image
// list of the menu; an item's image is the entry at its Tag.
class TSkinItemMeasure {
 public:
  TSkinItemMeasure(TSkinData* ASkinData, HIMAGELIST AImages)
      : FSkinData(ASkinData), FImages(AImages) {}
  void operator()(TObject* Sender, HDC Dc, int& Width, int& Height) const;

 private:
  TSkinData* FSkinData;
  HIMAGELIST FImages;
};
class TSkinItemPainter {
 public:
  TSkinItemPainter(TSkinData* ASkinData, HIMAGELIST AImages)
      : FSkinData(ASkinData), FImages(AImages) {}
  void operator()(TObject* Sender, HDC Dc, const RECT& Rect, UINT State) const;

 private:
  TSkinData* FSkinData;
  HIMAGELIST FImages;
};

// Makes every item of the menu (and of its sub-menus) owner-drawn with the skin's
// handlers; an item that draws itself already keeps its own events.
void SkinPopupMenu(TPopupMenu* Menu, TSkinData* SkinData, HIMAGELIST Images = nullptr);
// Gives the menu back its system look: the skin's handlers are taken off again.
void UnskinPopupMenu(TPopupMenu* Menu);
// The popup menus a form owns, except those tagged with the skin's DisableTag.
void SkinFormPopupMenus(TComponent* Form, TSkinData* SkinData, bool On);

// The system's menu font (bold for a default item), made once.
HFONT SkinMenuFont(bool Bold);

// Paints one item of the menu Menu (its handle) into Rect of Dc; a right-to-left item
// mirrors the layout.
void PaintMenuItem(HDC Dc, const RECT& Rect, TMenuItem* Item, HMENU Menu, bool Selected,
                   TSkinData* SkinData, HIMAGELIST Images, bool RightToLeft = false);
// Whether the item (by position, or by command) is ordered right to left.
bool MenuItemRightOrder(HMENU Menu, UINT Item, bool ByPosition);

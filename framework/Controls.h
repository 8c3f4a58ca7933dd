// Controls: TControl (anything with bounds on a parent) and TWinControl (a control with
// a window of its own). Each windowed control class registers a window class of its own
// name; a class that stands for a system control ("TButton", "TEdit", ...) is a
// superclass of that system class, so other code recognises the windows by class name.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Classes.h"
#include "framework/Graphics.h"
#include "framework/Handles.h"
#include "framework/Messages.h"

class TWinControl;
class TPopupMenu;
class TForm;

using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  // Bounds in the parent's client coordinates (a form: on the screen, outer size).
  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
  void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
  void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
  void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  RECT BoundsRect() const { return RECT{FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
  virtual RECT ClientRect() const { return RECT{0, 0, FWidth, FHeight}; }

  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible, and every parent up to the form shown too.
  bool Showing() const;

  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool enabled);

  // The control's text (GBK). Caption and Text are the same property.
  std::string Caption() const { return GetText(); }
  void SetCaption(const std::string& text) { SetText(text); }
  std::string Text() const { return GetText(); }
  void SetText(const std::string& text);

  TFont* Font() { return &FFont; }
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool on);
  TColor Color() const { return FColor; }
  void SetColor(TColor color);

  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& hint) {
    FHint = hint;
    HintChanged();
  }
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool on) {
    FShowHint = on;
    HintChanged();
  }
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor cursor) { FCursor = cursor; }
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* menu);

  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* parent);
  // The form this control sits on (itself for a form), or null.
  TForm* ParentForm() const;

  TNotifyEvent OnClick;

  // Sends a message straight to the control's WindowProc.
  LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  // Every message of the control passes through WindowProc; it starts as WndProc and
  // may be replaced (and later put back) by code that subclasses the control.
  TWndMethod WindowProc;
  virtual void WndProc(TMessage& Message);
  virtual void Click();

  virtual void Invalidate();
  void Repaint();

  bool SetLayoutProperty(const std::string& name, const std::string& value) override;
  bool SetLayoutEvent(const std::string& event, const std::any& handler) override;
  // Windowless controls draw themselves into the parent's DC, whose origin is moved
  // to the control's top-left corner.
  virtual void Paint(HDC dc) {}
  virtual bool Windowed() const { return false; }

  POINT ClientToScreen(POINT p) const;
  POINT ScreenToClient(POINT p) const;
  // Position of the control's client origin in the client area of its form.
  POINT FormOffset() const;

 protected:
  virtual std::string GetText() const { return FText; }
  virtual void TextChanged() { Invalidate(); }
  virtual void FontChanged() { Invalidate(); }
  virtual void ColorChanged() { Invalidate(); }
  virtual void VisibleChanged();
  virtual void EnabledChanged() { Invalidate(); }
  virtual void HintChanged() {}
  virtual void BoundsChanged(const RECT& old);
  // Applied by the default WindowProc to anything the control does not handle itself.
  virtual void DefaultHandler(TMessage& Message) {}
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void ParentFontChanged();

  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  bool FVisible = true;
  bool FEnabled = true;
  std::string FText;
  TFont FFont;
  bool FParentFont = true;
  bool FSettingParentFont = false;
  TColor FColor = clBtnFace;
  std::string FHint;
  bool FShowHint = false;
  TCursor FCursor = crDefault;
  TPopupMenu* FPopupMenu = nullptr;
  TWinControl* FParent = nullptr;

  friend class TWinControl;
};

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;

  // The window, created on first use (with its parents).
  HWND Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  // The window if it exists, without creating it.
  HWND ExistingHandle() const { return FHandle; }
  void HandleNeeded() { Handle(); }
  // True while the window waits to be made right after the main form's first show: a
  // control wholly outside its parent's client area is not part of the first picture.
  // Asking for the handle makes it at once all the same.
  bool WindowComesLater() const { return FWindowLater; }
  // Destroys the window; the control keeps its properties and can make a new one.
  void DestroyHandle();
  void RecreateWnd();
  bool Windowed() const override { return true; }
  void Loaded() override;

  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool on);
  // Position in the parent's tab list (-1 without a parent).
  int TabOrder() const;
  void SetTabOrder(int order);

  virtual bool CanFocus() const;
  void SetFocus();
  bool Focused() const;
  TKeyPressEvent OnKeyPress;
  TNotifyEvent OnEnter, OnExit;

  int ControlCount() const { return static_cast<int>(FControls.size()); }
  TControl* Controls(int index) const { return FControls.at(static_cast<size_t>(index)); }
  // Windowed children in tab order.
  const std::vector<TWinControl*>& TabList() const { return FTabList; }
  // All focusable descendants in tab order, depth first.
  void GetTabOrderList(std::vector<TWinControl*>& list) const;
  TWinControl* FindNextControl(TWinControl* current, bool forward, bool checkTabStop) const;
  void SelectNext(TWinControl* current, bool forward, bool checkTabStop);

  // Paints the windowless children that intersect `clip` (client coordinates).
  void PaintControls(HDC dc, const RECT* clip);
  // The topmost visible windowless child at a client point, or null.
  TControl* ControlAtPos(POINT p) const;

  // The framework control that owns this window, or null.
  static TWinControl* FindControl(HWND wnd);
  void Invalidate() override;
  bool SetLayoutProperty(const std::string& name, const std::string& value) override;
  bool SetLayoutEvent(const std::string& event, const std::any& handler) override;
  RECT ClientRect() const override;

 protected:
  struct TCreateParams {
    std::wstring WinClassName;              // registered by the framework
    const wchar_t* SysClassName = nullptr;  // system class to superclass, or null
    std::wstring Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    UINT ClassStyle = CS_DBLCLKS;
    HICON Icon = nullptr;
  };
  virtual void CreateParams(TCreateParams& Params);
  virtual void CreateWnd();
  // Sets up a fresh window: font, texts, items.
  virtual void InitializeWnd();
  // Saves what only the window knows (an edit's text) before it goes.
  virtual void SaveWindowState();
  void DefaultHandler(TMessage& Message) override;
  void WndProc(TMessage& Message) override;
  // Notifications the parent reflects back (CN_COMMAND, CN_NOTIFY, CN_CTLCOLOR...).
  virtual void PaintWindow(HDC dc) {}
  virtual void KeyPress(char& Key);
  // True for classes that paint their own face and windowless children.
  bool OwnPaint() const { return FOwnPaint; }

  std::string GetText() const override;
  void TextChanged() override;
  void FontChanged() override;
  void VisibleChanged() override;
  void EnabledChanged() override;
  void BoundsChanged(const RECT& old) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Shows the hint as a tool tip over the window while ShowHint is on.
  void HintChanged() override;

  bool FOwnPaint = false;

 private:
  friend class TControl;
  friend LRESULT CALLBACK FrameworkWndProc(HWND, UINT, WPARAM, LPARAM);
  void AttachHandle(HWND wnd);
  void DetachHandle();
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  void UpdateNameProperty();
  void SetNameProperty();
  bool OutOfSight() const;
  bool HasNonClientArea() const;
  void CreateWindowLater();
  bool HandleCtlColor(TMessage& Message);
  void HandleMouseForControls(TMessage& Message);
  // Pieces of WndProc; true when the message was handled.
  bool ReflectToChild(TMessage& Message);
  bool HandleChar(TMessage& Message);
  void HandleFocus(TMessage& Message);
  bool HandleSetCursor(TMessage& Message);
  bool HandleContextMenu(TMessage& Message);
  bool HandleOwnPaint(TMessage& Message);
  void ReadBounds(const WINDOWPOS& Pos);

  HWND FHandle = nullptr;
  WNDPROC FDefWndProc = nullptr;
  std::vector<TControl*> FControls;
  std::vector<TWinControl*> FTabList;
  bool FTabStop = false;
  TGlobalAtom FNameAtom;
  TControl* FMouseDownControl = nullptr;
  bool FDestroyingHandle = false;
  bool FWindowLater = false;
};

// The class name of a window, as the framework registered it.
std::wstring WindowClassName(HWND wnd);
// Registers a framework window class (once). Returns the procedure that does the
// default processing for it: the system class's, or DefWindowProcW. A class of its own
// (no system class) shows `icon` as its big and small icon; the icon must stay valid
// for the rest of the run.
WNDPROC RegisterFrameworkClass(const std::wstring& name, const wchar_t* sysClass, UINT style,
                               HICON icon);
// Whether the framework has registered the class `name` already.
bool FrameworkClassRegistered(const std::wstring& name);
// Hands a failure to the application's handler, which shows it (null: a failure that is
// no std::exception). A failure of the handler itself ends there: nothing may unwind
// through the system's code.
void ReportGuarded(const std::exception* E) noexcept;
// Runs a function and hands any exception to the application's handler: no exception
// may travel through Windows' own code, and none is lost.
template <class F>
void GuardedCall(F&& fn) noexcept {
  try {
    fn();
  } catch (const std::exception& e) {
    ReportGuarded(&e);
  } catch (...) {
    ReportGuarded(nullptr);
  }
}

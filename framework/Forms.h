// Forms (top-level windows) and the application: the hidden application window that
// carries the task-bar button and owns every form, the message loop, the title and the
// default exception handler.
#pragma once

#include <windows.h>

#include <any>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "framework/Controls.h"

// TApplication::MessageBox is a member of that name: the system header's macro would
// rename it differently in different files. Call MessageBoxW/MessageBoxA by name.
#ifdef MessageBox
#undef MessageBox
#endif

enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TPosition { poDesigned, poDefault, poScreenCenter, poDesktopCenter, poMainFormCenter };

using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;

class TForm : public TWinControl {
 public:
  explicit TForm(TComponent* AOwner);
  ~TForm() override;

  // Runs OnCreate; called once the derived form has built its layout (CreateForm does it).
  virtual void AfterConstruction();

  // Shows the form (not modal) and brings it to the front.
  void Show();
  void Hide() { SetVisible(false); }
  // Asks OnCloseQuery, then OnClose; closing the main form ends the application.
  void Close();
  bool CloseQuery();
  bool Active() const;
  void BringToFront();
  void SetVisible(bool visible) override;

  TWindowState WindowState() const;
  void SetWindowState(TWindowState state);
  unsigned BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(unsigned icons);
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle style);
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition position) { FPosition = position; }
  int ClientWidth() const;
  int ClientHeight() const;
  void SetClientWidth(int w) { SetClientSize(w, ClientHeight()); }
  void SetClientHeight(int h) { SetClientSize(ClientWidth(), h); }
  void SetClientSize(int w, int h);
  // The window's icon. One named by resource number is loaded when first asked for, at
  // the latest when the window is made: forms made hidden at start-up load it after the
  // main window's first picture.
  TIcon* Icon();
  void SetIconResource(int id) { FIconResource = id; }
  TWinControl* ActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* control);

  TNotifyEvent OnCreate, OnDestroy, OnShow, OnHide, OnActivate, OnDeactivate;
  TCloseQueryEvent OnCloseQuery;
  TCloseEvent OnClose;

  // The published parts a layout binds by name: fields that receive the created
  // components, and handler methods for events.
  template <class T>
  void PublishField(const std::string& name, T*& field) {
    FFields[name] = [&field](TComponent* c) {
      field = dynamic_cast<T*>(c);
      return field != nullptr;
    };
  }
  template <class C, class... A>
  void PublishMethod(const std::string& name, void (C::*method)(A...)) {
    C* self = static_cast<C*>(this);
    FMethods[name] = std::function<void(A...)>(
        [self, method](A... args) { (self->*method)(std::forward<A>(args)...); });
  }
  // Assigns a created component to the field of that name; false when the form has no
  // such field, throws when the field is of another kind.
  bool BindField(const std::string& name, TComponent* component);
  // The handler of that name as std::function, or an empty any.
  std::any FindMethod(const std::string& name) const;
  const std::map<std::string, std::function<bool(TComponent*)>>& PublishedFields() const {
    return FFields;
  }

  bool SetLayoutEvent(const std::string& event, const std::any& handler) override;

  // Describes every control of the form for the test kit (UTF-8, one line each).
  std::string DescribeControls();

 protected:
  void CreateParams(TCreateParams& Params) override;
  void InitializeWnd() override;
  void WndProc(TMessage& Message) override;
  void VisibleChanged() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void SetFocusedControlOnActivate();

 private:
  DWORD WindowStyle() const;
  DWORD WindowExStyle() const;
  void ApplyClientSize();
  void CenterOnScreen();

  unsigned FBorderIcons = biSystemMenu | biMinimize | biMaximize;
  TFormBorderStyle FBorderStyle = bsSizeable;
  TPosition FPosition = poDesigned;
  TWindowState FWindowState = wsNormal;
  int FClientWidth = -1, FClientHeight = -1;
  bool FShownOnce = false;
  bool FCreated = false;
  TIcon FIcon;
  int FIconResource = 0;
  // The icon the window shows: the form's own, else the program's.
  HICON WindowIcon();
  // The window's class was registered with this form's icon: the window shows it without
  // being given it.
  bool FIconInClass = false;
  TWinControl* FActiveControl = nullptr;
  std::map<std::string, std::function<bool(TComponent*)>> FFields;
  std::map<std::string, std::any> FMethods;
};

// A hook on the application window: sees each message before the default handling and
// consumes it by returning true.
using TApplicationHook = std::function<bool(TMessage& Message)>;
using TExceptionEvent = std::function<void(TObject* Sender, const std::exception& E)>;
using TMessageEvent = std::function<void(MSG& Msg, bool& Handled)>;

class TApplication : public TComponent {
 public:
  TApplication();
  ~TApplication() override;

  void Initialize();
  // Creates a form owned by the application; Args go to the form's constructor after
  // the owner, so a form gets what it needs of other windows checked by the compiler.
  template <class T, class... Args>
  void CreateForm(T*& Ref, Args&&... args) {
    // The first form becomes the main form: while it is built (its layout read), what it
    // starts already waits for its first show.
    T* form = nullptr;
    {
      FMainFormComing = !FMainForm;
      struct TComingEnds {
        bool& Coming;
        ~TComingEnds() { Coming = false; }
      } ends{FMainFormComing};
      form = new T(this, std::forward<Args>(args)...);
    }
    Ref = form;
    try {
      FormCreated(form);
    } catch (...) {
      Ref = nullptr;  // FormCreated has freed it
      throw;
    }
  }
  void Run();
  // Handles every message waiting in the queue, then returns.
  void ProcessMessages();
  // Takes one message from the queue and handles it; false when the queue was empty.
  bool ProcessMessage(MSG& Msg);
  // Handles one message, waiting for it when none is there.
  void HandleMessage();
  void Terminate();
  bool Terminated() const { return FTerminated; }

  // The application window (created on first use).
  HWND Handle();
  bool HandleAllocated() const { return FHandle.Valid(); }
  TForm* MainForm() const { return FMainForm; }
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& title);
  bool ShowMainForm = true;
  TIcon* Icon() { return &FIcon; }

  void Minimize();
  void Restore();
  void BringToFront();
  // Shows the application window (and so the task-bar button) while a form is visible.
  void UpdateVisible();

  int HookMainWindow(TApplicationHook hook);
  void UnhookMainWindow(int token);

  // The default exception handler: OnException when assigned, else ShowException.
  void HandleException(const std::exception& E);
  void ShowException(const std::exception& E);
  // The text the default handler shows for an exception message.
  static std::string ExceptionText(const std::string& message);
  int MessageBox(const std::string& Text, const std::string& Caption, UINT Flags);

  TExceptionEvent OnException;
  TMessageEvent OnMessage;
  TNotifyEvent OnMinimize, OnRestore;
  // Called with the main form's window right before it is first shown (while it is not
  // on screen yet): whatever must be in the first picture is prepared here.
  std::function<void(HWND)> OnMainFormShowing;

  // All forms of the application in creation order.
  std::vector<TForm*> Forms() const;
  // Runs a job once the main form is on screen and painted at start-up (soon after, once
  // it is): what the first picture does not need waits until the user sees the window.
  // Jobs run in the order they were given, those given `Ahead` before all others.
  void AfterFirstShow(std::function<void()> Job, bool Ahead = false);
  // True from the creation of the main form (its construction included) until it is
  // first shown.
  bool WaitingForFirstShow() const { return (FMainForm || FMainFormComing) && !FMainFormShown; }
  // Called by a form each time it is shown.
  void MainFormShown(TForm* form);
  void FormActivated(TForm* form) { FActiveForm = form; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend LRESULT CALLBACK ApplicationWndProc(HWND, UINT, WPARAM, LPARAM);
  void FormCreated(TForm* form);
  void WndProc(TMessage& Message);
  bool IsKeyMsg(MSG& Msg);
  void RestoreForms();
  void RunAfterShowJobs();

  TWindowHandle FHandle;
  TForm* FMainForm = nullptr;
  TForm* FActiveForm = nullptr;
  std::string FTitle;
  TIcon FIcon;
  bool FTerminated = false;
  bool FIconic = false;
  bool FMainFormShown = false;
  bool FMainFormComing = false;  // the first form is being constructed
  bool FFormWindowsPending = false;
  std::vector<std::function<void()>> FAfterShow;
  size_t FAheadJobs = 0;  // the jobs given Ahead, at the front of FAfterShow
  std::vector<std::pair<int, TApplicationHook>> FHooks;
  int FNextHook = 1;
};

extern TApplication* Application;

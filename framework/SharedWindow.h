// A hidden window shared by every object of one kind: made when the first object joins,
// destroyed when the last one leaves, and at program end if an object never left. The
// window's messages name the object they are meant for by a key (a timer identifier, an
// icon identity); Find gives the object back as long as it has not left, so a message
// still queued for an object that is gone finds nothing.
//
// Kind describes the window (a message-only window unless it says otherwise):
//   static constexpr wchar_t ClassName[] = L"...";
//   static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
//   static void WindowGone(User*);  // optional: for each object the window outlives
// and, for a hidden top-level window instead, MessageOnly = false with its styles. A Kind
// whose window nobody needs until later (MadeOnFirstUse = true) gets it when Window() is
// first asked, on the asking thread, instead of with the first object: such a kind is
// used from one thread, and ExistingWindow() looks without making it.
#pragma once

#include <windows.h>

#include <unordered_map>
#include <utility>

#include "framework/Handles.h"

// The defaults of a Kind: a message-only window, which never shows, is never listed with
// the top-level windows and receives only what is sent or posted to it.
struct TMessageOnlyWindowKind {
  static constexpr bool MessageOnly = true;
  static constexpr DWORD ExStyle = 0, Style = 0;
};

template <class Kind, class Key, class User>
class TSharedMessageWindow {
 public:
  // Adds User under Key; the first object makes the window.
  static void Join(Key AKey, User* AUser) {
    static_cast<void>(&FFinalizer);  // a window left at program end goes with the program
    if (!FInstance) FInstance = new TSharedMessageWindow();
    ++FInstance->FUserCount;
    FInstance->FUsers[AKey] = AUser;
  }
  // Takes User back out; the last object to leave destroys the window.
  static void Leave(Key AKey, User* AUser) {
    if (!FInstance) return;
    auto it = FInstance->FUsers.find(AKey);
    if (it != FInstance->FUsers.end() && it->second == AUser) FInstance->FUsers.erase(it);
    if (FInstance->FUserCount > 0) --FInstance->FUserCount;
    if (FInstance->FUserCount == 0) delete std::exchange(FInstance, nullptr);
  }
  // The window, or nullptr while no object has joined (or the window could not be made).
  static HWND Window() {
    if (!FInstance) return nullptr;
    if (!FInstance->FMade) FInstance->Make();
    return FInstance->FWindow.Get();
  }
  // The window if it has been made, without making it.
  static HWND ExistingWindow() { return FInstance ? FInstance->FWindow.Get() : nullptr; }
  static int UserCount() { return FInstance ? FInstance->FUserCount : 0; }
  // The object that joined under Key and has not left, if Wnd is the shared window.
  static User* Find(HWND Wnd, Key AKey) {
    if (!FInstance || Wnd != FInstance->FWindow.Get()) return nullptr;
    auto it = FInstance->FUsers.find(AKey);
    return it == FInstance->FUsers.end() ? nullptr : it->second;
  }

  TSharedMessageWindow(const TSharedMessageWindow&) = delete;
  TSharedMessageWindow& operator=(const TSharedMessageWindow&) = delete;

 private:
  static constexpr bool Lazy = [] {
    if constexpr (requires { Kind::MadeOnFirstUse; })
      return Kind::MadeOnFirstUse;
    else
      return false;
  }();

  TSharedMessageWindow() {
    if (!Lazy) Make();
  }
  void Make() {
    FMade = true;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    if (!GetClassInfoW(instance, Kind::ClassName, &wc)) {
      wc = WNDCLASSW{};
      wc.lpfnWndProc = &Kind::WindowProc;
      wc.hInstance = instance;
      wc.lpszClassName = Kind::ClassName;
      RegisterClassW(&wc);
    }
    FWindow.Reset(CreateWindowExW(Kind::ExStyle, Kind::ClassName, L"", Kind::Style, 0, 0, 0, 0,
                                  Kind::MessageOnly ? HWND_MESSAGE : nullptr, nullptr, instance,
                                  nullptr));
  }
  ~TSharedMessageWindow() {
    if constexpr (requires(User * u) { Kind::WindowGone(u); }) {
      if (FWindow)
        for (auto& entry : FUsers) Kind::WindowGone(entry.second);
    }
  }

  struct TFinalizer {
    ~TFinalizer() { delete std::exchange(FInstance, nullptr); }
  };
  // A plain pointer, so that objects freed during program end, after the finalizer has
  // run, still read a valid null.
  inline static TSharedMessageWindow* FInstance = nullptr;
  inline static TFinalizer FFinalizer;

  TWindowHandle FWindow;
  bool FMade = false;  // tried once: a window that could not be made is not tried again
  int FUserCount = 0;
  std::unordered_map<Key, User*> FUsers;
};

// System libraries that the program loads when it first calls into them instead of at
// start: each library the program imports is loaded, with the libraries it needs in turn,
// before the first line of the program runs, and the shell, the object libraries, the
// data protection and the remote-access library serve nothing the first picture of the
// main window needs.
//
// A function is declared with the type of the system header's own declaration, so a call
// through it is checked as a direct call would be:
//
//   TSystemLibrary Shell(L"shell32.dll");
//   TSystemFunction<decltype(&::ShellExecuteW)> ShellExecute(Shell, "ShellExecuteW");
//   ShellExecute(wnd, nullptr, url, nullptr, nullptr, SW_SHOWNORMAL);
//
// The library stays loaded for the rest of the run once a function has been found in it.
// A library or function the system lacks makes the call raise an Exception naming both;
// Available() asks without raising.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <utility>

class TSystemLibrary {
 public:
  constexpr explicit TSystemLibrary(const wchar_t* Name) : FName(Name) {}
  TSystemLibrary(const TSystemLibrary&) = delete;
  TSystemLibrary& operator=(const TSystemLibrary&) = delete;

  // Loads the library on the first call; null when the system has no such library.
  HMODULE Module();
  // The address of an exported function, or null.
  FARPROC Find(const char* Function);
  const wchar_t* Name() const { return FName; }
  // Whether the library is loaded already (by Module, on any thread).
  bool Loaded() const { return FModule.load(std::memory_order_acquire) != nullptr; }

 private:
  const wchar_t* FName;
  std::atomic<HMODULE> FModule{nullptr};
};

[[noreturn]] void RaiseMissingFunction(const TSystemLibrary& Library, const char* Function);

template <class F>
class TSystemFunction {
 public:
  constexpr TSystemFunction(TSystemLibrary& Library, const char* Name)
      : FLibrary(Library), FName(Name) {}
  TSystemFunction(const TSystemFunction&) = delete;
  TSystemFunction& operator=(const TSystemFunction&) = delete;

  // True when the system has the function (and its library, now loaded).
  bool Available() { return Bind() != nullptr; }

  template <class... A>
  auto operator()(A&&... Args) {
    F f = Bind();
    if (!f) RaiseMissingFunction(FLibrary, FName);
    return f(std::forward<A>(Args)...);
  }

 private:
  F Bind() {
    F f = FFunction.load(std::memory_order_acquire);
    if (!f) {
      // Two threads may both look it up: they find the same address.
      f = reinterpret_cast<F>(reinterpret_cast<void*>(FLibrary.Find(FName)));
      FFunction.store(f, std::memory_order_release);
    }
    return f;
  }

  TSystemLibrary& FLibrary;
  const char* FName;
  std::atomic<F> FFunction{nullptr};
};

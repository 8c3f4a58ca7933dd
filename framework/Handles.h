// Owners of Windows handles: each closes its handle exactly once, in its destructor or
// on Reset, and can be moved but not copied.
#pragma once

// clang-format off
#include <windows.h>
#include <commctrl.h>  // needs windows.h first
// clang-format on

#include <utility>

template <class H, class Closer>
class TUniqueHandle {
 public:
  TUniqueHandle() = default;
  explicit TUniqueHandle(H h) : FHandle(h) {}
  TUniqueHandle(const TUniqueHandle&) = delete;
  TUniqueHandle& operator=(const TUniqueHandle&) = delete;
  TUniqueHandle(TUniqueHandle&& o) noexcept : FHandle(o.Release()) {}
  TUniqueHandle& operator=(TUniqueHandle&& o) noexcept {
    if (this != &o) Reset(o.Release());
    return *this;
  }
  ~TUniqueHandle() { Reset(); }

  H Get() const { return FHandle; }
  explicit operator bool() const { return Valid(); }
  bool Valid() const { return FHandle != H() && !Closer::IsInvalid(FHandle); }
  H Release() { return std::exchange(FHandle, H()); }
  void Reset(H h = H()) {
    H old = std::exchange(FHandle, h);
    if (old != H() && !Closer::IsInvalid(old)) Closer::Close(old);
  }

 private:
  H FHandle = H();
};

namespace handle_closers {
struct Kernel {
  static bool IsInvalid(HANDLE h) { return h == INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
struct Window {
  static bool IsInvalid(HWND) { return false; }
  static void Close(HWND h) {
    if (IsWindow(h)) DestroyWindow(h);
  }
};
struct Gdi {
  static bool IsInvalid(HGDIOBJ) { return false; }
  static void Close(HGDIOBJ h) { DeleteObject(h); }
};
struct Icon {
  static bool IsInvalid(HICON) { return false; }
  static void Close(HICON h) { DestroyIcon(h); }
};
struct Menu {
  static bool IsInvalid(HMENU) { return false; }
  static void Close(HMENU h) { DestroyMenu(h); }
};
struct RegKey {
  static bool IsInvalid(HKEY) { return false; }
  static void Close(HKEY h) { RegCloseKey(h); }
};
struct Library {
  static bool IsInvalid(HMODULE) { return false; }
  static void Close(HMODULE h) { FreeLibrary(h); }
};
struct MemoryDC {
  static bool IsInvalid(HDC) { return false; }
  static void Close(HDC h) { DeleteDC(h); }
};
struct LocalMemory {
  static bool IsInvalid(HLOCAL) { return false; }
  static void Close(HLOCAL h) { LocalFree(h); }
};
struct ImageList {
  static bool IsInvalid(HIMAGELIST) { return false; }
  static void Close(HIMAGELIST h) { ImageList_Destroy(h); }
};
struct GlobalAtom {
  static bool IsInvalid(ATOM) { return false; }
  static void Close(ATOM a) { GlobalDeleteAtom(a); }
};
}  // namespace handle_closers

using TKernelHandle = TUniqueHandle<HANDLE, handle_closers::Kernel>;  // mutexes, events, files
using TWindowHandle = TUniqueHandle<HWND, handle_closers::Window>;
using TGdiObject = TUniqueHandle<HGDIOBJ, handle_closers::Gdi>;
using TIconHandle = TUniqueHandle<HICON, handle_closers::Icon>;
using TMenuHandle = TUniqueHandle<HMENU, handle_closers::Menu>;
using TRegKeyHandle = TUniqueHandle<HKEY, handle_closers::RegKey>;
using TLibraryHandle = TUniqueHandle<HMODULE, handle_closers::Library>;
using TMemoryDC = TUniqueHandle<HDC, handle_closers::MemoryDC>;
using TGlobalAtom = TUniqueHandle<ATOM, handle_closers::GlobalAtom>;
using TImageListHandle = TUniqueHandle<HIMAGELIST, handle_closers::ImageList>;
// Memory the system hands out to be freed with LocalFree (protected data, error texts).
using TLocalMemory = TUniqueHandle<HLOCAL, handle_closers::LocalMemory>;

// A device context obtained with GetDC/GetWindowDC, given back with ReleaseDC.
class TWindowDC {
 public:
  explicit TWindowDC(HWND wnd, bool whole_window = false)
      : FWnd(wnd), FDC(whole_window ? GetWindowDC(wnd) : GetDC(wnd)) {}
  TWindowDC(const TWindowDC&) = delete;
  TWindowDC& operator=(const TWindowDC&) = delete;
  ~TWindowDC() {
    if (FDC) ReleaseDC(FWnd, FDC);
  }
  HDC Get() const { return FDC; }

 private:
  HWND FWnd;
  HDC FDC;
};

// BeginPaint/EndPaint.
class TPaintDC {
 public:
  explicit TPaintDC(HWND wnd) : FWnd(wnd) { FDC = BeginPaint(wnd, &PS); }
  TPaintDC(const TPaintDC&) = delete;
  TPaintDC& operator=(const TPaintDC&) = delete;
  ~TPaintDC() { EndPaint(FWnd, &PS); }
  HDC Get() const { return FDC; }
  PAINTSTRUCT PS{};

 private:
  HWND FWnd;
  HDC FDC;
};

// Selects an object into a DC and puts the previous one back.
class TSelectObject {
 public:
  TSelectObject(HDC dc, HGDIOBJ obj) : FDC(dc), FOld(obj ? SelectObject(dc, obj) : nullptr) {}
  TSelectObject(const TSelectObject&) = delete;
  TSelectObject& operator=(const TSelectObject&) = delete;
  ~TSelectObject() {
    if (FOld) SelectObject(FDC, FOld);
  }

 private:
  HDC FDC;
  HGDIOBJ FOld;
};

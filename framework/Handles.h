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
template <class H>
struct TypedGdi {
  static bool IsInvalid(H) { return false; }
  static void Close(H h) { DeleteObject(h); }
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
using TBitmapHandle = TUniqueHandle<HBITMAP, handle_closers::TypedGdi<HBITMAP>>;
using TRegionHandle = TUniqueHandle<HRGN, handle_closers::TypedGdi<HRGN>>;
using TBrushHandle = TUniqueHandle<HBRUSH, handle_closers::TypedGdi<HBRUSH>>;
using TFontHandle = TUniqueHandle<HFONT, handle_closers::TypedGdi<HFONT>>;
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

// The one way to select an object into a DC: the object the selection replaced goes
// back when this goes, or before another object is selected through it. False when
// nothing was selected (no DC or object, or a bitmap that another DC holds right now).
class TSelectObject {
 public:
  TSelectObject() = default;
  TSelectObject(HDC dc, HGDIOBJ obj) { Select(dc, obj); }
  TSelectObject(const TSelectObject&) = delete;
  TSelectObject& operator=(const TSelectObject&) = delete;
  ~TSelectObject() { Restore(); }

  bool Select(HDC dc, HGDIOBJ obj) {
    Restore();
    if (!dc || !obj) return false;
    HGDIOBJ old = SelectObject(dc, obj);
    if (!old || old == HGDI_ERROR) return false;
    FDC = dc;
    FOld = old;
    return true;
  }
  void Restore() {
    if (FOld) SelectObject(FDC, FOld);
    FOld = nullptr;
  }
  explicit operator bool() const { return FOld != nullptr; }

 private:
  HDC FDC = nullptr;
  HGDIOBJ FOld = nullptr;
};

// SaveDC and RestoreDC around a drawing that changes a DC it does not own.
class TSavedDC {
 public:
  explicit TSavedDC(HDC dc) : FDC(dc), FSaved(dc ? SaveDC(dc) : 0) {}
  TSavedDC(const TSavedDC&) = delete;
  TSavedDC& operator=(const TSavedDC&) = delete;
  ~TSavedDC() {
    if (FSaved) RestoreDC(FDC, FSaved);
  }

 private:
  HDC FDC;
  int FSaved;
};

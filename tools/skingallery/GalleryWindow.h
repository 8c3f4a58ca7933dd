// The skin gallery's window: one plain top-level window whose child controls, made with
// CreateWindowEx, show every kind of control the skin engine draws, in their states
// (normal, checked, disabled, both orientations, tabs on the four sides).
#pragma once

#include <windows.h>

#include <string>

namespace gallery {

struct TGalleryOptions {
  int listLines = 0;      // lines of the list box
  std::wstring skinName;  // shown in the status bar
};

// Registers the window class (once) and makes the window with its controls and menu,
// hidden. Null when the system refuses.
HWND CreateGalleryWindow(const TGalleryOptions& options);

}  // namespace gallery

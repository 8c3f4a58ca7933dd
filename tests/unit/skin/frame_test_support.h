// Helpers of the skinned-frame tests: pumping messages with a time limit, the test
// skins packed beside the test program, plain test windows and reading the screen.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TSkinData;

namespace frametest {

// Handles this thread's messages for ms milliseconds.
void Pump(DWORD ms);
// Handles messages until the condition holds; false when ms passed first.
bool PumpUntil(const std::function<bool()>& condition, DWORD ms = 2000);

// The path of a packed test skin ("testskin-a.skin", ...) beside the test program.
std::string TestSkinPath(const char* name);
// A main-form skin data with the skin of that file, registered with the manager and
// switched on (no window of the thread was activated yet, so at once).
TSkinData* LoadTestSkin(const char* name);

// Frees a test's skin data and the skin manager it made, after handling what the windows
// closed by the test left in the queue.
void DropSkin(std::unique_ptr<TSkinData>& data);

// A window class of the test's own with that window procedure (the arrow cursor, the
// window colour behind), registered on first use; its name.
const wchar_t* TestWindowClass(const wchar_t* name, WNDPROC proc = DefWindowProcW);
// Shows and activates the window and handles messages until the skin has taken its
// frame; false when that did not happen within two seconds.
bool ShowUntilSkinned(HWND w);

// A top-level window of a class of the test's own (default processing only), placed
// with a client area of the given size, shown and activated.
HWND MakeWindow(DWORD style, int clientWidth, int clientHeight, DWORD exStyle = 0);
SIZE ClientSize(HWND w);
SIZE WindowSize(HWND w);
// A screen point of the window's frame (x, y from its top-left corner).
POINT At(HWND w, int x, int y);
LPARAM ScreenParam(HWND w, int x, int y);

// Real mouse input at a screen point (with button flags such as MOUSEEVENTF_LEFTDOWN),
// from any thread; Mouse then handles 60 ms of this thread's messages.
void SendMouse(POINT p, DWORD flags = 0, DWORD data = 0);
void Mouse(POINT p, DWORD flags = 0);

// The window's rectangle as the screen shows it, 0x00RRGGBB per pixel.
struct Shot {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[size_t(y) * width + x]; }
  int Count(uint32_t colour, int x0, int y0, int x1, int y1) const;
};
Shot Capture(HWND w);
// Saves the capture as a picture in the test program's e2e-artifacts folder.
void SaveShot(HWND w, const char* name);
// Waits until the screen shows `colour` at frame point (x, y).
bool WaitForPixel(HWND w, int x, int y, uint32_t colour, DWORD ms = 3000);

constexpr uint32_t Rgb(int r, int g, int b) {
  return (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}

}  // namespace frametest

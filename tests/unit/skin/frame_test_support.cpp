#include "tests/unit/skin/frame_test_support.h"

#include <fstream>
#include <iterator>

#include "skin/SkinData.h"
#include "skin/SkinForm.h"
#include "skin/SkinManager.h"
#include "tests/support/wait_until.h"

namespace frametest {

void Pump(DWORD ms) {
  testwait::PumpFor(ms);
}

bool PumpUntil(const std::function<bool()>& condition, DWORD ms) {
  return testwait::PumpUntil(condition, ms);
}

std::string TestSkinPath(const char* name) {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path, n);
  dir.erase(dir.find_last_of("\\/") + 1);
  return dir + "testskins\\" + name;
}

TSkinData* LoadTestSkin(const char* name) {
  std::ifstream in(TestSkinPath(name), std::ios::binary);
  if (!in) return nullptr;
  auto* d = new TSkinData(nullptr);
  d->PackedSkin.assign(std::istreambuf_iterator<char>(in), {});
  if (!d->LoadSkinStore()) {
    delete d;
    return nullptr;
  }
  d->SetActive(true);
  d->Loaded();
  return d;
}

void DropSkin(std::unique_ptr<TSkinData>& data) {
  Pump(20);
  data.reset();
  delete SkinManager;
  SkinManager = nullptr;
}

const wchar_t* TestWindowClass(const wchar_t* name, WNDPROC proc) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExW(GetModuleHandleW(nullptr), name, &wc)) return name;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = name;
  RegisterClassExW(&wc);
  return name;
}

bool ShowUntilSkinned(HWND w) {
  ShowWindow(w, SW_SHOW);
  SetForegroundWindow(w);
  return PumpUntil([&] {
    TSkinForm* f = SkinManager->FindSkinForm(w);
    return f && f->State() == sfsSkinned;
  });
}

namespace {

const wchar_t* TestClass() {
  static const wchar_t* name = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));
    wc.lpszClassName = L"FrameTestWindow";
    RegisterClassExW(&wc);
    return L"FrameTestWindow";
  }();
  return name;
}

}  // namespace

HWND MakeWindow(DWORD style, int clientWidth, int clientHeight, DWORD exStyle) {
  RECT r{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  HWND w = CreateWindowExW(exStyle, TestClass(), L"Frame test", style, 60, 60, r.right - r.left,
                           r.bottom - r.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ShowWindow(w, SW_SHOW);
  SetForegroundWindow(w);
  Pump(50);
  return w;
}

SIZE ClientSize(HWND w) {
  RECT r{};
  GetClientRect(w, &r);
  return {r.right, r.bottom};
}

SIZE WindowSize(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return {r.right - r.left, r.bottom - r.top};
}

POINT At(HWND w, int x, int y) {
  RECT r{};
  GetWindowRect(w, &r);
  return {r.left + x, r.top + y};
}

LPARAM ScreenParam(HWND w, int x, int y) {
  const POINT p = At(w, x, y);
  return MAKELPARAM(p.x, p.y);
}

int Shot::Count(uint32_t colour, int x0, int y0, int x1, int y1) const {
  int n = 0;
  for (int y = std::max(0, y0); y < std::min(height, y1); ++y)
    for (int x = std::max(0, x0); x < std::min(width, x1); ++x) n += At(x, y) == colour;
  return n;
}

Shot Capture(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  Shot s;
  s.width = r.right - r.left;
  s.height = r.bottom - r.top;
  s.pixels.assign(size_t(s.width) * s.height, 0);
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), s.width, -s.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, s.width, s.height, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const auto* p = static_cast<const uint32_t*>(bits);
  for (size_t i = 0; i < s.pixels.size(); ++i) s.pixels[i] = p[i] & 0xFFFFFF;
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return s;
}

void SendMouse(POINT p, DWORD flags, DWORD data) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = static_cast<LONG>(p.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1));
  in.mi.dy = static_cast<LONG>(p.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1));
  in.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | flags;
  in.mi.mouseData = data;
  SendInput(1, &in, sizeof in);
}

void Mouse(POINT p, DWORD flags) {
  SendMouse(p, flags);
  Pump(60);
}

void SaveShot(HWND w, const char* name) {
  const Shot s = Capture(w);
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path, n);
  dir.erase(dir.find_last_of("\\/") + 1);
  dir += "e2e-artifacts";
  CreateDirectoryA(dir.c_str(), nullptr);
  std::ofstream out(dir + "\\" + name, std::ios::binary);
  const uint32_t row = (uint32_t(s.width) * 3 + 3) & ~3u, size = 54 + row * s.height;
  const uint8_t header[54] = {'B',
                              'M',
                              uint8_t(size),
                              uint8_t(size >> 8),
                              uint8_t(size >> 16),
                              uint8_t(size >> 24),
                              0,
                              0,
                              0,
                              0,
                              54,
                              0,
                              0,
                              0,
                              40,
                              0,
                              0,
                              0,
                              uint8_t(s.width),
                              uint8_t(s.width >> 8),
                              0,
                              0,
                              uint8_t(s.height),
                              uint8_t(s.height >> 8),
                              0,
                              0,
                              1,
                              0,
                              24};
  out.write(reinterpret_cast<const char*>(header), 54);
  std::vector<char> line(row, 0);
  for (int y = s.height - 1; y >= 0; --y) {
    for (int x = 0; x < s.width; ++x) {
      const uint32_t p = s.At(x, y);
      line[x * 3] = char(p & 0xFF);
      line[x * 3 + 1] = char((p >> 8) & 0xFF);
      line[x * 3 + 2] = char(p >> 16);
    }
    out.write(line.data(), row);
  }
}

bool WaitForPixel(HWND w, int x, int y, uint32_t colour, DWORD ms) {
  return PumpUntil([&] { return Capture(w).At(x, y) == colour; }, ms);
}

}  // namespace frametest

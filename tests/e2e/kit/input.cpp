// Keyboard and mouse input for another process's windows, and screenshots.
#include "tests/e2e/kit/e2e_kit.h"

namespace e2e {
namespace {

LPARAM KeyLParam(UINT vk, bool up) {
  UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
  LPARAM lp = 1 | (LPARAM(scan & 0xFF) << 16);
  switch (vk) {
    case VK_INSERT:
    case VK_DELETE:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
      lp |= LPARAM(1) << 24;  // extended key
      break;
  }
  if (up) lp |= (LPARAM(1) << 30) | (LPARAM(1) << 31);
  return lp;
}

[[noreturn]] void Fail(const std::string& text) {
  throw Failure(text);
}

void Post(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (!PostMessageW(w, msg, wp, lp)) Fail("PostMessage to the target window failed");
}

HWND FormOf(HWND w) {
  HWND root = GetAncestor(w, GA_ROOT);
  return root ? root : w;
}

}  // namespace

void TypeText(HWND control, std::wstring_view text) {
  // Characters arrive as an input method delivers them: one WM_CHAR per UTF-16 unit, through
  // the target's message loop, so its key-press handlers see each of them.
  for (wchar_t c : text) Post(control, WM_CHAR, c, 1);
  Sync(FormOf(control));
}

void PressKey(HWND target, UINT vk) {
  Post(target, WM_KEYDOWN, vk, KeyLParam(vk, false));
  Post(target, WM_KEYUP, vk, KeyLParam(vk, true));
}

void PressKeyInForm(HWND form, UINT vk) {
  HWND focus = FocusedWindow(form);
  PressKey(focus ? focus : form, vk);
  // The key-down handler posts the key's character behind the first synchronising request;
  // a second request, posted once the first is answered, comes after that character.
  Sync(form);
  Sync(form);
}

void Click(HWND w, std::optional<POINT> client_point) {
  POINT p;
  if (client_point) {
    p = *client_point;
  } else {
    SIZE s = ClientSize(w);
    p = {s.cx / 2, s.cy / 2};
  }
  LPARAM at = MAKELPARAM(p.x, p.y);
  // The real pointer may rest elsewhere. A control that tracks the mouse on this move
  // (the skinned buttons do) learns at once that the pointer is not over it and is told
  // so by a message queued behind whatever is already posted; were the press already
  // queued and the release not yet, that report would fall between them and cancel the
  // press like a drag off the button. So the move is handled, and that report queued,
  // before the press and release go out together.
  Post(w, WM_MOUSEMOVE, 0, at);
  Sync(FormOf(w));
  Post(w, WM_LBUTTONDOWN, MK_LBUTTON, at);
  Post(w, WM_LBUTTONUP, 0, at);
  Sync(FormOf(w));
}

void ClickAt(HWND form, POINT client_point) {
  HWND target = form;
  POINT p = client_point;
  for (;;) {
    HWND child = ChildWindowFromPointEx(target, p, CWP_SKIPINVISIBLE | CWP_SKIPDISABLED);
    if (!child || child == target) break;
    MapWindowPoints(target, child, &p, 1);
    target = child;
  }
  Click(target, p);
}

POINT ScreenPoint(HWND w, std::optional<POINT> client_point) {
  POINT p;
  if (client_point) {
    p = *client_point;
  } else {
    SIZE s = ClientSize(w);
    p = {s.cx / 2, s.cy / 2};
  }
  ClientToScreen(w, &p);
  return p;
}

namespace {

void MouseInput(POINT screen, DWORD flags) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  // Absolute positions run from 0 to 65535 over the primary screen.
  in.mi.dx = static_cast<LONG>(screen.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1));
  in.mi.dy = static_cast<LONG>(screen.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1));
  in.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | flags;
  if (SendInput(1, &in, sizeof in) != 1) Fail("SendInput failed");
  // The target's thread reads its input on its own time: give it a moment.
  Sleep(40);
}

}  // namespace

void MoveMouse(POINT screen) {
  MouseInput(screen, 0);
}

void Hover(HWND w, std::optional<POINT> client_point) {
  MouseInput(ScreenPoint(w, client_point), 0);
  Sync(FormOf(w));
}

void MouseDown(POINT screen) {
  MouseInput(screen, 0);
  MouseInput(screen, MOUSEEVENTF_LEFTDOWN);
}

void MouseUp(POINT screen) {
  MouseInput(screen, 0);
  MouseInput(screen, MOUSEEVENTF_LEFTUP);
}

void RightClickAt(POINT screen) {
  MouseInput(screen, 0);
  MouseInput(screen, MOUSEEVENTF_RIGHTDOWN);
  MouseInput(screen, MOUSEEVENTF_RIGHTUP);
}

void SendKeysToForeground(std::wstring_view text) {
  std::vector<INPUT> in;
  for (wchar_t c : text)
    for (DWORD flags : {DWORD(KEYEVENTF_UNICODE), DWORD(KEYEVENTF_UNICODE | KEYEVENTF_KEYUP)}) {
      INPUT i{};
      i.type = INPUT_KEYBOARD;
      i.ki.wScan = c;
      i.ki.dwFlags = flags;
      in.push_back(i);
    }
  if (!in.empty() && SendInput(UINT(in.size()), in.data(), sizeof(INPUT)) != in.size())
    Fail("SendInput failed");
}

void SendKeyToForeground(UINT vk, bool shift) {
  SendChordToForeground(shift ? VK_SHIFT : 0, vk);
}

void SendChordToForeground(UINT held, UINT vk) {
  std::vector<INPUT> in;
  auto key = [&](UINT k, bool up) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = WORD(k);
    i.ki.wScan = WORD(MapVirtualKeyW(k, MAPVK_VK_TO_VSC));
    i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    in.push_back(i);
  };
  if (held) key(held, false);
  key(vk, false);
  key(vk, true);
  if (held) key(held, true);
  if (SendInput(UINT(in.size()), in.data(), sizeof(INPUT)) != in.size()) Fail("SendInput failed");
}

// ---- Screenshots ------------------------------------------------------------------------

bool WaitStill(HWND w, DWORD ms) {
  Image last = CaptureScreen(w);
  return WaitUntil(
      [&] {
        Image now = CaptureScreen(w);
        const bool same =
            now.width == last.width && now.height == last.height && now.pixels == last.pixels;
        last = std::move(now);
        return same;
      },
      ms, 100);
}

Image CaptureScreen(HWND w) {
  RECT r{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
  r.right = r.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
  r.bottom = r.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
  if (w) {
    RECT wr{};
    GetWindowRect(w, &wr);
    if (!IntersectRect(&r, &r, &wr)) Fail("the window lies outside the screen");
  }
  Image img;
  img.width = r.right - r.left;
  img.height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = img.width;
  bi.bmiHeader.biHeight = -img.height;  // top-down rows
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = dib != nullptr;
  if (ok) {
    HGDIOBJ old = SelectObject(mem, dib);
    ok = BitBlt(mem, 0, 0, img.width, img.height, screen, r.left, r.top, SRCCOPY | CAPTUREBLT);
    GdiFlush();
    const auto* px = static_cast<const std::uint32_t*>(bits);
    img.pixels.assign(px, px + size_t(img.width) * img.height);
    for (auto& p : img.pixels) p &= 0xFFFFFF;
    SelectObject(mem, old);
    DeleteObject(dib);
  }
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  if (!ok) Fail("capturing the screen failed");
  return img;
}

void SaveBmp(const Image& img, const std::wstring& path) {
  const int row = (img.width * 3 + 3) & ~3;
  BITMAPFILEHEADER fh{};
  BITMAPINFOHEADER ih{};
  ih.biSize = sizeof ih;
  ih.biWidth = img.width;
  ih.biHeight = img.height;  // bottom-up, the common form
  ih.biPlanes = 1;
  ih.biBitCount = 24;
  ih.biCompression = BI_RGB;
  ih.biSizeImage = DWORD(row) * img.height;
  fh.bfType = 0x4D42;  // "BM"
  fh.bfOffBits = sizeof fh + sizeof ih;
  fh.bfSize = fh.bfOffBits + ih.biSizeImage;
  std::string data(reinterpret_cast<const char*>(&fh), sizeof fh);
  data.append(reinterpret_cast<const char*>(&ih), sizeof ih);
  std::string line(row, '\0');
  for (int y = img.height - 1; y >= 0; --y) {
    for (int x = 0; x < img.width; ++x) {
      std::uint32_t p = img.At(x, y);
      line[x * 3] = char(p & 0xFF);
      line[x * 3 + 1] = char((p >> 8) & 0xFF);
      line[x * 3 + 2] = char((p >> 16) & 0xFF);
    }
    data += line;
  }
  WriteBytes(path, data);
}

std::wstring SaveScreenshot(const std::wstring& path, HWND w) {
  SaveBmp(CaptureScreen(w), path);
  return path;
}

}  // namespace e2e

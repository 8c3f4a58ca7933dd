// The stand-in for the default browser and the way to the program's settings menu.
#include "tests/e2e/kit/e2e_kit.h"

namespace e2e {

namespace {
constexpr const wchar_t* kHttpHandlerKey = L"http\\shell\\open\\command";
}  // namespace

LinkRecorder::LinkRecorder() : log_(ArtifactPath(L"links.log")) {
  DeleteFileW(log_.c_str());
  old_ = RegString(HKEY_CLASSES_ROOT, kHttpHandlerKey, L"");
  RegSetString(HKEY_CLASSES_ROOT, kHttpHandlerKey, L"",
               L"\"" + BinDir() + L"\\e2e_link_recorder.exe\" \"%1\"");
}

LinkRecorder::~LinkRecorder() {
  if (old_) {
    RegSetString(HKEY_CLASSES_ROOT, kHttpHandlerKey, L"", *old_);
  } else if (HKEY k; RegOpenKeyExW(HKEY_CLASSES_ROOT, kHttpHandlerKey, 0, KEY_SET_VALUE, &k) == 0) {
    RegDeleteValueW(k, nullptr);
    RegCloseKey(k);
  }
}

void LinkRecorder::Watch(StartOptions& options) const {
  options.env.push_back({L"VPN_E2E_LINK_LOG", log_});
}

std::vector<std::string> LinkRecorder::Opened() const {
  return ReadLines(log_);
}

bool LinkRecorder::WaitFor(size_t count, DWORD ms) const {
  return WaitUntil([&] { return Opened().size() >= count; }, ms);
}

HWND ShowSettingsButton(HWND main) {
  HWND button = Control(main, L"Button4");
  SetWindowPos(button, HWND_TOP, 271, 190, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  Sync(main);
  return button;
}

HWND OpenSettingsMenu(DWORD pid, HWND settings_button) {
  const POINT at = ScreenPoint(settings_button);
  MouseDown(at);
  MouseUp(at);
  HWND menu = WaitForPopupMenu(pid);
  if (!menu) SaveScreenshot(ArtifactPath(L"settings-menu-missing.bmp"));
  return menu;
}

}  // namespace e2e

// The tray icon's record and the one shell call that hands it over: adding, changing and
// removing the icon, and its balloons.
#include <windows.h>
// after windows.h
#include <shlwapi.h>

#include <algorithm>
#include <cstring>

#include "core/tray/tray_text.h"
#include "framework/Gbk.h"
#include "framework/Handles.h"
#include "framework/SystemLibrary.h"
#include "tray/TrayIcon.h"

namespace {

// The shell comes with the first icon the program puts in the notification area; a
// system without it shows no icon, as when the shell refuses one.
TSystemLibrary Shell(L"shell32.dll");
TSystemFunction<decltype(&::Shell_NotifyIconW)> ShellNotifyIconFn(Shell, "Shell_NotifyIconW");

}  // namespace

BOOL WINAPI SystemShellNotifyIcon(DWORD Message, PNOTIFYICONDATAW Data) {
  return ShellNotifyIconFn.Available() && ShellNotifyIconFn(Message, Data);
}

TShellNotifyIconFunc TrayShellNotifyIcon = &SystemShellNotifyIcon;

namespace {

// Shells older than the 4.71 common controls never announce a new task bar.
UINT RegisterTaskbarCreated() {
  const TLibraryHandle comctl(LoadLibraryW(L"comctl32.dll"));
  if (!comctl) return 0;
  auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
      reinterpret_cast<void*>(GetProcAddress(comctl.Get(), "DllGetVersion")));
  DLLVERSIONINFO info{};
  info.cbSize = sizeof info;
  if (getVersion && SUCCEEDED(getVersion(&info)) &&
      (info.dwMajorVersion > 4 || (info.dwMajorVersion == 4 && info.dwMinorVersion >= 71)))
    return RegisterWindowMessageA("TaskbarCreated");
  return 0;
}

// Puts a GBK text into a text field of the record: at most N - 1 bytes of it, cut between
// characters, handed over in UTF-16 (never more units than bytes), the rest zero.
template <size_t N>
void CopyToField(const std::string& Text, wchar_t (&Field)[N]) {
  std::memset(Field, 0, sizeof Field);
  const std::wstring wide = GbkToWide(vpn::GbkPrefix(Text, N - 1));
  std::copy_n(wide.begin(), std::min(wide.size(), N - 1), Field);
}

}  // namespace

const UINT TaskbarCreatedMessage = RegisterTaskbarCreated();

bool TTrayIcon::Notify(DWORD Message) {
  FIconRecord.hWnd = TTrayIconHandler::TrayWindow();
  return TrayShellNotifyIcon(Message, reinterpret_cast<PNOTIFYICONDATAW>(&FIconRecord)) != 0;
}

bool TTrayIcon::FillIconRecord() {
  if (Designing() && !FPreviewInProgress && !FDesignPreview) return false;
  FIconRecord.hIcon = FIcon.Handle();
  if (!FHint.empty() && FShowHint)
    CopyToField(FHint, FIconRecord.szTip);
  else
    std::memset(FIconRecord.szTip, 0, sizeof FIconRecord.szTip);
  return true;
}

bool TTrayIcon::AddTrayIcon() {
  if (!FPreviewInProgress) FIconVisible = true;
  if (Designing() && !FPreviewInProgress) return false;
  return FillIconRecord() && Notify(NIM_ADD);
}

bool TTrayIcon::RemoveTrayIcon() {
  if (!FPreviewInProgress) FIconVisible = false;
  if (Designing() && !FPreviewInProgress) return false;
  return FillIconRecord() && Notify(NIM_DELETE);
}

bool TTrayIcon::UpdateTrayIcon() {
  // While its layout is read the icon's settings come one by one, and the end of the
  // reading (Loaded) hands them to the shell at once: each a call to another process.
  if (HasState(csLoading)) return false;
  return FillIconRecord() && Notify(NIM_MODIFY);
}

bool TTrayIcon::HideBalloon() {
  FIconRecord.uFlags |= NIF_INFO;
  std::memset(FIconRecord.szInfo, 0, sizeof FIconRecord.szInfo);
  return UpdateTrayIcon();
}

bool TTrayIcon::ShowBalloon(const std::string& Title, const std::string& Text,
                            BalloonIconKind IconKind, uint8_t TimeoutSeconds) {
  HideBalloon();
  FIconRecord.uFlags |= NIF_INFO;
  CopyToField(Text, FIconRecord.szInfo);
  CopyToField(Title, FIconRecord.szInfoTitle);
  FIconRecord.uTimeout = static_cast<UINT>(TimeoutSeconds) * 1000;
  switch (IconKind) {
    case bikNone:
      FIconRecord.dwInfoFlags = NIIF_NONE;
      break;
    case bikInfo:
      FIconRecord.dwInfoFlags = NIIF_INFO;
      break;
    case bikWarning:
      FIconRecord.dwInfoFlags = NIIF_WARNING;
      break;
    case bikError:
      FIconRecord.dwInfoFlags = NIIF_ERROR;
      break;
  }
  bool result = UpdateTrayIcon();
  FIconRecord.uFlags = kTrayIconFlags;
  return result;
}

// The record and the call by which the tray icon talks to the shell's notification area.
#pragma once

#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <cstddef>

#include "framework/Messages.h"

// The shell's notify-icon record in the form this program passes: the wide ("W") record
// up to dwInfoFlags (tip of 128 characters, balloon text and title, no GUID and no
// balloon icon). The texts go to the shell in UTF-16 so that they show right whatever
// the system's code page; their limits stay those of the GBK texts (127, 255 and 63
// bytes). 936 bytes in the 32-bit program; the 64-bit build gets the same fields with
// that build's handle sizes and alignment.
struct TNotifyIconRecord {
  DWORD cbSize;
  HWND hWnd;
  UINT uID;
  UINT uFlags;
  UINT uCallbackMessage;
  HICON hIcon;
  wchar_t szTip[128];
  DWORD dwState;
  DWORD dwStateMask;
  wchar_t szInfo[256];
  union {
    UINT uTimeout;
    UINT uVersion;
  };
  wchar_t szInfoTitle[64];
  DWORD dwInfoFlags;
};

#if !defined(_WIN64)
static_assert(sizeof(TNotifyIconRecord) == 936);
static_assert(offsetof(TNotifyIconRecord, hWnd) == 4);
static_assert(offsetof(TNotifyIconRecord, uID) == 8);
static_assert(offsetof(TNotifyIconRecord, uFlags) == 12);
static_assert(offsetof(TNotifyIconRecord, uCallbackMessage) == 16);
static_assert(offsetof(TNotifyIconRecord, hIcon) == 20);
static_assert(offsetof(TNotifyIconRecord, szTip) == 24);
static_assert(offsetof(TNotifyIconRecord, dwState) == 280);
static_assert(offsetof(TNotifyIconRecord, dwStateMask) == 284);
static_assert(offsetof(TNotifyIconRecord, szInfo) == 288);
static_assert(offsetof(TNotifyIconRecord, uTimeout) == 800);
static_assert(offsetof(TNotifyIconRecord, szInfoTitle) == 804);
static_assert(offsetof(TNotifyIconRecord, dwInfoFlags) == 932);
#endif
// In both builds the record is the start of the system header's record.
static_assert(sizeof(TNotifyIconRecord) == NOTIFYICONDATAW_V2_SIZE);
static_assert(offsetof(TNotifyIconRecord, hIcon) == offsetof(NOTIFYICONDATAW, hIcon));
static_assert(offsetof(TNotifyIconRecord, szTip) == offsetof(NOTIFYICONDATAW, szTip));
static_assert(offsetof(TNotifyIconRecord, szInfo) == offsetof(NOTIFYICONDATAW, szInfo));
static_assert(offsetof(TNotifyIconRecord, uTimeout) == offsetof(NOTIFYICONDATAW, uTimeout));
static_assert(offsetof(TNotifyIconRecord, szInfoTitle) == offsetof(NOTIFYICONDATAW, szInfoTitle));
static_assert(offsetof(TNotifyIconRecord, dwInfoFlags) == offsetof(NOTIFYICONDATAW, dwInfoFlags));

// The one way to the shell's notification area. The program keeps Shell_NotifyIconW;
// tests put a recorder here to see the exact records.
using TShellNotifyIconFunc = BOOL(WINAPI*)(DWORD Message, PNOTIFYICONDATAW Data);
extern TShellNotifyIconFunc TrayShellNotifyIcon;
// The shell's own call (the shell library is loaded by its first use), which
// TrayShellNotifyIcon is unless a test replaces it.
BOOL WINAPI SystemShellNotifyIcon(DWORD Message, PNOTIFYICONDATAW Data);

// uFlags outside balloons: message, icon and tip.
constexpr UINT kTrayIconFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;

// The message the shell broadcasts when its task bar was re-created; 0 when the
// common-controls library is older than 4.71.
extern const UINT TaskbarCreatedMessage;

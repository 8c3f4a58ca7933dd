// The command line from the side of the copy that was started with it: the usage box,
// the texts it prints, and handing a command to the copy that already runs and waiting
// for its outcome.
#pragma once

#include <windows.h>

#include <string>

#include "core/app/command_line.h"

// The class of the window a second copy receives its reply on; the running copy answers
// only windows of this class.
inline constexpr wchar_t kReplyWindowClass[] = L"TVpnCommandReply";

// Shows the usage box (with the problem first) and returns kExitBadArguments.
int ShowUsage(const std::string& problem);

// Writes a text (GBK) and a line break to standard output or standard error: to the
// handles the program was given, else to the console it was started from, if any. A
// console gets the characters themselves, a file or pipe UTF-8.
void PrintText(DWORD which, const std::string& text);

// Hands `command` to the copy whose main window is `running` and waits for its outcome:
// the process's exit code (the texts printed on the way).
int SendToRunningCopy(HWND running, const vpn::app::CommandLine& command);

// A command that needs a running copy when there is none: /status says so (exit code 3),
// /disconnect and /quit have nothing to do (0).
int NoRunningCopy(const vpn::app::CommandLine& command);

// Brings the running copy back as a start without a command does.
void ActivateRunningCopy(HWND running);

// The main window's decisions that need no window: which input the connect refuses,
// which dialing path a system takes, the texts of a failed dial, the remembered-password
// choice.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vpn::app {

// The fixed name of the phonebook entry the program writes, dials and deletes.
inline constexpr const char* kEntryName = "VPN Connection";

// The program's caption: the main window's title, the tray balloon's title, the name a
// second copy finds the first by, and the head of the about text.
inline constexpr char kProgramCaption[] = "Morlu连接器";

// The control the connect sends the focus to when it refuses the input.
enum class InputFault { kNone, kServer, kUserName, kPassword };

// The first fault of the connect's input, in the order the user fills the window:
// the server list's placeholder typed as is, the line placeholder (blanks around it do not
// help), a blank server, a blank user name, a blank password.
InputFault FirstInputFault(std::string_view server, std::string_view user_name,
                           std::string_view password);

// Windows 2000 and XP dial through the component with progress notifications; every
// other system (an unknown one included) dials directly.
bool DialsWithProgress(std::string_view os_version_name);

// The status of a failed dial: the fixed text followed directly by the number in decimal,
// a negative 32-bit code (a certificate error of the progress path) as its unsigned value.
std::string DialFailureStatus(std::int64_t code);
// The status of a hang-up the system refused or did not finish: "断开失败，错误号为:"
// and the number, the same way.
std::string HangUpFailureStatus(std::int64_t code);

// The settings' "Check" value ticks "remember password" only when it is exactly "Yes".
bool RemembersPassword(std::string_view check_value);
inline const char* CheckValue(bool remember) {
  return remember ? "Yes" : "No";
}

}  // namespace vpn::app

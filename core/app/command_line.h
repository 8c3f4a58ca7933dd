// The program's command line, and the requests a second copy hands to the running one.
//
//   vpnclient.exe /connect [server]   connect (with the server given, else the window's)
//   vpnclient.exe /disconnect         hang up
//   vpnclient.exe /status             print the connection's state
//   vpnclient.exe /quit               hang up and end the running copy
//   vpnclient.exe /tray               start (or go) to the notification area
//
// Options may begin with '/' or '-' and are read in any case. The command line arrives
// as GBK bytes from whoever started the program, so everything here takes arbitrary
// bytes: a line that is no valid command is refused with a text saying why.
//
// A copy that finds another one running sends it the command (a request), and the
// running copy answers with a reply: both are byte strings that cross from one process
// to another, read back here with the same care.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vpn::app {

enum class Command {
  None,        // no command: an ordinary start
  Connect,     // /connect [server]
  Disconnect,  // /disconnect
  Status,      // /status
  Quit,        // /quit
  Tray,        // /tray
  Show,        // (requests only) a start without a command: bring the window back
};

// The process's exit code of a command.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;        // the text of why goes to standard error
inline constexpr int kExitBadArguments = 2;  // the usage box was shown
inline constexpr int kExitNotRunning = 3;    // /status with no copy running

// The longest server a command line or a request may name (as the dial's own record).
inline constexpr std::size_t kMaxCommandServer = 128;

struct CommandLine {
  Command command = Command::None;
  std::string server;   // /connect's server; empty: the window's
  std::string problem;  // why the line is refused; empty when it is valid
  bool valid() const { return problem.empty(); }
};

// The arguments of a whole command line by the system's rules: the program's name first
// (quoted or up to the first blank), then arguments separated by blanks and tabs, where
// double quotes group, 2n backslashes before a quote give n and the quote groups, 2n+1
// give n and a literal quote, other backslashes are kept, and "" inside a group is a
// literal quote. A GBK character is never split, whatever its second byte.
std::vector<std::string> SplitCommandLine(std::string_view line);

// Reads the whole command line (program name first, as the system hands it over).
CommandLine ParseCommandLine(std::string_view line);

// The usage box's text: the problem (when given) above the list of commands.
std::string UsageText(std::string_view problem);

// The option a command is written with ("/connect"), for texts and requests.
const char* CommandOption(Command command);

// ---- Between two copies ---------------------------------------------------------------

// The marks of the two kinds of message data (WM_COPYDATA's dwData): anything else that
// reaches the main window or the second copy's reply window is not looked at.
inline constexpr std::uint32_t kRequestTag = 0x76706E31;  // "vpn1"
inline constexpr std::uint32_t kReplyTag = 0x76706E32;    // "vpn2"

// A request: what the second copy asks the running one to do.
struct CommandRequest {
  Command command = Command::None;
  std::string server;
};
inline constexpr std::size_t kMaxRequestBytes = 512;
std::string EncodeRequest(const CommandRequest& request);
// No value for anything that is not a request this program makes: a wrong header, an
// unknown command, a server where none belongs or one that no command line could give,
// more than kMaxRequestBytes.
std::optional<CommandRequest> DecodeRequest(std::string_view bytes);

// A reply: the exit code the second copy ends with and the text it prints.
struct CommandReply {
  int code = kExitDone;
  std::string text;
};
inline constexpr std::size_t kMaxReplyBytes = 16 * 1024;
std::string EncodeReply(const CommandReply& reply);
// No value for a wrong header, a code other than 0 or 1, or more than kMaxReplyBytes.
std::optional<CommandReply> DecodeReply(std::string_view bytes);

// ---- What /status prints ----------------------------------------------------------------

struct StatusFacts {
  std::string state;        // the state's name as the code spells it ("Connected")
  std::string status_text;  // the status bar's text
  bool connected = false;
  std::string server, tunnel;
  std::uint64_t seconds = 0, sent = 0, received = 0;
};
// Key=Value lines, the keys in ASCII so that scripts can read them:
//   State=Connected
//   Status=连接成功
//   Server=vpn.example.net      (these five only while connected)
//   Tunnel=L2TP
//   Duration=00:12:05
//   BytesSent=123456
//   BytesReceived=7654321
// A line break in a text becomes a blank, so that every key keeps one line.
std::string StatusReport(const StatusFacts& facts);

}  // namespace vpn::app

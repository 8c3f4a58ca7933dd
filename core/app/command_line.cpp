#include "core/app/command_line.h"

#include "core/app/connection_tip.h"
#include "core/text/text.h"

namespace vpn::app {

namespace {

bool IsLeadByte(unsigned char c) {
  return c >= 0x81 && c <= 0xFE;
}
bool IsBlankByte(char c) {
  return c == ' ' || c == '\t';
}

const char kRequestHeader[] = "vpnclient-request 1\n";
const char kReplyHeader[] = "vpnclient-reply 1\n";

struct OptionName {
  Command command;
  const char* name;  // without its '/' or '-'
};
const OptionName kOptions[] = {{Command::Connect, "connect"}, {Command::Disconnect, "disconnect"},
                               {Command::Status, "status"},   {Command::Quit, "quit"},
                               {Command::Tray, "tray"},       {Command::Show, "show"}};

std::optional<Command> CommandNamed(std::string_view name) {
  for (const OptionName& o : kOptions)
    if (SameTextAscii(name, o.name)) return o.command;
  return std::nullopt;
}

bool IsOption(std::string_view argument) {
  return !argument.empty() && (argument[0] == '/' || argument[0] == '-');
}

// Why a server named on a command line or in a request cannot be dialed as given.
std::string ServerProblem(std::string_view server) {
  if (IsBlank(server)) return "服务器地址为空";
  if (server.size() > kMaxCommandServer) return "服务器地址太长";
  for (unsigned char c : server)
    if (c < 0x20 || c == 0x7F) return "服务器地址含有控制字符";
  return {};
}

// One line of a report: line breaks and other control characters become blanks.
void AddLine(std::string& out, std::string_view key, std::string_view value) {
  out += key;
  out += '=';
  for (char c : value) out += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
  out += "\r\n";
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> args;
  size_t i = 0;
  const size_t n = line.size();
  // The program's name: a quoted one ends at the next quote, another at the first blank.
  {
    std::string name;
    if (i < n && line[i] == '"') {
      ++i;
      while (i < n && line[i] != '"') name += line[i++];
      if (i < n) ++i;
    }
    while (i < n && !IsBlankByte(line[i])) {
      if (IsLeadByte(line[i]) && i + 1 < n) name += line[i++];
      name += line[i++];
    }
    args.push_back(std::move(name));
  }
  while (true) {
    while (i < n && IsBlankByte(line[i])) ++i;
    if (i >= n) break;
    std::string arg;
    bool quoted = false;
    while (i < n && (quoted || !IsBlankByte(line[i]))) {
      const char c = line[i];
      if (c == '\\') {
        size_t slashes = 0;
        while (i < n && line[i] == '\\') ++slashes, ++i;
        if (i < n && line[i] == '"') {
          arg.append(slashes / 2, '\\');
          if (slashes % 2) {
            arg += '"';
            ++i;
          }
        } else {
          arg.append(slashes, '\\');
        }
        continue;
      }
      if (c == '"') {
        if (quoted && i + 1 < n && line[i + 1] == '"') {
          arg += '"';
          i += 2;
          continue;
        }
        quoted = !quoted;
        ++i;
        continue;
      }
      if (IsLeadByte(c) && i + 1 < n) arg += line[i++];
      arg += line[i++];
    }
    args.push_back(std::move(arg));
  }
  return args;
}

CommandLine ParseCommandLine(std::string_view line) {
  const std::vector<std::string> args = SplitCommandLine(line);
  CommandLine out;
  size_t i = 1;
  if (i >= args.size()) return out;
  const std::string& first = args[i++];
  const std::optional<Command> command =
      IsOption(first) ? CommandNamed(std::string_view(first).substr(1)) : std::nullopt;
  // "show" is what a second copy asks for without a command; nobody types it.
  if (!command || *command == Command::Show) {
    out.problem = "未知的参数: " + first;
    return out;
  }
  out.command = *command;
  if (out.command == Command::Connect && i < args.size() && !IsOption(args[i])) {
    out.server = args[i++];
    if (std::string why = ServerProblem(out.server); !why.empty()) {
      out.problem = why;
      out.command = Command::None;
      out.server.clear();
      return out;
    }
  }
  if (i < args.size()) {
    out.problem = "多余的参数: " + args[i];
    out.command = Command::None;
    out.server.clear();
  }
  return out;
}

std::string UsageText(std::string_view problem) {
  std::string text;
  if (!problem.empty()) {
    text += problem;
    text += "\r\n\r\n";
  }
  // One command a line: a message box's font is not of fixed width, so nothing is lined up.
  text +=
      "用法：vpnclient.exe [命令]\r\n"
      "\r\n"
      "/connect [服务器]：连接（不写服务器时用窗口中的服务器）\r\n"
      "/disconnect：断开连接\r\n"
      "/status：显示连接状态\r\n"
      "/quit：断开连接并退出程序\r\n"
      "/tray：启动到通知区域\r\n"
      "\r\n"
      "程序已在运行时，命令交给运行中的程序执行。\r\n"
      "退出码：0 完成，1 失败，2 参数错误，3 程序没有运行（/status）";
  return text;
}

const char* CommandOption(Command command) {
  switch (command) {
    case Command::Connect:
      return "/connect";
    case Command::Disconnect:
      return "/disconnect";
    case Command::Status:
      return "/status";
    case Command::Quit:
      return "/quit";
    case Command::Tray:
      return "/tray";
    case Command::Show:
      return "/show";
    case Command::None:
      break;
  }
  return "";
}

std::string EncodeRequest(const CommandRequest& request) {
  std::string out = kRequestHeader;
  out += CommandOption(request.command);
  out += '\n';
  out += request.server;
  return out;
}

std::optional<CommandRequest> DecodeRequest(std::string_view bytes) {
  if (bytes.size() > kMaxRequestBytes || !bytes.starts_with(kRequestHeader)) return std::nullopt;
  bytes.remove_prefix(sizeof kRequestHeader - 1);
  const size_t end = bytes.find('\n');
  if (end == std::string_view::npos) return std::nullopt;
  const std::string_view option = bytes.substr(0, end);
  const std::string_view server = bytes.substr(end + 1);
  if (!IsOption(option) || option[0] != '/') return std::nullopt;
  const std::optional<Command> command = CommandNamed(option.substr(1));
  if (!command || CommandOption(*command) != option) return std::nullopt;
  if (!server.empty() && (*command != Command::Connect || !ServerProblem(server).empty()))
    return std::nullopt;
  return CommandRequest{*command, std::string(server)};
}

std::string EncodeReply(const CommandReply& reply) {
  std::string out = kReplyHeader;
  out += reply.code == kExitDone ? '0' : '1';
  out += '\n';
  out += reply.text;
  return out.size() > kMaxReplyBytes ? out.substr(0, kMaxReplyBytes) : out;
}

std::optional<CommandReply> DecodeReply(std::string_view bytes) {
  if (bytes.size() > kMaxReplyBytes || !bytes.starts_with(kReplyHeader)) return std::nullopt;
  bytes.remove_prefix(sizeof kReplyHeader - 1);
  if (bytes.size() < 2 || (bytes[0] != '0' && bytes[0] != '1') || bytes[1] != '\n')
    return std::nullopt;
  return CommandReply{bytes[0] - '0', std::string(bytes.substr(2))};
}

std::string StatusReport(const StatusFacts& facts) {
  std::string out;
  AddLine(out, "State", facts.state);
  AddLine(out, "Status", facts.status_text);
  if (facts.connected) {
    AddLine(out, "Server", facts.server);
    AddLine(out, "Tunnel", facts.tunnel);
    AddLine(out, "Duration", ConnectedTime(facts.seconds));
    AddLine(out, "BytesSent", std::to_string(facts.sent));
    AddLine(out, "BytesReceived", std::to_string(facts.received));
  }
  return out;
}

}  // namespace vpn::app

#include "core/speedtest/NodeList.h"

#include <cstdio>

#include "core/text/text.h"

namespace vpn::speedtest {

namespace {

std::string Normalised(std::string_view name) {
  return AsciiLower(Trim(name));
}

std::string EntryKey(std::string_view section, std::string_view key) {
  return Normalised(section) + '\n' + Normalised(key);
}

std::string Unquoted(std::string value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
    value = value.substr(1, value.size() - 2);
  return value;
}

bool IsHostText(std::string_view host) {
  if (host.empty() || host.size() > kMaxHost) return false;
  for (char c : host)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
          c == '-' || c == '_'))
      return false;
  return true;
}

const char* KeptCopySuffix(bool keptCopyUsed) {
  return keptCopyUsed ? "，使用上次保存的列表" : "，未使用";
}

bool HasControlBytes(std::string_view line) {
  for (char c : line)
    if (static_cast<unsigned char>(c) < 0x20 && c != '\t') return true;
  return false;
}

}  // namespace

// Collects entries into a table; both readings share it.
class NodeTableBuilder {
 public:
  // The number of servers the line has afterwards.
  size_t Add(const std::string& section, const std::string& key, const std::string& value) {
    // The first entry of a key counts, as with the system's profile reader.
    if (!table.entries_.emplace(EntryKey(section, key), value).second) return 0;
    auto [at, added] = lines_.emplace(Normalised(section), table.lines_.size());
    if (added) table.lines_.push_back({Trim(section), {}});
    std::vector<NodeServer>& servers = table.lines_[at->second].servers;
    servers.push_back({Trim(key), value});
    return servers.size();
  }

  NodeTable table;

 private:
  std::map<std::string, size_t> lines_;  // normalised line name -> index
};

NodeTable NodeTable::Parse(std::string_view text) {
  NodeTableBuilder builder;
  std::string section;
  bool inSection = false;
  while (!text.empty()) {
    size_t end = text.find_first_of("\r\n");
    std::string_view raw = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    std::string line = Trim(raw);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      size_t close = line.find(']');
      if (close == std::string::npos) continue;
      section = line.substr(1, close - 1);
      inSection = true;
      continue;
    }
    size_t eq = line.find('=');
    if (!inSection || eq == std::string::npos || eq == 0) continue;
    builder.Add(section, line.substr(0, eq), Unquoted(Trim(std::string_view(line).substr(eq + 1))));
  }
  return std::move(builder.table);
}

std::string NodeTable::ReadString(std::string_view section, std::string_view key,
                                  std::string_view def) const {
  auto it = entries_.find(EntryKey(section, key));
  return it == entries_.end() ? std::string(def) : it->second;
}

int NodeTable::FindLine(std::string_view name) const {
  const std::string wanted = Normalised(name);
  for (size_t i = 0; i < lines_.size(); ++i)
    if (Normalised(lines_[i].name) == wanted) return int(i);
  return -1;
}

int NodeTable::LineOf(std::string_view server) const {
  const std::string wanted = Normalised(server);
  if (wanted.empty()) return -1;
  for (size_t i = 0; i < lines_.size(); ++i)
    for (const NodeServer& s : lines_[i].servers)
      if (Normalised(s.name) == wanted) return int(i);
  return -1;
}

NodeListReading ReadNodeList(std::string_view text) {
  auto refuse = [](NodeListFault fault, int line) {
    NodeListReading r;
    r.fault = fault;
    r.line = line;
    return r;
  };
  if (text.size() > kMaxNodeListBytes) return refuse(NodeListFault::kTooLarge, 0);
  NodeTableBuilder builder;
  std::string section;
  bool inSection = false;
  int number = 0;
  while (!text.empty()) {
    ++number;
    const size_t end = text.find('\n');
    std::string_view raw = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    if (HasControlBytes(raw) || !IsGbk(raw)) return refuse(NodeListFault::kNotText, number);
    const std::string line = Trim(raw);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      const size_t close = line.find(']');
      if (close == std::string::npos || !IsBlank(std::string_view(line).substr(close + 1)))
        return refuse(NodeListFault::kSyntax, number);
      section = Trim(std::string_view(line).substr(1, close - 1));
      if (section.empty()) return refuse(NodeListFault::kSyntax, number);
      if (section.size() > kMaxLineName) return refuse(NodeListFault::kBadServer, number);
      inSection = true;
      continue;
    }
    const size_t eq = line.find('=');
    if (!inSection || eq == std::string::npos) return refuse(NodeListFault::kSyntax, number);
    const std::string name = Trim(std::string_view(line).substr(0, eq));
    const std::string host = Unquoted(Trim(std::string_view(line).substr(eq + 1)));
    if (name.empty()) return refuse(NodeListFault::kSyntax, number);
    if (name.size() > kMaxServerName || !IsHostText(host))
      return refuse(NodeListFault::kBadServer, number);
    if (builder.Add(section, name, host) > kMaxServersPerLine)
      return refuse(NodeListFault::kTooMany, number);
  }
  if (builder.table.Empty()) return refuse(NodeListFault::kNoServers, 0);
  NodeListReading r;
  r.table = std::move(builder.table);
  return r;
}

std::string NodeListFaultText(const NodeListReading& reading, bool keptCopyUsed) {
  char text[160];
  switch (reading.fault) {
    case NodeListFault::kNone:
      return {};
    case NodeListFault::kTooLarge:
      std::snprintf(text, sizeof text, "服务器列表超过%uKB", unsigned(kMaxNodeListBytes / 1024));
      break;
    case NodeListFault::kNotText:
      std::snprintf(text, sizeof text, "服务器列表第%d行不是文本", reading.line);
      break;
    case NodeListFault::kSyntax:
      std::snprintf(text, sizeof text, "服务器列表第%d行格式有误", reading.line);
      break;
    case NodeListFault::kBadServer:
      std::snprintf(text, sizeof text, "服务器列表第%d行的名称或地址有误", reading.line);
      break;
    case NodeListFault::kTooMany:
      std::snprintf(text, sizeof text, "服务器列表的一条线路超过%u台服务器",
                    unsigned(kMaxServersPerLine));
      break;
    case NodeListFault::kNoServers:
      std::snprintf(text, sizeof text, "服务器列表中没有服务器");
      break;
  }
  return std::string(text) + KeptCopySuffix(keptCopyUsed);
}

std::string NodeListFetchProblem(bool httpsAddress, bool keptCopyUsed) {
  return std::string(httpsAddress ? "服务器列表地址是https，本程序只能用http获取"
                                  : "无法获取服务器列表") +
         KeptCopySuffix(keptCopyUsed);
}

}  // namespace vpn::speedtest

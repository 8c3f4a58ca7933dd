#include "core/speedtest/SpeedTest.h"

#include <cstdio>

#include "core/text/text.h"

namespace vpn::speedtest {

namespace {

std::string Normalised(std::string_view section, std::string_view key) {
  return AsciiLower(Trim(section)) + '\n' + AsciiLower(Trim(key));
}

}  // namespace

bool NoServerChosen(std::string_view serverText) {
  const std::string t = Trim(serverText);
  return t.empty() || t == "选择服务器列表" || t == "请选择节点线路";
}

std::string ReplyLine(std::string_view serverText, uint32_t roundTripMs) {
  char tail[48];
  std::snprintf(tail, sizeof tail, ":     time%s%u ms", roundTripMs != 0 ? "=" : "<1",
                unsigned(roundTripMs));
  return std::string(serverText) + tail;
}

NodeTable NodeTable::Parse(std::string_view text) {
  NodeTable table;
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
    std::string value = Trim(std::string_view(line).substr(eq + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    // The first entry of a key counts, as with the system's profile reader.
    table.entries_.emplace(Normalised(section, std::string_view(line).substr(0, eq)), value);
  }
  return table;
}

std::string NodeTable::ReadString(std::string_view section, std::string_view key,
                                  std::string_view def) const {
  auto it = entries_.find(Normalised(section, key));
  return it == entries_.end() ? std::string(def) : it->second;
}

std::string PingHost(const NodeTable& table, std::string_view lineName,
                     std::string_view serverText) {
  std::string host = table.ReadString(lineName, serverText, "");
  return host.empty() ? Trim(serverText) : host;
}

}  // namespace vpn::speedtest

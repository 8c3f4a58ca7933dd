// The rules of the server speed test that need no window: which server texts mean that
// no server was chosen, the node table that maps a line and a server to the host to
// ping, and the text of one reply line.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace vpn::speedtest {

// The server edit's placeholder texts (and an empty or blank text) mean that no server
// was chosen; the test then only moves the focus to the edit.
bool NoServerChosen(std::string_view serverText);

// "<server>:     time=<n> ms", or "time<1<n> ms" for a round trip of 0.
std::string ReplyLine(std::string_view serverText, uint32_t roundTripMs);

// The node table: a sectioned text file beside the program, one section per line name,
// "server text=host" entries in it:
//   [电信线路]
//   vpn1.example=10.1.2.3
// Section and key are found ignoring blanks around them and the letter case of ASCII
// letters; a value may be put in double quotes. Lines starting with ";" or "#" are
// comments. A missing file is an empty table.
class NodeTable {
 public:
  static NodeTable Parse(std::string_view text);
  // The host for (line name, server text), or def when the table has none.
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view def) const;
  size_t Size() const { return entries_.size(); }

 private:
  std::map<std::string, std::string> entries_;  // "section\nkey" (normalised) -> value
};

// The host to ping: the table's entry for (line name, server text) when it has one,
// otherwise the server text itself without its surrounding blanks.
std::string PingHost(const NodeTable& table, std::string_view lineName,
                     std::string_view serverText);

}  // namespace vpn::speedtest

// The service's servers: the node table that maps a line and a server to the host the
// speed test pings, and the strict reading of the list the service hands out.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vpn::speedtest {

// One server of a line: its name, which the server edit takes and the connect dials, and
// the host that the speed test pings for it.
struct NodeServer {
  std::string name;
  std::string host;
  bool operator==(const NodeServer&) const = default;
};
// A line of the service (a section of the table) and its servers in the table's order.
struct NodeLine {
  std::string name;
  std::vector<NodeServer> servers;
  bool operator==(const NodeLine&) const = default;
};

// The node table: a sectioned text, one section per line name, "server=host" entries:
//   [电信线路]
//   vpn1.example=10.1.2.3
// Section and key are found ignoring blanks around them and the letter case of ASCII
// letters; a value may be put in double quotes. Lines starting with ";" or "#" are
// comments. The first entry of a server in a line counts; a section named twice adds to
// the first. A missing file is an empty table.
class NodeTable {
 public:
  // Takes what it can and skips lines it cannot read (the table beside the program).
  static NodeTable Parse(std::string_view text);
  // The host for (line name, server text), or def when the table has none.
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view def) const;
  size_t Size() const { return entries_.size(); }
  bool Empty() const { return entries_.empty(); }
  // The lines that have servers, in the order the table names them first.
  const std::vector<NodeLine>& Lines() const { return lines_; }
  // The index of the line of that name, or -1 (compared as ReadString compares).
  int FindLine(std::string_view name) const;
  // The index of the first line that has a server of that name, or -1.
  int LineOf(std::string_view server) const;
  bool operator==(const NodeTable& other) const { return lines_ == other.lines_; }

 private:
  friend class NodeTableBuilder;
  std::map<std::string, std::string> entries_;  // "section\nkey" (normalised) -> value
  std::vector<NodeLine> lines_;
};

// The node list a service publishes is read strictly: a list with any fault is not used at
// all, so that a broken or foreign download never replaces a good list. Besides the table's
// own rules: at most kMaxNodeListBytes, text only (tabs and line breaks, no other control
// bytes; GBK double-byte characters whole), every line a comment, a section or an entry in
// a section; a line name of at most kMaxLineName bytes; a server name of at most
// kMaxServerName bytes (what the phonebook's server field holds); a host of letters, digits,
// '.', '-' and '_', at most kMaxHost bytes; at most kMaxServersPerLine servers in a line;
// at least one server.
inline constexpr size_t kMaxNodeListBytes = 256 * 1024;
inline constexpr size_t kMaxLineName = 64;
inline constexpr size_t kMaxServerName = 128;
inline constexpr size_t kMaxHost = 253;
inline constexpr size_t kMaxServersPerLine = 256;

enum class NodeListFault {
  kNone,
  kTooLarge,   // more than kMaxNodeListBytes
  kNotText,    // a control byte or a broken double-byte character
  kSyntax,     // a line that is no comment, section or entry of a section
  kBadServer,  // a line name, server name or host that breaks the rules above
  kTooMany,    // a line with more than kMaxServersPerLine servers
  kNoServers,  // not one server
};

struct NodeListReading {
  NodeTable table;  // empty unless fault is kNone
  NodeListFault fault = NodeListFault::kNone;
  int line = 0;  // the faulty line, from 1; 0 for the whole text
};

NodeListReading ReadNodeList(std::string_view text);

// What the status bar says (GBK) when a list was not used: the fault, and whether the copy
// kept from an earlier start is used instead.
std::string NodeListFaultText(const NodeListReading& reading, bool keptCopyUsed);

// What the status bar says (GBK) when the service's list could not be fetched: an https
// address (which the program's HTTP client cannot fetch) or no answer.
std::string NodeListFetchProblem(bool httpsAddress, bool keptCopyUsed);

}  // namespace vpn::speedtest

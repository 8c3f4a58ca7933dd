// Arbitrary command lines, requests and replies from another copy, and log files: a line is
// a command or a refusal with a reason, a request or reply is taken only as this program
// writes it, and the log never grows past its limit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/app/command_line.h"
#include "core/app/connection_log.h"

namespace a = vpn::app;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  const a::CommandLine line = a::ParseCommandLine(bytes);
  if (line.valid() == (line.problem.size() > 0)) std::abort();
  if (!line.valid() && (line.command != a::Command::None || !line.server.empty())) std::abort();
  if (line.command == a::Command::Show) std::abort();
  if (!line.server.empty() &&
      (line.command != a::Command::Connect || line.server.size() > a::kMaxCommandServer))
    std::abort();
  // What a command line gives is what a request carries.
  if (line.valid() && line.command != a::Command::None) {
    const auto request = a::DecodeRequest(a::EncodeRequest({line.command, line.server}));
    if (!request || request->command != line.command || request->server != line.server)
      std::abort();
  }
  if (a::UsageText(line.problem).empty()) std::abort();

  if (const auto request = a::DecodeRequest(bytes)) {
    if (a::EncodeRequest(*request) != bytes) std::abort();
    if (request->command == a::Command::None) std::abort();
  }
  if (const auto reply = a::DecodeReply(bytes)) {
    if (reply->code != 0 && reply->code != 1) std::abort();
    if (a::EncodeReply(*reply) != bytes) std::abort();
  }

  // A log file of any content with new lines after it.
  const size_t cut = size ? data[0] % (size + 1) : 0;
  const size_t limit = 64 + (size ? data[size - 1] : 0) * 4;
  const std::string after = a::LogAfterAppend(bytes.substr(0, cut), bytes.substr(cut), limit);
  if (after.size() > limit || !after.starts_with(a::kUtf8Mark)) std::abort();
  return 0;
}

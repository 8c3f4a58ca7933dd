// Reply heads as a server may send them: status line, headers, continuations.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/http/HttpText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  vpn::HttpReplyHead head = vpn::ParseReplyHead(text);
  if (head.StatusCode < -1) __builtin_trap();
  if (head.HasContentLength && !head.Headers.Has("Content-Length")) __builtin_trap();
  vpn::DecideReply(head.StatusCode, head.Location);
  vpn::OffersBasic(head.WWWAuthenticate);
  vpn::ReplyKeepsAlive(true, true, head.Connection, head.ProxyConnection);
  for (size_t i = 0; i < head.Headers.Count(); ++i) {
    const std::string& line = head.Headers.Line(i);
    if (line.find('\n') != std::string::npos) __builtin_trap();
  }
  return 0;
}

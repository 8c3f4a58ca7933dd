// Arbitrary datagrams through the examination of echo replies, for one ping and for the
// measurement of many servers at once.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/net/IcmpPacket.h"
#include "core/net/NetExceptions.h"

using namespace vpn::net;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const uint16_t identifier = uint16_t(data[0] | data[1] << 8);
  const uint16_t sequence = uint16_t(data[2] | data[3] << 8);
  data += 4;
  size -= 4;
  // Exactly the bytes received: anything read beyond them is caught by the sanitizer.
  std::vector<uint8_t> datagram(data, data + size);
  TReplyStatus status;
  try {
    if (ExamineReply(datagram.data(), datagram.size(), identifier, sequence, status) ==
            IcmpVerdict::Ended &&
        size > 0) {
      // Only a reply that names this ping may end the wait.
      if (status.Sequence != sequence) std::abort();
      if (status.Status != TReplyStatusKind::EchoReply &&
          status.Status != TReplyStatusKind::Unreachable &&
          status.Status != TReplyStatusKind::TtlExpired)
        std::abort();
      if (status.ByteCount <= 0 || size_t(status.ByteCount) > size) std::abort();
    }
  } catch (const ENetIcmpException&) {
  }
  // The reading that measures many servers at once never raises, and an answer it finds
  // is one the examination would end a wait for (or a failure on the way).
  EchoAnswer answer;
  if (ReadEchoAnswer(datagram.data(), datagram.size(), answer)) {
    TReplyStatus check;
    try {
      if (ExamineReply(datagram.data(), datagram.size(), answer.identifier, answer.sequence,
                       check) != IcmpVerdict::Ended)
        std::abort();
      if ((check.Status == TReplyStatusKind::EchoReply) != answer.answered) std::abort();
    } catch (const ENetIcmpException&) {
      std::abort();
    }
  }
  // The same message as the datagram ICMP socket delivers it.
  std::vector<uint8_t> withHeader(size + 20);
  const uint8_t source[4] = {127, 0, 0, 1};
  size_t n = PrependIPHeader(datagram.data(), size, source, 64, withHeader.data());
  try {
    ExamineReply(withHeader.data(), n, identifier, sequence, status);
  } catch (const ENetIcmpException&) {
  }
  return 0;
}

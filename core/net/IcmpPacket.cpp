#include "core/net/IcmpPacket.h"

#include <algorithm>
#include <cstring>

#include "core/net/Address.h"
#include "core/net/NetExceptions.h"

namespace vpn::net {

namespace {

uint16_t Le16(const uint8_t* p) {
  return uint16_t(p[0] | (p[1] << 8));
}

void PutLe16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

}  // namespace

uint16_t IcmpChecksum(const uint8_t* data, size_t n) {
  uint32_t sum = 0;
  for (size_t i = 0; i + 1 < n; i += 2) sum += Le16(data + i);
  if (n % 2) sum += data[n - 1];
  sum = (sum >> 16) + (sum & 0xFFFF);
  sum += sum >> 16;
  return uint16_t(~sum);
}

void BuildEchoRequest(uint8_t out[kIcmpRequestSize], uint16_t identifier, uint16_t sequence,
                      uint32_t tick, std::string_view payload) {
  std::memset(out, 0, kIcmpRequestSize);
  out[0] = kIcmpEchoRequest;
  out[1] = 0;
  PutLe16(out + 4, identifier);
  PutLe16(out + 6, sequence);
  PutLe16(out + 8, uint16_t(tick));
  PutLe16(out + 10, uint16_t(tick >> 16));
  size_t used = std::min(payload.size(), kIcmpPayloadSize);
  if (used) std::memcpy(out + kIcmpPayloadOffset, payload.data(), used);
  std::memset(out + kIcmpPayloadOffset + used, 'E', kIcmpPayloadSize - used);
  PutLe16(out + 2, IcmpChecksum(out, kIcmpRequestSize));
}

uint32_t TickDiff(uint32_t a, uint32_t b) {
  return b >= a ? b - a : b - a - 1;
}

TReplyStatus TimedOutStatus(uint16_t sequence) {
  TReplyStatus s;
  s.ByteCount = 0;
  s.SourceAddress = "0.0.0.0";
  s.MessageType = 0;
  s.Sequence = sequence;
  s.Ttl = 0;
  s.Status = TReplyStatusKind::TimedOut;
  return s;
}

IcmpVerdict ExamineReply(const uint8_t* data, size_t n, uint16_t identifier, uint16_t sequence,
                         TReplyStatus& status) {
  if (n == 0) {
    status = TimedOutStatus(sequence);
    return IcmpVerdict::Ended;
  }
  n = std::min(n, kIcmpBufferSize);  // what one receive into the buffer can hold
  status.Status = TReplyStatusKind::Failed;
  const size_t headerLength = size_t(data[0] & 0x0F) * 4;
  if (n < headerLength + 8) throw ENetIcmpException("Not enough bytes received");

  const uint8_t* icmp = data + headerLength;
  const uint8_t type = icmp[0];
  TReplyStatusKind kind;
  bool matches = false;
  uint16_t found = 0;
  switch (type) {
    case kIcmpEchoReply:
      kind = TReplyStatusKind::EchoReply;
      found = Le16(icmp + 6);
      matches = Le16(icmp + 4) == identifier && found == sequence;
      break;
    case kIcmpEchoRequest:
      // A request (this client's own, looping back on the local interface, or another
      // program's) is never the reply.
      return IcmpVerdict::Ignored;
    case kIcmpUnreachable:
    case kIcmpTimeExceeded: {
      kind =
          type == kIcmpUnreachable ? TReplyStatusKind::Unreachable : TReplyStatusKind::TtlExpired;
      // The message quotes the IP header of the request that failed and its first 8 bytes.
      const size_t quoted = headerLength + 8;
      if (n < quoted + 1) return IcmpVerdict::Ignored;
      const size_t quotedHeaderLength = size_t(data[quoted] & 0x0F) * 4;
      const size_t request = quoted + quotedHeaderLength;
      if (quotedHeaderLength < 20 || n < request + 8) return IcmpVerdict::Ignored;
      found = Le16(data + request + 6);
      matches = data[request] == kIcmpEchoRequest && Le16(data + request + 4) == identifier &&
                found == sequence;
      break;
    }
    default:
      throw ENetIcmpException("Non-echo type response received");
  }
  if (!matches) return IcmpVerdict::Ignored;

  // A header shorter than the usual 20 bytes leaves the address and time-to-live fields
  // to bytes beyond it; bytes the datagram did not carry read as zero, as in the
  // zero-filled receive buffer.
  uint8_t header[20] = {};
  std::memcpy(header, data, std::min<size_t>(n, 20));
  status.ByteCount = int32_t(n);
  status.SourceAddress = DottedAddress(header + 12);
  status.MessageType = type;
  status.Sequence = found;
  status.Ttl = header[8];
  status.Status = kind;
  return IcmpVerdict::Ended;
}

bool ReadEchoAnswer(const uint8_t* data, size_t n, EchoAnswer& answer) {
  n = std::min(n, kIcmpBufferSize);  // what one receive into the buffer can hold
  if (n < 20) return false;
  const size_t headerLength = size_t(data[0] & 0x0F) * 4;
  if (headerLength < 20 || n < headerLength + 8) return false;
  const uint8_t* icmp = data + headerLength;
  std::memcpy(answer.source, data + 12, 4);
  if (icmp[0] == kIcmpEchoReply) {
    answer.answered = true;
    answer.identifier = Le16(icmp + 4);
    answer.sequence = Le16(icmp + 6);
    return true;
  }
  if (icmp[0] != kIcmpUnreachable && icmp[0] != kIcmpTimeExceeded) return false;
  const size_t quoted = headerLength + 8;
  if (n < quoted + 1) return false;
  const size_t quotedHeaderLength = size_t(data[quoted] & 0x0F) * 4;
  const size_t request = quoted + quotedHeaderLength;
  if (quotedHeaderLength < 20 || n < request + 8 || data[request] != kIcmpEchoRequest) return false;
  answer.answered = false;
  // The request's destination, which the quoted header names.
  std::memcpy(answer.source, data + quoted + 16, 4);
  answer.identifier = Le16(data + request + 4);
  answer.sequence = Le16(data + request + 6);
  return true;
}

size_t PrependIPHeader(const uint8_t* icmp, size_t n, const uint8_t source[4], uint8_t ttl,
                       uint8_t* out) {
  std::memset(out, 0, 20);
  out[0] = 0x45;
  const size_t total = n + 20;
  out[2] = uint8_t(total >> 8);
  out[3] = uint8_t(total);
  out[8] = ttl;
  out[9] = 1;
  std::memcpy(out + 12, source, 4);
  std::memmove(out + 20, icmp, n);
  return total;
}

}  // namespace vpn::net

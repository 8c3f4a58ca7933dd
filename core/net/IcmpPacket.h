// ICMP echo: the 52-byte request, the Internet checksum and the examination of a
// received datagram (IP header first) against the request being awaited.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

enum class TReplyStatusKind { EchoReply, Failed, TimedOut, Unreachable, TtlExpired };

// The outcome of one ping, handed to the echo client's OnReply.
struct TReplyStatus {
  int32_t ByteCount = 0;      // bytes of the matching datagram, IP header included; 0 on time-out
  std::string SourceAddress;  // dotted source of the matching datagram; "0.0.0.0" on time-out
  uint8_t MessageType = 0;    // ICMP type of the matching message; 0 on time-out
  uint16_t Sequence = 0;      // sequence number found (on time-out: the one awaited)
  uint32_t RoundTripMs = 0;   // from just before the send to the end of the wait
  uint8_t Ttl = 0;            // time-to-live of the received IP header; 0 on time-out
  TReplyStatusKind Status = TReplyStatusKind::Failed;
};

namespace vpn::net {

constexpr size_t kIcmpRequestSize = 52;
constexpr size_t kIcmpPayloadOffset = 20;
constexpr size_t kIcmpPayloadSize = 32;
constexpr size_t kIcmpBufferSize = 1024;
constexpr uint8_t kIcmpEchoReply = 0;
constexpr uint8_t kIcmpUnreachable = 3;
constexpr uint8_t kIcmpEchoRequest = 8;
constexpr uint8_t kIcmpTimeExceeded = 11;

// The Internet checksum of an even number of bytes, summed over little-endian 16-bit
// words (bytes 2 and 3 must be zero); stored little-endian it is the right checksum of
// the bytes on the wire.
uint16_t IcmpChecksum(const uint8_t* data, size_t n);

// Fills the 52-byte echo request: type 8, code 0, checksum, identifier, sequence and the
// tick count little-endian, 8 zero bytes, then the payload (at most 32 bytes) padded with
// "E".
void BuildEchoRequest(uint8_t out[kIcmpRequestSize], uint16_t identifier, uint16_t sequence,
                      uint32_t tick, std::string_view payload);

// Milliseconds from tick a to tick b of a wrapping 32-bit counter.
uint32_t TickDiff(uint32_t a, uint32_t b);

// The record of a wait that ended without a matching reply.
TReplyStatus TimedOutStatus(uint16_t sequence);

// What one received datagram means for the ping awaiting (identifier, sequence).
enum class IcmpVerdict {
  Ended,    // status is filled: the awaited reply, or the time-out record for n == 0
  Ignored,  // someone else's message, or the request itself looping back: wait on
};

// Examines n bytes received into a raw ICMP socket (the IP header first). A reply matches
// when it is an echo reply carrying the identifier and sequence, or an unreachable or
// time-exceeded message quoting an echo request with both. Raises ENetIcmpException with
// "Not enough bytes received" for a datagram shorter than its IP header plus 8, and with
// "Non-echo type response received" for ICMP types other than 0, 3, 8 and 11.
IcmpVerdict ExamineReply(const uint8_t* data, size_t n, uint16_t identifier, uint16_t sequence,
                         TReplyStatus& status);

// What a received datagram (IP header first) says about an echo request: answered (an
// echo reply) or failed on the way (unreachable, time exceeded: the message quotes the
// request), with the request's identifier and sequence and the address it went to (the
// reply's source, or the destination the failure quotes). False
// for anything else (requests looping back, other types, datagrams too short to tell); it
// never raises, so one odd datagram cannot end a measurement of many servers.
struct EchoAnswer {
  bool answered = false;
  uint16_t identifier = 0;
  uint16_t sequence = 0;
  uint8_t source[4] = {};  // the server the request went to
};
bool ReadEchoAnswer(const uint8_t* data, size_t n, EchoAnswer& answer);

// Puts a 20-byte IP header (protocol ICMP, the source and time-to-live given) in front of
// an ICMP message received without one (the kernel's datagram ICMP socket), so that it can
// be examined like a raw datagram. Returns the new length; out holds at least n + 20 bytes.
size_t PrependIPHeader(const uint8_t* icmp, size_t n, const uint8_t source[4], uint8_t ttl,
                       uint8_t* out);

}  // namespace vpn::net

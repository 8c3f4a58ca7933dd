// The echo request bytes and the examination of received datagrams, without a network.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/net/IcmpPacket.h"
#include "core/net/NetExceptions.h"

using namespace vpn::net;

namespace {

// RFC 1071 the textbook way: big-endian words of the bytes as they go on the wire.
uint16_t WireChecksum(const std::vector<uint8_t>& b) {
  uint32_t sum = 0;
  for (size_t i = 0; i + 1 < b.size(); i += 2) sum += uint32_t(b[i] << 8 | b[i + 1]);
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return uint16_t(~sum);
}

std::vector<uint8_t> Request(uint16_t id, uint16_t seq, uint32_t tick, std::string_view payload) {
  std::vector<uint8_t> r(kIcmpRequestSize);
  BuildEchoRequest(r.data(), id, seq, tick, payload);
  return r;
}

std::vector<uint8_t> IpHeader(uint8_t ttl, std::initializer_list<uint8_t> source,
                              size_t length = 20) {
  std::vector<uint8_t> h(length, 0);
  h[0] = uint8_t(0x40 | (length / 4));
  h[8] = ttl;
  h[9] = 1;
  std::copy(source.begin(), source.end(), h.begin() + 12);
  return h;
}

std::vector<uint8_t> Echo(uint8_t type, uint16_t id, uint16_t seq) {
  std::vector<uint8_t> m = Request(id, seq, 0, "");
  m[0] = type;
  return m;
}

std::vector<uint8_t> Join(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// An error message of the given type quoting the first 8 bytes of a request.
std::vector<uint8_t> ErrorQuoting(uint8_t type, const std::vector<uint8_t>& request,
                                  size_t quotedHeader = 20) {
  std::vector<uint8_t> icmp(8, 0);
  icmp[0] = type;
  auto quoted = IpHeader(128, {127, 0, 0, 1}, quotedHeader);
  return Join(Join(Join(IpHeader(64, {10, 1, 2, 3}), icmp), quoted),
              std::vector<uint8_t>(request.begin(), request.begin() + 8));
}

std::string RaisedBy(const std::vector<uint8_t>& d) {
  TReplyStatus s;
  try {
    ExamineReply(d.data(), d.size(), 1, 2, s);
  } catch (const ENetIcmpException& e) {
    return e.Message;
  }
  return "(nothing raised)";
}

}  // namespace

TEST(IcmpRequest, BytesAreLittleEndianWithEPaddingAndAValidWireChecksum) {
  auto r = Request(0xBEEF, 3489, 0x11223344, "");
  ASSERT_EQ(r.size(), 52u);
  EXPECT_EQ(r[0], 8);
  EXPECT_EQ(r[1], 0);
  EXPECT_EQ(r[4], 0xEF);
  EXPECT_EQ(r[5], 0xBE);
  EXPECT_EQ(r[6], 3489 & 0xFF);
  EXPECT_EQ(r[7], 3489 >> 8);
  EXPECT_EQ((std::vector<uint8_t>(r.begin() + 8, r.begin() + 12)),
            (std::vector<uint8_t>{0x44, 0x33, 0x22, 0x11}));
  EXPECT_EQ(std::vector<uint8_t>(r.begin() + 12, r.begin() + 20), std::vector<uint8_t>(8, 0));
  EXPECT_EQ(std::vector<uint8_t>(r.begin() + 20, r.end()), std::vector<uint8_t>(32, 'E'));
  // The checksum a receiver computes over the whole message comes out as zero.
  EXPECT_EQ(WireChecksum(r), 0);
  auto zeroed = r;
  zeroed[2] = zeroed[3] = 0;
  uint16_t wire = WireChecksum(zeroed);
  EXPECT_EQ(r[2], wire >> 8);
  EXPECT_EQ(r[3], wire & 0xFF);
}

TEST(IcmpRequest, PayloadIsCutAt32BytesAndPaddedWithE) {
  auto shortOne = Request(1, 1, 1, "abc");
  EXPECT_EQ(std::string(shortOne.begin() + 20, shortOne.end()), "abc" + std::string(29, 'E'));
  auto longOne = Request(1, 1, 1, std::string(40, 'z') + "tail");
  EXPECT_EQ(std::string(longOne.begin() + 20, longOne.end()), std::string(32, 'z'));
  for (uint32_t tick : {0u, 0xFFFFFFFFu, 12345u})
    EXPECT_EQ(WireChecksum(Request(0xFFFF, 0xFFFF, tick, "x")), 0);
}

TEST(IcmpReply, EchoReplyWithOurIdentifierAndSequenceEndsTheWait) {
  auto d = Join(IpHeader(57, {127, 0, 0, 1}), Echo(0, 1, 2));
  TReplyStatus s;
  ASSERT_EQ(ExamineReply(d.data(), d.size(), 1, 2, s), IcmpVerdict::Ended);
  EXPECT_EQ(s.Status, TReplyStatusKind::EchoReply);
  EXPECT_EQ(s.ByteCount, 72);
  EXPECT_EQ(s.SourceAddress, "127.0.0.1");
  EXPECT_EQ(s.MessageType, 0);
  EXPECT_EQ(s.Sequence, 2);
  EXPECT_EQ(s.Ttl, 57);
  // An IP header with options moves the ICMP message.
  auto withOptions = Join(IpHeader(9, {10, 0, 0, 9}, 24), Echo(0, 1, 2));
  ASSERT_EQ(ExamineReply(withOptions.data(), withOptions.size(), 1, 2, s), IcmpVerdict::Ended);
  EXPECT_EQ(s.SourceAddress, "10.0.0.9");
}

TEST(IcmpReply, OwnRequestAndOtherProgramsRepliesAreIgnored) {
  TReplyStatus s;
  for (auto d :
       {Join(IpHeader(64, {127, 0, 0, 1}), Echo(8, 1, 2)),     // the request looping back
        Join(IpHeader(64, {127, 0, 0, 1}), Echo(0, 7, 2)),     // another program's reply
        Join(IpHeader(64, {127, 0, 0, 1}), Echo(0, 1, 3))}) {  // an earlier ping's late reply
    EXPECT_EQ(ExamineReply(d.data(), d.size(), 1, 2, s), IcmpVerdict::Ignored);
  }
}

TEST(IcmpReply, UnreachableAndTimeExceededMatchOnTheQuotedRequest) {
  auto ours = Request(1, 2, 0, "");
  TReplyStatus s;
  auto unreachable = ErrorQuoting(3, ours);
  ASSERT_EQ(ExamineReply(unreachable.data(), unreachable.size(), 1, 2, s), IcmpVerdict::Ended);
  EXPECT_EQ(s.Status, TReplyStatusKind::Unreachable);
  EXPECT_EQ(s.MessageType, 3);
  EXPECT_EQ(s.Sequence, 2);
  EXPECT_EQ(s.SourceAddress, "10.1.2.3");
  auto expired = ErrorQuoting(11, ours, 28);  // the quoted header carries options
  ASSERT_EQ(ExamineReply(expired.data(), expired.size(), 1, 2, s), IcmpVerdict::Ended);
  EXPECT_EQ(s.Status, TReplyStatusKind::TtlExpired);
  auto others = ErrorQuoting(3, Request(9, 2, 0, ""));
  EXPECT_EQ(ExamineReply(others.data(), others.size(), 1, 2, s), IcmpVerdict::Ignored);
  auto cut = ErrorQuoting(3, ours);
  cut.resize(cut.size() - 3);  // the quote ends before the sequence number
  EXPECT_EQ(ExamineReply(cut.data(), cut.size(), 1, 2, s), IcmpVerdict::Ignored);
}

TEST(IcmpReply, ShortDatagramsAndOtherTypesRaise) {
  EXPECT_EQ(RaisedBy(Join(IpHeader(64, {1, 2, 3, 4}), {0, 0, 0, 0, 0, 0, 0})),
            "Not enough bytes received");
  EXPECT_EQ(RaisedBy({0x45}), "Not enough bytes received");
  EXPECT_EQ(RaisedBy(Join(IpHeader(64, {1, 2, 3, 4}, 60), std::vector<uint8_t>(7, 0))),
            "Not enough bytes received");
  EXPECT_EQ(RaisedBy(Join(IpHeader(64, {1, 2, 3, 4}), Echo(5, 1, 2))),
            "Non-echo type response received");
  EXPECT_EQ(RaisedBy(Join(IpHeader(64, {1, 2, 3, 4}), Echo(13, 1, 2))),
            "Non-echo type response received");
}

TEST(IcmpReply, NothingReceivedIsTheTimeOutRecord) {
  TReplyStatus s;
  ASSERT_EQ(ExamineReply(nullptr, 0, 1, 4242, s), IcmpVerdict::Ended);
  EXPECT_EQ(s.Status, TReplyStatusKind::TimedOut);
  EXPECT_EQ(s.SourceAddress, "0.0.0.0");
  EXPECT_EQ(s.Sequence, 4242);
  EXPECT_EQ(s.ByteCount, 0);
  EXPECT_EQ(s.Ttl, 0);
}

TEST(IcmpReply, DatagramSocketMessagesGetAHeaderInFront) {
  auto icmp = Echo(0, 1, 2);
  std::vector<uint8_t> out(icmp.size() + 20);
  const uint8_t source[4] = {127, 0, 0, 1};
  ASSERT_EQ(PrependIPHeader(icmp.data(), icmp.size(), source, 64, out.data()), 72u);
  TReplyStatus s;
  ASSERT_EQ(ExamineReply(out.data(), out.size(), 1, 2, s), IcmpVerdict::Ended);
  EXPECT_EQ(s.Ttl, 64);
  EXPECT_EQ(s.SourceAddress, "127.0.0.1");
}

TEST(IcmpReply, TickDifferenceAcrossTheWrap) {
  EXPECT_EQ(TickDiff(100, 150), 50u);
  EXPECT_EQ(TickDiff(7, 7), 0u);
  EXPECT_EQ(TickDiff(0xFFFFFFF0u, 0x10u), 0x1Fu);
}

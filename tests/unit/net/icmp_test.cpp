// The echo client against 127.0.0.1 and against a host that never answers.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/net/SocketErrors.h"
#include "net/NetIcmpClient.h"

namespace {

struct Recorder {
  std::vector<TReplyStatus> replies;
  void Attach(TNetIcmpClient& c) {
    c.OnReply = [this, &c](TNetIcmpClient* sender, const TReplyStatus& r) {
      EXPECT_EQ(sender, &c);
      replies.push_back(r);
    };
  }
};

void ReportSocketKind(TNetIcmpClient& c) {
  if (c.UsingDatagramSocket())
    std::printf(
        "NOTE: the raw ICMP socket was refused (error %d); the datagram ICMP socket ran instead\n",
        c.RawSocketRefusal());
  else
    std::printf("NOTE: pinging through a raw ICMP socket\n");
}

}  // namespace

TEST(IcmpLive, TwoPingsOfTheLoopbackGetTheirRepliesInSequence) {
  TNetIcmpClient c;
  EXPECT_EQ(c.SequenceNumber(), 3489);
  EXPECT_EQ(c.Port, 0);
  EXPECT_EQ(c.Protocol, 1);
  EXPECT_EQ(c.ReceiveTimeout, 5000);
  Recorder rec;
  rec.Attach(c);
  c.Host = "127.0.0.1";
  c.ReceiveTimeout = 2000;
  c.Ping();
  ReportSocketKind(c);
  c.Host = "LOCALHOST";
  c.Ping();
  ASSERT_EQ(rec.replies.size(), 2u);
  for (int i = 0; i < 2; ++i) {
    const TReplyStatus& r = rec.replies[size_t(i)];
    EXPECT_EQ(r.Status, TReplyStatusKind::EchoReply) << i;
    EXPECT_EQ(r.MessageType, 0);
    EXPECT_EQ(r.Sequence, 3489 + i);
    EXPECT_EQ(r.SourceAddress, "127.0.0.1");
    EXPECT_EQ(r.ByteCount, 72);
    EXPECT_GT(r.Ttl, 0);
    EXPECT_LT(r.RoundTripMs, 2000u);
  }
  EXPECT_EQ(c.SequenceNumber(), 3491);
  EXPECT_EQ(c.ReplyStatus().Sequence, 3490);
  // The request of the last ping, as it was handed to the socket.
  std::string_view req = c.LastRequest();
  ASSERT_EQ(req.size(), 52u);
  EXPECT_EQ(uint8_t(req[6]) | uint8_t(req[7]) << 8, 3490);
  EXPECT_EQ(uint8_t(req[4]) | uint8_t(req[5]) << 8, c.Identifier());
  EXPECT_EQ(req.substr(20), std::string(32, 'E'));
}

TEST(IcmpLive, SequenceNumbersWrapAfter65535) {
  TNetIcmpClient c;
  Recorder rec;
  rec.Attach(c);
  c.Host = "127.0.0.1";
  c.ReceiveTimeout = 2000;
  c.Ping("", 65535);
  c.Ping();
  ASSERT_EQ(rec.replies.size(), 2u);
  EXPECT_EQ(rec.replies[0].Sequence, 65535);
  EXPECT_EQ(rec.replies[1].Sequence, 0);
  EXPECT_EQ(rec.replies[1].Status, TReplyStatusKind::EchoReply);
  EXPECT_EQ(c.SequenceNumber(), 1);
}

TEST(IcmpLive, UnknownHostRaisesWithoutAReplyOrANewSequenceNumber) {
  TNetIcmpClient c;
  Recorder rec;
  rec.Attach(c);
  c.Host = std::string(64, 'q') + ".invalid";  // refused by the resolver without a query
  try {
    c.Ping();
    FAIL() << "ping of an unknown host succeeded";
  } catch (const ENetSocketError& e) {
    EXPECT_EQ(e.Code, 11001);
    EXPECT_EQ(e.Message, "Socket Error # 11001\r\nHost not found.");
  }
  EXPECT_TRUE(rec.replies.empty());
  EXPECT_EQ(c.SequenceNumber(), 3489);
}

// The address of a host that takes echo requests and never answers: the test runner
// sets it up (a network namespace of its own behind a virtual link, echo answers off).
TEST(IcmpLive, SilentHostGivesOneTimedOutReplyAfterTheLimit) {
  const char* silent = std::getenv("VPN_SILENT_HOST");
  ASSERT_NE(silent, nullptr)
      << "needs VPN_SILENT_HOST: the address in the silent network namespace that "
         "tests/unit/net/silent-host.sh sets up (run through ctest)";
  TNetIcmpClient c;
  Recorder rec;
  rec.Attach(c);
  c.Host = silent;
  c.ReceiveTimeout = 400;
  c.Ping();
  ASSERT_EQ(rec.replies.size(), 1u);
  const TReplyStatus& r = rec.replies[0];
  EXPECT_EQ(r.Status, TReplyStatusKind::TimedOut);
  EXPECT_EQ(r.SourceAddress, "0.0.0.0");
  EXPECT_EQ(r.Sequence, 3489);
  EXPECT_EQ(r.ByteCount, 0);
  EXPECT_EQ(r.MessageType, 0);
  // The wait does not end before its limit (give a tick of the counter).
  EXPECT_GE(r.RoundTripMs, 380u);
  EXPECT_EQ(c.SequenceNumber(), 3490);
}

#ifndef _WIN32
#include <fcntl.h>
#include <linux/capability.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

[[noreturn]] void Quit(int code, const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::fflush(stderr);
  _exit(code);
}

// In a network namespace of its own (so the setting below changes nothing outside), with
// unprivileged ICMP sockets allowed for group 0 and without the raw-socket privilege,
// pings the loopback address.
void PingWithoutRawSocketPrivilege() {
  if (unshare(CLONE_NEWNET) != 0) Quit(2, "cannot create a network namespace (needs root)");
  int fd = open("/proc/sys/net/ipv4/ping_group_range", O_WRONLY);
  if (fd < 0 || write(fd, "0 0", 3) != 3)
    Quit(2, "cannot allow datagram ICMP sockets (net.ipv4.ping_group_range)");
  close(fd);
  int s = socket(AF_INET, SOCK_DGRAM, 0);
  ifreq ifr{};
  std::snprintf(ifr.ifr_name, sizeof ifr.ifr_name, "lo");
  ioctl(s, SIOCGIFFLAGS, &ifr);
  ifr.ifr_flags |= IFF_UP;
  if (ioctl(s, SIOCSIFFLAGS, &ifr) != 0) Quit(2, "cannot bring the loopback interface up");
  close(s);
  __user_cap_header_struct head{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[2]{};
  syscall(SYS_capget, &head, data);
  data[CAP_NET_RAW / 32].effective &= ~(1u << (CAP_NET_RAW % 32));
  data[CAP_NET_RAW / 32].permitted &= ~(1u << (CAP_NET_RAW % 32));
  if (syscall(SYS_capset, &head, data) != 0) Quit(2, "cannot drop the raw-socket privilege");

  TNetIcmpClient c;
  std::vector<TReplyStatus> replies;
  c.OnReply = [&](TNetIcmpClient*, const TReplyStatus& r) { replies.push_back(r); };
  c.Host = "127.0.0.1";
  c.ReceiveTimeout = 2000;
  c.Ping();
  c.Ping();
  if (!c.UsingDatagramSocket()) Quit(1, "the raw socket was not refused");
  if (c.RawSocketRefusal() != 10013)
    Quit(1, "the raw socket was refused with another error than 10013");
  if (replies.size() != 2) Quit(1, "not two replies");
  for (int i = 0; i < 2; ++i) {
    const TReplyStatus& r = replies[size_t(i)];
    if (r.Status != TReplyStatusKind::EchoReply || r.Sequence != 3489 + i ||
        r.SourceAddress != "127.0.0.1" || r.ByteCount != 72 || r.Ttl == 0)
      Quit(1, "a reply is not the echo reply expected");
  }
  Quit(0,
       "NOTE: raw ICMP socket refused (10013); the datagram ICMP socket ran and got both replies");
}

}  // namespace

TEST(IcmpLive, WithoutRawSocketsTheDatagramIcmpSocketIsUsed) {
  GTEST_FLAG_SET(death_test_style, "fast");
  EXPECT_EXIT(PingWithoutRawSocketPrivilege(), ::testing::ExitedWithCode(0),
              "datagram ICMP socket ran");
  if (!HasFailure())
    std::printf(
        "NOTE: with the raw socket refused (10013) the datagram ICMP socket ran and got both "
        "replies\n");
}
#endif

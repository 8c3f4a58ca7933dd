// The TCP connection against real servers on 127.0.0.1 started by the tests.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "core/net/SocketErrors.h"
#include "net/NetTCPClient.h"
#include "tests/unit/net/LoopbackServer.h"

namespace {

TNetTCPClient& Connected(TNetTCPClient& c, int port) {
  c.Host = "127.0.0.1";
  c.Port = port;
  c.Connect();
  return c;
}

template <class E, class F>
std::string MessageOf(F f) {
  try {
    f();
  } catch (const E& e) {
    return e.Message;
  }
  return "(nothing raised)";
}

}  // namespace

TEST(TcpLines, CrLfAndBareLfEndALineButABareCrDoesNot) {
  LoopbackServer server([](PeerSocket& p) {
    p.Send("HTTP/1.0 200 OK\r\nHTTP/1.0 200 OK\nfirst\rstill first\n\r\nlast");
    p.Close();
  });
  TNetTCPClient c;
  Connected(c, server.Port());
  EXPECT_EQ(c.ReadLn(), "HTTP/1.0 200 OK");
  EXPECT_EQ(c.ReadLn(), "HTTP/1.0 200 OK");
  EXPECT_EQ(c.ReadLn(), "first\rstill first");
  EXPECT_EQ(c.ReadLn(), "");
  // The unterminated "last" is never handed out as a line.
  EXPECT_EQ(c.ReadLn(), "");
  EXPECT_EQ(c.InputBuffer().View(), "last");
  EXPECT_EQ(MessageOf<ENetConnClosedGracefully>([&] { c.ReadLn(); }),
            "Connection Closed Gracefully.");
  EXPECT_FALSE(c.Connected());
}

TEST(TcpLines, LineOfTheMaximumLengthIsAcceptedAndOneMoreByteRefused) {
  const std::string full(16384, 'a');
  LoopbackServer server([&](PeerSocket& p) {
    p.Send(full + "\n" + full + "\r\n" + full + "b\nnext\n");
    p.ReceiveAll();
  });
  TNetTCPClient c;
  Connected(c, server.Port());
  EXPECT_EQ(c.ReadLn(), full);
  EXPECT_EQ(c.ReadLn(), full);
  EXPECT_EQ(MessageOf<ENetReadLnMaxLineLengthExceeded>([&] { c.ReadLn(); }),
            "Max line length exceeded.");
  c.Disconnect();
}

TEST(TcpLines, OverlongLineIsRefusedBeforeItsTerminatorArrives) {
  std::atomic<bool> refused{false};
  LoopbackServer server([&](PeerSocket& p) {
    p.Send(std::string(16385, 'x'));
    // No terminator follows until the client has given up on the line.
    for (int i = 0; i < 500 && !refused; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    p.Send("\n");
    p.ReceiveAll();
  });
  TNetTCPClient c;
  Connected(c, server.Port());
  EXPECT_EQ(MessageOf<ENetReadLnMaxLineLengthExceeded>([&] { c.ReadLn(); }),
            "Max line length exceeded.");
  refused = true;
  c.Disconnect();
}

TEST(TcpLines, SplitModeHandsOutTheLineInPieces) {
  LoopbackServer server([](PeerSocket& p) {
    p.Send("abcdefg\nxy\n");
    p.ReceiveAll();
  });
  TNetTCPClient c;
  c.MaxLineLength = 3;
  c.MaxLineAction = maSplit;
  Connected(c, server.Port());
  EXPECT_EQ(c.ReadLn(), "abc");
  EXPECT_EQ(c.ReadLn(), "def");
  EXPECT_EQ(c.ReadLn(), "g");
  EXPECT_EQ(c.ReadLn("y"), "x");
  c.Disconnect();
}

TEST(TcpClose, ThreeBytesAndACloseGiveAnEmptyLineThenClosedGracefully) {
  LoopbackServer server([](PeerSocket& p) { p.Send("abc"); });
  TNetTCPClient c;
  Connected(c, server.Port());
  EXPECT_EQ(c.ReadLn(), "");
  EXPECT_EQ(c.InputBuffer().View(), "abc");
  EXPECT_TRUE(c.ClosedGracefully());
  EXPECT_EQ(MessageOf<ENetConnClosedGracefully>([&] { c.ReadLn(); }),
            "Connection Closed Gracefully.");
}

TEST(TcpClose, ReadUntilCloseYieldsTheThreeBytesAndCutsTheStream) {
  LoopbackServer server([](PeerSocket& p) { p.Send("abc"); });
  TNetTCPClient c;
  Connected(c, server.Port());
  TNetMemoryStream s(std::string("0123456789"));
  s.SetPosition(2);
  c.ReadStream(s, -1, true);
  EXPECT_EQ(s.DataString(), "01abc");
}

TEST(TcpClose, ExactReadsAndCountedStreamReads) {
  std::string body;
  for (int i = 0; i < 70000; ++i) body += char('A' + i % 26);
  LoopbackServer server([&](PeerSocket& p) {
    p.Send("head" + body + "tail");
    p.Close();
  });
  TNetTCPClient c;
  c.RecvBufferSize = 1000;
  Connected(c, server.Port());
  EXPECT_EQ(c.ReadString(4), "head");
  TNetMemoryStream s;
  c.ReadStream(s, 70000);
  EXPECT_EQ(s.DataString(), body);
  // Fewer bytes than asked for before the close: the read raises and the stream keeps
  // only what arrived.
  TNetMemoryStream rest;
  EXPECT_THROW(c.ReadStream(rest, 10), ENetConnClosedGracefully);
  EXPECT_EQ(rest.DataString(), "tail");
  EXPECT_THROW(c.ReadString(1), ENetConnClosedGracefully);
}

TEST(TcpErrors, RefusedConnectionIsSocketError10061AndLeavesTheClientDisconnected) {
  TNetTCPClient c;
  c.Host = "127.0.0.1";
  c.Port = LoopbackServer::ClosedPort();
  try {
    c.Connect();
    FAIL() << "connect succeeded";
  } catch (const ENetSocketError& e) {
    EXPECT_EQ(e.Code, 10061);
    EXPECT_EQ(e.Message, "Socket Error # 10061\r\nConnection refused.");
  }
  EXPECT_FALSE(c.Connected());
  EXPECT_EQ(c.IOHandler(), nullptr);
}

TEST(TcpErrors, UnresolvableHostIsSocketError11001) {
  TNetTCPClient c;
  // A label longer than 63 characters: the resolver refuses it without asking anyone,
  // so no query leaves the machine.
  c.Host = std::string(64, 'q') + ".invalid";
  c.Port = 80;
  try {
    c.Connect();
    FAIL() << "connect succeeded";
  } catch (const ENetSocketError& e) {
    EXPECT_EQ(e.Code, 11001);
    EXPECT_EQ(e.Message, "Socket Error # 11001\r\nHost not found.");
  }
}

TEST(TcpErrors, LocalhostInAnyCaseConnectsToTheLoopbackAddress) {
  LoopbackServer server([](PeerSocket& p) { p.Send("hi\n"); });
  TNetTCPClient c;
  c.Host = "LocalHost";
  c.Port = server.Port();
  c.Connect();
  EXPECT_EQ(c.IOHandler()->Binding()->PeerIP, "127.0.0.1");
  EXPECT_EQ(c.ReadLn(), "hi");
  EXPECT_EQ(MessageOf<ENetAlreadyConnected>([&] { c.Connect(); }), "Already connected.");
}

TEST(TcpErrors, PeerThatResetsRaisesConnectionReset) {
  LoopbackServer server([](PeerSocket& p) {
    p.ReceiveSome(5);
    p.Reset();
  });
  TNetTCPClient c;
  Connected(c, server.Port());
  c.Write("hello");
  try {
    c.ReadLn();
    FAIL() << "read after a reset succeeded";
  } catch (const ENetSocketError& e) {
    EXPECT_EQ(e.Code, 10054);
    EXPECT_EQ(e.Message, "Socket Error # 10054\r\nConnection reset by peer.");
  }
}

TEST(TcpErrors, SilentPeerTimesOutWithALimitAndAnExplicitLimitReturnsEmpty) {
  std::atomic<bool> done{false};
  LoopbackServer server([&](PeerSocket& p) {
    while (!done) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  });
  TNetTCPClient c;
  c.ReadTimeout = 150;
  Connected(c, server.Port());
  EXPECT_EQ(MessageOf<ENetReadTimeout>([&] { c.ReadLn(); }), "Read Timeout");
  EXPECT_EQ(c.ReadLn("\n", 50), "");
  EXPECT_TRUE(c.ReadLnTimedOut());
  EXPECT_EQ(c.ReadFromStack(true, 20, false), -1);
  done = true;
  c.Disconnect();
}

TEST(TcpErrors, ConnectTimeLimitRunsOutAgainstAFullListenQueue) {
  // A listener that never accepts with a queue of length 0 takes one connection; the
  // kernel drops the handshake of the next, so that connect waits.
  LoopbackServer server([](PeerSocket&) {}, 0, false);
  TNetTCPClient first;
  Connected(first, server.Port());
  TNetTCPClient c;
  c.Host = "127.0.0.1";
  c.Port = server.Port();
  EXPECT_EQ(MessageOf<ENetConnectTimeout>([&] { c.Connect(300); }), "Connect timed out.");
  EXPECT_FALSE(c.Connected());
}

TEST(TcpWrites, WriteBufferKeepsBytesUntilTheThresholdOrTheClose) {
  std::string received;
  LoopbackServer server([&](PeerSocket& p) { received = p.ReceiveAll(); });
  TNetTCPClient c;
  c.UseNagle = false;
  Connected(c, server.Port());
  c.OpenWriteBuffer(4);
  c.Write("ab");
  c.Write("Z", true);
  c.Write("cd");  // reaches the threshold
  c.Write("Y", true);
  c.Write("ef");
  c.WriteLn("g");
  c.CloseWriteBuffer();
  EXPECT_FALSE(c.WriteBuffering());
  c.Write("");
  c.WriteLn("end");
  c.Disconnect();
  server.Join();
  EXPECT_EQ(received, "ZabcdYefg\r\nend\r\n");
}

TEST(TcpWrites, StreamIsSentWholeInPieces) {
  std::string received;
  LoopbackServer server([&](PeerSocket& p) { received = p.ReceiveAll(); });
  std::string body;
  for (int i = 0; i < 100001; ++i) body += char(i * 7);
  TNetMemoryStream s(body);
  s.SetPosition(500);  // sent from its start whatever the position
  TNetTCPClient c;
  c.SendBufferSize = 999;
  Connected(c, server.Port());
  c.WriteStream(s);
  c.Disconnect();
  server.Join();
  EXPECT_EQ(received, body);
}

TEST(TcpWrites, WritingWithoutAConnectionRaises) {
  TNetTCPClient c;
  EXPECT_THROW(c.Write("x"), ENetException);
  EXPECT_THROW(c.ReadLn(), ENetException);
  EXPECT_FALSE(c.Connected());
}

TEST(TcpStack, TheSharedStackLivesAsLongAsItsUsers) {
  EXPECT_EQ(TNetStackUser::UserCount(), 0);
  {
    TNetTCPClient a;
    EXPECT_GE(TNetStackUser::UserCount(), 1);
    {
      TNetTCPClient b;
      EXPECT_GE(TNetStackUser::UserCount(), 2);
    }
  }
  EXPECT_EQ(TNetStackUser::UserCount(), 0);
}

TEST(TcpStack, AddressTextsAndErrorMessages) {
  EXPECT_TRUE(TNetStack::IsIP("10.0.0.1"));
  EXPECT_TRUE(TNetStack::IsIP("010.000.0.255"));
  EXPECT_FALSE(TNetStack::IsIP("10.0.0"));
  EXPECT_FALSE(TNetStack::IsIP("10.0.0.1.5"));
  EXPECT_FALSE(TNetStack::IsIP("10.0.0.256"));
  EXPECT_FALSE(TNetStack::IsIP("10.0..1"));
  EXPECT_FALSE(TNetStack::IsIP("10.0.0.1 "));
  EXPECT_FALSE(TNetStack::IsIP("a.b.c.d"));
  const uint8_t b[4] = {192, 168, 0, 7};
  EXPECT_EQ(TNetStack::AddressText(b), "192.168.0.7");
  EXPECT_EQ(vpn::net::SocketErrorMessage(10035), "Socket Error # 10035\r\nOperation would block. ");
  EXPECT_EQ(vpn::net::SocketErrorMessage(10066), "Socket Error # 10066\r\nDirectory not empty");
  EXPECT_EQ(vpn::net::SocketErrorMessage(12345), "Socket Error # 12345\r\n");
  TNetStackUser user;
  EXPECT_EQ(user.Stack().ResolveHost("lOcAlHoSt"), "127.0.0.1");
  EXPECT_EQ(user.Stack().ResolveHost("010.1.2.3"), "010.1.2.3");
}

TEST(TcpErrors, BindingAPortInUseRaisesCouldNotBind) {
  LoopbackServer server([](PeerSocket&) {}, 4, false);
  TNetTCPClient c;
  c.Host = "127.0.0.1";
  c.Port = server.Port();
  c.BoundIP = "127.0.0.1";
  c.BoundPort = server.Port();  // the listener holds it
  EXPECT_EQ(MessageOf<ENetCouldNotBindSocket>([&] { c.Connect(); }),
            "Could not bind socket. Address and port are already in use.");
  EXPECT_FALSE(c.Connected());
}

TEST(TcpStack, EveryFailureHasItsFixedText) {
  const std::pair<std::string, std::string> texts[] = {
      {ENetInvalidSocket().Message, "Cannot allocate socket."},
      {ENetCouldNotBindSocket().Message,
       "Could not bind socket. Address and port are already in use."},
      {ENetAlreadyConnected().Message, "Already connected."},
      {ENetConnectTimeout().Message, "Connect timed out."},
      {ENetNotConnected().Message, "Not Connected"},
      {ENetConnClosedGracefully().Message, "Connection Closed Gracefully."},
      {ENetClosedSocket().Message, "Disconnected."},
      {ENetReadTimeout().Message, "Read Timeout"},
      {ENetReadLnMaxLineLengthExceeded().Message, "Max line length exceeded."},
      {ENetNoDataToRead().Message, "No data to read."},
      {ENetStackSetSizeExceeded().Message, "Set Size Exceeded."},
      {ENetPackageSizeTooBig().Message, "Package Size Too Big."},
      {ENetNotAllBytesSent().Message, "Not all bytes sent."},
      {ENetStackInitializationFailed().Message, "Winsock Initialization Error."},
  };
  for (const auto& [got, want] : texts) EXPECT_EQ(got, want);
}

// The service's servers end to end: a copy of the program whose service.ini names a node
// list on a server of this test; the lines it lists, the speed test of a line, the fastest
// server taken into the server edit, the servers offered as the user types, and the copy
// kept for a start on which the service is down or hands out a list that is no good.
#include <gtest/gtest.h>
#include <winsock2.h>
// (after winsock2.h)
#include <shlobj.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/kit/e2e_kit.h"

namespace {

// An HTTP server on 127.0.0.1 that answers every request with one document, stopped and
// started again on the same port.
class NodeListServer {
 public:
  NodeListServer() {
    WSADATA d;
    WSAStartup(MAKEWORD(2, 2), &d);
  }
  ~NodeListServer() { Stop(); }

  void Serve(std::string body) {
    std::lock_guard lock(mutex_);
    body_ = std::move(body);
  }
  void Start() {
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    BOOL on = TRUE;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on), sizeof on);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    sa.sin_port = htons(u_short(port_));
    if (bind(listener_, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || listen(listener_, 8))
      throw e2e::Failure("the node list server cannot listen");
    int len = sizeof sa;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&sa), &len);
    port_ = ntohs(sa.sin_port);
    thread_ = std::thread([this] { Run(); });
  }
  void Stop() {
    if (listener_ == INVALID_SOCKET) return;
    closesocket(listener_);
    listener_ = INVALID_SOCKET;
    thread_.join();
  }
  int Port() const { return port_; }
  int Requests() const { return requests_; }
  std::string Address() const { return "http://127.0.0.1:" + std::to_string(port_) + "/nodes.txt"; }

 private:
  void Run() {
    for (;;) {
      SOCKET c = accept(listener_, nullptr, nullptr);
      if (c == INVALID_SOCKET) return;
      std::string head;
      char buf[1024];
      while (head.find("\r\n\r\n") == std::string::npos) {
        const int n = recv(c, buf, sizeof buf, 0);
        if (n <= 0) break;
        head.append(buf, size_t(n));
      }
      ++requests_;
      std::string body;
      {
        std::lock_guard lock(mutex_);
        body = body_;
      }
      const std::string reply = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                                std::to_string(body.size()) + "\r\n\r\n" + body;
      // A client that stops reading (a list too large) ends the sending.
      for (size_t sent = 0; sent < reply.size();) {
        const int n =
            send(c, reply.data() + sent, int(std::min<size_t>(reply.size() - sent, 65536)), 0);
        if (n <= 0) break;
        sent += size_t(n);
      }
      shutdown(c, SD_SEND);
      closesocket(c);
    }
  }

  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::thread thread_;
  std::mutex mutex_;
  std::string body_;
  std::atomic<int> requests_{0};
};

// Two lines, six servers; the service writes it in UTF-8. The first line has a server that
// never answers.
std::string TwoLinesSixServers(const std::string& silent) {
  return reinterpret_cast<const char*>(
             u8"; 服务器列表\r\n[电信线路]\r\nfast-a=127.0.0.1\r\nfast-b=127.0.0.2\r\nsilent=") +
         silent +
         reinterpret_cast<const char*>(
             u8"\r\n[联通线路]\r\nu1=127.0.0.3\r\nu2=127.0.0.4\r\nu3=127.0.0.5\r\n");
}

std::wstring KeptFile() {
  wchar_t folder[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
  return std::wstring(folder) + L"\\vpnclient\\nodelist.ini";
}

std::string KeptBytes() {
  std::string all;
  for (const std::string& line : e2e::ReadLines(KeptFile())) all += line + "\n";
  return all;
}

// A copy of the program with a service.ini that names the test's list.
std::wstring ProgramWithNodeList(const std::string& address) {
  const std::wstring folder = e2e::BinDir() + L"\\servers-e2e";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring exe = folder + L"\\vpnclient.exe";
  if (!CopyFileW(e2e::ProgramPath().c_str(), exe.c_str(), FALSE))
    throw e2e::Failure("cannot copy the program");
  e2e::WriteBytes(folder + L"\\service.ini", "NodeList=" + address + "\r\n");
  return exe;
}

struct Started {
  e2e::Program app;
  HWND main = nullptr;
};

Started StartCopy(const std::wstring& exe) {
  e2e::StartOptions o;
  o.exe = exe;
  o.prefer_rassim = false;
  Started s{e2e::Program::Start(o)};
  s.main = s.app.WaitForWindow(L"TFrmMain", L"Morlu连接器");
  if (!s.main) throw e2e::Failure("no main window");
  return s;
}

const std::vector<std::wstring> kLines = {L"选择线路", L"电信线路", L"联通线路"};

bool WaitForLines(HWND main) {
  return e2e::WaitUntil([&] { return e2e::ComboItems(e2e::Control(main, L"AreaTxt")) == kLines; },
                        10000);
}

// The round trip a line of the list shows, -1 for a server that did not answer.
double ShownMs(const std::wstring& line) {
  const size_t at = line.find(L"  ");
  if (line.find(L"超时") != std::wstring::npos) return -1;
  if (line.find(L"<1 ms") != std::wstring::npos) return 0;
  return std::wcstod(line.c_str() + at + 2, nullptr);
}

const char* SilentHost() {
  const char* silent = std::getenv("VPN_SILENT_HOST");
  if (!silent)
    throw e2e::Failure("needs VPN_SILENT_HOST (tests/unit/net/silent-host.sh, via ctest)");
  return silent;
}

}  // namespace

TEST(Servers, TheListsLineIsMeasuredAtOnceFastestFirstAndItsServersAreOffered) {
  NodeListServer server;
  server.Serve(TwoLinesSixServers(SilentHost()));
  server.Start();
  DeleteFileW(KeptFile().c_str());
  const std::wstring exe = ProgramWithNodeList(server.Address());
  Started s = StartCopy(exe);
  HWND form1 = s.app.WaitForWindow(L"TForm1", nullptr, 5000, false);
  ASSERT_NE(form1, nullptr);

  // Fetched after the first picture: the line list holds the list's lines, and the list is
  // kept, named after its address.
  ASSERT_TRUE(WaitForLines(s.main)) << "the lines did not arrive";
  EXPECT_EQ(server.Requests(), 1);
  EXPECT_TRUE(e2e::WaitUntil([] { return e2e::FileExists(KeptFile()); }, 5000));
  EXPECT_EQ(KeptBytes().rfind("; " + server.Address(), 0), 0u) << KeptBytes().substr(0, 80);

  // The speed test with no server chosen measures the first line: all three servers
  // within about one echo time-out (a server after the other would take nine seconds for
  // the silent one alone), those that answered fastest first, the silent one last.
  HWND list = e2e::Control(form1, L"ListBox1");
  const auto start = std::chrono::steady_clock::now();
  e2e::Click(e2e::Control(s.main, L"Button3"));
  std::vector<std::wstring> lines;
  ASSERT_TRUE(e2e::WaitUntil(
      [&] {
        lines = e2e::ListItems(list);
        return lines.size() == 4 && lines[1].find(L"正在") == std::wstring::npos;
      },
      10000))
      << lines.size();
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_LT(took, std::chrono::milliseconds(4500)) << "the servers were not measured at once";
  EXPECT_EQ(lines[0], L"线路: 电信线路");
  EXPECT_NE(lines[3].find(L"silent  超时"), std::wstring::npos) << e2e::WideToUtf8(lines[3]);
  for (int i : {1, 2}) {
    EXPECT_NE(lines[i].find(L"  ICMP"), std::wstring::npos) << e2e::WideToUtf8(lines[i]);
    EXPECT_EQ(lines[i].rfind(L"fast-", 0), 0u) << e2e::WideToUtf8(lines[i]);
  }
  EXPECT_LE(ShownMs(lines[1]), ShownMs(lines[2]));
  EXPECT_TRUE(IsWindowVisible(form1));
  e2e::SaveScreenshot(e2e::ArtifactPath(L"servers-speed-test.bmp"), form1);

  // "使用最快": the fastest server into the server edit, its line chosen.
  e2e::Click(e2e::Control(form1, L"Button3"));
  e2e::Sync(s.main);
  const std::wstring fastest = lines[1].substr(0, lines[1].find(L"  "));
  EXPECT_EQ(e2e::TextOf(e2e::Control(s.main, L"IPAddrTxt")), fastest);
  EXPECT_EQ(SendMessageW(e2e::Control(s.main, L"AreaTxt"), CB_GETCURSEL, 0, 0), 1);

  // Typing in the server edit offers the list's servers with their lines; Down and Enter
  // take one without connecting.
  HWND edit = e2e::Control(s.main, L"IPAddrTxt");
  e2e::Click(edit);
  e2e::PressKeyInForm(s.main, VK_END);
  for (int i = 0; i < 20; ++i) e2e::PressKeyInForm(s.main, VK_BACK);
  e2e::TypeText(edit, L"u");
  e2e::Sync(s.main);
  HWND offered = nullptr;
  ASSERT_TRUE(e2e::WaitUntil(
      [&] {
        for (HWND w : s.app.Windows(L"ListBox"))
          if (IsWindowVisible(w)) offered = w;
        return offered != nullptr;
      },
      3000))
      << "no suggestions under the server edit";
  EXPECT_EQ(e2e::ListItems(offered),
            (std::vector<std::wstring>{L"u1\t联通线路", L"u2\t联通线路", L"u3\t联通线路"}));
  e2e::SaveScreenshot(e2e::ArtifactPath(L"servers-suggestions.bmp"));
  e2e::PressKeyInForm(s.main, VK_DOWN);
  e2e::PressKeyInForm(s.main, VK_DOWN);
  e2e::PressKeyInForm(s.main, VK_RETURN);
  EXPECT_EQ(e2e::TextOf(edit), L"u2");
  EXPECT_FALSE(IsWindowVisible(offered));
  EXPECT_EQ(SendMessageW(e2e::Control(s.main, L"AreaTxt"), CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(e2e::StatusText(e2e::Control(s.main, L"StatusBar1")), L"断开") << "Enter connected";
  s.app.Stop();
}

TEST(Servers, TheKeptListServesWhenTheServiceIsDownOrHandsOutABadList) {
  NodeListServer server;
  const std::string good = TwoLinesSixServers(SilentHost());
  server.Serve(good);
  server.Start();
  DeleteFileW(KeptFile().c_str());
  const std::wstring exe = ProgramWithNodeList(server.Address());
  {
    Started s = StartCopy(exe);
    ASSERT_TRUE(WaitForLines(s.main));
    ASSERT_TRUE(e2e::WaitUntil([] { return e2e::FileExists(KeptFile()); }, 5000));
    s.app.Stop();
  }
  const std::string kept = KeptBytes();

  // Each start finds the kept list in the line list and says why the service's was not used.
  auto startAndExpect = [&](const std::wstring& status) {
    Started s = StartCopy(exe);
    EXPECT_TRUE(WaitForLines(s.main)) << e2e::WideToUtf8(status);
    EXPECT_TRUE(e2e::WaitForStatus(e2e::Control(s.main, L"StatusBar1"), status, 30000))
        << e2e::WideToUtf8(e2e::StatusText(e2e::Control(s.main, L"StatusBar1")));
    s.app.Stop();
    EXPECT_EQ(KeptBytes(), kept) << "the kept list changed: " << e2e::WideToUtf8(status);
  };

  server.Stop();
  startAndExpect(L"无法获取服务器列表，使用上次保存的列表");

  // Garbage: bytes of no text at all.
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage += char((i * 7919) % 251);
  server.Serve(garbage);
  server.Start();
  startAndExpect(L"服务器列表第1行不是文本，使用上次保存的列表");

  // A web page where the list should be.
  server.Serve("<html><body>Not Found</body></html>\r\n");
  startAndExpect(L"服务器列表第1行格式有误，使用上次保存的列表");

  // Ten megabytes: refused once it passes 256 KiB, without reading the rest.
  server.Serve("[a]\r\n" + std::string(10 * 1024 * 1024, ';'));
  startAndExpect(L"服务器列表超过256KB，使用上次保存的列表");
  server.Stop();
  DeleteFileW(KeptFile().c_str());
}

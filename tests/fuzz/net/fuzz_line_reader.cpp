// Line, exact and until-close reads of the TCP connection over arbitrary byte streams
// that arrive in arbitrary pieces and then end with the peer's close.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/net/NetExceptions.h"
#include "net/NetTCPClient.h"

namespace {

// Serves the stream in the pieces the fuzzer chose, then an orderly close.
class ScriptedHandler : public TNetIOHandlerSocket {
 public:
  ScriptedHandler(std::string bytes, std::string pieces)
      : bytes_(std::move(bytes)), pieces_(std::move(pieces)) {}
  void Open() override { open_ = false; }
  void ConnectClient(const std::string&, int, const std::string&, int, bool, int) override {
    open_ = true;
  }
  void Close() override { open_ = false; }
  bool Connected() const override { return open_; }
  bool Readable(int) override {
    if (!open_) throw ENetConnClosedGracefully();
    return true;
  }
  int Recv(void* buf, int len) override {
    if (!open_) throw ENetClosedSocket();
    size_t piece = pieces_.empty() ? 7 : size_t(uint8_t(pieces_[next_++ % pieces_.size()])) + 1;
    size_t n = std::min({piece, size_t(len), bytes_.size() - pos_});
    std::copy_n(bytes_.data() + pos_, n, static_cast<char*>(buf));
    pos_ += n;
    return int(n);
  }
  int Send(const void*, int len) override { return len; }
  int LastError() override { return 0; }
  size_t Delivered() const { return pos_; }

 private:
  std::string bytes_;
  std::string pieces_;
  size_t pos_ = 0;
  size_t next_ = 0;
  bool open_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 6) return 0;
  const uint8_t mode = data[0];
  const int maxLength = data[1] % 64;  // 0 = no limit
  const size_t pieceCount = data[2] % 16;
  std::string rest(reinterpret_cast<const char*>(data) + 3, size - 3);
  std::string pieces = rest.substr(0, std::min(pieceCount, rest.size()));
  std::string stream = rest.substr(pieces.size());

  ScriptedHandler handler(stream, pieces);
  TNetTCPClient c;
  c.SetIOHandler(&handler);
  c.MaxLineLength = maxLength;
  c.MaxLineAction = (mode & 1) ? maSplit : maException;
  c.RecvBufferSize = 1 + (mode >> 4);
  c.Connect();

  std::string taken;  // what the reads handed out, terminators included
  try {
    for (int round = 0; round < 1000; ++round) {
      switch ((mode >> 1) & 3) {
        case 0:
        case 1: {
          std::string line = c.ReadLn();
          if (line.find('\n') != std::string::npos) std::abort();
          if (maxLength > 0 && line.size() > size_t(maxLength)) std::abort();
          taken += line;
          break;
        }
        case 2:
          taken += c.ReadString(size_t(round % 5));
          break;
        case 3: {
          TNetMemoryStream s;
          c.ReadStream(s, -1, true);
          // Until the close: every byte that arrived.
          if (s.DataString() != stream.substr(0, handler.Delivered())) std::abort();
          return 0;
        }
      }
    }
  } catch (const ENetException&) {
  }
  if (taken.size() > handler.Delivered()) std::abort();
  c.SetIOHandler(nullptr);
  return 0;
}

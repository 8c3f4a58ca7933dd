// A reply body in chunked coding from a connection whose peer closes after the input,
// without a size limit and with one taken from the first byte.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/http/HttpBody.h"
#include "core/net/NetExceptions.h"

namespace {

struct Closed {};

class MemorySource : public vpn::HttpReplySource {
 public:
  MemorySource(const char* p, size_t n) : bytes_(p, n) {}
  std::string ReadLine() override {
    const size_t lf = bytes_.find('\n', pos_);
    if (lf == std::string::npos) throw Closed{};
    std::string line = bytes_.substr(pos_, lf - pos_);
    pos_ = lf + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
  }
  void ReadExactly(std::string& out, int64_t n) override {
    if (n < 0 || static_cast<uint64_t>(n) > bytes_.size() - pos_) throw Closed{};
    out.append(bytes_, pos_, static_cast<size_t>(n));
    pos_ += static_cast<size_t>(n);
  }
  bool ReadAtMost(std::string& out, int64_t n) override {
    const size_t take = std::min<uint64_t>(static_cast<uint64_t>(n), bytes_.size() - pos_);
    out.append(bytes_, pos_, take);
    pos_ += take;
    return static_cast<int64_t>(take) == n;
  }
  void ReadUntilClose(std::string& out) override {
    out.append(bytes_, pos_);
    pos_ = bytes_.size();
  }

 private:
  std::string bytes_;
  size_t pos_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    MemorySource src(reinterpret_cast<const char*>(data), size);
    std::string out;
    try {
      vpn::ReadChunkedBody(src, out);
    } catch (const Closed&) {
    }
    if (out.size() > size) __builtin_trap();  // the body never holds more than was sent
  }
  if (size == 0) return 0;
  const int64_t limit = data[0];
  MemorySource src(reinterpret_cast<const char*>(data + 1), size - 1);
  std::string out;
  try {
    vpn::ReadChunkedBody(src, out, limit);
  } catch (const Closed&) {
  } catch (const ENetReplyTooLarge&) {
  }
  if (int64_t(out.size()) > limit) __builtin_trap();  // never more than the limit
  return 0;
}

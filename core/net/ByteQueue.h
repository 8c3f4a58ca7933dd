// A byte queue: bytes are appended at its end and taken from its front. Used for the
// connection's input and write buffers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vpn::net {

class ByteQueue {
 public:
  size_t Size() const { return data_.size() - head_; }
  bool Empty() const { return Size() == 0; }
  std::string_view View() const { return std::string_view(data_).substr(head_); }

  void Append(const void* bytes, size_t n) { data_.append(static_cast<const char*>(bytes), n); }
  void Append(std::string_view bytes) { data_.append(bytes); }

  // Removes and returns the first n bytes (n <= Size()).
  std::string Take(size_t n) {
    std::string out(data_, head_, n);
    Drop(n);
    return out;
  }
  // Removes the first n bytes (n <= Size()).
  void Drop(size_t n) {
    head_ += n;
    // Keep the taken prefix from growing without end while the tail still fills.
    if (head_ == data_.size()) {
      data_.clear();
      head_ = 0;
    } else if (head_ >= 65536 && head_ * 2 >= data_.size()) {
      data_.erase(0, head_);
      head_ = 0;
    }
  }
  void Clear() {
    data_.clear();
    head_ = 0;
  }

 private:
  std::string data_;
  size_t head_ = 0;
};

}  // namespace vpn::net

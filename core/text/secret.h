// Passwords and keys in memory: they are overwritten with zeros as soon as the program
// is done with them, so that no freed buffer keeps them for whoever reads the memory
// later (a crash dump, a swap file).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vpn {

// Zeros `size` bytes at `data` in a way the compiler may not leave out as a dead store.
void WipeBytes(void* data, std::size_t size);

// Zeros every byte the string's buffer holds (its whole capacity) and empties it.
void WipeText(std::string& text);

// Wipes a buffer (a string, a vector) when the scope ends, however it ends.
template <class Buffer>
class WipeOnExit {
 public:
  explicit WipeOnExit(Buffer& buffer) : buffer_(buffer) {}
  WipeOnExit(const WipeOnExit&) = delete;
  WipeOnExit& operator=(const WipeOnExit&) = delete;
  ~WipeOnExit() { WipeBytes(buffer_.data(), buffer_.size() * sizeof(*buffer_.data())); }

 private:
  Buffer& buffer_;
};

// Wipes a plain record (dial parameters with a password) when the scope ends.
template <class Record>
class WipeRecordOnExit {
 public:
  explicit WipeRecordOnExit(Record& record) : record_(record) {}
  WipeRecordOnExit(const WipeRecordOnExit&) = delete;
  WipeRecordOnExit& operator=(const WipeRecordOnExit&) = delete;
  ~WipeRecordOnExit() { WipeBytes(&record_, sizeof record_); }

 private:
  Record& record_;
};

// A text that is wiped when it is replaced or goes. Taking over a std::string copies its
// bytes and wipes the original, so that its buffer does not keep them either.
class SecretText {
 public:
  SecretText() = default;
  SecretText(std::string&& text);  // NOLINT: taken over implicitly, like the string it was
  SecretText(const std::string& text) : text_(text) {}                  // NOLINT
  SecretText(std::string_view text);                                    // NOLINT
  SecretText(const char* text) : SecretText(std::string_view(text)) {}  // NOLINT
  SecretText(const SecretText& other) : SecretText(other.view()) {}
  SecretText(SecretText&& other) noexcept;
  SecretText& operator=(const SecretText& other);
  SecretText& operator=(SecretText&& other) noexcept;
  ~SecretText() { WipeText(text_); }

  const std::string& str() const { return text_; }
  std::string_view view() const { return text_; }
  const char* c_str() const { return text_.c_str(); }
  std::size_t size() const { return text_.size(); }
  bool empty() const { return text_.empty(); }

 private:
  std::string text_;
};

}  // namespace vpn

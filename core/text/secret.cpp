#include "core/text/secret.h"

#include <cstring>

namespace vpn {

void WipeBytes(void* data, std::size_t size) {
  // Written through a volatile pointer: every store happens, whatever follows.
  volatile unsigned char* p = static_cast<volatile unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) p[i] = 0;
}

void WipeText(std::string& text) {
  // Growing to the capacity reaches the bytes a shorter text left behind, without a new
  // buffer.
  text.resize(text.capacity());
  WipeBytes(text.data(), text.size());
  text.clear();
}

SecretText::SecretText(std::string&& text) {
  text_.assign(text);
  WipeText(text);
}

SecretText::SecretText(std::string_view text) : text_(text) {}

SecretText::SecretText(SecretText&& other) noexcept {
  // A move could hand over the buffer, but a short text lives inside the string object
  // and would be copied, leaving its bytes in the moved-from object: copy and wipe.
  text_.assign(other.text_);
  WipeText(other.text_);
}

SecretText& SecretText::operator=(const SecretText& other) {
  if (this != &other) {
    WipeText(text_);
    text_.assign(other.text_);
  }
  return *this;
}

SecretText& SecretText::operator=(SecretText&& other) noexcept {
  if (this != &other) {
    WipeText(text_);
    text_.assign(other.text_);
    WipeText(other.text_);
  }
  return *this;
}

}  // namespace vpn

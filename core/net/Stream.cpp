#include "core/net/Stream.h"

#include <algorithm>
#include <cstring>

int64_t TNetMemoryStream::Read(void* buffer, int64_t n) {
  if (n <= 0 || pos_ >= Size()) return 0;
  int64_t count = std::min(n, Size() - pos_);
  std::memcpy(buffer, data_.data() + pos_, size_t(count));
  pos_ += count;
  return count;
}

int64_t TNetMemoryStream::Write(const void* buffer, int64_t n) {
  if (n <= 0) return 0;
  if (pos_ + n > Size()) data_.resize(size_t(pos_ + n));
  std::memcpy(data_.data() + pos_, buffer, size_t(n));
  pos_ += n;
  return n;
}

void TNetMemoryStream::SetPosition(int64_t pos) {
  pos_ = std::clamp<int64_t>(pos, 0, Size());
}

void TNetMemoryStream::SetSize(int64_t size) {
  data_.resize(size_t(std::max<int64_t>(size, 0)));
  pos_ = std::min(pos_, Size());
}

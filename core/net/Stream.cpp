#include "core/net/Stream.h"

#include <algorithm>
#include <cstring>

#include "core/text/secret.h"

int64_t TNetMemoryStream::Read(void* buffer, int64_t n) {
  if (n <= 0 || FPos >= Size()) return 0;
  int64_t count = std::min(n, Size() - FPos);
  std::memcpy(buffer, FData.data() + FPos, size_t(count));
  FPos += count;
  return count;
}

int64_t TNetMemoryStream::Write(const void* buffer, int64_t n) {
  if (n <= 0) return 0;
  if (FPos + n > Size()) FData.resize(size_t(FPos + n));
  std::memcpy(FData.data() + FPos, buffer, size_t(n));
  FPos += n;
  return n;
}

void TNetMemoryStream::Wipe() {
  vpn::WipeText(FData);
  FPos = 0;
}

void TNetMemoryStream::SetPosition(int64_t pos) {
  FPos = std::clamp<int64_t>(pos, 0, Size());
}

void TNetMemoryStream::SetSize(int64_t size) {
  FData.resize(size_t(std::max<int64_t>(size, 0)));
  FPos = std::min(FPos, Size());
}

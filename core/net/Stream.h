// Byte streams that the network layer reads from and writes into (request bodies,
// reply bodies): a position, a size that can be cut or grown, reads and writes at the
// position.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class TNetStream {
 public:
  virtual ~TNetStream() = default;
  // Reads up to n bytes at the position and advances it; returns the count.
  virtual int64_t Read(void* buffer, int64_t n) = 0;
  // Writes n bytes at the position (growing the stream as needed) and advances it.
  virtual int64_t Write(const void* buffer, int64_t n) = 0;
  virtual int64_t Position() const = 0;
  virtual void SetPosition(int64_t pos) = 0;
  virtual int64_t Size() const = 0;
  // Grows (with zero bytes) or cuts the stream; the position is kept within it.
  virtual void SetSize(int64_t size) = 0;
};

// A stream held in memory.
class TNetMemoryStream : public TNetStream {
 public:
  TNetMemoryStream() = default;
  explicit TNetMemoryStream(std::string bytes) : FData(std::move(bytes)) {}

  int64_t Read(void* buffer, int64_t n) override;
  int64_t Write(const void* buffer, int64_t n) override;
  int64_t Position() const override { return FPos; }
  void SetPosition(int64_t pos) override;
  int64_t Size() const override { return int64_t(FData.size()); }
  void SetSize(int64_t size) override;

  const std::string& DataString() const { return FData; }
  // Zeros the bytes (a form body with a password) and empties the stream.
  void Wipe();

 private:
  std::string FData;
  int64_t FPos = 0;
};

#include "net/NetTCPConnection.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <vector>

#include "core/net/SocketErrors.h"
#include "core/text/secret.h"

using namespace vpn::net;

TNetTCPConnection::TNetTCPConnection() = default;

TNetTCPConnection::~TNetTCPConnection() {
  if (FIoHandler) FIoHandler->Close();
}

void TNetTCPConnection::SetIOHandler(TNetIOHandlerSocket* handler) {
  if (handler == FIoHandler) return;
  FOwnedHandler.reset();
  FIoHandler = handler;
}

void TNetTCPConnection::PrepareHandler() {
  if (!FIoHandler) {
    FOwnedHandler = std::make_unique<TNetIOHandlerSocket>();
    FIoHandler = FOwnedHandler.get();
  } else if (FIoHandler->Connected()) {
    throw ENetAlreadyConnected();
  }
}

void TNetTCPConnection::ResetForConnect() {
  FIoHandler->Open();
  FInputBuffer.Clear();
  FClosedGracefully = false;
}

void TNetTCPConnection::Disconnect() {
  FClosedGracefully = true;
  if (FIoHandler) FIoHandler->Close();
  if (FOwnedHandler) {
    FIoHandler = nullptr;
    FOwnedHandler.reset();
  }
}

bool TNetTCPConnection::DisconnectedNow() {
  if (FClosedGracefully) {
    if (FIoHandler && FIoHandler->Connected()) FIoHandler->Close();
    return true;
  }
  return !FIoHandler || !FIoHandler->Connected();
}

void TNetTCPConnection::CheckForDisconnect(bool raiseIfDisconnected, bool ignoreBuffer) {
  if (DisconnectedNow() && raiseIfDisconnected && (FInputBuffer.Empty() || ignoreBuffer))
    throw ENetConnClosedGracefully();
}

bool TNetTCPConnection::Connected() {
  CheckForDisconnect(false);
  return FIoHandler && FIoHandler->Connected();
}

int TNetTCPConnection::ReadFromStack(bool raiseIfDisconnected, int timeoutMs, bool raiseOnTimeout) {
  if (timeoutMs == -1) timeoutMs = ReadTimeout == 0 ? NetWaitForever : ReadTimeout;
  CheckForDisconnect(raiseIfDisconnected);
  if (!(FIoHandler && FIoHandler->Connected())) {
    if (raiseIfDisconnected) throw ENetNotConnected();
    return 0;
  }
  std::vector<char> buf(size_t(std::max(RecvBufferSize, 1)));
  int count;
  do {
    if (!WaitReadable(timeoutMs)) {
      if (raiseOnTimeout) throw ENetReadTimeout();
      return -1;
    }
    count = FIoHandler->Recv(buf.data(), int(buf.size()));
    if (count == 0) {
      FClosedGracefully = true;
    } else if (count < 0) {
      int code = FIoHandler->LastError();
      if (code == kWsaEShutdown || code == kWsaEConnAborted) {
        // The socket is gone; what was already received can still be read.
        FIoHandler->Close();
        if (FInputBuffer.Empty()) TNetStack::RaiseSocketError(code);
        count = 0;
      } else {
        TNetStack::RaiseSocketError(code);
      }
    } else {
      FInputBuffer.Append(buf.data(), size_t(count));
    }
    CheckForDisconnect(raiseIfDisconnected);
  } while (count == 0 && FIoHandler && FIoHandler->Connected());
  return count;
}

bool TNetTCPConnection::WaitReadable(int timeoutMs) {
  if (!Abort) return FIoHandler->Readable(timeoutMs);
  // In short slices, so that the caller's abort is seen within one of them.
  constexpr int kSliceMs = 100;
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    if (Abort->load()) throw ENetOperationAborted();
    int slice = kSliceMs;
    if (timeoutMs != NetWaitForever) {
      const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::steady_clock::now() - start)
                              .count();
      if (waited >= timeoutMs && waited > 0) return false;
      slice = int(std::min<long long>(slice, std::max<long long>(timeoutMs - waited, 0)));
    }
    if (FIoHandler->Readable(slice)) return true;
    if (timeoutMs == 0) return false;
  }
}

std::string TNetTCPConnection::ReadLn(std::string_view terminator, int timeoutMs, int maxLength) {
  if (terminator.empty()) terminator = "\n";
  if (maxLength < 0) maxLength = MaxLineLength;
  const bool lf = terminator == "\n";
  FReadLnTimedOut = false;
  size_t searchFrom = 0;
  for (;;) {
    std::string_view buffered = FInputBuffer.View();
    size_t pos = buffered.find(terminator, searchFrom);
    if (maxLength > 0) {
      // The length of a line is what the caller gets: a CR before the LF is not counted,
      // so a line of the full length still fits when it ends in CR LF.
      size_t length;
      if (pos != std::string_view::npos)
        length = pos - ((lf && pos > 0 && buffered[pos - 1] == '\r') ? 1 : 0);
      else
        length = buffered.size() - ((lf && !buffered.empty() && buffered.back() == '\r') ? 1 : 0);
      if (length > size_t(maxLength)) {
        if (MaxLineAction == maException) throw ENetReadLnMaxLineLengthExceeded();
        return FInputBuffer.Take(size_t(maxLength));
      }
    }
    if (pos != std::string_view::npos) {
      std::string line = FInputBuffer.Take(pos + terminator.size());
      line.resize(pos);
      if (lf && !line.empty() && line.back() == '\r') line.pop_back();
      return line;
    }
    searchFrom = buffered.size() >= terminator.size() ? buffered.size() - terminator.size() + 1 : 0;
    // Once the peer's close was noticed an unterminated last line is never returned.
    CheckForDisconnect(true, true);
    int count = ReadFromStack(true, timeoutMs, timeoutMs == -1);
    if (count == -1) {
      FReadLnTimedOut = true;
      return std::string();
    }
    if (count == 0) return std::string();
  }
}

std::string TNetTCPConnection::ReadString(size_t n) {
  while (FInputBuffer.Size() < n) {
    ReadFromStack(true, -1, true);
    CheckForDisconnect(true, true);
  }
  return FInputBuffer.Take(n);
}

void TNetTCPConnection::ReadBuffer(void* buffer, size_t n) {
  std::string bytes = ReadString(n);
  std::copy(bytes.begin(), bytes.end(), static_cast<char*>(buffer));
}

void TNetTCPConnection::ReadStream(TNetStream& stream, int64_t count, bool readUntilDisconnect) {
  if (!readUntilDisconnect && count < 0) count = 0;
  struct CutAtPosition {
    TNetStream& s;
    ~CutAtPosition() { s.SetSize(s.Position()); }
  } cut{stream};
  if (!readUntilDisconnect) stream.SetSize(stream.Position() + count);

  int64_t remaining = readUntilDisconnect ? INT64_MAX : count;
  auto writeOut = [&](const std::string& bytes) {
    stream.Write(bytes.data(), int64_t(bytes.size()));
    if (!readUntilDisconnect) remaining -= int64_t(bytes.size());
  };
  writeOut(FInputBuffer.Take(size_t(std::min<int64_t>(remaining, int64_t(FInputBuffer.Size())))));

  const int64_t piece = std::max(RecvBufferSize, 1);
  while (remaining > 0 && Connected()) {
    std::string bytes;
    try {
      bytes = ReadString(size_t(std::min(remaining, piece)));
    } catch (const ENetConnClosedGracefully&) {
      if (!readUntilDisconnect) throw;
      writeOut(FInputBuffer.Take(FInputBuffer.Size()));
      break;
    }
    writeOut(bytes);
  }
  // The peer may have closed between the reads: what it sent last is still buffered.
  if (readUntilDisconnect && !FInputBuffer.Empty())
    writeOut(FInputBuffer.Take(FInputBuffer.Size()));
}

void TNetTCPConnection::Write(std::string_view bytes, bool writeNow) {
  WriteBuffer(bytes.data(), bytes.size(), writeNow);
}

void TNetTCPConnection::WriteBuffer(const void* data, size_t n, bool writeNow) {
  if (n == 0) return;
  CheckForDisconnect(true, true);
  if (!(FIoHandler && FIoHandler->Connected())) throw ENetNotConnected();
  if (FWriteBuffer && !writeNow) {
    FWriteBuffer->Append(data, n);
    if (FWriteBufferThreshold > 0 && FWriteBuffer->Size() >= size_t(FWriteBufferThreshold))
      FlushWriteBuffer();
    return;
  }
  SendNow(static_cast<const char*>(data), n);
}

void TNetTCPConnection::SendNow(const char* data, size_t n) {
  size_t sent = 0;
  while (sent < n) {
    int piece = int(std::min<size_t>(n - sent, INT_MAX / 2));
    int r = FIoHandler->Send(data + sent, piece);
    if (r < 0) {
      int code = FIoHandler->LastError();
      if (code == kWsaEShutdown || code == kWsaEConnAborted || code == kWsaEConnReset)
        FIoHandler->Close();
      TNetStack::RaiseSocketError(code);
    }
    if (r == 0) FClosedGracefully = true;
    CheckForDisconnect(true, false);
    sent += size_t(r);
  }
}

void TNetTCPConnection::WriteLn(std::string_view text) {
  std::string line(text);
  line += "\r\n";
  Write(line);
}

void TNetTCPConnection::WriteStream(TNetStream& stream) {
  stream.SetPosition(0);
  int64_t remaining = stream.Size();
  std::vector<char> buf(size_t(std::max(SendBufferSize, 1)));
  // A body may carry a password: the piece buffer is wiped however the sending ends.
  const vpn::WipeOnExit wipe(buf);
  while (remaining > 0) {
    int64_t want = std::min<int64_t>(remaining, int64_t(buf.size()));
    int64_t got = stream.Read(buf.data(), want);
    if (got <= 0) throw ENetNoDataToRead();
    WriteBuffer(buf.data(), size_t(got));
    remaining -= got;
  }
}

void TNetTCPConnection::OpenWriteBuffer(int threshold) {
  FWriteBuffer = std::make_unique<ByteQueue>();
  FWriteBufferThreshold = threshold;
}

void TNetTCPConnection::FlushWriteBuffer() {
  if (!FWriteBuffer || FWriteBuffer->Empty()) return;
  std::string bytes = FWriteBuffer->Take(FWriteBuffer->Size());
  WriteBuffer(bytes.data(), bytes.size(), true);
}

void TNetTCPConnection::CloseWriteBuffer() {
  struct Drop {
    std::unique_ptr<ByteQueue>& b;
    ~Drop() { b.reset(); }
  } drop{FWriteBuffer};
  FlushWriteBuffer();
}

void TNetTCPConnection::ClearWriteBuffer() {
  if (FWriteBuffer) FWriteBuffer->Clear();
}

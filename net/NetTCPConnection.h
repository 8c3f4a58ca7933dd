// A blocking TCP connection with an input buffer, the layer under the HTTP client.
//
// Reading: ReadLn (a line ended by LF or CR LF; a bare CR does not end it), ReadString /
// ReadBuffer (exactly N bytes), ReadStream (N bytes, or everything until the peer
// closes), ReadFromStack (one receive into the input buffer; also used to poll).
// Writing: Write / WriteLn (the text and CR LF) / WriteStream; between OpenWriteBuffer and
// CloseWriteBuffer writes are collected and sent when the threshold is reached or on
// close (FlushWriteBuffer sends what is collected so far).
// All calls block the calling thread. Failures raise ENet... exceptions
// (core/net/NetExceptions.h); socket failures raise ENetSocketError whose Code is the
// Windows Sockets number. After the peer closed, the input buffer can still be read
// empty; then reads raise ENetConnClosedGracefully ("Connection Closed Gracefully.").
//
// The connection is made by TNetTCPClient (net/NetTCPClient.h), which holds Host and Port.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/net/ByteQueue.h"
#include "core/net/Stream.h"
#include "net/NetIOHandlerSocket.h"
#include "net/NetStack.h"

enum TNetMaxLineAction { maException, maSplit };

class TNetTCPConnection {
 public:
  TNetTCPConnection();
  virtual ~TNetTCPConnection();
  TNetTCPConnection(const TNetTCPConnection&) = delete;
  TNetTCPConnection& operator=(const TNetTCPConnection&) = delete;

  // --- settings ---
  int ReadTimeout = 0;        // ms to wait for incoming data; 0 = no limit
  int MaxLineLength = 16384;  // longest line ReadLn accepts; 0 = no limit
  TNetMaxLineAction MaxLineAction = maException;
  int RecvBufferSize = 32768;  // largest single receive
  int SendBufferSize = 32768;  // piece size of WriteStream
  // Set by a caller on another thread that gives up on the connection: every wait (the
  // connect, each read) then ends within a fraction of a second with
  // ENetOperationAborted. Null: waits end only by their limits.
  const std::atomic<bool>* Abort = nullptr;

  // The I/O handler; without one, Connect creates one that the connection owns and frees
  // at Disconnect. A handler set here stays the caller's.
  TNetIOHandlerSocket* IOHandler() const { return FIoHandler; }
  void SetIOHandler(TNetIOHandlerSocket* handler);

  // Sets the closed-gracefully flag, closes the socket, frees an owned handler.
  virtual void Disconnect();
  // An I/O handler exists and its socket is open (after the disconnect check).
  bool Connected();
  // When the connection is closed (or the peer's close was seen, which closes the socket
  // here too) and raiseIfDisconnected is set, raises ENetConnClosedGracefully, unless
  // the input buffer still holds bytes and ignoreBuffer is not set.
  void CheckForDisconnect(bool raiseIfDisconnected = true, bool ignoreBuffer = false);
  bool ClosedGracefully() const { return FClosedGracefully; }

  // One receive into the input buffer. timeoutMs -1 = ReadTimeout. Returns the byte
  // count, 0 when the connection closed (and !raiseIfDisconnected or bytes remain
  // buffered), -1 on time-out when !raiseOnTimeout.
  int ReadFromStack(bool raiseIfDisconnected = true, int timeoutMs = -1,
                    bool raiseOnTimeout = true);

  // A line without its terminator. maxLength -1 = MaxLineLength. A time-out raises
  // ENetReadTimeout when timeoutMs is -1; with an explicit limit it returns "" and sets
  // ReadLnTimedOut(). A close by the peer while an unfinished line is buffered returns ""
  // once; the next ReadLn raises ENetConnClosedGracefully.
  std::string ReadLn(std::string_view terminator = "\n", int timeoutMs = -1, int maxLength = -1);
  bool ReadLnTimedOut() const { return FReadLnTimedOut; }
  // Exactly n bytes.
  std::string ReadString(size_t n);
  void ReadBuffer(void* buffer, size_t n);
  // count >= 0: exactly count bytes into the stream at its position; a close before that
  // raises ENetConnClosedGracefully. readUntilDisconnect: everything until the peer closes.
  // The stream is cut at its final position either way.
  void ReadStream(TNetStream& stream, int64_t count = -1, bool readUntilDisconnect = false);

  void Write(std::string_view bytes, bool writeNow = false);
  void WriteBuffer(const void* data, size_t n, bool writeNow = false);
  void WriteLn(std::string_view text = {});
  // The whole stream from its start, in pieces of SendBufferSize; ENetNoDataToRead when
  // the stream yields nothing before its end.
  void WriteStream(TNetStream& stream);
  // threshold -1 = never send by size.
  void OpenWriteBuffer(int threshold = -1);
  void FlushWriteBuffer();
  void CloseWriteBuffer();
  void ClearWriteBuffer();
  bool WriteBuffering() const { return FWriteBuffer != nullptr; }

  vpn::net::ByteQueue& InputBuffer() { return FInputBuffer; }

 protected:
  // Creates the owned handler when none is set; ENetAlreadyConnected when connected.
  void PrepareHandler();
  // Opens the handler and clears the read state before a connect.
  void ResetForConnect();

  TNetStackUser FStackUser;
  TNetIOHandlerSocket* FIoHandler = nullptr;
  std::unique_ptr<TNetIOHandlerSocket> FOwnedHandler;
  vpn::net::ByteQueue FInputBuffer;
  std::unique_ptr<vpn::net::ByteQueue> FWriteBuffer;
  int FWriteBufferThreshold = -1;
  bool FClosedGracefully = false;
  bool FReadLnTimedOut = false;

 private:
  void SendNow(const char* data, size_t n);
  bool DisconnectedNow();
  // Readable within timeoutMs (NetWaitForever: no limit), watching Abort meanwhile.
  bool WaitReadable(int timeoutMs);
};

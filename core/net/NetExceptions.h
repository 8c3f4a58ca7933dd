// The network layer's exceptions. Every failure of a socket, a connection or a ping is
// raised as one of these; the application's default handler shows the message. The
// messages are the program's fixed English texts.
#pragma once

#include <string>

#include "core/text/Exception.h"

class ENetException : public Exception {
 public:
  using Exception::Exception;
};

// A failed socket call: "Socket Error # <code>\r\n<text>"; Code is the Windows Sockets
// number (other systems map their conditions onto those numbers).
class ENetSocketError : public ENetException {
 public:
  ENetSocketError(int code, std::string message) : ENetException(std::move(message)), Code(code) {}
  int Code;
};

#define VPN_NET_EXCEPTION(Name, Text)                                         \
  class Name : public ENetException {                                         \
   public:                                                                    \
    Name() : ENetException(Text) {}                                           \
    explicit Name(std::string message) : ENetException(std::move(message)) {} \
  }

VPN_NET_EXCEPTION(ENetInvalidSocket, "Cannot allocate socket.");
VPN_NET_EXCEPTION(ENetCouldNotBindSocket,
                  "Could not bind socket. Address and port are already in use.");
VPN_NET_EXCEPTION(ENetAlreadyConnected, "Already connected.");
VPN_NET_EXCEPTION(ENetConnectTimeout, "Connect timed out.");
VPN_NET_EXCEPTION(ENetNotConnected, "Not Connected");
VPN_NET_EXCEPTION(ENetConnClosedGracefully, "Connection Closed Gracefully.");
VPN_NET_EXCEPTION(ENetClosedSocket, "Disconnected.");
VPN_NET_EXCEPTION(ENetReadTimeout, "Read Timeout");
// The caller gave up on the connection (its abort flag was set) while it waited.
VPN_NET_EXCEPTION(ENetOperationAborted, "Operation aborted.");
// A reply larger than the caller accepts.
VPN_NET_EXCEPTION(ENetReplyTooLarge, "Reply too large.");
VPN_NET_EXCEPTION(ENetReadLnMaxLineLengthExceeded, "Max line length exceeded.");
VPN_NET_EXCEPTION(ENetNoDataToRead, "No data to read.");
VPN_NET_EXCEPTION(ENetStackSetSizeExceeded, "Set Size Exceeded.");
VPN_NET_EXCEPTION(ENetPackageSizeTooBig, "Package Size Too Big.");
VPN_NET_EXCEPTION(ENetNotAllBytesSent, "Not all bytes sent.");
VPN_NET_EXCEPTION(ENetStackInitializationFailed, "Winsock Initialization Error.");
// Raised by the echo client for a datagram it cannot take apart; the message says why.
VPN_NET_EXCEPTION(ENetIcmpException, "ICMP error");

#undef VPN_NET_EXCEPTION

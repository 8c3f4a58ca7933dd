// Texts of the Windows Sockets error numbers, and the message of a socket error.
#pragma once

#include <string>

namespace vpn::net {

// Windows Sockets error numbers the network layer tests for by number.
constexpr int kWsaEIntr = 10004;
constexpr int kWsaEAcces = 10013;
constexpr int kWsaEInval = 10022;
constexpr int kWsaEWouldBlock = 10035;
constexpr int kWsaEMsgSize = 10040;
constexpr int kWsaEConnAborted = 10053;
constexpr int kWsaEConnReset = 10054;
constexpr int kWsaENotConn = 10057;
constexpr int kWsaEShutdown = 10058;
constexpr int kWsaETimedOut = 10060;
constexpr int kWsaEConnRefused = 10061;
constexpr int kWsaHostNotFound = 11001;

// The English text for a code; empty for codes the table does not know.
const char* SocketErrorText(int code);

// "Socket Error # <code>\r\n<text>".
std::string SocketErrorMessage(int code);

}  // namespace vpn::net

// The English texts the system gives for the common remote-access error codes, and for the
// IKE and certificate errors of the encrypting tunnel types.
#include "rassim/rassim.h"

namespace rassim {

namespace {

struct Text {
  std::uint32_t code;
  const char* text;
};

constexpr Text kTexts[] = {
    {600, "An operation is pending."},
    {601, "The port handle is invalid."},
    {602, "The port is already open."},
    {603, "Caller's buffer is too small."},
    {604, "Wrong information specified."},
    {606, "The port is not connected."},
    {608, "The device does not exist."},
    {610, "The buffer is invalid."},
    {615, "The port was not found."},
    {617, "The port or device is already disconnecting."},
    {618, "The port is not open."},
    {619,
     "A connection to the remote computer could not be established, so the port used for this "
     "connection was closed."},
    {621, "The system could not open the phone book file."},
    {622, "The system could not load the phone book file."},
    {623, "The system could not find the phone book entry for this connection."},
    {624, "The system could not update the phone book file."},
    {625, "The system found invalid information in the phone book file."},
    {628, "The connection was terminated by the remote computer before it could be completed."},
    {629, "The connection was closed by the remote computer."},
    {631, "The connection was terminated by the user."},
    {632, "The structure size is incorrect."},
    {633,
     "The modem (or other connecting device) is already in use or is not configured properly."},
    {638, "The request has timed out."},
    {645, "Internal authentication error."},
    {646, "The account is not permitted to log on at this time of day."},
    {647, "The account is disabled."},
    {648, "The password for this account has expired."},
    {649, "The account does not have permission to dial in."},
    {650, "The remote access server is not responding."},
    {651, "The modem (or other connecting device) has reported an error."},
    {668, "The connection was terminated."},
    {676, "The phone line is busy."},
    {678, "There was no answer."},
    {680, "There was no dial tone."},
    {691, "Access was denied because the username and/or password was invalid on the domain."},
    {718,
     "The connection was terminated because the remote computer did not respond in a timely "
     "manner."},
    {720,
     "A connection to the remote computer could not be established. You might need to change "
     "the network settings for this connection."},
    {721, "The remote computer did not respond."},
    {734, "The PPP link control protocol was terminated."},
    {735, "The requested address was rejected by the server."},
    {738, "The server did not assign an address."},
    {741, "The local computer does not support the required data encryption type."},
    {742, "The remote computer does not support the required data encryption type."},
    {769, "The specified destination is not reachable."},
    {778, "It was not possible to verify the identity of the server."},
    {789,
     "The L2TP connection attempt failed because the security layer encountered a processing "
     "error during initial negotiations with the remote computer."},
    {792, "The L2TP connection attempt failed because security negotiation timed out."},
    {800,
     "Unable to establish the VPN connection. The VPN server may be unreachable, or security "
     "parameters may not be configured properly for this connection."},
    {809,
     "A network connection between your computer and the VPN server could not be established "
     "because the remote server is not responding."},
    {806,
     "A connection between your computer and the VPN server has been started, but the VPN "
     "connection cannot be completed."},
    {812, "The connection was prevented because of a policy configured on your RAS/VPN server."},
    {13801, "IKE authentication credentials are unacceptable."},
    {13806, "IKE failed to find valid machine certificate."},
    {13868, "Policy match error."},
    {0x800B0109,
     "A certificate chain processed, but terminated in a root certificate which is not trusted "
     "by the trust provider."},
    {868,
     "The remote connection was not made because the name of the remote access server did not "
     "resolve."},
};

}  // namespace

const char* ErrorText(std::uint32_t code) {
  for (const auto& t : kTexts) {
    if (t.code == code) return t.text;
  }
  return nullptr;
}

}  // namespace rassim

// Reading a reply body from a connection: by length, in chunks, or until the close.
#pragma once

#include <cstdint>
#include <string>

#include "core/http/HttpText.h"

namespace vpn {

// The connection as the body reader uses it. The network layer implements it over a
// TCP connection; tests and fuzzers over bytes in memory.
class HttpReplySource {
 public:
  virtual ~HttpReplySource() = default;
  // A line ended by LF, without the LF and a CR before it. Raises when the peer has
  // closed and nothing is left.
  virtual std::string ReadLine() = 0;
  // Appends exactly n bytes; raises when the peer closes first.
  virtual void ReadExactly(std::string& out, int64_t n) = 0;
  // Appends up to n bytes; a close before n bytes is no error and returns false.
  virtual bool ReadAtMost(std::string& out, int64_t n) = 0;
  // Appends everything until the peer closes.
  virtual void ReadUntilClose(std::string& out) = 0;
};

// Appends the body that the reply `head` announces to `out`: Content-Length bytes
// (fewer when the server closes early), chunked coding, or everything until the close
// when neither is given. A Content-Length of 0 or less reads nothing.
// With `max_body` 0 or more, a body longer than that raises ENetReplyTooLarge as soon as
// that is known (an announced length at once, before anything is read): a server that
// sends for ever cannot make the program's memory grow for ever.
void ReadReplyBody(HttpReplySource& source, const HttpReplyHead& head, std::string& out,
                   int64_t max_body = -1);

// The chunked coding alone: chunk lines, chunk data, the line after each chunk, and the
// line after the last (0) chunk. Trailer headers are not read. `max_body` as above.
void ReadChunkedBody(HttpReplySource& source, std::string& out, int64_t max_body = -1);

}  // namespace vpn

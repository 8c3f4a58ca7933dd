#include "core/http/HttpBody.h"

#include "core/net/NetExceptions.h"

namespace vpn {

namespace {

// Whether `more` bytes after the `so_far` already read would pass the limit.
bool OverLimit(int64_t max_body, int64_t so_far, int64_t more) {
  return max_body >= 0 && (more > max_body || so_far > max_body - more);
}

}  // namespace

void ReadChunkedBody(HttpReplySource& source, std::string& out, int64_t max_body) {
  const int64_t start = int64_t(out.size());
  int64_t size = ParseChunkSize(source.ReadLine());
  while (size > 0) {
    if (OverLimit(max_body, int64_t(out.size()) - start, size)) throw ENetReplyTooLarge();
    source.ReadExactly(out, size);
    source.ReadLine();  // the end of the chunk's data
    size = ParseChunkSize(source.ReadLine());
  }
  source.ReadLine();  // the empty line after the last chunk
}

void ReadReplyBody(HttpReplySource& source, const HttpReplyHead& head, std::string& out,
                   int64_t max_body) {
  if (head.HasContentLength && head.ContentLength > 0) {
    if (OverLimit(max_body, 0, head.ContentLength)) throw ENetReplyTooLarge();
    source.ReadAtMost(out, head.ContentLength);
  } else if (head.TransferEncoding.find("chunked") != std::string::npos) {
    ReadChunkedBody(source, out, max_body);
  } else if (!head.HasContentLength) {
    if (max_body < 0) {
      source.ReadUntilClose(out);
    } else if (source.ReadAtMost(out, max_body + 1)) {
      // One byte more than allowed came before the close.
      throw ENetReplyTooLarge();
    }
  }
}

}  // namespace vpn

#include "core/http/HttpBody.h"

namespace vpn {

void ReadChunkedBody(HttpReplySource& source, std::string& out) {
  int64_t size = ParseChunkSize(source.ReadLine());
  while (size > 0) {
    source.ReadExactly(out, size);
    source.ReadLine();  // the end of the chunk's data
    size = ParseChunkSize(source.ReadLine());
  }
  source.ReadLine();  // the empty line after the last chunk
}

void ReadReplyBody(HttpReplySource& source, const HttpReplyHead& head, std::string& out) {
  if (head.HasContentLength && head.ContentLength > 0) {
    source.ReadAtMost(out, head.ContentLength);
  } else if (head.TransferEncoding.find("chunked") != std::string::npos) {
    ReadChunkedBody(source, out);
  } else if (!head.HasContentLength) {
    source.ReadUntilClose(out);
  }
}

}  // namespace vpn

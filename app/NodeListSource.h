// Where the service's node list comes from: the service's address (NodeListAddress, from
// service.ini or the build), fetched with the program's own HTTP client on a thread of its
// own, and the last good copy, kept in the user's local application-data folder for a
// start on which the service cannot be reached.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/speedtest/NodeList.h"
#include "net/NetWorker.h"

// How long a fetch may take and how much it takes: the list is a few kilobytes, and a
// server that never answers or never stops must not keep the fetch going.
struct TNodeListLimits {
  int ConnectTimeoutMs = 10000;
  int ReadTimeoutMs = 15000;
  int TotalTimeoutMs = 20000;
  int64_t MaxBytes = vpn::speedtest::kMaxNodeListBytes;
};

enum TNodeListFetchResult {
  nfFetched,      // Body holds the reply
  nfFailed,       // no reply (connect, time-out, an error status, given up)
  nfTooLarge,     // the reply passed MaxBytes
  nfUnsupported,  // an https:// address: the program's HTTP client has no TLS
};

// One fetch on a worker thread; `ended` runs on that thread when its result is final.
class TNodeListFetch {
 public:
  TNodeListFetch(std::string Url, TNodeListLimits Limits, std::function<void()> Ended);
  bool Ended() const { return FWorker->Ended(); }
  void Stop() { FWorker->Stop(); }
  // Final once Ended; a fetch that was stopped counts as failed.
  TNodeListFetchResult Result() const;
  const std::string& Body() const;

 private:
  struct TShared;
  std::shared_ptr<TShared> FShared;
  std::unique_ptr<TNetWorker> FWorker;
};

// The file that keeps the last good list: "nodelist.ini" in the vpnclient folder of the
// user's local application data. Its first line names the address it came from.
std::wstring KeptNodeListFile();
// The kept copy of the list of `Address` (the bytes as fetched), or nothing when there is
// none or the one there came from another address.
std::optional<std::string> LoadKeptNodeList(const std::string& Address);
// Keeps a good list in place of the one before (written aside first, then moved over it,
// so that a failed write leaves the old copy whole). False when it could not be kept.
bool KeepNodeList(const std::string& Address, const std::string& Bytes);

// The list as the program's text: a UTF-8 list (with or without its byte-order mark)
// becomes GBK; anything else is taken to be GBK already.
std::string NodeListText(const std::string& Bytes);

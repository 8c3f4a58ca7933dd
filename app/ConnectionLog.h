// The connection log: entries the main window adds as the connection goes (its states,
// the status texts, errors with their advice, sleep and wake) are appended to
// connection.log in the program's folder under the user's local application data. The
// window's thread only formats and queues an entry; a writer thread of its own does the
// file work, so that no dial waits for the disk. The file never passes its limit
// (core/app/connection_log.h) and never holds a password or key: nobody hands it one.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "core/app/connection_log.h"

class TConnectionLog {
 public:
  // An empty path: the default one, found by the writer at its first write.
  explicit TConnectionLog(std::wstring path = {}, std::size_t limit = vpn::app::kLogLimitBytes);
  ~TConnectionLog();  // writes what waits, then ends the writer
  TConnectionLog(const TConnectionLog&) = delete;
  TConnectionLog& operator=(const TConnectionLog&) = delete;

  // <local application data>\vpnclient\connection.log; empty when the system has no such
  // folder.
  static std::wstring DefaultPath();
  // The file this log writes (the default one looked up when none was given).
  std::wstring Path();

  // Starts the writer thread now (it starts with the first entry otherwise).
  void Start();
  // Adds an entry stamped with the local time now; returns its line (GBK, with its line
  // break) as the file will hold it.
  std::string Add(vpn::app::LogKind kind, std::string_view text);
  // Waits up to `ms` until everything added so far is in the file; false on time-out.
  bool Flush(DWORD ms = 3000);

 private:
  void Writer();
  static void Write(const std::wstring& path, std::size_t limit, const std::string& utf8);

  std::wstring FPath;
  std::size_t FLimit;
  std::mutex FLock;
  std::condition_variable FWake, FDone;
  std::string FPending;  // GBK lines not yet handed to the writer
  bool FWriting = false, FStop = false;
  std::thread FThread;
};

// The whole file as the log window shows it (GBK); empty when there is none.
std::string ReadConnectionLog(const std::wstring& path);

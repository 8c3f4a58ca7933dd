// Test support: a private scenario, journal and phonebook of the simulated remote-access
// service for each test, the journal read back, and the loader's helper process.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "tests/support/wait_until.h"

struct JournalLine {
  std::string event;
  std::map<std::string, std::string> fields;
  std::string Text(const std::string& key) const;  // unescaped text field
  std::string Record() const;                      // the record bytes
  unsigned long long Number(const std::string& key) const;
};

class RassimTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Replaces the scenario; `service` lines go into [service], plus the demo account.
  void Scenario(const std::string& service, const std::string& extra = {});
  std::vector<JournalLine> Journal() const;
  std::vector<JournalLine> Journal(const std::string& event) const;
  void ClearJournal() const;

  std::wstring folder_;
};

// A unix path of the build as Wine sees it.
std::wstring WinePath(const std::string& unix_path);

// Starts `exe` in `folder` with WINEDLLOVERRIDES set to `overrides` and returns what it
// printed.
std::string RunProcess(const std::wstring& exe, const std::wstring& args,
                       const std::wstring& folder, const std::wstring& overrides);

// Pumps window messages until `done` is true or `ms` have passed.
template <class F>
bool WaitFor(F done, DWORD ms) {
  return testwait::WaitUntil(done, ms, true, 1);
}

// Functions of system libraries bound at their first call.
#include <gtest/gtest.h>
#include <windows.h>

#include "framework/SystemLibrary.h"

namespace {

TEST(SystemLibrary, LoadsTheLibraryAtTheFirstCallAndCallsTheFunctionItFinds) {
  // A system library this test program does not import.
  const wchar_t* kName = L"mpr.dll";
  ASSERT_EQ(GetModuleHandleW(kName), nullptr) << "the test needs a library not yet loaded";
  TSystemLibrary library(kName);
  TSystemFunction<decltype(&::WNetGetLastErrorW)> lastError(library, "WNetGetLastErrorW");
  EXPECT_EQ(GetModuleHandleW(kName), nullptr) << "declaring a function loads nothing";
  ASSERT_TRUE(lastError.Available());
  EXPECT_NE(GetModuleHandleW(kName), nullptr);
  EXPECT_EQ(library.Module(), GetModuleHandleW(kName));

  // A typed call goes to the system's function with its arguments and result.
  TSystemLibrary kernel(L"kernel32.dll");
  TSystemFunction<decltype(&::lstrlenW)> length(kernel, "lstrlenW");
  EXPECT_EQ(length(L"connect"), 7);
}

TEST(SystemLibrary, AMissingFunctionOrLibraryIsReportedByName) {
  TSystemLibrary kernel(L"kernel32.dll");
  TSystemFunction<decltype(&::lstrlenW)> missing(kernel, "NoSuchFunctionHere");
  EXPECT_FALSE(missing.Available());
  try {
    missing(L"x");
    ADD_FAILURE() << "a missing function was called";
  } catch (const std::exception& e) {
    EXPECT_STREQ(e.what(), "Function NoSuchFunctionHere not found in kernel32.dll!");
  }

  TSystemLibrary absent(L"no-such-library-here.dll");
  TSystemFunction<decltype(&::lstrlenW)> inAbsent(absent, "lstrlenW");
  EXPECT_EQ(absent.Module(), nullptr);
  EXPECT_FALSE(inAbsent.Available());
  EXPECT_THROW(inAbsent(L"x"), std::exception);
}

}  // namespace

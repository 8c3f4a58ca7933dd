#include "framework/Gbk.h"

#include <windows.h>

namespace {
constexpr UINT kGbk = 936;
}

std::wstring GbkToWide(std::string_view text) {
  if (text.empty()) return {};
  int n = MultiByteToWideChar(kGbk, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(kGbk, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

std::string WideToGbk(std::wstring_view text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(kGbk, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(kGbk, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

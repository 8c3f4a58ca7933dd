#include "app/UserProtection.h"

#include <windows.h>
// after <windows.h>, which it needs
#include <wincrypt.h>

#include <cstring>

#include "core/text/secret.h"
#include "framework/Gbk.h"
#include "framework/Handles.h"
#include "framework/SystemLibrary.h"

namespace {

DATA_BLOB Blob(const void* data, size_t size) {
  return {static_cast<DWORD>(size), static_cast<BYTE*>(const_cast<void*>(data))};
}

// The system shows nothing while protecting or unprotecting: a settings load or save
// must never wait for a prompt.
constexpr DWORD kFlags = CRYPTPROTECT_UI_FORBIDDEN;

// Loaded with the first password protected or read back; a system without it protects
// nothing, as when the call itself fails.
TSystemLibrary Crypt(L"crypt32.dll");
TSystemFunction<decltype(&::CryptProtectData)> CryptProtectDataFn(Crypt, "CryptProtectData");
TSystemFunction<decltype(&::CryptUnprotectData)> CryptUnprotectDataFn(Crypt, "CryptUnprotectData");

}  // namespace

std::optional<std::vector<unsigned char>> ProtectForUser(std::string_view text,
                                                         std::string_view entropy) {
  std::wstring wide = GbkToWide(text);
  // The clear text's Unicode copy is wiped however the protection ends.
  const vpn::WipeOnExit wipe(wide);
  DATA_BLOB in = Blob(wide.data(), wide.size() * sizeof(wchar_t));
  DATA_BLOB salt = Blob(entropy.data(), entropy.size());
  DATA_BLOB out{};
  if (!CryptProtectDataFn.Available() ||
      !CryptProtectDataFn(&in, nullptr, &salt, nullptr, nullptr, kFlags, &out))
    return std::nullopt;
  TLocalMemory free_out(out.pbData);
  return std::vector<unsigned char>(out.pbData, out.pbData + out.cbData);
}

std::optional<std::string> UnprotectForUser(const std::vector<unsigned char>& data,
                                            std::string_view entropy) {
  if (data.empty()) return std::nullopt;
  DATA_BLOB in = Blob(data.data(), data.size());
  DATA_BLOB salt = Blob(entropy.data(), entropy.size());
  DATA_BLOB out{};
  if (!CryptUnprotectDataFn.Available() ||
      !CryptUnprotectDataFn(&in, nullptr, &salt, nullptr, nullptr, kFlags, &out))
    return std::nullopt;
  TLocalMemory free_out(out.pbData);
  // The clear bytes and their copy are wiped on every way out, the refusals included.
  struct TWipeOut {
    DATA_BLOB& o;
    ~TWipeOut() { SecureZeroMemory(o.pbData, o.cbData); }
  } wipe_out{out};
  // What this program protects is whole UTF-16 text; anything else was not ours.
  if (out.cbData % sizeof(wchar_t) != 0) return std::nullopt;
  std::wstring wide(out.cbData / sizeof(wchar_t), L'\0');
  const vpn::WipeOnExit wipe_wide(wide);
  if (out.cbData) std::memcpy(wide.data(), out.pbData, out.cbData);
  if (wide.find(L'\0') != std::wstring::npos) return std::nullopt;
  return WideToGbk(wide);
}

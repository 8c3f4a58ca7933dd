#include "core/rassim/sim_text.h"

#include "core/text/text.h"

namespace vpn::rassim {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

constexpr char kHex[] = "0123456789ABCDEF";

}  // namespace

Ini ParseIni(std::string_view text) {
  Ini ini;
  std::string section;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string line = vpn::Trim(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line.front() == '[') {
      const std::size_t close = line.rfind(']');
      if (close == std::string::npos || close == 0) continue;
      section = vpn::Trim(std::string_view(line).substr(1, close - 1));
      ini[section];
      continue;
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = vpn::Trim(std::string_view(line).substr(0, eq));
    if (key.empty()) continue;
    ini[section][key] = vpn::Trim(std::string_view(line).substr(eq + 1));
  }
  return ini;
}

std::string IniString(const Ini& ini, const std::string& section, const std::string& key,
                      const std::string& fallback) {
  const auto s = ini.find(section);
  if (s == ini.end()) return fallback;
  const auto k = s->second.find(key);
  return k == s->second.end() ? fallback : k->second;
}

std::int64_t IniNumber(const Ini& ini, const std::string& section, const std::string& key,
                       std::int64_t fallback) {
  const std::string v = IniString(ini, section, key);
  if (v.empty()) return fallback;
  std::size_t i = 0;
  bool negative = false;
  if (v[0] == '-') {
    negative = true;
    i = 1;
  }
  int base = 10;
  if (v.size() > i + 1 && v[i] == '0' && (v[i + 1] == 'x' || v[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= v.size() || v.size() - i > 16) return fallback;
  std::int64_t n = 0;
  for (; i < v.size(); ++i) {
    const int d = HexDigit(v[i]);
    if (d < 0 || d >= base) return fallback;
    n = n * base + d;
  }
  return negative ? -n : n;
}

std::string FormatIni(const Ini& ini) {
  std::string out;
  for (const auto& [name, keys] : ini) {
    if (!name.empty() || keys.empty()) out += "[" + name + "]\r\n";
    for (const auto& [k, v] : keys) out += k + "=" + v + "\r\n";
  }
  return out;
}

std::string HexEncode(const void* data, std::size_t size) {
  const auto* p = static_cast<const unsigned char*>(data);
  std::string out;
  out.reserve(size * 2);
  for (std::size_t i = 0; i < size; ++i) {
    out += kHex[p[i] >> 4];
    out += kHex[p[i] & 15];
  }
  return out;
}

std::string HexEncode(std::string_view bytes) {
  return HexEncode(bytes.data(), bytes.size());
}

std::optional<std::string> HexDecode(std::string_view hex) {
  if (hex.size() % 2 != 0) return std::nullopt;
  std::string out;
  out.reserve(hex.size() / 2);
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int hi = HexDigit(hex[i]), lo = HexDigit(hex[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out += static_cast<char>(hi * 16 + lo);
  }
  return out;
}

std::string EscapeToken(std::string_view text) {
  if (text.empty()) return "%";
  std::string out;
  for (unsigned char c : text) {
    if (c > ' ' && c < 0x7F && c != '%' && c != '=') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::optional<std::string> UnescapeToken(std::string_view token) {
  if (token == "%") return std::string();
  std::string out;
  for (std::size_t i = 0; i < token.size(); ++i) {
    if (token[i] != '%') {
      out += token[i];
      continue;
    }
    if (token.size() - i < 3) return std::nullopt;
    const int hi = HexDigit(token[i + 1]), lo = HexDigit(token[i + 2]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return out;
}

}  // namespace vpn::rassim

// Text formats of the simulated remote-access service (rassim): its scenario and
// phonebook files (a small INI dialect) and the encodings of its journal lines. Kept
// here, away from Windows, so that they are tested and fuzzed natively.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vpn::rassim {

// Sections of key/value pairs. Lines are "[section]", "key=value", blank, or comments
// starting with ';' or '#'. Section names, keys and values lose their surrounding
// blanks; keys before the first section belong to the section "". A later key
// replaces an earlier one of the same section; a repeated section adds to the first.
using IniSection = std::map<std::string, std::string>;
using Ini = std::map<std::string, IniSection>;

Ini ParseIni(std::string_view text);

// The value of a key, or `fallback` when the section or key is missing.
std::string IniString(const Ini& ini, const std::string& section, const std::string& key,
                      const std::string& fallback = {});
// A decimal (or 0x-prefixed hexadecimal) number; `fallback` when missing or malformed.
std::int64_t IniNumber(const Ini& ini, const std::string& section, const std::string& key,
                       std::int64_t fallback);

// Writes sections and keys back in the same dialect (values must not hold line breaks).
std::string FormatIni(const Ini& ini);

// Bytes as upper-case hexadecimal pairs, and back (nullopt on odd length or a non-hex
// character).
std::string HexEncode(const void* data, std::size_t size);
std::string HexEncode(std::string_view bytes);
std::optional<std::string> HexDecode(std::string_view hex);

// Text as one journal token: bytes outside '!'..'~' and the characters '%' and '='
// become %XX; the empty text is written as "%".
std::string EscapeToken(std::string_view text);
std::optional<std::string> UnescapeToken(std::string_view token);

}  // namespace vpn::rassim

// The skin's settings text read the way the system's profile functions read an INI
// file: sections in square brackets, "key=value" lines, names compared without regard
// to ASCII case, the first section and the first key of a name win, values trimmed and
// cut at 2047 characters, a value in matching quotes loses them. Lines starting with
// ';' are comments.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vpn::skin {

class IniText {
 public:
  static constexpr size_t MaxValue = 2047;
  // The section-name list of the profile functions is one 16 384-byte read: names that
  // do not fit into it are not listed (they can still be read by name).
  static constexpr size_t SectionListBytes = 16384;

  explicit IniText(std::string_view text);

  // Section names in file order, as far as they fit into the one read.
  std::vector<std::string> SectionNames() const;
  bool HasSection(std::string_view section) const;

  std::optional<std::string> Find(std::string_view section, std::string_view key) const;
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view def = {}) const;
  // Decimal, or hexadecimal after "0x" or "$", with an optional sign; anything else
  // (including a number that does not fit 32 bits) gives def.
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;

 private:
  struct Entry {
    std::string key, value;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };
  const Section* FindSection(std::string_view name) const;
  std::vector<Section> sections_;
};

// The integer rule of ReadInteger on a bare text.
std::optional<int32_t> ParseInteger(std::string_view text);

}  // namespace vpn::skin

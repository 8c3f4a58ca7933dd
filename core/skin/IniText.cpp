#include "core/skin/IniText.h"

#include "core/text/text.h"

namespace vpn::skin {

namespace {

// Blanks and tabs around names and values; profile files keep other control
// characters.
std::string_view TrimBlanks(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
  return s.substr(b, e - b);
}

}  // namespace

IniText::IniText(std::string_view text) {
  Section* current = nullptr;  // keys before the first section belong to none
  size_t i = 0;
  while (i < text.size()) {
    size_t e = text.find_first_of("\r\n", i);
    if (e == std::string_view::npos) e = text.size();
    std::string_view line = TrimBlanks(text.substr(i, e - i));
    i = e;
    while (i < text.size() && (text[i] == '\r' || text[i] == '\n')) ++i;
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      const size_t close = line.find(']', 1);
      std::string_view name =
          TrimBlanks(close == std::string_view::npos ? line.substr(1) : line.substr(1, close - 1));
      sections_.push_back({std::string(name), {}});
      current = &sections_.back();
      continue;
    }
    if (!current) continue;
    const size_t eq = line.find('=');
    std::string_view key = TrimBlanks(eq == std::string_view::npos ? line : line.substr(0, eq));
    std::string_view value =
        eq == std::string_view::npos ? std::string_view{} : TrimBlanks(line.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    if (value.size() > MaxValue) value = value.substr(0, MaxValue);
    current->entries.push_back({std::string(key), std::string(value)});
  }
}

std::vector<std::string> IniText::SectionNames() const {
  std::vector<std::string> names;
  size_t used = 1;  // the list ends with a second NUL
  for (const Section& s : sections_) {
    if (used + s.name.size() + 1 > SectionListBytes) break;
    used += s.name.size() + 1;
    names.push_back(s.name);
  }
  return names;
}

const IniText::Section* IniText::FindSection(std::string_view name) const {
  for (const Section& s : sections_)
    if (SameTextAscii(s.name, name)) return &s;
  return nullptr;
}

bool IniText::HasSection(std::string_view section) const {
  return FindSection(section) != nullptr;
}

std::optional<std::string> IniText::Find(std::string_view section, std::string_view key) const {
  if (const Section* s = FindSection(section))
    for (const Entry& e : s->entries)
      if (SameTextAscii(e.key, key)) return e.value;
  return std::nullopt;
}

std::string IniText::ReadString(std::string_view section, std::string_view key,
                                std::string_view def) const {
  std::optional<std::string> v = Find(section, key);
  return v ? *v : std::string(def);
}

std::optional<int32_t> ParseInteger(std::string_view text) {
  std::string_view s = text;
  bool negative = false;
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  int base = 10;
  if (!s.empty() && s[0] == '$') {
    base = 16;
    s.remove_prefix(1);
  } else if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty()) return std::nullopt;
  uint64_t v = 0;
  for (char c : s) {
    int d;
    if (c >= '0' && c <= '9') {
      d = c - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      d = c - 'a' + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      d = c - 'A' + 10;
    } else {
      return std::nullopt;
    }
    v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    if (v > 0xFFFFFFFFull) return std::nullopt;
  }
  // Hexadecimal texts may give the full 32-bit pattern ($FFFFFFFF is -1); decimal ones
  // must fit the signed range.
  if (base == 10 && v > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return std::nullopt;
  uint32_t u = static_cast<uint32_t>(v);
  if (negative) u = 0u - u;
  return static_cast<int32_t>(u);
}

int32_t IniText::ReadInteger(std::string_view section, std::string_view key, int32_t def) const {
  std::optional<std::string> v = Find(section, key);
  if (!v) return def;
  return ParseInteger(*v).value_or(def);
}

}  // namespace vpn::skin

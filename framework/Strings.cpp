#include "framework/Strings.h"

#include <algorithm>
#include <stdexcept>

#include "core/text/Exception.h"

namespace {
void CheckIndex(int index, int count) {
  if (index < 0 || index >= count)
    throw Exception("List index out of bounds (" + std::to_string(index) + ")");
}
}  // namespace

void TStrings::Insert(int index, const std::string& s) {
  if (index < 0 || index > Count())
    throw Exception("List index out of bounds (" + std::to_string(index) + ")");
  FItems.insert(FItems.begin() + index, s);
  if (OnChange) OnChange(chInsert, index);
}

void TStrings::Delete(int index) {
  CheckIndex(index, Count());
  FItems.erase(FItems.begin() + index);
  if (OnChange) OnChange(chDelete, index);
}

void TStrings::Put(int index, const std::string& s) {
  CheckIndex(index, Count());
  FItems[static_cast<size_t>(index)] = s;
  if (OnChange) OnChange(chPut, index);
}

void TStrings::Clear() {
  FItems.clear();
  if (OnChange) OnChange(chClear, -1);
}

int TStrings::IndexOf(const std::string& s) const {
  auto it = std::find(FItems.begin(), FItems.end(), s);
  return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

std::string TStrings::Text() const {
  std::string out;
  for (auto& s : FItems) out += s + "\r\n";
  return out;
}

void TStrings::SetText(const std::string& text) {
  Clear();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      Add(text.substr(start));
      break;
    }
    Add(text.substr(start, end - start));
    if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
    start = end + 1;
  }
}

void TStrings::Assign(const TStrings& other) {
  if (&other == this) return;
  Clear();
  for (auto& s : other.FItems) Add(s);
}

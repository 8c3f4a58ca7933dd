// An ordered list of GBK strings. Controls that show items keep theirs in one and mirror
// every change into their window.
#pragma once

#include <functional>
#include <string>
#include <vector>

class TStrings {
 public:
  int Count() const { return static_cast<int>(FItems.size()); }
  const std::string& operator[](int index) const { return FItems.at(static_cast<size_t>(index)); }
  const std::string& Strings(int index) const { return (*this)[index]; }
  int Add(const std::string& s) {
    Insert(Count(), s);
    return Count() - 1;
  }
  void Insert(int index, const std::string& s);
  void Delete(int index);
  void Put(int index, const std::string& s);
  void Clear();
  int IndexOf(const std::string& s) const;
  // The items joined with CR LF after each, and the reverse.
  std::string Text() const;
  void SetText(const std::string& text);
  void Assign(const TStrings& other);
  const std::vector<std::string>& Items() const { return FItems; }

  // Told after each change: kind, index (Clear: -1).
  enum TChange { chInsert, chDelete, chPut, chClear };
  std::function<void(TChange, int)> OnChange;

 private:
  std::vector<std::string> FItems;
};

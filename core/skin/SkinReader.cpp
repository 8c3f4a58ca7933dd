#include "core/skin/SkinReader.h"

#include <cstring>

#include "core/lzh/Lzh.h"
#include "core/text/text.h"

namespace vpn::skin {

int32_t ReadLE32(const uint8_t* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                              (static_cast<uint32_t>(p[2]) << 16) |
                              (static_cast<uint32_t>(p[3]) << 24));
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  const size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  size_t i = 0;
  while (i < text.size()) {
    size_t e = i;
    while (e < text.size() && text[e] != '\r' && text[e] != '\n') ++e;
    lines.emplace_back(text.substr(i, e - i));
    if (e < text.size() && text[e] == '\r') ++e;
    if (e < text.size() && text[e] == '\n') ++e;
    i = e;
  }
  return lines;
}

}  // namespace vpn::skin

using vpn::skin::ReadLE32;

void TSkinReader::Clear() {
  LastError.clear();
  Names.clear();
  Count = 0;
  Sizes.clear();
  Contents.clear();
  Tag = NamesLength = Unused1 = Unused2 = 0;
}

bool TSkinReader::Refuse(std::string why) {
  LastError = std::move(why);
  Names.clear();
  Count = 0;
  Sizes.clear();
  Contents.clear();
  return false;
}

bool TSkinReader::Load(std::span<const uint8_t> Packed) {
  Clear();

  if (Packed.size() < 4) return Refuse("the packed skin is shorter than its size word");
  const int32_t unpackedSize = ReadLE32(Packed.data());
  const std::span<const uint8_t> bits = Packed.subspan(4);
  if (unpackedSize > MaxUnpackedSize ||
      static_cast<int64_t>(unpackedSize) > static_cast<int64_t>(bits.size()) * MaxExpansion + 1024)
    return Refuse("the packed skin claims more bytes than it can hold");
  return ReadDirectory(vpn::lzh::Unpack(bits, unpackedSize));
}

bool TSkinReader::ReadDirectory(std::span<const uint8_t> data) {
  Clear();
  if (data.size() < 16) return Refuse("the skin archive is shorter than its header");
  Tag = ReadLE32(&data[0]);
  NamesLength = ReadLE32(&data[4]);
  Unused1 = ReadLE32(&data[8]);
  Unused2 = ReadLE32(&data[12]);
  if (Tag != FormatTag) {
    LastError = OlderSkinText;
    if (OnMessage) OnMessage(OlderSkinText);
    return false;
  }
  if (NamesLength < 0 || static_cast<size_t>(NamesLength) > data.size() - 16)
    return Refuse("the name list of the skin archive runs past its end");
  const std::string nameText(reinterpret_cast<const char*>(&data[16]),
                             static_cast<size_t>(NamesLength));
  std::vector<std::string> names = vpn::skin::SplitLines(vpn::AsciiLower(nameText));
  if (names.size() > static_cast<size_t>(MaxMembers))
    return Refuse("the skin archive has more than 1001 members");
  const size_t sizesAt = 16 + static_cast<size_t>(NamesLength);
  const size_t contentsAt = sizesAt + 4 * names.size();
  if (contentsAt > data.size())
    return Refuse("the size table of the skin archive runs past its end");
  std::vector<int32_t> sizes(names.size());
  uint64_t total = 0;
  for (size_t i = 0; i < names.size(); ++i) {
    sizes[i] = ReadLE32(&data[sizesAt + 4 * i]);
    if (sizes[i] < 0) return Refuse("a member of the skin archive has a negative size");
    total += static_cast<uint32_t>(sizes[i]);
  }
  if (total > data.size() - contentsAt)
    return Refuse("the members of the skin archive run past its end");

  Names = std::move(names);
  Count = static_cast<int>(Names.size());
  Sizes = std::move(sizes);
  Contents.assign(data.begin() + static_cast<std::ptrdiff_t>(contentsAt), data.end());
  return true;
}

void TSkinReader::CopyMember(size_t index, std::vector<uint8_t>& Out) const {
  size_t offset = 0;
  for (size_t i = 0; i < index; ++i) offset += static_cast<size_t>(Sizes[i]);
  const size_t size = static_cast<size_t>(Sizes[index]);
  Out.assign(Contents.begin() + static_cast<std::ptrdiff_t>(offset),
             Contents.begin() + static_cast<std::ptrdiff_t>(offset + size));
}

void TSkinReader::GetMember(std::string_view Name, std::vector<uint8_t>& Out) const {
  Out.clear();
  const std::string wanted = vpn::AsciiLower(Name);
  for (size_t i = 0; i < Names.size(); ++i)
    if (Names[i] == wanted) return CopyMember(i, Out);
}

void TSkinReader::FindMember(std::string_view Fragment, std::vector<uint8_t>& Out,
                             std::string& FoundName) const {
  Out.clear();
  for (size_t i = 0; i < Names.size(); ++i)
    if (Names[i].find(Fragment) != std::string::npos) {
      FoundName = Names[i];
      return CopyMember(i, Out);
    }
}

// Reads a packed skin archive held in memory: unpacks it, checks its format tag, keeps
// the member directory and hands out members by name.
//
// Unpacked layout (32-bit little-endian signed integers): format tag 20000, byte length
// of the name list, two unused words, the name list (one member name per line), one
// size per member in name order, then the member contents back to back.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class TSkinReader {
 public:
  static constexpr int32_t FormatTag = 20000;
  static constexpr int MaxMembers = 1001;
  // Largest archive accepted, unpacked, and its largest expansion over the packed bytes
  // (a real stream cannot expand more than about 48 times). A size word beyond either
  // would make the unpacker produce zeros by the hundred megabytes.
  static constexpr int32_t MaxUnpackedSize = 64 << 20;
  static constexpr int MaxExpansion = 64;
  static constexpr const char* OlderSkinText =
      "This is Older Skin File\rPlease update to new version !";

  // Packed: 32-bit unpacked size, then the LZHUF bit stream. False when the archive is
  // of another format (OnMessage is then given the text above) or cannot be a skin
  // archive at all (too short, a directory that runs past the end, more than
  // MaxMembers members, sizes beyond the contents); LastError says which.
  bool Load(std::span<const uint8_t> Packed);
  // The same checks on an archive that is already unpacked.
  bool ReadDirectory(std::span<const uint8_t> Unpacked);

  // Copies the member whose name equals Name without regard to ASCII case; empty when
  // there is none. Of two members with the same name the first counts.
  void GetMember(std::string_view Name, std::vector<uint8_t>& Out) const;
  // Copies the first member whose name contains Fragment as given (names are lower
  // case, so an upper-case fragment finds nothing) and gives its name.
  void FindMember(std::string_view Fragment, std::vector<uint8_t>& Out,
                  std::string& FoundName) const;

  std::vector<std::string> Names;  // lower-cased member names, in archive order
  int Count = 0;
  std::vector<int32_t> Sizes;
  std::vector<uint8_t> Contents;
  int32_t Tag = 0, NamesLength = 0, Unused1 = 0, Unused2 = 0;

  std::function<void(const std::string& Text)> OnMessage;
  std::string LastError;

 private:
  // Forgets the previous archive, so a refused one leaves no member of it behind.
  void Clear();
  bool Refuse(std::string why);
  void CopyMember(size_t index, std::vector<uint8_t>& Out) const;
};

namespace vpn::skin {

// Splits text into lines the way the skin's name list is read: CR LF, a lone CR or a
// lone LF ends a line, a last line without an end counts, and a NUL byte ends the text.
std::vector<std::string> SplitLines(std::string_view text);

int32_t ReadLE32(const uint8_t* p);

}  // namespace vpn::skin

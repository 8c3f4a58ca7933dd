#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/skin/SkinReader.h"
#include "tools/skinpack/LzhEncoder.h"
#include "tools/skinpack/SkinArchive.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& s) {
  return {s.begin(), s.end()};
}

void Put32(std::vector<uint8_t>& v, size_t at, int32_t x) {
  for (int i = 0; i < 4; ++i) v[at + i] = static_cast<uint8_t>(static_cast<uint32_t>(x) >> (8 * i));
}

std::vector<uint8_t> Pack(const std::vector<uint8_t>& unpacked) {
  return skinpack::LzhPack(unpacked);
}

// An unpacked archive with a name text written by hand.
std::vector<uint8_t> RawArchive(const std::string& names, const std::vector<int32_t>& sizes,
                                const std::string& contents, int32_t tag = 20000) {
  std::vector<uint8_t> v(16, 0);
  Put32(v, 0, tag);
  Put32(v, 4, static_cast<int32_t>(names.size()));
  v.insert(v.end(), names.begin(), names.end());
  for (int32_t s : sizes) {
    v.resize(v.size() + 4);
    Put32(v, v.size() - 4, s);
  }
  v.insert(v.end(), contents.begin(), contents.end());
  return v;
}

std::string Member(const TSkinReader& r, const std::string& name) {
  std::vector<uint8_t> out;
  r.GetMember(name, out);
  return std::string(out.begin(), out.end());
}

}  // namespace

TEST(SkinReader, ReadsMembersByNameIgnoringCase) {
  const std::vector<uint8_t> packed =
      Pack(skinpack::WriteArchive({{"Top.BMP", Bytes("top picture")},
                                   {"skin.ini", Bytes("[Personality]\r\n")},
                                   {"empty.bmp", {}},
                                   {"top.bmp", Bytes("second top")}}));
  TSkinReader r;
  ASSERT_TRUE(r.Load(packed)) << r.LastError;
  EXPECT_EQ(r.Count, 4);
  EXPECT_EQ(r.Names, (std::vector<std::string>{"top.bmp", "skin.ini", "empty.bmp", "top.bmp"}));
  EXPECT_EQ(Member(r, "TOP.bmp"), "top picture");  // the first of two equal names
  EXPECT_EQ(Member(r, "empty.bmp"), "");
  EXPECT_EQ(Member(r, "missing.bmp"), "");
  std::vector<uint8_t> out;
  std::string found = "unchanged";
  r.FindMember(".ini", out, found);
  EXPECT_EQ(found, "skin.ini");
  EXPECT_EQ(std::string(out.begin(), out.end()), "[Personality]\r\n");
  r.FindMember(".INI", out, found);  // the fragment is taken as given
  EXPECT_TRUE(out.empty());
}

TEST(SkinReader, NameListLineEnds) {
  // CR LF, lone LF, lone CR, and a last line without an end.
  TSkinReader r;
  ASSERT_TRUE(r.Load(Pack(RawArchive("a\r\nb\nc\rd", {1, 1, 1, 1}, "ABCD"))));
  EXPECT_EQ(r.Names, (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(Member(r, "d"), "D");
  EXPECT_EQ(Member(r, "c"), "C");
  ASSERT_TRUE(r.Load(Pack(RawArchive("", {}, "rest"))));
  EXPECT_EQ(r.Count, 0);
  EXPECT_EQ(Member(r, ""), "");
  // A blank line in the middle is a member with an empty name.
  ASSERT_TRUE(r.Load(Pack(RawArchive("a\r\n\r\nb\r\n", {1, 2, 1}, "xyzw"))));
  EXPECT_EQ(r.Count, 3);
  EXPECT_EQ(Member(r, "b"), "w");
}

TEST(SkinReader, OtherFormatTagShowsTheMessage) {
  TSkinReader r;
  std::string shown;
  int calls = 0;
  r.OnMessage = [&](const std::string& t) {
    shown = t;
    ++calls;
  };
  EXPECT_FALSE(r.Load(Pack(RawArchive("a.bmp\r\n", {1}, "x", 10000))));
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(shown, "This is Older Skin File\rPlease update to new version !");
}

TEST(SkinReader, RefusesDamagedArchivesWithoutAMessage) {
  TSkinReader r;
  int calls = 0;
  r.OnMessage = [&](const std::string&) { ++calls; };
  // Sizes that run past the contents.
  EXPECT_FALSE(r.Load(Pack(RawArchive("a\r\nb\r\n", {2, 3}, "abcd"))));
  EXPECT_NE(r.LastError.find("past"), std::string::npos);
  EXPECT_EQ(Member(r, "a"), "");
  // A negative size.
  EXPECT_FALSE(r.Load(Pack(RawArchive("a\r\nb\r\n", {-1, 3}, "abcd"))));
  // More than 1001 members.
  std::string names;
  for (int i = 0; i < 1002; ++i) names += "m" + std::to_string(i) + "\r\n";
  EXPECT_FALSE(r.Load(Pack(RawArchive(names, std::vector<int32_t>(1002, 0), ""))));
  names.clear();
  for (int i = 0; i < 1001; ++i) names += "m" + std::to_string(i) + "\r\n";
  EXPECT_TRUE(
      r.Load(Pack(RawArchive(names, std::vector<int32_t>(1001, 1), std::string(1001, 'q')))));
  EXPECT_EQ(Member(r, "m1000"), "q");
  // A name list longer than the archive, a negative one, a size table cut short.
  std::vector<uint8_t> a = RawArchive("abc\r\n", {1}, "x");
  Put32(a, 4, 1000);
  EXPECT_FALSE(r.Load(Pack(a)));
  Put32(a, 4, -4);
  EXPECT_FALSE(r.Load(Pack(a)));
  EXPECT_FALSE(r.Load(Pack(RawArchive("a\r\nb\r\nc\r\n", {}, ""))));
  // Shorter than the header, shorter than the size word, and a size word far beyond
  // what the packed bytes can hold.
  EXPECT_FALSE(r.Load(Pack(Bytes("short"))));
  EXPECT_FALSE(r.Load(std::vector<uint8_t>{1, 0}));
  std::vector<uint8_t> huge = Pack(RawArchive("a\r\n", {1}, "x"));
  Put32(huge, 0, 0x7FFFFFFF);
  EXPECT_FALSE(r.Load(huge));
  EXPECT_EQ(calls, 0);
}

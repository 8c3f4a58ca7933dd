// skinpack: packs skins for the program and looks into packed ones.
//
//   skinpack pack FILE OUT              FILE packed (32-bit size, then the LZHUF stream)
//   skinpack unpack PACKED OUT          a packed file back to its bytes
//   skinpack pack-skin DIR LIST OUT     the members named in LIST (one per line, in
//                                       archive order) from DIR as a packed skin
//   skinpack unpack-skin PACKED DIR     every member of a packed skin into DIR, and
//                                       their names in archive order into DIR/members.txt
//   skinpack embed PACKED OUT.cpp NAME  the skin stream (32-bit length, then the packed
//                                       skin) as a C++ array NAME with NAMESize
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/lzh/Lzh.h"
#include "core/skin/SkinReader.h"
#include "tools/skinpack/LzhEncoder.h"
#include "tools/skinpack/SkinArchive.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path.string());
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, const void* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path.string());
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

void WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
  WriteFile(path, bytes.data(), bytes.size());
}

std::vector<uint8_t> UnpackFile(const std::vector<uint8_t>& packed) {
  if (packed.size() < 4) throw std::runtime_error("packed file shorter than its size word");
  const int32_t size = vpn::skin::ReadLE32(packed.data());
  std::vector<uint8_t> out = vpn::lzh::Unpack(std::span<const uint8_t>(packed).subspan(4), size);
  if (size >= 0 && out.size() > static_cast<size_t>(size)) out.resize(static_cast<size_t>(size));
  return out;
}

int Usage() {
  std::cerr << "usage: skinpack pack FILE OUT | unpack PACKED OUT | pack-skin DIR LIST OUT |\n"
               "                unpack-skin PACKED DIR | embed PACKED OUT.cpp NAME\n";
  return 2;
}

int Run(const std::vector<std::string>& a) {
  if (a.empty()) return Usage();
  const std::string& cmd = a[0];
  if (cmd == "pack" && a.size() == 3) {
    WriteFile(a[2], skinpack::LzhPack(ReadFile(a[1])));
  } else if (cmd == "unpack" && a.size() == 3) {
    WriteFile(a[2], UnpackFile(ReadFile(a[1])));
  } else if (cmd == "pack-skin" && a.size() == 4) {
    std::vector<skinpack::Member> members;
    const std::vector<uint8_t> listBytes = ReadFile(a[2]);
    for (std::string name :
         vpn::skin::SplitLines(std::string(listBytes.begin(), listBytes.end()))) {
      if (name.empty() || name[0] == '#') continue;
      members.push_back({name, ReadFile(fs::path(a[1]) / name)});
    }
    const std::vector<uint8_t> archive = skinpack::WriteArchive(members);
    const std::vector<uint8_t> packed = skinpack::LzhPack(archive);
    WriteFile(a[3], packed);
    std::cout << "skinpack: " << members.size() << " members, " << archive.size()
              << " bytes packed to " << packed.size() << "\n";
  } else if (cmd == "unpack-skin" && a.size() == 3) {
    TSkinReader reader;
    if (!reader.Load(ReadFile(a[1]))) throw std::runtime_error("not a skin: " + reader.LastError);
    fs::create_directories(a[2]);
    std::string list;
    std::vector<uint8_t> member;
    for (size_t i = 0; i < reader.Names.size(); ++i) {
      const std::string& name = reader.Names[i];
      list += name + "\n";
      if (name.empty() || name.find_first_of("/\\:") != std::string::npos || name == "." ||
          name == "..") {
        std::cerr << "skinpack: member " << i << " has no usable file name, skipped\n";
        continue;
      }
      reader.GetMember(name, member);
      WriteFile(fs::path(a[2]) / name, member);
    }
    WriteFile(fs::path(a[2]) / "members.txt", list.data(), list.size());
    std::cout << "skinpack: " << reader.Count << " members\n";
  } else if (cmd == "embed" && a.size() == 4) {
    const std::string src = skinpack::EmbedSource(skinpack::FrameSkinStream(ReadFile(a[1])), a[3]);
    WriteFile(a[2], src.data(), src.size());
  } else {
    return Usage();
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& e) {
    std::cerr << "skinpack: " << e.what() << "\n";
    return 1;
  }
}

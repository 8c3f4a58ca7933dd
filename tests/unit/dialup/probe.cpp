// Runs the remote-access loader (or the version query) in a process of its own, so that
// the tests can try the loader's binding rules against different sets of libraries in
// its folder. Prints one line per name and the loader's state at the end.
#include <windows.h>

#include <cstdio>
#include <string>

#include "core/text/Exception.h"
#include "dialup/OsVersion.h"
#include "dialup/Ras.h"

namespace {

std::string ModuleName(FARPROC f) {
  HMODULE m = nullptr;
  GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCSTR>(f), &m);
  char path[MAX_PATH] = {};
  GetModuleFileNameA(m, path, MAX_PATH);
  std::string p(path);
  const auto slash = p.find_last_of("\\/");
  std::string name = slash == std::string::npos ? p : p.substr(slash + 1);
  for (auto& c : name) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return name;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::string(argv[1]) == "version") {
    std::string name;
    dialup::OsVersionName(name);
    std::printf("version [%s]\n", name.c_str());
    return 0;
  }
  for (int i = 1; i < argc; ++i) {
    try {
      FARPROC f = dialup::LoadRasFunction(argv[i]);
      std::printf("%s ok %s\n", argv[i], ModuleName(f).c_str());
    } catch (const Exception& e) {
      std::printf("%s error %s\n", argv[i], e.Message.c_str());
    }
  }
  const auto s = dialup::RasLoaderState();
  std::printf("state loaded=%d fallback=%d loads=%d\n", s.RasLoaded ? 1 : 0,
              s.RasFallbackLibrary ? 1 : 0, s.LibraryLoads);
  return 0;
}

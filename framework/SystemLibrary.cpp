#include "framework/SystemLibrary.h"

#include "core/text/Exception.h"
#include "framework/Gbk.h"

HMODULE TSystemLibrary::Module() {
  HMODULE m = FModule.load(std::memory_order_acquire);
  if (!m) {
    // Never given back: the functions found in it are kept for the rest of the run. A
    // second load by a racing thread only counts the library once more.
    m = LoadLibraryW(FName);
    FModule.store(m, std::memory_order_release);
  }
  return m;
}

FARPROC TSystemLibrary::Find(const char* Function) {
  HMODULE m = Module();
  return m ? GetProcAddress(m, Function) : nullptr;
}

void RaiseMissingFunction(const TSystemLibrary& Library, const char* Function) {
  throw Exception("Function " + std::string(Function) + " not found in " +
                  WideToGbk(Library.Name()) + "!");
}

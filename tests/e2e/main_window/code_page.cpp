// Ends with the ANSI code page the system gave it: tells a test which code page a
// program started with the same environment runs under.
#include <windows.h>

int main() {
  return static_cast<int>(GetACP());
}

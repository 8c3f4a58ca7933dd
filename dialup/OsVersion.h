// The Windows version as the main window names it, and the platform family that the
// connection statistics depend on.
#pragma once

#include <string>

namespace dialup {

// Writes the version name into `name` (left as it is for a version without a name).
void OsVersionName(std::string& name);

enum TPlatformFamily { pfWin32s, pfWindows95, pfWindowsNT };

TPlatformFamily PlatformFamily();

}  // namespace dialup

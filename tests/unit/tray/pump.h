// Message pumping for the tray tests: timer ticks and shell callbacks arrive as window
// messages of this thread.
#pragma once

#include <windows.h>

#include "tests/support/wait_until.h"

using testwait::PumpFor;
using testwait::PumpPending;
using testwait::PumpUntil;

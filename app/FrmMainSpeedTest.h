// The main window's part of the speed test that the speed-test window is created with.
#pragma once

#include "app/Unit_FrmMain.h"
#include "forms/Unit1.h"

// The main window's server edit and its speed test, for the speed-test window's lines
// and its retest.
TSpeedTestSource SpeedTestSourceOf(TFrmMain& Main);

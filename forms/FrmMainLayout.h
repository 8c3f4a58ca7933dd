// The main window's layout: every control, menu and component of TFrmMain.
#pragma once

#include "framework/Layout.h"

extern const TFormLayout FrmMainLayout;

// What the program's own skin says its windows look like, for tests that look at the
// running program from outside: frame sizes, where the caption buttons are, and which
// colours each piece of the frame may show. Read from the skin the program carries, so
// the tests follow the skin's data rather than numbers copied from it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <set>

#include "core/skin/SkinFrame.h"
#include "core/skin/SkinModel.h"

namespace skinexpect {

const TSkinModel& ProgramSkin();
vpn::skin::FrameSizes Frame();

// The program's windows have a system menu and a minimise box, no maximise box.
vpn::skin::SysButtonWindow ProgramWindow(bool active = true);
// The frame-coordinate rectangle of the first caption button with this action that such a
// window of this width shows; empty when it shows none.
RECT Button(int action, int windowWidth);
POINT Centre(const RECT& r);
// A column of the title bar that neither the caption text nor a button covers.
int FreeTitleColumn(int windowWidth);

// 0x00RRGGBB of a skin colour.
uint32_t Rgb(TColor colour);
// The colours a piece shows at a row of the title (any centre column), at a column of the
// left or right border or at a row of the bottom border (any stretched place), for the
// active or inactive window.
std::set<uint32_t> TitleRow(int y, bool active);
std::set<uint32_t> LeftColumn(int x, bool active);
std::set<uint32_t> RightColumn(int x, bool active);
std::set<uint32_t> BottomRow(int y, bool active);

}  // namespace skinexpect

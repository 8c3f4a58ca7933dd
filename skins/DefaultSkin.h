// The default skin as the main window's layout carries it: a 32-bit little-endian
// length, then the packed skin archive. Made by the build from skins/default.
#pragma once

extern const unsigned char DefaultSkinStream[];
extern const unsigned DefaultSkinStreamSize;

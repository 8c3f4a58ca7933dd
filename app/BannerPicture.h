// The band at the top of the main window when its banner page cannot be shown: the
// skin's title-bar picture stretched across it and the program's name on it, so that the
// window looks finished without the service's page.
#pragma once

#include <windows.h>

#include <string>

class TSkinData;

// Draws the band over Rect. Name is GBK. Without a skin (or one without a title-bar
// picture) the band takes the face colour and the name the window-text colour.
void DrawBannerPicture(HDC DC, const RECT& Rect, TSkinData* Skin, const std::string& Name);

// The program keeps its texts as GBK (code page 936) byte strings; Windows gets UTF-16.
// These two functions are the only place where the two meet.
#pragma once

#include <string>
#include <string_view>

std::wstring GbkToWide(std::string_view text);
std::string WideToGbk(std::wstring_view text);

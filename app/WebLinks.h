// The service's web pages: the banner at the top of the main window, the pages the
// settings menu opens in the default browser, and the About text.
#pragma once

#include <string>

std::string BannerAddress();        // shown by the main window's browser control
std::string RegisterPageAddress();  // account registration
std::string PasswordPageAddress();  // password change
std::string RechargeAddress();      // recharge

// Asks the shell to open the address with its default action, owned by the application
// window, shown normally. What the shell makes of it is not the program's concern.
void OpenWebAddress(const std::string& address);

// One line: the program's name and version and whom to contact.
std::string AboutText();

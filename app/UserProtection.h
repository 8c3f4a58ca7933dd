// Secrets kept at rest for the signed-in user: the system encrypts them with a key of
// that user's own, so another user of the machine (or a copy of the registry taken
// elsewhere) cannot read them back, and mixes in an entropy text of the caller's so that
// another program running as the same user cannot simply ask the system to decrypt them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The GBK text is protected as its Unicode form, like the other stored texts. No value
// means the system refused.
std::optional<std::vector<unsigned char>> ProtectForUser(std::string_view text,
                                                         std::string_view entropy);

// The text back, or no value when the data was protected by another user, with another
// entropy, or has been damaged: the caller never gets garbage.
std::optional<std::string> UnprotectForUser(const std::vector<unsigned char>& data,
                                            std::string_view entropy);

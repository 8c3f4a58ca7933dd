// Readable texts for the remote-access connection states, in three tables, and the rule
// that an error code's own text wins over the state's text.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vpn::ras {

enum class StatusTable { English, LowerCase, Chinese };

// The table's text for a state; a state the table does not list gives the empty text.
std::string StateText(StatusTable table, std::int32_t state);

// Shown when the system has no text for an error code.
std::string UnknownErrorText();

// Asks the system for an error code's text into a buffer of `size` bytes; returns the
// system's result code (0 when the buffer was filled).
using ErrorStringFn =
    std::function<std::uint32_t(std::uint32_t code, char* buffer, std::uint32_t size)>;

// The text of an error code through a 100-byte buffer, read up to its first NUL; the
// unknown-error text when the system answers with a code other than 0.
std::string ErrorText(std::int32_t error, const ErrorStringFn& error_string);

// The text that goes with one dial notification: the error's text whenever the error is
// not 0 (the same in every table), the table's state text otherwise.
std::string StatusText(StatusTable table, std::int32_t state, std::int32_t error,
                       const ErrorStringFn& error_string);

}  // namespace vpn::ras

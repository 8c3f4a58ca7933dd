// Finding the program's own remote-access connection among all active ones: other
// programs' connections are never touched.
#pragma once

#include <string>

#include "dialup/Ras.h"

// The active connection dialed from the phonebook entry of that name (the first one the
// system lists), or null when there is none or the list cannot be had; `error` (when
// given) then tells the two apart: 0 when the system listed no such line, else why the
// list could not be had.
HRASCONN FindEntryConnection(const std::string& entry_name, DWORD* error = nullptr);

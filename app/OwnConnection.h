// Finding the program's own remote-access connection among all active ones: other
// programs' connections are never touched.
#pragma once

#include <string>

#include "dialup/Ras.h"

// The active connection dialed from the phonebook entry of that name (the first one the
// system lists), or null when there is none or the list cannot be had.
HRASCONN FindEntryConnection(const std::string& entry_name);

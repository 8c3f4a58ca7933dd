// Run-time binding of the remote-access functions and the wrappers that call them.
//
// Every wrapped call looks its function up anew by name; the library is loaded once:
// "rasapi32.dll", or, when that library does not have the function, the older
// "rnaph.dll" (from then on names are looked up unchanged). Failures raise an Exception
// with one of the texts "Error opening rasapi.dll", "Error opening rnaph.dll" or
// "Function <name> not found!"; the wrapped call then does not happen.
#pragma once

#include <windows.h>

#include <string>

#include "core/ras/records.h"
#include "core/text/Exception.h"

typedef HRASCONN__* HRASCONN;

namespace dialup {

FARPROC LoadRasFunction(const std::string& name);

// A newer function of "rasapi32.dll" that older systems lack, looked up once by its exact
// name; null when the system's library does not have it. Never raises and never turns to
// the older library: without these the program works as before, only without noticing a
// dropped line and without live connection figures.
FARPROC FindNewerRasFunction(const char* name);

// The newer functions, bound at run time through FindNewerRasFunction (never imported
// when the program loads, so that the program starts on systems without them).
using TRasConnectionNotificationA = DWORD(WINAPI*)(HRASCONN connection, HANDLE event, DWORD flags);
using TRasGetConnectionStatistics = DWORD(WINAPI*)(HRASCONN connection,
                                                   vpn::ras::RasStats* statistics);
TRasConnectionNotificationA RasConnectionNotificationAFunc();
TRasGetConnectionStatistics RasGetConnectionStatisticsFunc();

// What the loader holds (for the tests of its binding rules).
struct TRasLoaderState {
  HMODULE RasLibrary;
  bool RasLoaded;
  bool RasFallbackLibrary;
  int LibraryLoads;  // library loads made so far (rasapi32 and rnaph)
};
TRasLoaderState RasLoaderState();

// The wrapped functions: the same arguments and result as the system's, default
// phonebook when `phonebook` is null.
DWORD RasDeleteEntry(const char* phonebook, const char* entry);
DWORD RasDialA(void* extensions, const char* phonebook, vpn::ras::RasDialParamsA* params,
               DWORD notifier_type, void* notifier, HRASCONN* connection);
DWORD RasEnumConnectionsA(vpn::ras::RasConnA* connections, DWORD* size, DWORD* count);
DWORD RasGetConnectStatusA(HRASCONN connection, vpn::ras::RasConnStatusA* status);
DWORD RasGetErrorStringA(UINT code, char* buffer, DWORD size);
DWORD RasHangUpA(HRASCONN connection);
DWORD RasSetEntryDialParamsA(const char* phonebook, vpn::ras::RasDialParamsA* params,
                             BOOL remove_password);
DWORD RasGetEntryDialParamsA(const char* phonebook, vpn::ras::RasDialParamsA* params,
                             BOOL* has_password);

}  // namespace dialup

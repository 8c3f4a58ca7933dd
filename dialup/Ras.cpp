#include "dialup/Ras.h"

namespace dialup {

namespace {

HMODULE RasLibrary = nullptr;
bool RasLoaded = false;
bool RasFallbackLibrary = false;
int LibraryLoads = 0;

// The older library is given back at program end; "rasapi32.dll" stays loaded for the
// whole run (the direct dial keeps its functions too).
struct FallbackRelease {
  ~FallbackRelease() {
    if (RasLoaded && RasFallbackLibrary && RasLibrary) FreeLibrary(RasLibrary);
  }
} fallback_release;

FARPROC Lookup(const std::string& name) {
  return GetProcAddress(RasLibrary, name.c_str());
}

[[noreturn]] void NotFound(const std::string& name) {
  throw Exception("Function " + name + " not found!");
}

}  // namespace

FARPROC LoadRasFunction(const std::string& name) {
  if (RasLoaded) {
    FARPROC f = nullptr;
    if (RasFallbackLibrary) {
      f = Lookup(name);
    } else {
      f = Lookup(name + "A");
      if (!f) f = Lookup(name);
    }
    if (!f) NotFound(name);
    return f;
  }
  ++LibraryLoads;
  RasLibrary = LoadLibraryA("rasapi32.dll");
  if (!RasLibrary) throw Exception("Error opening rasapi.dll");
  FARPROC f = Lookup(name + "A");
  if (!f) f = Lookup(name);
  if (f) {
    RasLoaded = true;
    return f;
  }
  ++LibraryLoads;
  RasLibrary = LoadLibraryA("rnaph.dll");
  if (!RasLibrary) throw Exception("Error opening rnaph.dll");
  f = Lookup(name);
  if (!f) NotFound(name);
  RasLoaded = true;
  RasFallbackLibrary = true;
  return f;
}

FARPROC FindNewerRasFunction(const char* name) {
  // The library the program dials with (it stays loaded for the whole run); only looked
  // up here, so the loader's own state is left as it is.
  static const HMODULE library = LoadLibraryA("rasapi32.dll");
  return library ? GetProcAddress(library, name) : nullptr;
}

TRasConnectionNotificationA RasConnectionNotificationAFunc() {
  static const auto f = reinterpret_cast<TRasConnectionNotificationA>(
      reinterpret_cast<void*>(FindNewerRasFunction("RasConnectionNotificationA")));
  return f;
}

TRasGetConnectionStatistics RasGetConnectionStatisticsFunc() {
  static const auto f = reinterpret_cast<TRasGetConnectionStatistics>(
      reinterpret_cast<void*>(FindNewerRasFunction("RasGetConnectionStatistics")));
  return f;
}

TRasLoaderState RasLoaderState() {
  return {RasLibrary, RasLoaded, RasFallbackLibrary, LibraryLoads};
}

namespace {

template <class Fn>
Fn Bind(const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(LoadRasFunction(name)));
}

}  // namespace

DWORD RasDeleteEntry(const char* phonebook, const char* entry) {
  return Bind<DWORD(WINAPI*)(LPCSTR, LPCSTR)>("RasDeleteEntry")(phonebook, entry);
}

DWORD RasDialA(void* extensions, const char* phonebook, vpn::ras::RasDialParamsA* params,
               DWORD notifier_type, void* notifier, HRASCONN* connection) {
  return Bind<DWORD(WINAPI*)(void*, LPCSTR, void*, DWORD, void*, HRASCONN*)>("RasDialA")(
      extensions, phonebook, params, notifier_type, notifier, connection);
}

DWORD RasEnumConnectionsA(vpn::ras::RasConnA* connections, DWORD* size, DWORD* count) {
  return Bind<DWORD(WINAPI*)(void*, DWORD*, DWORD*)>("RasEnumConnectionsA")(connections, size,
                                                                            count);
}

DWORD RasGetConnectStatusA(HRASCONN connection, vpn::ras::RasConnStatusA* status) {
  return Bind<DWORD(WINAPI*)(HRASCONN, void*)>("RasGetConnectStatusA")(connection, status);
}

DWORD RasGetErrorStringA(UINT code, char* buffer, DWORD size) {
  return Bind<DWORD(WINAPI*)(UINT, LPSTR, DWORD)>("RasGetErrorStringA")(code, buffer, size);
}

DWORD RasHangUpA(HRASCONN connection) {
  return Bind<DWORD(WINAPI*)(HRASCONN)>("RasHangUpA")(connection);
}

DWORD RasSetEntryDialParamsA(const char* phonebook, vpn::ras::RasDialParamsA* params,
                             BOOL remove_password) {
  return Bind<DWORD(WINAPI*)(LPCSTR, void*, BOOL)>("RasSetEntryDialParamsA")(phonebook, params,
                                                                             remove_password);
}

DWORD RasGetEntryDialParamsA(const char* phonebook, vpn::ras::RasDialParamsA* params,
                             BOOL* has_password) {
  return Bind<DWORD(WINAPI*)(LPCSTR, void*, BOOL*)>("RasGetEntryDialParamsA")(phonebook, params,
                                                                              has_password);
}

}  // namespace dialup

#include "dialup/DialUp.h"

#include <mutex>

#include "core/text/secret.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"

namespace r = vpn::ras;

std::atomic<TDialUp*> ActiveDialer{nullptr};

namespace {

// Held by the service's thread for as long as it works on the component it found, and
// by the component's destructor while it withdraws: no component is freed under the
// hands of a notifier.
std::mutex gHandOverLock;

// Set whenever the GUI thread has emptied the slot (or a component withdrew): the
// service's thread waits on it instead of looking again and again.
HANDLE SlotFreed() {
  static const HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  return event;
}

constexpr const char kGetParamsFailed[] = "GetEntryDialParams failed";
constexpr const char kEntryTooLong[] = "Entry name too long";

r::StatusTable TableOf(TLanguage language) {
  switch (language) {
    case Czech:
      return r::StatusTable::LowerCase;
    case Portuguese:
      return r::StatusTable::Chinese;
    case English:
      break;
  }
  return r::StatusTable::English;
}

std::uint32_t PlatformErrorString(std::uint32_t code, char* buffer, std::uint32_t size) {
  return dialup::RasGetErrorStringA(code, buffer, size);
}

}  // namespace

TDialUp::TDialUp(TComponent* AOwner) : TComponent(AOwner) {
  FEventTimer = new TTimer(this);
  FEventTimer->SetEnabled(false);
  FEventTimer->SetInterval(1);
  FEventTimer->SetOnTimer([this](TObject* Sender) { EventTimerTick(Sender); });
  FStats.Pump = [] { Application->ProcessMessages(); };
  CollectAdapters();
}

TDialUp::~TDialUp() {
  // A notifier that comes after the component is gone finds nobody to hand over to; one
  // that is handing over to it right now finishes first.
  std::lock_guard lock(gHandOverLock);
  TDialUp* self = this;
  ActiveDialer.compare_exchange_strong(self, nullptr);
  if (const HANDLE freed = SlotFreed()) SetEvent(freed);
}

std::string TDialUp::ErrorText(DWORD Code) const {
  return r::ErrorText(static_cast<std::int32_t>(Code), PlatformErrorString);
}

std::string TDialUp::StatusText(std::int32_t State, std::int32_t Error) const {
  return r::StatusText(TableOf(FLanguage), State, Error, PlatformErrorString);
}

DWORD TDialUp::Dial() {
  HangUp();
  r::RasDialParamsA params;
  // It holds the saved password once read: wiped however the dial ends (the service has
  // its own copy once the dial call returns).
  const vpn::WipeRecordOnExit wipe(params);
  if (!r::BuildEntryDialParams(FEntry, params)) {
    if (OnError) OnError(this, r::kErrorInvalidParameter, kEntryTooLong);
    return r::kErrorInvalidParameter;
  }
  BOOL has_password = FALSE;
  DWORD code = dialup::RasGetEntryDialParamsA(nullptr, &params, &has_password);
  if (code != 0) {
    if (OnError) OnError(this, static_cast<std::int32_t>(code), kGetParamsFailed);
    return code;
  }
  FConnHandle = nullptr;
  if (FDialMode == dmSync) {
    if (OnDialing) OnDialing(this);
    code = dialup::RasDialA(nullptr, nullptr, &params, 0, nullptr, &FConnHandle);
    if (code != 0) {
      // The half-open line is let go before the failure is reported.
      if (FConnHandle) HangUpConnection(FConnHandle);
      const std::string text = ErrorText(code);
      if (OnNotConnected) OnNotConnected(this, static_cast<std::int32_t>(code), text);
    } else if (OnConnect) {
      OnConnect(this);
    }
    return code;
  }
  ActiveDialer.store(this);
  if (OnDialing) OnDialing(this);
  code = dialup::RasDialA(nullptr, nullptr, &params, 0, reinterpret_cast<void*>(&DialNotify),
                          &FConnHandle);
  if (code != 0) {
    const std::string text = ErrorText(code);
    if (OnError) OnError(this, static_cast<std::int32_t>(code), text);
  }
  return code;
}

DWORD TDialUp::HangUp() {
  return HangUpConnection(FConnHandle);
}

DWORD TDialUp::HangUpConnection(HRASCONN Handle) {
  r::RasConnStatusA status{};
  status.dwSize = sizeof status;
  const DWORD code = dialup::RasHangUpA(Handle);
  if (code != 0) return code;
  // The line is gone once the service no longer knows the handle. A service that never
  // lets it go is given up on after HangUpTimeoutMs.
  const ULONGLONG start = GetTickCount64();
  while (dialup::RasGetConnectStatusA(Handle, &status) != r::kErrorInvalidHandle) {
    if (GetTickCount64() - start >= HangUpTimeoutMs) return r::kErrorTimeout;
    Sleep(0);
    Application->ProcessMessages();
  }
  return 0;
}

void TDialUp::DeleteEntry() {
  dialup::RasDeleteEntry(nullptr, FEntry.c_str());
}

DWORD TDialUp::SetEntryFields(const std::string* UserName, const std::string* Password) {
  r::RasDialParamsA params;
  const vpn::WipeRecordOnExit wipe(params);
  if (!r::BuildEntryDialParams(FEntry, params)) return r::kErrorInvalidParameter;
  BOOL has_password = FALSE;
  const DWORD code = dialup::RasGetEntryDialParamsA(nullptr, &params, &has_password);
  if (code != 0) return code;
  // Text longer than its field is refused; nothing is saved.
  if ((UserName && !r::CopyText(params.szUserName, *UserName)) ||
      (Password && !r::CopyText(params.szPassword, *Password)))
    return r::kErrorInvalidParameter;
  return dialup::RasSetEntryDialParamsA(nullptr, &params, FALSE);
}

DWORD TDialUp::SetEntryAccount(const std::string& UserName, const std::string& Password) {
  return SetEntryFields(&UserName, &Password);
}

DWORD TDialUp::SetEntryUserName(const std::string& Value) {
  return SetEntryFields(&Value, nullptr);
}

DWORD TDialUp::SetEntryPassword(const std::string& Value) {
  return SetEntryFields(nullptr, &Value);
}

void WINAPI TDialUp::DialNotify(UINT Msg, DWORD State, DWORD Error) {
  // Waits until the previous notification has been delivered on the GUI thread. The
  // component is looked up afresh under the lock each time: the program may free it
  // (closed during a dial) while this thread waits.
  for (;;) {
    {
      std::lock_guard lock(gHandOverLock);
      TDialUp* dialer = ActiveDialer.load();
      if (!dialer) return;
      if (!dialer->FEventPending.load(std::memory_order_acquire)) {
        // The values go in before the slot is marked full, so that the GUI thread never
        // sees a full slot with old values.
        dialer->FPendingMessage = Msg;
        dialer->FPendingState = static_cast<std::int32_t>(State);
        dialer->FPendingError = static_cast<std::int32_t>(Error);
        dialer->FEventPending.store(true, std::memory_order_release);
        ResetEvent(SlotFreed());
        dialer->FEventTimer->SetEnabled(true);
        return;
      }
    }
    // The bound only covers a freed event that could not be made.
    if (const HANDLE freed = SlotFreed())
      WaitForSingleObject(freed, 50);
    else
      Sleep(1);
  }
}

void TDialUp::EventTimerTick(TObject* Sender) {
  FEventTimer->SetEnabled(false);
  if (!FEventPending.load(std::memory_order_acquire)) return;
  // The slot is emptied however delivery ends, a raising status text or handler
  // included: a slot left full would hold the service's thread in DialNotify for good.
  struct TSlotRelease {
    std::atomic<bool>& Pending;
    ~TSlotRelease() {
      Pending.store(false, std::memory_order_release);
      if (const HANDLE freed = SlotFreed()) SetEvent(freed);
    }
  } release{FEventPending};
  if (OnAsyncEvent) {
    const std::string text = StatusText(FPendingState, FPendingError);
    OnAsyncEvent(this, FPendingState, FPendingError, text);
  }
}

bool TDialUp::SetLayoutProperty(const std::string& name, const std::string& value) {
  if (name == "DialMode") {
    if (value == "dmAsync") {
      SetDialMode(dmAsync);
    } else if (value == "dmSync") {
      SetDialMode(dmSync);
    } else {
      throw Exception("Not a dial mode: " + value);
    }
  } else if (name == "Language") {
    if (value == "English") {
      SetLanguage(English);
    } else if (value == "Czech") {
      SetLanguage(Czech);
    } else if (value == "Portuguese") {
      SetLanguage(Portuguese);
    } else {
      throw Exception("Not a language: " + value);
    }
  } else if (name == "Entry") {
    SetEntry(value);
  } else if (name == "DUNA_Key") {
    SetDUNA_Key(value);
  } else {
    return TComponent::SetLayoutProperty(name, value);
  }
  return true;
}

bool TDialUp::SetLayoutEvent(const std::string& event, const std::any& handler) {
  if (event == "OnDialing") return AssignLayoutEvent(OnDialing, handler, event);
  if (event == "OnConnect") return AssignLayoutEvent(OnConnect, handler, event);
  if (event == "OnNotConnected") return AssignLayoutEvent(OnNotConnected, handler, event);
  if (event == "OnAsyncEvent") return AssignLayoutEvent(OnAsyncEvent, handler, event);
  if (event == "OnError") return AssignLayoutEvent(OnError, handler, event);
  return TComponent::SetLayoutEvent(event, handler);
}

bool TDialUp::CollectAdapters() {
  return FStats.CollectAdapters(dialup::PlatformFamily());
}

bool TDialUp::ControlStatistics(bool Start, bool Refresh) {
  return FStats.ControlStatistics(dialup::PlatformFamily(), Start, Refresh);
}

bool TDialUp::ReadStatistics() {
  return FStats.ReadStatistics(dialup::PlatformFamily());
}

void TDialUp::ResetStatistics() {
  FStats.ResetStatistics();
}

// The main window's tunnel types: the choice in the "连接协议" menu (kept as the settings'
// Protocol value) beside the service's type and the "L2TP模式" box, the tunnels a connect
// dials, plain L2TP's preparation of the machine and the IPsec it gives back, and the
// pre-shared key of L2TP/IPsec with its window.
#include <windows.h>

#include <utility>
#include <vector>

#include "app/L2tpSetup.h"
#include "app/ServiceConfig.h"
#include "app/Settings.h"
#include "app/Unit_FrmMain.h"
#include "core/app/tunnel_choice.h"
#include "forms/FrmPreSharedKey.h"

using vpn::app::TunnelChoice;
using vpn::ras::Tunnel;

namespace {

// The choice in force now: the user's, else the service's, else the box.
TunnelChoice ChoiceNow() {
  std::string protocol;
  try {
    protocol = TSettingsStore().LoadProtocol();
  } catch (const std::exception&) {
    // A settings key that cannot be read chooses nothing.
  }
  return vpn::app::ChoiceInForce(protocol, DefaultTunnelType());
}

const char kRestartText[] = "你需要重新启动系统，然后再运行此程序";
const char kNoKeyText[] = "L2TP/IPsec 需要预共享密钥，请在“连接协议”菜单中设置";

}  // namespace

// The user's own key first: a service that changed its key can be followed without a new
// service.ini.
vpn::SecretText TFrmMain::PreSharedKey() const {
  vpn::SecretText key;
  try {
    key = TSettingsStore().LoadPreSharedKey();
  } catch (const std::exception&) {
    // The user's key cannot be read: the service's is the one there is.
  }
  if (key.empty()) key = vpn::SecretText(ServicePreSharedKey());
  return key;
}

std::string TFrmMain::TipCaption() const {
  return FNameTunnel ? vpn::app::TunnelCaption(Caption(), FConnectedTunnel) : Caption();
}

std::string TFrmMain::ConnectedTunnel() const {
  return FState == vpn::app::ConnectionState::Connected ? vpn::ras::TunnelName(FConnectedTunnel)
                                                        : std::string();
}

std::string TFrmMain::FirstTunnelName() const {
  const std::vector<Tunnel> tunnels =
      vpn::app::TunnelsToDial(ChoiceNow(), CheckBox2->Checked(), !PreSharedKey().empty());
  return tunnels.empty() ? std::string() : vpn::ras::TunnelName(tunnels.front());
}

bool TFrmMain::ChooseTunnels() {
  const TunnelChoice choice = ChoiceNow();
  // Only Automatic and L2TP/IPsec ask for the key: the other choices do not read it.
  const bool key_known = (choice == TunnelChoice::kAuto || choice == TunnelChoice::kL2tpIpsec) &&
                         !PreSharedKey().empty();
  if (choice == TunnelChoice::kL2tpIpsec && !key_known) {
    SetStatus(kNoKeyText);
    return false;
  }
  FTunnels = vpn::app::TunnelsToDial(choice, CheckBox2->Checked(), key_known);
  FTunnelIndex = 0;
  FNameTunnel = choice != TunnelChoice::kBox;
  const TSettingsStore settings;
  if (FTunnels.front() == Tunnel::kL2tp) {
    // Registry errors end the connect here and reach the application's error box. What
    // ProhibitIpSec held is remembered before it is changed.
    const auto remember = [&](TProhibitIpSec earlier) {
      settings.SaveEarlierProhibitIpSec(vpn::app::EarlierProhibitIpSecText(earlier));
    };
    switch (PrepareL2tp(remember)) {
      case lrUnsupported:
        Application->MessageBox("系统出错，不支持L2TP，将以PPTP形式连接", Application->Title(),
                                MB_OK);
        FTunnels.assign(1, Tunnel::kPptp);
        break;
      case lrRestartNeeded:
        MessageBoxW(Handle(), GbkToWide(kRestartText).c_str(), GbkToWide("提示").c_str(), MB_OK);
        return false;
      case lrReady:
        break;
    }
    return true;
  }
  bool encrypts = false;
  for (Tunnel t : FTunnels) encrypts = encrypts || vpn::ras::Encrypts(t);
  if (!encrypts) return true;
  // An encrypting type gives the machine back the IPsec that plain L2TP switched off.
  bool ipsec_back = false;
  try {
    if (const auto earlier =
            vpn::app::ParseEarlierProhibitIpSec(settings.LoadEarlierProhibitIpSec())) {
      ipsec_back = RestoreProhibitIpSec(*earlier);
      settings.SaveEarlierProhibitIpSec("");
    }
  } catch (const std::exception&) {
    // Tried again at the next connect; this one goes on.
  }
  // L2TP/IPsec alone cannot work before the restart; Automatic has other types to try.
  if (ipsec_back && choice == TunnelChoice::kL2tpIpsec) {
    MessageBoxW(Handle(), GbkToWide(kRestartText).c_str(), GbkToWide("提示").c_str(), MB_OK);
    return false;
  }
  return true;
}

// The radio item of the choice in force, and the box ticked exactly for plain L2TP. With
// no choice made (the design's way) the box keeps what the user ticked and the menu
// shows what it chooses.
void TFrmMain::ShowTunnelChoice() {
  const TunnelChoice choice = ChoiceNow();
  if (choice != TunnelChoice::kBox) {
    // Setting the box clicks it: that click is no choice of the user's.
    const bool was = std::exchange(FShowingTunnelChoice, true);
    CheckBox2->SetChecked(choice == TunnelChoice::kL2tp);
    FShowingTunnelChoice = was;
  }
  const bool l2tp = CheckBox2->Checked();
  const std::pair<TMenuItem*, bool> items[] = {
      {P2, choice == TunnelChoice::kAuto},
      {P3, choice == TunnelChoice::kIkev2},
      {P4, choice == TunnelChoice::kSstp},
      {P5, choice == TunnelChoice::kL2tpIpsec},
      {P6, choice == TunnelChoice::kL2tp || (choice == TunnelChoice::kBox && l2tp)},
      {P7, choice == TunnelChoice::kPptp || (choice == TunnelChoice::kBox && !l2tp)},
  };
  for (const auto& [item, on] : items) item->SetChecked(on);
}

// Ticked or not, the box chooses L2TP or PPTP. With no choice made it only does so for
// the next connect, as in the design; otherwise it changes the choice kept.
void TFrmMain::CheckBox2Click() {
  if (FShowingTunnelChoice) return;
  if (ChoiceNow() != TunnelChoice::kBox) {
    try {
      TSettingsStore().SaveProtocol(vpn::app::ProtocolValue(
          CheckBox2->Checked() ? TunnelChoice::kL2tp : TunnelChoice::kPptp));
    } catch (const std::exception& e) {
      Application->HandleException(e);
    }
  }
  ShowTunnelChoice();
}

void TFrmMain::ProtocolItemClick(TObject* Sender) {
  const std::pair<TMenuItem*, TunnelChoice> items[] = {
      {P2, TunnelChoice::kAuto},      {P3, TunnelChoice::kIkev2}, {P4, TunnelChoice::kSstp},
      {P5, TunnelChoice::kL2tpIpsec}, {P6, TunnelChoice::kL2tp},  {P7, TunnelChoice::kPptp},
  };
  for (const auto& [item, choice] : items) {
    if (item != Sender) continue;
    try {
      TSettingsStore().SaveProtocol(vpn::app::ProtocolValue(choice));
    } catch (const std::exception& e) {
      Application->HandleException(e);
    }
  }
  ShowTunnelChoice();
}

// The key's window: it never shows a key, only whose key the next dial would take.
void TFrmMain::P9Click(TObject* Sender) {
  if (!FKeyWindow) {
    Application->CreateForm(FKeyWindow);
    FKeyWindow->OnSave = [](const vpn::SecretText& key) {
      try {
        TSettingsStore().SavePreSharedKey(key);
        return true;
      } catch (const std::exception& e) {
        Application->HandleException(e);
        return false;
      }
    };
  }
  vpn::SecretText own;
  try {
    own = TSettingsStore().LoadPreSharedKey();
  } catch (const std::exception&) {
  }
  FKeyWindow->Open(!own.empty() ? ksUser : !ServicePreSharedKey().empty() ? ksService : ksNone);
}

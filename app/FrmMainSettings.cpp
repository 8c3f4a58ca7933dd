// The main window's remembered values: saved a moment after each change (a burst of
// typing makes one save), at every close and when the session ends, so that neither a
// log-off nor a crash loses what the user typed.
#include <utility>

#include "app/Settings.h"
#include "app/Unit_FrmMain.h"

void TFrmMain::SettingChanged() {
  // Restarted by each change: the save comes a second after the last one.
  SaveTimer->SetEnabled(false);
  SaveTimer->SetEnabled(true);
}

void TFrmMain::SaveSettings(TSaveErrors errors) {
  SaveTimer->SetEnabled(false);
  try {
    TSettingsStore().Save(
        {IPAddrTxt->Text(), UserNameTxt->Text(), PasswordText(), CheckBox1->Checked()});
  } catch (const std::exception& e) {
    // A registry that refuses the saves made while typing is told once, not at every key.
    if (errors == seShow || (errors == seShowOnce && !std::exchange(FSaveFailureShown, true)))
      Application->HandleException(e);
  }
}

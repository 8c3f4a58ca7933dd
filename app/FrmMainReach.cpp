// The way to every feature: the settings sub-menu "设置(&S)" of the tray menu (S1, in the
// layout) is shown in the main window's system menu as well, so that the caption's icon,
// Alt+Space and the tray reach the account pages, the account query, the speed test and
// the About box, each by its key.
#include "app/Unit_FrmMain.h"

namespace {

// The program's own entries of the system menu: no restore, maximise or minimise entry of
// the skin's, and no picture of its glyphs.
constexpr intptr_t kProgramEntryTag = 200;

}  // namespace

void TFrmMain::HookSystemMenu() {
  SkinData1->SetOnSystemMenu([this](TSkinData*, HWND Window, TPopupMenu* Menu) {
    if (HandleAllocated() && Window == Handle()) AddSettingsTo(Menu);
  });
}

// Once per system menu (the skin makes a new one when it is applied anew): a link to S1
// and a separator, just before the menu's last separator and "Close".
void TFrmMain::AddSettingsTo(TPopupMenu* SystemMenu) {
  TMenuItem* root = SystemMenu->Items();
  for (int i = 0; i < root->Count(); ++i)
    if (root->Items(i)->SubMenuOf() == S1) return;
  int at = root->Count();
  for (int i = root->Count() - 1; i >= 0; --i)
    if (root->Items(i)->IsLine()) {
      at = i + 1;
      break;
    }
  auto* settings = new TMenuItem(SystemMenu);
  settings->SetCaption(S1->Caption());
  settings->SetTag(kProgramEntryTag);
  settings->SetSubMenuOf(S1);
  auto* line = new TMenuItem(SystemMenu);
  line->SetCaption("-");
  line->SetTag(kProgramEntryTag);
  root->Insert(at, settings);
  root->Insert(at + 1, line);
}

// The speed test, unless one runs already.
void TFrmMain::T1Click(TObject* Sender) {
  if (Button3->Enabled()) Button3Click(Sender);
}

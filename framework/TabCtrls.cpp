// clang-format off
#include <windows.h>
#include <commctrl.h>  // needs windows.h first
// clang-format on

#include "framework/TabCtrls.h"

#include <algorithm>

#include "framework/Gbk.h"

// ---------------------------------------------------------------- TCustomTabControl

TCustomTabControl::TCustomTabControl(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 289;
  FHeight = 193;
  SetTabStop(true);
}

void TCustomTabControl::SetTabPosition(TTabPosition Value) {
  if (Value == FTabPosition) return;
  FTabPosition = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomTabControl::SetMultiLine(bool Value) {
  if (Value == FMultiLine) return;
  FMultiLine = Value;
  if (HandleAllocated()) RecreateWnd();
}

int TCustomTabControl::TabIndex() const {
  if (HWND w = ExistingHandle()) return static_cast<int>(SendMessageW(w, TCM_GETCURSEL, 0, 0));
  return FTabIndex;
}

void TCustomTabControl::SetTabIndex(int Value) {
  FTabIndex = Value;
  if (HandleAllocated()) SendMessageW(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(Value), 0);
}

RECT TCustomTabControl::DisplayRect() {
  RECT r{0, 0, FWidth, FHeight};
  if (HWND w = Handle()) {
    GetClientRect(w, &r);
    SendMessageW(w, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  }
  return r;
}

void TCustomTabControl::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SysClassName = WC_TABCONTROLW;
  // Pages and other controls on the sheet are children of the control.
  p.Style |= WS_CLIPCHILDREN;
  switch (FTabPosition) {
    case tpBottom:
      p.Style |= TCS_BOTTOM;
      break;
    case tpLeft:
      p.Style |= TCS_VERTICAL;
      break;
    case tpRight:
      p.Style |= TCS_VERTICAL | TCS_RIGHT;
      break;
    default:
      break;
  }
  // The system stands tabs on a side in columns only.
  if (FMultiLine || FTabPosition == tpLeft || FTabPosition == tpRight) p.Style |= TCS_MULTILINE;
}

void TCustomTabControl::InitializeWnd() {
  TWinControl::InitializeWnd();
  UpdateTabs();
}

void TCustomTabControl::UpdateTabs() {
  HWND w = ExistingHandle();
  if (!w) return;
  const std::vector<std::string> texts = TabTexts();
  const int chosen = FTabIndex;
  SendMessageW(w, TCM_DELETEALLITEMS, 0, 0);
  for (size_t i = 0; i < texts.size(); ++i) {
    std::wstring text = GbkToWide(texts[i]);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    SendMessageW(w, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  if (chosen >= 0 && chosen < static_cast<int>(texts.size()))
    SendMessageW(w, TCM_SETCURSEL, static_cast<WPARAM>(chosen), 0);
  FTabIndex = TabIndex();
}

void TCustomTabControl::Change() {
  if (OnChange) OnChange(this);
}

void TCustomTabControl::WndProc(TMessage& m) {
  if (m.Msg == CN_NOTIFY) {
    const auto* hdr = reinterpret_cast<const NMHDR*>(m.LParam);
    if (hdr->code == TCN_SELCHANGING) {
      bool allow = true;
      if (OnChanging) OnChanging(this, allow);
      m.Result = allow ? FALSE : TRUE;  // TRUE keeps the current tab
      return;
    }
    if (hdr->code == TCN_SELCHANGE) {
      FTabIndex = TabIndex();
      Change();
      return;
    }
  }
  if (m.Msg == WM_DESTROY) FTabIndex = TabIndex();
  TWinControl::WndProc(m);
}

bool TCustomTabControl::SetLayoutProperty(const std::string& name, const std::string& value) {
  if (name == "TabPosition") {
    if (value == "tpTop")
      SetTabPosition(tpTop);
    else if (value == "tpBottom")
      SetTabPosition(tpBottom);
    else if (value == "tpLeft")
      SetTabPosition(tpLeft);
    else if (value == "tpRight")
      SetTabPosition(tpRight);
    else
      throw Exception("Not a tab position: " + value);
  } else if (name == "MultiLine") {
    SetMultiLine(value == "True");
  } else if (name == "TabIndex") {
    SetTabIndex(std::stoi(value));
  } else {
    return TWinControl::SetLayoutProperty(name, value);
  }
  return true;
}

// ---------------------------------------------------------------- TTabControl

TTabControl::TTabControl(TComponent* AOwner) : TCustomTabControl(AOwner) {}

void TTabControl::SetTabs(const std::vector<std::string>& Texts) {
  FTabs = Texts;
  if (FTabIndex >= static_cast<int>(FTabs.size())) FTabIndex = -1;
  if (FTabIndex < 0 && !FTabs.empty()) FTabIndex = 0;
  UpdateTabs();
}

void TTabControl::AddTab(const std::string& Text) {
  std::vector<std::string> texts = FTabs;
  texts.push_back(Text);
  SetTabs(texts);
}

bool TTabControl::SetLayoutProperty(const std::string& name, const std::string& value) {
  if (name != "Tabs") return TCustomTabControl::SetLayoutProperty(name, value);
  std::vector<std::string> texts;
  size_t at = 0;
  while (at <= value.size()) {
    size_t end = value.find('\n', at);
    if (end == std::string::npos) end = value.size();
    texts.push_back(value.substr(at, end - at));
    at = end + 1;
  }
  SetTabs(texts);
  return true;
}

// ---------------------------------------------------------------- TTabSheet

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {
  FOwnPaint = true;  // its face colour and its windowless controls
  FVisible = false;  // until its page control shows it
}

TTabSheet::~TTabSheet() {
  SetPageControl(nullptr);
}

void TTabSheet::SetPageControl(TPageControl* Value) {
  if (Value == FPageControl) return;
  if (FPageControl) FPageControl->RemovePage(this);
  FPageControl = Value;
  if (Value) {
    if (Parent() != Value) TWinControl::SetParent(Value);
    Value->InsertPage(this);
  }
}

void TTabSheet::SetParent(TWinControl* parent) {
  TWinControl::SetParent(parent);
  auto* pages = dynamic_cast<TPageControl*>(parent);
  if (pages != FPageControl) SetPageControl(pages);
}

int TTabSheet::PageIndex() const {
  if (!FPageControl) return -1;
  const auto& pages = FPageControl->FPages;
  return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::TextChanged() {
  TWinControl::TextChanged();
  if (FPageControl) FPageControl->UpdateTabs();
}

// ---------------------------------------------------------------- TPageControl

TPageControl::TPageControl(TComponent* AOwner) : TCustomTabControl(AOwner) {}

TPageControl::~TPageControl() {
  // The pages outlive the control only as orphans.
  for (TTabSheet* page : std::vector<TTabSheet*>(FPages)) page->FPageControl = nullptr;
  FPages.clear();
}

std::vector<std::string> TPageControl::TabTexts() const {
  std::vector<std::string> texts;
  for (TTabSheet* page : FPages) texts.push_back(page->Caption());
  return texts;
}

void TPageControl::InsertPage(TTabSheet* Page) {
  FPages.push_back(Page);
  if (!FActivePage) FActivePage = Page;
  FTabIndex = ActivePageIndex();
  UpdateTabs();
  ArrangePages();
}

void TPageControl::RemovePage(TTabSheet* Page) {
  const auto it = std::find(FPages.begin(), FPages.end(), Page);
  if (it == FPages.end()) return;
  const size_t index = static_cast<size_t>(it - FPages.begin());
  FPages.erase(it);
  if (FActivePage == Page)
    FActivePage = FPages.empty() ? nullptr : FPages[std::min(index, FPages.size() - 1)];
  FTabIndex = ActivePageIndex();
  if (!HasState(csDestroying)) {
    UpdateTabs();
    ArrangePages();
  }
}

int TPageControl::ActivePageIndex() const {
  const auto it = std::find(FPages.begin(), FPages.end(), FActivePage);
  return it == FPages.end() ? -1 : static_cast<int>(it - FPages.begin());
}

void TPageControl::SetActivePage(TTabSheet* Page) {
  if (Page && Page->PageControl() != this) return;
  FActivePage = Page;
  SetTabIndex(ActivePageIndex());
  ArrangePages();
}

void TPageControl::SetActivePageIndex(int Index) {
  SetActivePage(Index >= 0 && Index < PageCount() ? Pages(Index) : nullptr);
}

void TPageControl::Change() {
  const int index = TabIndex();
  FActivePage = index >= 0 && index < PageCount() ? Pages(index) : nullptr;
  ArrangePages();
  TCustomTabControl::Change();
}

void TPageControl::InitializeWnd() {
  TCustomTabControl::InitializeWnd();
  ArrangePages();
}

void TPageControl::BoundsChanged(const RECT& old) {
  TCustomTabControl::BoundsChanged(old);
  ArrangePages();
}

void TPageControl::ArrangePages() {
  if (!HandleAllocated()) return;
  const RECT r = DisplayRect();
  for (TTabSheet* page : FPages) {
    page->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    page->SetVisible(page == FActivePage);
  }
}

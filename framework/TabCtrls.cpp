// clang-format off
#include <windows.h>
#include <commctrl.h>  // needs windows.h first
// clang-format on

#include "framework/TabCtrls.h"

#include <windowsx.h>

#include <algorithm>

#include "framework/Gbk.h"
#include "framework/Graphics.h"

namespace {

constexpr int kTabSetStart = 4;    // room before the first tab
constexpr int kTabSetPadding = 8;  // on each side of a tab's text

std::vector<std::string> SplitLines(const std::string& value) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at <= value.size()) {
    size_t end = value.find('\n', at);
    if (end == std::string::npos) end = value.size();
    lines.push_back(value.substr(at, end - at));
    at = end + 1;
  }
  return lines;
}

}  // namespace

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
  SetTabs(SplitLines(value));
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

// ---------------------------------------------------------------- TTabSet

TTabSet::TTabSet(TComponent* AOwner) : TWinControl(AOwner) {
  FOwnPaint = true;
  FWidth = 185;
  FHeight = 21;
  SetTabStop(true);
}

void TTabSet::SetTabs(const std::vector<std::string>& Texts) {
  FTabs = Texts;
  if (FTabIndex >= static_cast<int>(FTabs.size())) FTabIndex = FTabs.empty() ? -1 : 0;
  if (FTabIndex < 0 && !FTabs.empty()) FTabIndex = 0;
  FEdges.clear();
  Invalidate();
}

void TTabSet::SetTabIndex(int Value) {
  if (Value < -1 || Value >= static_cast<int>(FTabs.size())) return;
  FTabIndex = Value;
  Invalidate();
}

void TTabSet::SelectTab(int Index) {
  if (Index == FTabIndex || Index < 0 || Index >= static_cast<int>(FTabs.size())) return;
  bool allow = true;
  if (OnChanging) OnChanging(this, allow);
  if (!allow) return;
  SetTabIndex(Index);
  if (OnChange) OnChange(this);
}

void TTabSet::FontChanged() {
  FEdges.clear();
  TWinControl::FontChanged();
}

void TTabSet::MeasureTabs() {
  if (FEdges.size() == FTabs.size() + 1) return;
  FEdges.assign(1, kTabSetStart);
  HDC dc = GetDC(nullptr);
  {
    TSelectObject font(dc, FFont.Handle());
    for (const std::string& t : FTabs) {
      const std::wstring text = GbkToWide(t);
      SIZE size{};
      GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
      FEdges.push_back(FEdges.back() + size.cx + 2 * kTabSetPadding);
    }
  }
  ReleaseDC(nullptr, dc);
}

RECT TTabSet::ItemRect(int Index) {
  if (Index < 0 || Index >= static_cast<int>(FTabs.size())) return {};
  MeasureTabs();
  const size_t i = static_cast<size_t>(Index);
  return {FEdges[i], 0, FEdges[i + 1], std::max(0, FHeight - 1)};
}

int TTabSet::ItemAtPos(POINT P) {
  for (int i = 0; i < static_cast<int>(FTabs.size()); ++i) {
    const RECT r = ItemRect(i);
    if (PtInRect(&r, P)) return i;
  }
  return -1;
}

void TTabSet::PaintWindow(HDC dc) {
  // The edge of what the tabs switch runs along the top; the chosen tab joins it.
  const RECT all{0, 0, FWidth, FHeight};
  FillRect(dc, &all, ColorBrush(FColor));
  const RECT top{0, 0, FWidth, 1};
  FillRect(dc, &top, GetSysColorBrush(COLOR_3DDKSHADOW));
  TSelectObject font(dc, FFont.Handle());
  SetBkMode(dc, TRANSPARENT);
  for (int i = 0; i < static_cast<int>(FTabs.size()); ++i) {
    RECT r = ItemRect(i);
    if (i == FTabIndex) {
      FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
    } else {
      r.top += 2;
    }
    const RECT left{r.left, r.top, r.left + 1, r.bottom},
        right{r.right - 1, r.top, r.right, r.bottom},
        bottom{r.left, r.bottom - 1, r.right, r.bottom};
    for (const RECT& line : {left, right, bottom})
      FillRect(dc, &line, GetSysColorBrush(COLOR_3DSHADOW));
    SetTextColor(dc, GetSysColor(FEnabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    std::wstring text = GbkToWide(FTabs[static_cast<size_t>(i)]);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
}

void TTabSet::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN: {
      if (CanFocus()) SetFocus();
      SelectTab(ItemAtPos({GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)}));
      break;
    }
    case WM_GETDLGCODE:
      m.Result = DLGC_WANTARROWS;
      return;
    case WM_KEYDOWN:
      if (m.WParam == VK_LEFT && FTabIndex > 0) SelectTab(FTabIndex - 1);
      if (m.WParam == VK_RIGHT) SelectTab(FTabIndex + 1);
      break;
  }
  TWinControl::WndProc(m);
}

bool TTabSet::SetLayoutProperty(const std::string& name, const std::string& value) {
  if (name == "Tabs") {
    SetTabs(SplitLines(value));
  } else if (name == "TabIndex") {
    SetTabIndex(std::stoi(value));
  } else {
    return TWinControl::SetLayoutProperty(name, value);
  }
  return true;
}

#include "framework/EditSuggest.h"

#include <algorithm>

#include "core/text/text.h"
#include "framework/Gbk.h"
#include "framework/StdCtrls.h"

namespace {

// Whether `text` holds `typed` (ASCII letters in either case), and where.
size_t Find(const std::string& text, const std::string& typed) {
  return vpn::AsciiLower(text).find(vpn::AsciiLower(typed));
}

int TextWidth(HDC dc, const std::wstring& text) {
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size);
  return size.cx;
}

}  // namespace

TEditSuggest::TEditSuggest(TEdit* Edit) : FEdit(Edit) {
  FOldProc = FEdit->WindowProc;
  FEdit->WindowProc = [this](TMessage& m) { EditMessage(m); };
}

TEditSuggest::~TEditSuggest() {
  FEdit->WindowProc = FOldProc;
  if (FList) SetWindowLongPtrW(FList.Get(), GWLP_WNDPROC, LONG_PTR(FOldListProc));
}

void TEditSuggest::SetChoices(std::vector<TChoice> Choices) {
  FChoices = std::move(Choices);
  if (Shown()) Fill(FEdit->Text(), false);
}

void TEditSuggest::TextChanged() {
  if (FChoosing || !FEdit->HandleAllocated() || GetFocus() != FEdit->Handle()) return;
  Fill(FEdit->Text(), false);
}

void TEditSuggest::Open() {
  Fill(FEdit->Text(), true);
}

void TEditSuggest::Close() {
  if (FList && IsWindowVisible(FList.Get())) ShowWindow(FList.Get(), SW_HIDE);
}

bool TEditSuggest::Shown() const {
  return FList && IsWindowVisible(FList.Get());
}

std::vector<std::string> TEditSuggest::ShownTexts() const {
  std::vector<std::string> texts;
  if (Shown())
    for (size_t row : FShown) texts.push_back(FChoices[row].Text);
  return texts;
}

int TEditSuggest::Highlighted() const {
  return Shown() ? int(SendMessageW(FList.Get(), LB_GETCURSEL, 0, 0)) : -1;
}

// The choices that hold the text, those that begin with it first; a text that is already
// the one choice there is, or that none holds, shows nothing.
void TEditSuggest::Fill(const std::string& Typed, bool All) {
  const std::string text = vpn::Trim(Typed);
  std::vector<size_t> starts, holds;
  for (size_t i = 0; i < FChoices.size(); ++i) {
    const size_t at = text.empty() ? (All ? 0 : std::string::npos) : Find(FChoices[i].Text, text);
    if (at == 0)
      starts.push_back(i);
    else if (at != std::string::npos)
      holds.push_back(i);
  }
  FShown = starts;
  FShown.insert(FShown.end(), holds.begin(), holds.end());
  const bool complete =
      FShown.size() == 1 && vpn::SameTextAscii(FChoices[FShown[0]].Text, text) && !All;
  if (FShown.empty() || complete) {
    Close();
    return;
  }
  Place();
}

// The list under the edit (above it where the screen ends), as wide as the edit or as its
// texts need, at most MaxRows rows high.
void TEditSuggest::Place() {
  HWND edit = FEdit->Handle();
  if (!FList) {
    FList.Reset(CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"LISTBOX", L"",
                                WS_POPUP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_HASSTRINGS |
                                    LBS_USETABSTOPS | LBS_NOINTEGRALHEIGHT,
                                0, 0, 10, 10, GetAncestor(edit, GA_ROOT), nullptr,
                                GetModuleHandleW(nullptr), nullptr));
    if (!FList) return;
    SetWindowLongPtrW(FList.Get(), GWLP_USERDATA, LONG_PTR(this));
    FOldListProc =
        WNDPROC(SetWindowLongPtrW(FList.Get(), GWLP_WNDPROC, LONG_PTR(&TEditSuggest::ListProc)));
  }
  HWND list = FList.Get();
  const HFONT font = HFONT(SendMessageW(edit, WM_GETFONT, 0, 0));
  SendMessageW(list, WM_SETFONT, WPARAM(font), FALSE);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  HDC dc = GetDC(list);
  HGDIOBJ old = SelectObject(dc, font);
  int textWidth = 0, noteWidth = 0;
  for (size_t row : FShown) {
    textWidth = std::max(textWidth, TextWidth(dc, GbkToWide(FChoices[row].Text)));
    noteWidth = std::max(noteWidth, TextWidth(dc, GbkToWide(FChoices[row].Note)));
  }
  // A list box counts its tab stops in quarters of the average width of the letters.
  const int average =
      (TextWidth(dc, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 26 + 1) / 2;
  SelectObject(dc, old);
  ReleaseDC(list, dc);
  // The notes start one gap after the longest text.
  const int gap = 16;
  const int stop = (textWidth + gap) * 4 / std::max(average, 1) + 1;
  SendMessageW(list, LB_SETTABSTOPS, 1, LPARAM(&stop));
  for (size_t row : FShown) {
    std::wstring line = GbkToWide(FChoices[row].Text);
    if (!FChoices[row].Note.empty()) line += L"\t" + GbkToWide(FChoices[row].Note);
    SendMessageW(list, LB_ADDSTRING, 0, LPARAM(line.c_str()));
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);

  const int rows = std::min<int>(int(FShown.size()), std::max(MaxRows, 1));
  const int itemHeight = int(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
  const bool scrolls = int(FShown.size()) > rows;
  RECT er{};
  GetWindowRect(edit, &er);
  const int width =
      std::max<int>(er.right - er.left, textWidth + gap + noteWidth + 8 +
                                            (scrolls ? GetSystemMetrics(SM_CXVSCROLL) : 0));
  const int height = rows * itemHeight + 2;
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  GetMonitorInfoW(MonitorFromWindow(edit, MONITOR_DEFAULTTONEAREST), &mi);
  const int top = er.bottom + height <= mi.rcWork.bottom ? er.bottom : er.top - height;
  const int left = std::min<int>(er.left, mi.rcWork.right - width);
  SetWindowPos(list, HWND_TOP, left, top, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void TEditSuggest::Choose(int Row) {
  if (Row < 0 || size_t(Row) >= FShown.size()) return;
  const TChoice choice = FChoices[FShown[size_t(Row)]];
  Close();
  FChoosing = true;
  FEdit->SetText(choice.Text);
  FChoosing = false;
  SendMessageW(FEdit->Handle(), EM_SETSEL, WPARAM(-1), LPARAM(-1));
  if (OnChoose) OnChoose(choice);
}

// The keys the open list takes; Down also opens it.
bool TEditSuggest::Key(WPARAM Key) {
  if (!Shown()) {
    if (Key != VK_DOWN || FChoices.empty()) return false;
    Open();
    return Shown();
  }
  const int count = int(FShown.size());
  const int at = Highlighted();
  const int page = std::max(MaxRows - 1, 1);
  switch (Key) {
    case VK_DOWN:
    case VK_UP:
    case VK_NEXT:
    case VK_PRIOR: {
      const int step = Key == VK_DOWN ? 1 : Key == VK_UP ? -1 : Key == VK_NEXT ? page : -page;
      const int next = at < 0 ? (step > 0 ? 0 : count - 1) : std::clamp(at + step, 0, count - 1);
      SendMessageW(FList.Get(), LB_SETCURSEL, WPARAM(next), 0);
      return true;
    }
    case VK_RETURN:
      // Without a highlighted choice Enter is the edit's own.
      if (at < 0) {
        Close();
        return false;
      }
      Choose(at);
      return true;
    case VK_ESCAPE:
      Close();
      return true;
    default:
      return false;
  }
}

void TEditSuggest::EditMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_KEYDOWN:
      if (Key(m.WParam)) {
        FSwallowChar = m.WParam == VK_RETURN || m.WParam == VK_ESCAPE;
        m.Result = 0;
        return;
      }
      FSwallowChar = false;
      break;
    case WM_CHAR:
      if (std::exchange(FSwallowChar, false) && (m.WParam == VK_RETURN || m.WParam == VK_ESCAPE)) {
        m.Result = 0;
        return;
      }
      break;
    case WM_KILLFOCUS:
    case WM_DESTROY:
      Close();
      break;
    default:
      break;
  }
  FOldProc(m);
}

LRESULT CALLBACK TEditSuggest::ListProc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TEditSuggest*>(GetWindowLongPtrW(w, GWLP_USERDATA));
  switch (msg) {
    case WM_MOUSEACTIVATE:
      // The edit keeps the focus and its window stays active.
      return MA_NOACTIVATE;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN: {
      const LRESULT hit = CallWindowProcW(self->FOldListProc, w, LB_ITEMFROMPOINT, 0, lParam);
      if (HIWORD(hit) == 0) {
        if (msg == WM_MOUSEMOVE)
          CallWindowProcW(self->FOldListProc, w, LB_SETCURSEL, LOWORD(hit), 0);
        else
          self->Choose(int(LOWORD(hit)));
      }
      return 0;
    }
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
      return 0;
    default:
      return CallWindowProcW(self->FOldListProc, w, msg, wParam, lParam);
  }
}

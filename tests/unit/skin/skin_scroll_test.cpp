// The skinned scroll bars on real windows under Wine, with the scroll test skin (one flat
// colour per frame): a list box's two bars and a scroll-bar control show each piece from
// its picture in the right frame; real mouse input drags the thumb to the last line,
// holds an arrow, pages and turns the wheel; a skin without bar pictures leaves the bars
// as the system draws them. Presses on a skinned bar run a loop of their own inside the
// window's message handling, so the mouse is driven from a second thread while this one
// handles the window's messages.
#include <gtest/gtest.h>
#include <windows.h>
// (after the base declarations)
#include <commctrl.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "core/skin/SkinScrollGeometry.h"
#include "skin/SkinData.h"
#include "skin/SkinForm.h"
#include "skin/SkinManager.h"
#include "tests/support/wait_until.h"
#include "tests/unit/skin/frame_test_support.h"

using namespace frametest;
using namespace vpn::skin;

namespace {

// The scroll test skin's colours.
constexpr uint32_t Arrow(int frame) {
  return Rgb(10 * frame, 200, 255 - 10 * frame);
}
constexpr uint32_t kBarBack = Rgb(30, 30, 30), kFace = Rgb(200, 220, 180);
constexpr uint32_t kTrack1 = Rgb(40, 40, 160);
constexpr uint32_t kThumb[] = {0, Rgb(230, 120, 0), Rgb(120, 230, 0), Rgb(0, 120, 230)};
constexpr uint32_t kHeader1 = Rgb(250, 230, 200);

// Runs the mouse script on a second thread while this thread handles messages.
void WithMouse(const std::function<void()>& script) {
  std::atomic<bool> done{false};
  std::thread t([&] {
    script();
    done = true;
  });
  PumpUntil([&] { return done.load(); }, 10000);
  t.join();
  Pump(100);
}

// The parent handles its scroll-bar control the way a dialog does.
LRESULT CALLBACK ParentProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_VSCROLL && lp) {
    HWND bar = reinterpret_cast<HWND>(lp);
    int pos = GetScrollPos(bar, SB_CTL);
    switch (LOWORD(wp)) {
      case SB_LINEUP:
        --pos;
        break;
      case SB_LINEDOWN:
        ++pos;
        break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION:
        pos = HIWORD(wp);
        break;
      default:
        return 0;
    }
    SetScrollPos(bar, SB_CTL, pos, TRUE);
    return 0;
  }
  return DefWindowProcW(w, msg, wp, lp);
}
// Where the bars of a control lie, as the skin lays them out.
TScrollBarsLayout BarsOf(HWND w) {
  RECT r{}, c{};
  GetWindowRect(w, &r);
  GetClientRect(w, &c);
  const LONG_PTR style = GetWindowLongPtrW(w, GWL_STYLE);
  return ScrollBarsLayoutOf(r.right - r.left, r.bottom - r.top, c.right, c.bottom,
                            GetSystemMetrics(SM_CXHSCROLL), GetSystemMetrics(SM_CXEDGE),
                            style & WS_HSCROLL, style & WS_VSCROLL, false);
}
// The thumb of a vertical bar BarLength long as the scroll information stands now.
TThumbGeometry ThumbOf(HWND w, int which, int barLength) {
  SCROLLINFO si{sizeof si, SIF_ALL};
  GetScrollInfo(w, which, &si);
  const int a = GetSystemMetrics(SM_CXHSCROLL);
  return ThumbGeometryOf({}, barLength, {si.nMin, si.nMax, int(si.nPage), si.nPos},
                         {a, 8, GetSystemMetrics(SM_CXHTHUMB)});
}
int TopIndex(HWND list) {
  return static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0));
}

class SkinScroll : public ::testing::Test {
 protected:
  void TearDown() override {
    for (HWND w : windows_)
      if (IsWindow(w)) DestroyWindow(w);
    DropSkin(data_);
  }
  void Load(const char* skin) {
    data_.reset(LoadTestSkin(skin));
    ASSERT_TRUE(data_) << "test skin " << skin << " missing";
    SendMouse({2, 2});
  }
  HWND Parent(int x, int y, int w, int h) {
    HWND p = CreateWindowExW(0, TestWindowClass(L"ScrollTestWindow", ParentProc), L"Scroll",
                             WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, x, y, w, h, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    windows_.push_back(p);
    return p;
  }
  // A list box of Lines lines, with a horizontal bar as well when Wide.
  static HWND List(HWND parent, int lines, bool wide) {
    HWND list =
        CreateWindowExW(0, L"LISTBOX", L"",
                        WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | (wide ? WS_HSCROLL : 0) |
                            LBS_NOINTEGRALHEIGHT | LBS_NOTIFY,
                        10, 10, 160, 150, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    for (int i = 0; i < lines; ++i) {
      const std::wstring line = L"line " + std::to_wstring(i);
      SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    }
    if (wide) SendMessageW(list, LB_SETHORIZONTALEXTENT, 600, 0);
    return list;
  }
  void ShowSkinned(HWND w) {
    ASSERT_TRUE(ShowUntilSkinned(w));
    Pump(150);
  }
  std::unique_ptr<TSkinData> data_;
  std::vector<HWND> windows_;
};

}  // namespace

TEST_F(SkinScroll, ListBoxBarsComeFromTheSkinAndFollowTheMouse) {
  Load("testskin-s.skin");
  HWND parent = Parent(60, 60, 300, 260);
  HWND list = List(parent, 40, true);
  HWND bar = CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | WS_VISIBLE | SBS_VERT, 200, 10, 16,
                             150, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 100, 10, 0};
  SetScrollInfo(bar, SB_CTL, &si, FALSE);
  ShowSkinned(parent);
  ASSERT_EQ(SendMessageW(list, SM_QUERYSKINNED, 0, 0), 1);
  ASSERT_EQ(SendMessageW(bar, SM_QUERYSKINNED, 0, 0), 1);

  // Both bars: arrows in their frames (the key-coloured corner shows the bar's
  // colour), the track's first frame, the thumb at the top, the corner in the face
  // colour.
  const TScrollBarsLayout l = BarsOf(list);
  const TPixelRect v = l.Vert, h = l.Horz;
  const int a = GetSystemMetrics(SM_CXHSCROLL);
  const int mid = (v.Left + v.Right) / 2;
  TThumbGeometry g = ThumbOf(list, SB_VERT, v.Bottom - v.Top);
  EXPECT_TRUE(WaitForPixel(list, mid, v.Top + a / 2, Arrow(9)));
  Shot s = Capture(list);
  EXPECT_EQ(s.At(v.Left, v.Top), kBarBack);
  EXPECT_EQ(s.At(mid, v.Bottom - a / 2), Arrow(13));
  EXPECT_EQ(s.At(mid, v.Top + a + g.ThumbSize / 2), kThumb[1]);
  EXPECT_EQ(s.At(mid, v.Bottom - a - 8), kTrack1);
  EXPECT_EQ(s.At(h.Left + a / 2, (h.Top + h.Bottom) / 2), Arrow(1));
  EXPECT_EQ(s.At(h.Right - a / 2, (h.Top + h.Bottom) / 2), Arrow(5));
  EXPECT_EQ(s.At(l.Corner.Left + 2, l.Corner.Top + 2), kFace);
  // The scroll-bar control: the same pieces over its whole window.
  EXPECT_TRUE(WaitForPixel(bar, 8, a / 2, Arrow(9)));
  EXPECT_EQ(Capture(bar).At(8, 150 - a / 2), Arrow(13));
  SaveShot(parent, "skin-scroll-list.bmp");

  // Under the mouse the down arrow shows its hot frame, the thumb its own.
  RECT wr{};
  GetWindowRect(list, &wr);
  auto at = [&](int x, int y) { return POINT{wr.left + x, wr.top + y}; };
  SendMouse(at(mid, v.Bottom - a / 2));
  EXPECT_TRUE(WaitForPixel(list, mid, v.Bottom - a / 2, Arrow(15)));
  SendMouse(at(mid, v.Top + a + g.ThumbSize / 2));
  EXPECT_TRUE(WaitForPixel(list, mid, v.Top + a + g.ThumbSize / 2, kThumb[3]));

  // Held down, the arrow shows pressed and scrolls a line; the page area below the
  // thumb scrolls a page.
  Shot held;
  WithMouse([&] {
    SendMouse(at(mid, v.Bottom - a / 2));
    SendMouse(at(mid, v.Bottom - a / 2), MOUSEEVENTF_LEFTDOWN);
    // Held until the list has moved its line; the arrow shows pressed meanwhile.
    testwait::WaitUntil(
        [&] {
          held = Capture(list);
          return TopIndex(list) == 1 && held.At(mid, v.Bottom - a / 2) == Arrow(14);
        },
        2000);
    SendMouse(at(mid, v.Bottom - a / 2), MOUSEEVENTF_LEFTUP);
  });
  EXPECT_EQ(held.At(mid, v.Bottom - a / 2), Arrow(14));
  EXPECT_EQ(TopIndex(list), 1);
  SCROLLINFO page{sizeof page, SIF_PAGE};
  GetScrollInfo(list, SB_VERT, &page);
  WithMouse([&] {
    SendMouse(at(mid, v.Bottom - a - 4), MOUSEEVENTF_LEFTDOWN);
    testwait::WaitUntil([&] { return TopIndex(list) != 1; }, 2000);
    SendMouse(at(mid, v.Bottom - a - 4), MOUSEEVENTF_LEFTUP);
  });
  EXPECT_EQ(TopIndex(list), 1 + int(page.nPage));

  // The thumb dragged past the end of the bar: the list shows its last page, the
  // thumb is drawn pressed at the end while held and at rest after.
  g = ThumbOf(list, SB_VERT, v.Bottom - v.Top);
  const int grab = v.Top + a + g.ThumbPos + g.ThumbSize / 2;
  WithMouse([&] {
    SendMouse(at(mid, grab), MOUSEEVENTF_LEFTDOWN);
    Sleep(80);
    for (int y = grab; y < v.Bottom + 60; y += 12) {
      SendMouse(at(mid, y));
      Sleep(15);  // the pace of a hand
    }
    // Held at the end until the list shows its last page with the thumb drawn there.
    testwait::WaitUntil(
        [&] {
          return TopIndex(list) == 40 - int(page.nPage) &&
                 (held = Capture(list)).At(mid, v.Bottom - a - g.ThumbSize / 2) == kThumb[2];
        },
        2000);
    SendMouse(at(mid, v.Bottom + 60), MOUSEEVENTF_LEFTUP);
  });
  EXPECT_EQ(TopIndex(list), 40 - int(page.nPage));
  EXPECT_EQ(held.At(mid, v.Bottom - a - g.ThumbSize / 2), kThumb[2]);
  SendMouse({2, 2});
  EXPECT_TRUE(WaitForPixel(list, mid, v.Bottom - a - g.ThumbSize / 2, kThumb[1]));

  // The wheel scrolls the list as ever, and the skin's thumb follows it.
  SendMouse(at(40, 40), MOUSEEVENTF_WHEEL, static_cast<DWORD>(WHEEL_DELTA));
  Pump(200);
  EXPECT_LT(TopIndex(list), 40 - int(page.nPage));
  g = ThumbOf(list, SB_VERT, v.Bottom - v.Top);
  EXPECT_TRUE(WaitForPixel(list, mid, v.Top + a + g.ThumbPos + g.ThumbSize / 2, kThumb[1]));

  // The scroll-bar control tells its parent, which moves it.
  GetWindowRect(bar, &wr);
  WithMouse([&] {
    SendMouse({wr.left + 8, wr.bottom - a / 2}, MOUSEEVENTF_LEFTDOWN);
    testwait::WaitUntil([&] { return GetScrollPos(bar, SB_CTL) != 0; }, 2000);
    SendMouse({wr.left + 8, wr.bottom - a / 2}, MOUSEEVENTF_LEFTUP);
  });
  EXPECT_EQ(GetScrollPos(bar, SB_CTL), 1);

  // A disabled list shows its disabled arrows and no thumb.
  EnableWindow(list, FALSE);
  EXPECT_TRUE(WaitForPixel(list, mid, v.Top + a / 2, Arrow(12)));
  EXPECT_EQ(Capture(list).At(mid, v.Top + a + g.ThumbPos + g.ThumbSize / 2), kTrack1);
  EnableWindow(list, TRUE);

  // With the skin switched off the bars are the system's again.
  data_->SetActive(false);
  EXPECT_TRUE(PumpUntil([&] { return Capture(list).At(mid, v.Top + a / 2) != Arrow(9); }, 3000));
  EXPECT_NE(SendMessageW(list, SM_QUERYSKINNED, 0, 0), 1);
}

TEST_F(SkinScroll, MemoAndListViewScrollByTheSkinsBars) {
  Load("testskin-s.skin");
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  HWND parent = Parent(60, 60, 460, 260);
  std::wstring text;
  for (int i = 0; i < 100; ++i) text += L"memo line " + std::to_wstring(i) + L"\r\n";
  HWND memo =
      CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", text.c_str(),
                      WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL, 10, 10,
                      160, 150, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  HWND view =
      CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 200,
                      10, 220, 150, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  wchar_t name[] = L"Name";
  LVCOLUMNW col{LVCF_TEXT | LVCF_WIDTH, 0, 100, name};
  SendMessageW(view, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&col));
  SendMessageW(view, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&col));
  for (int i = 0; i < 100; ++i) {
    std::wstring item = L"item " + std::to_wstring(i);
    LVITEMW it{LVIF_TEXT, i, 0, 0, 0, item.data()};
    SendMessageW(view, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&it));
  }
  ShowSkinned(parent);
  ASSERT_EQ(SendMessageW(memo, SM_QUERYSKINNED, 0, 0), 1);
  ASSERT_EQ(SendMessageW(view, SM_QUERYSKINNED, 0, 0), 1);
  const int a = GetSystemMetrics(SM_CXHSCROLL);
  SaveShot(parent, "skin-scroll-memo-listview.bmp");

  // The memo's thumb dragged past the end shows the last lines: a line further down
  // moves nothing.
  const TPixelRect v = BarsOf(memo).Vert;
  const int mid = (v.Left + v.Right) / 2;
  EXPECT_TRUE(WaitForPixel(memo, mid, v.Top + a / 2, Arrow(9)));
  const TThumbGeometry g = ThumbOf(memo, SB_VERT, v.Bottom - v.Top);
  RECT wr{};
  GetWindowRect(memo, &wr);
  const int grab = wr.top + v.Top + a + g.ThumbPos + g.ThumbSize / 2;
  WithMouse([&] {
    SendMouse({wr.left + mid, grab}, MOUSEEVENTF_LEFTDOWN);
    Sleep(60);
    for (int y = grab; y < wr.bottom + 40; y += 10) {
      SendMouse({wr.left + mid, y});
      Sleep(15);
    }
    SendMouse({wr.left + mid, wr.bottom + 40}, MOUSEEVENTF_LEFTUP);
  });
  const int first = static_cast<int>(SendMessageW(memo, EM_GETFIRSTVISIBLELINE, 0, 0));
  EXPECT_GT(first, 50);
  SendMessageW(memo, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(SendMessageW(memo, EM_GETFIRSTVISIBLELINE, 0, 0), first);

  // The list view: its header from the header picture, its bar from the skin, the
  // down arrow a line further, the thumb dragged past the end its last items.
  HWND header = reinterpret_cast<HWND>(SendMessageW(view, LVM_GETHEADER, 0, 0));
  ASSERT_EQ(SendMessageW(header, SM_QUERYSKINNED, 0, 0), 1);
  RECT item{};
  SendMessageW(header, HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_TRUE(WaitForPixel(header, item.right - 3, 3, kHeader1));
  const TPixelRect lv = BarsOf(view).Vert;
  EXPECT_TRUE(WaitForPixel(view, (lv.Left + lv.Right) / 2, lv.Bottom - a / 2, Arrow(13)));
  GetWindowRect(view, &wr);
  WithMouse([&] {
    const POINT down{wr.left + (lv.Left + lv.Right) / 2, wr.top + lv.Bottom - a / 2};
    SendMouse(down, MOUSEEVENTF_LEFTDOWN);
    testwait::WaitUntil([&] { return SendMessageW(view, LVM_GETTOPINDEX, 0, 0) != 0; }, 2000);
    SendMouse(down, MOUSEEVENTF_LEFTUP);
  });
  EXPECT_EQ(SendMessageW(view, LVM_GETTOPINDEX, 0, 0), 1);
  const TThumbGeometry lg = ThumbOf(view, SB_VERT, lv.Bottom - lv.Top);
  const POINT thumb{wr.left + (lv.Left + lv.Right) / 2,
                    wr.top + lv.Top + a + lg.ThumbPos + lg.ThumbSize / 2};
  WithMouse([&] {
    SendMouse(thumb, MOUSEEVENTF_LEFTDOWN);
    Sleep(60);
    for (int y = thumb.y; y < wr.bottom + 40; y += 10) {
      SendMouse({thumb.x, y});
      Sleep(15);
    }
    SendMouse({thumb.x, wr.bottom + 40}, MOUSEEVENTF_LEFTUP);
  });
  EXPECT_EQ(SendMessageW(view, LVM_GETTOPINDEX, 0, 0),
            100 - SendMessageW(view, LVM_GETCOUNTPERPAGE, 0, 0));
}

TEST_F(SkinScroll, ASkinWithoutBarPicturesLeavesTheBarsToTheControl) {
  Load("testskin-c.skin");
  // The same list in a skinned window and in one that is never activated (so never
  // skinned): the bars look the same.
  HWND plain = Parent(420, 60, 300, 260);
  HWND plainList = List(plain, 200, false);
  SetWindowPos(plain, HWND_BOTTOM, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  HWND parent = Parent(60, 60, 300, 260);
  HWND list = List(parent, 200, false);
  ShowSkinned(parent);
  ASSERT_EQ(SendMessageW(list, SM_QUERYSKINNED, 0, 0), 1);
  ASSERT_EQ(SkinManager->FindSkinForm(plain), nullptr);
  Pump(200);
  const TPixelRect v = BarsOf(list).Vert;
  const Shot skinned = Capture(list), system = Capture(plainList);
  int differing = 0;
  for (int y = v.Top; y < v.Bottom; ++y)
    for (int x = v.Left; x < v.Right; ++x) differing += skinned.At(x, y) != system.At(x, y);
  EXPECT_EQ(differing, 0);
}

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "skin/SkinData.h"
#include "skin/SkinManager.h"
#include "skins/DefaultSkin.h"
#include "tests/support/wait_until.h"
#include "tools/skinpack/LzhEncoder.h"
#include "tools/skinpack/SkinArchive.h"

namespace {

std::vector<uint8_t> DefaultStream() {
  return std::vector<uint8_t>(DefaultSkinStream, DefaultSkinStream + DefaultSkinStreamSize);
}

void Pump(DWORD ms) {
  testwait::PumpFor(ms);
}

// A top-level window of the test's own, shown and activated like a program window.
struct TopWindow {
  HWND wnd;
  explicit TopWindow(const wchar_t* cls = L"STATIC") {
    wnd = CreateWindowExW(0, cls, L"test", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr, nullptr,
                          GetModuleHandleW(nullptr), nullptr);
  }
  ~TopWindow() { DestroyWindow(wnd); }
};

// Answers the first message box of this process and remembers its text.
class MessageBoxAnswerer {
 public:
  MessageBoxAnswerer()
      : thread_([this] {
          testwait::WaitUntil(
              [this] {
                EnumWindows(FindBox, reinterpret_cast<LPARAM>(this));
                return stop_.load();
              },
              20000, false, 20);
        }) {}
  ~MessageBoxAnswerer() {
    stop_ = true;
    thread_.join();
  }
  std::wstring text;
  std::atomic<int> answered{0};

 private:
  static BOOL CALLBACK FindBox(HWND w, LPARAM p) {
    auto* self = reinterpret_cast<MessageBoxAnswerer*>(p);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    wchar_t cls[32] = {};
    GetClassNameW(w, cls, 32);
    if (pid != GetCurrentProcessId() || std::wstring(cls) != L"#32770" || !IsWindowVisible(w))
      return TRUE;
    EnumChildWindows(w, ReadText, reinterpret_cast<LPARAM>(&self->text));
    PostMessageW(w, WM_COMMAND, IDOK, 0);
    ++self->answered;
    self->stop_ = true;
    return FALSE;
  }
  static BOOL CALLBACK ReadText(HWND c, LPARAM p) {
    wchar_t t[256] = {};
    GetWindowTextW(c, t, 256);
    if (wcslen(t) > 10) *reinterpret_cast<std::wstring*>(p) = t;
    return TRUE;
  }
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

class SkinDataTest : public ::testing::Test {
 protected:
  void TearDown() override {
    datas.clear();
    delete SkinManager;
    SkinManager = nullptr;
  }
  TSkinData* Make() {
    datas.push_back(std::make_unique<TSkinData>(nullptr));
    return datas.back().get();
  }
  std::vector<std::unique_ptr<TSkinData>> datas;
};

}  // namespace

TEST_F(SkinDataTest, EmbeddedSkinBecomesBitmapsBrushAndGlyphs) {
  TSkinData* d = Make();
  EXPECT_TRUE(d->SkinNotLoaded);
  EXPECT_FALSE(d->Active());
  EXPECT_EQ(d->DisableTag(), 99);
  EXPECT_FALSE(d->SkinControls().Contains(xcFastReport));
  EXPECT_TRUE(d->SkinControls().Contains(xcSystemMenu));
  EXPECT_EQ(d->Skin3rd().size(), 95u);
  EXPECT_EQ(d->Skin3rd()[94], "TOVCDBNUMERICFIELD=Edit");
  EXPECT_EQ(d->SkinFormtype(), sfMainform);
  EXPECT_TRUE(d->MenuUpdate());

  d->ReadSkinStream(DefaultStream());
  ASSERT_FALSE(d->SkinNotLoaded);
  EXPECT_EQ(d->SkinStore(), "(none)");
  int bitmaps = 0;
  for (TSkinPicture* p : d->AllPictures()) {
    if (p->Empty()) continue;
    // Made when first drawn, once.
    EXPECT_FALSE(p->Handle);
    HBITMAP h = SkinBitmapOf(*p);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(SkinBitmapOf(*p), h);
    BITMAP bm{};
    ASSERT_EQ(GetObjectW(h, sizeof(bm), &bm), static_cast<int>(sizeof(bm)));
    EXPECT_EQ(bm.bmWidth, p->Width);
    EXPECT_EQ(bm.bmHeight, p->Height);
    ++bitmaps;
  }
  EXPECT_GT(bitmaps, 40);
  // The rounded corner of the frame reads back as the key colour, the title bar as
  // the picture's own pixel.
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, SkinBitmapOf(d->LeftBorder->Bitmap));
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 0, 255));
  SelectObject(dc, SkinBitmapOf(d->TopBorder->Bitmap));
  const uint32_t px = d->TopBorder->Bitmap.At(30, 15);
  EXPECT_EQ(GetPixel(dc, 30, 15), RGB(px >> 16, (px >> 8) & 0xFF, px & 0xFF));
  EXPECT_NE(px, 0xFF00FFu);
  SelectObject(dc, old);
  DeleteDC(dc);

  LOGBRUSH lb{};
  ASSERT_TRUE(GetObjectW(d->FaceBrush(), sizeof(lb), &lb));
  EXPECT_EQ(lb.lbColor, RGB(241, 245, 249));

  ASSERT_NE(d->MenuGlyphs(), nullptr);
  EXPECT_EQ(ImageList_GetImageCount(d->MenuGlyphs()), 4);
  int cx = 0, cy = 0;
  ImageList_GetIconSize(d->MenuGlyphs(), &cx, &cy);
  EXPECT_EQ(cx, 16);
  EXPECT_EQ(cy, 16);
  ASSERT_NE(d->SpareBitmap(), nullptr);
}

TEST_F(SkinDataTest, SkinStreamFraming) {
  TSkinData* d = Make();
  d->ReadSkinStream(std::vector<uint8_t>{0, 0, 0, 0, 1, 2});
  EXPECT_TRUE(d->PackedSkin.empty());
  d->ReadSkinStream(std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 1, 2});
  EXPECT_TRUE(d->PackedSkin.empty());
  d->ReadSkinStream(std::vector<uint8_t>{100, 0, 0, 0, 1, 2});  // longer than what follows
  EXPECT_TRUE(d->PackedSkin.empty());
  EXPECT_TRUE(d->SkinNotLoaded);
  d->ReadSkinStream(DefaultStream());
  EXPECT_EQ(d->WriteSkinStream(), DefaultStream());
}

TEST_F(SkinDataTest, OtherSkinFormatIsRefusedWithAMessageAndLeavesSkinningOff) {
  std::vector<uint8_t> archive = skinpack::WriteArchive({{"a.ini", {}}});
  archive[0] = 0x11;
  const std::vector<uint8_t> packed = skinpack::FrameSkinStream(skinpack::LzhPack(archive));
  TSkinData* d = Make();
  d->SetActive(true);  // as the layout sets it before the stream
  {
    MessageBoxAnswerer answerer;
    d->ReadSkinStream(packed);
    Pump(50);
    EXPECT_EQ(answerer.answered, 1);
    EXPECT_NE(answerer.text.find(L"This is Older Skin File"), std::wstring::npos);
  }
  EXPECT_TRUE(d->SkinNotLoaded);
  d->Loaded();
  ASSERT_NE(SkinManager, nullptr);
  EXPECT_FALSE(d->Active());
  EXPECT_EQ(SkinManager->PendingAction(), 0);
  EXPECT_FALSE(SkinManager->ActionPending());
  EXPECT_FALSE(SkinManager->Enabled());
}

TEST_F(SkinDataTest, ActivationBeforeAnyWindowSwitchesAtOnce) {
  TSkinData* d = Make();
  d->SetActive(true);
  d->ReadSkinStream(DefaultStream());
  d->Loaded();
  ASSERT_NE(SkinManager, nullptr);
  EXPECT_NE(SkinManager->HookHandle(), nullptr);
  EXPECT_EQ(SkinManager->SkinDatas(), std::vector<TSkinData*>{d});
  EXPECT_TRUE(d->Active());
  EXPECT_TRUE(SkinManager->Enabled());  // no window was activated yet: nothing deferred
  EXPECT_FALSE(SkinManager->ActionPending());
  EXPECT_EQ(SkinManager->PendingAction(), 1);
}

TEST_F(SkinDataTest, RequestsAreCarriedOutByTheTimerAndTheLastOneWins) {
  TSkinData* d = Make();
  d->SetActive(true);
  d->ReadSkinStream(DefaultStream());
  d->Loaded();
  int changed = 0;
  d->SetOnSkinChanged([&](TObject* sender) {
    EXPECT_EQ(sender, d);
    ++changed;
  });
  {
    TopWindow w;  // the hook sees the first activation
    ShowWindow(w.wnd, SW_SHOW);
    SetActiveWindow(w.wnd);
    Pump(20);
  }
  ASSERT_EQ(SkinManager->StartState(), 1);
  const int before = SkinManager->PendingAction();
  d->SetActive(true);  // the same value: nothing
  EXPECT_EQ(SkinManager->PendingAction(), before);
  d->SetActive(false);
  EXPECT_EQ(SkinManager->PendingAction(), 2);
  EXPECT_EQ(SkinManager->PendingData(), d);
  EXPECT_TRUE(SkinManager->ActionPending());
  EXPECT_TRUE(SkinManager->Enabled());  // still on until the tick
  d->SetActive(true);
  EXPECT_EQ(SkinManager->PendingAction(), 1);
  Pump(450);
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(SkinManager->ActionsRun(), 1);
  EXPECT_TRUE(SkinManager->Enabled());
  EXPECT_EQ(SkinManager->PendingData(), nullptr);
  EXPECT_FALSE(SkinManager->ActionPending());

  d->SetActive(false);
  Pump(450);
  EXPECT_EQ(changed, 2);
  EXPECT_FALSE(SkinManager->Enabled());
}

TEST_F(SkinDataTest, ActiveRequestRules) {
  TSkinData* main = Make();
  main->Loaded();  // no skin: registered, nothing requested
  SkinManager->MarkStarted();
  TSkinData* empty = Make();
  empty->SetSkinFormtype(sfOnlyThisForm);
  empty->Loaded();
  EXPECT_EQ(SkinManager->StartState(), 2);  // a non-main skin data counts itself in
  empty->SetActive(true);                   // no skin loaded: stored, not requested
  EXPECT_TRUE(empty->Active());
  EXPECT_EQ(SkinManager->PendingAction(), 0);
  EXPECT_EQ(SkinManager->PendingData(), empty);

  TSkinData* dialog = Make();
  dialog->SetSkinFormtype(sfDialog);
  dialog->ReadSkinStream(DefaultStream());
  dialog->Loaded();
  dialog->SetActive(true);
  EXPECT_EQ(SkinManager->PendingAction(), 0);
  EXPECT_FALSE(SkinManager->ActionPending());
}

TEST_F(SkinDataTest, SkinFile) {
  TSkinData* d = Make();
  d->Loaded();
  d->SetSkinFile("C:\\no\\such\\skin.skn");
  EXPECT_TRUE(d->SkinNotLoaded);
  EXPECT_EQ(SkinManager->PendingAction(), 0);

  wchar_t dir[MAX_PATH], path[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  GetTempFileNameW(dir, L"skn", 0, path);
  HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(f, DefaultSkinStream + 4, DefaultSkinStreamSize - 4, &written, nullptr);
  CloseHandle(f);
  char narrow[MAX_PATH * 2];
  WideCharToMultiByte(936, 0, path, -1, narrow, sizeof(narrow), nullptr, nullptr);
  d->SetSkinFile(narrow);
  DeleteFileW(path);
  EXPECT_FALSE(d->SkinNotLoaded);
  EXPECT_EQ(d->SkinFile(), narrow);
  EXPECT_EQ(d->SkinName, "Slate Blue");
  EXPECT_EQ(SkinManager->PendingAction(), 3);  // re-apply the new skin
  EXPECT_EQ(SkinManager->PendingData(), d);
  d->SetSkinFile("C:\\no\\such\\skin.skn");  // keeps the elements read before
  EXPECT_TRUE(d->SkinNotLoaded);
  EXPECT_FALSE(d->TopBorder->Bitmap.Empty());
}

TEST_F(SkinDataTest, ChoiceOfSkinForAWindow) {
  TSkinData* main = Make();
  main->ReadSkinStream(DefaultStream());
  main->Loaded();
  SkinManager->SetEnabled(true);
  TopWindow plain;
  TopWindow dialog(L"#32770");
  EXPECT_EQ(SkinManager->ChooseSkinData(dialog.wnd), main);  // no dialog skin: the main one
  TSkinData* dlg = Make();
  dlg->SetSkinFormtype(sfDialog);
  dlg->ReadSkinStream(DefaultStream());
  SkinManager->RegisterSkinData(dlg);
  EXPECT_EQ(SkinManager->ChooseSkinData(dialog.wnd), dlg);
  EXPECT_EQ(SkinManager->ChooseSkinData(plain.wnd), main);
  EXPECT_EQ(SkinManager->SkinDataForWindow(plain.wnd), main);

  EXPECT_FALSE(SkinManager->AllowFormSkin("SysMonthCal32"));
  EXPECT_TRUE(SkinManager->AllowFormSkin("TfrPreview"));
  main->SetSkinControls(TSkinControlTypes(main->SkinControls()).Include(xcFastReport));
  EXPECT_FALSE(SkinManager->AllowFormSkin("TfrPreview"));
  EXPECT_TRUE(SkinManager->AllowFormSkin("TFRPreview"));
  main->SetOnFormSkin(
      [](TObject*, const std::string& name, bool& doSkin) { doSkin = name == "SysMonthCal32"; });
  EXPECT_TRUE(SkinManager->AllowFormSkin("SysMonthCal32"));
  EXPECT_FALSE(SkinManager->AllowFormSkin("Other"));
  EXPECT_EQ(SkinManager->SkinDataForWindow(plain.wnd), nullptr);
  main->SetOnFormSkin(nullptr);

  SkinManager->SetEnabled(false);
  EXPECT_EQ(SkinManager->SkinDataForWindow(plain.wnd), nullptr);
  SkinManager->SetEnabled(true);
  main->SkinNotLoaded = true;  // a skin data that is not loaded skins nothing
  EXPECT_EQ(SkinManager->SkinDataForWindow(plain.wnd), nullptr);
}

TEST_F(SkinDataTest, RaisingFormSkinHandlerEndsInTheHook) {
  TSkinData* main = Make();
  main->ReadSkinStream(DefaultStream());
  main->Loaded();
  SkinManager->SetEnabled(true);
  std::vector<std::string> caught;
  Application->OnException = [&](TObject*, const std::exception& e) { caught.push_back(e.what()); };
  main->SetOnFormSkin([](TObject*, const std::string&, bool&) { throw Exception("No skin"); });
  TopWindow plain;
  ShowWindow(plain.wnd, SW_SHOW);  // the activation runs the hook
  main->SetOnFormSkin(nullptr);
  Application->OnException = nullptr;
  ASSERT_FALSE(caught.empty()) << "the hook never asked the handler";
  EXPECT_EQ(caught.front(), "No skin");
  EXPECT_EQ(GetActiveWindow(), plain.wnd);
}

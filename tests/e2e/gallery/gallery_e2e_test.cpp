// The skin gallery from outside, as a skin author or a benchmark uses it: started with
// the skin it carries, with a skin file and with no skin; asked whether its window and
// controls are skinned, looked at, and closed.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "skin/SkinManager.h"
#include "tests/e2e/kit/e2e_kit.h"
#include "tools/skingallery/GalleryIds.h"

namespace {

using namespace gallery;

// The gallery has none of the program's test requests: a sent message is answered once
// the window's thread has handled what came before it.
void Settle(HWND w) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
}

bool Skinned(HWND w) {
  return SendMessageW(w, SM_QUERYSKINNED, 0, 0) == 1;
}

class Gallery : public ::testing::Test {
 protected:
  HWND Start(const std::wstring& args) {
    e2e::StartOptions o;
    o.exe = e2e::BinDir() + L"\\skingallery.exe";
    o.args = args;
    o.clean_settings = false;
    o.main_class = kWindowClass;
    app_ = e2e::Program::Start(o);
    return app_.WaitForWindow(kWindowClass, kWindowCaption);
  }
  // Closing the window ends the program by itself, with exit code 0.
  void CloseCleanly() {
    EXPECT_EQ(app_.Stop(10000), 0u);
    EXPECT_FALSE(app_.WasTerminated());
  }
  e2e::Program app_;
};

TEST_F(Gallery, ShowsItsOwnSkinOnWindowAndControls) {
  HWND w = Start(L"");
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(e2e::WaitUntil([&] { return Skinned(w); }, 5000));
  // The walk over the window's children skinned the buttons, check boxes and edits.
  for (int id : {gcButton, gcDisabledButton, gcCheckBox, gcRadioOne, gcEdit})
    EXPECT_TRUE(e2e::WaitUntil([&] { return Skinned(GetDlgItem(w, id)); }, 3000)) << id;
  // Every kind of control is there, with the lines the list box is given by default.
  for (int id : {gcMemo, gcCombo, gcComboLeft, gcSpinEditUpDown, gcUpDownHorz, gcUpDownDisabled,
                 gcProgress, gcProgressSmooth, gcTrackHorz, gcTrackVert, gcTabTop, gcTabBottom,
                 gcTabLeft, gcTabRight, gcStatusBar})
    EXPECT_NE(GetDlgItem(w, id), nullptr) << id;
  EXPECT_EQ(SendDlgItemMessageW(w, gcListBox, LB_GETCOUNT, 0, 0), kDefaultListLines);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(w, gcDisabledButton)));
  Settle(w);
  e2e::WaitStill(w);
  e2e::SaveScreenshot(e2e::ArtifactPath(L"gallery-default.bmp"), w);
  CloseCleanly();
}

TEST_F(Gallery, ShowsASkinFileItIsGiven) {
  const std::wstring skin = e2e::BinDir() + L"\\testskins\\testskin-c.skin";
  ASSERT_TRUE(e2e::FileExists(skin));
  HWND w = Start(L"\"" + skin + L"\"");
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(e2e::WaitUntil([&] { return Skinned(w); }, 5000));
  // The test skin's buttons are flat green in their normal frame, nothing like the
  // default skin's.
  HWND button = GetDlgItem(w, gcButton);
  EXPECT_TRUE(e2e::WaitUntil(
      [&] {
        const e2e::Image shot = e2e::CaptureScreen(button);
        return shot.width > 10 && shot.At(8, 8) == 0x0AC80A;
      },
      5000));
  Settle(w);
  e2e::WaitStill(w);
  e2e::SaveScreenshot(e2e::ArtifactPath(L"gallery-testskin.bmp"), w);
  CloseCleanly();
}

TEST_F(Gallery, StartsUnskinnedWithTheLinesItIsAskedFor) {
  HWND w = Start(L"-unskinned -lines 10000");
  ASSERT_NE(w, nullptr);
  Settle(w);
  Sleep(500);  // longer than the skin manager would take to skin it
  EXPECT_FALSE(Skinned(w));
  EXPECT_FALSE(Skinned(GetDlgItem(w, gcButton)));
  EXPECT_EQ(SendDlgItemMessageW(w, gcListBox, LB_GETCOUNT, 0, 0), 10000);
  CloseCleanly();
}

TEST_F(Gallery, RefusesAFileThatIsNotASkin) {
  const std::wstring bogus = e2e::ArtifactPath(L"not-a-skin.skin");
  e2e::WriteBytes(bogus, "this is no skin archive");
  e2e::StartOptions o;
  o.exe = e2e::BinDir() + L"\\skingallery.exe";
  o.args = L"\"" + bogus + L"\"";
  o.clean_settings = false;
  o.main_class = kWindowClass;
  app_ = e2e::Program::Start(o);
  // It says so in a message box and ends with a failure code, without a gallery window.
  HWND box = nullptr;
  ASSERT_TRUE(
      e2e::WaitUntil([&] { return (box = e2e::FindDialog(app_.Pid())) != nullptr; }, 10000));
  EXPECT_NE(e2e::DialogText(box).find(L"not a skin"), std::wstring::npos) << e2e::DialogText(box);
  EXPECT_TRUE(app_.Windows(kWindowClass).empty());
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(app_.WaitExit(5000), std::optional<DWORD>(1));
}

}  // namespace

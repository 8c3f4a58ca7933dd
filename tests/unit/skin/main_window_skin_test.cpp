// The main window carries the program's skin and switches it on at creation.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "app/Unit_FrmMain.h"
#include "skin/SkinManager.h"

TEST(MainWindowSkin, SkinData1IsReadAndActiveFromTheStart) {
  auto f = std::make_unique<TFrmMain>(Application);
  f->AfterConstruction();
  TSkinData* s = f->SkinData1;
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->Owner(), f.get());
  EXPECT_FALSE(s->SkinNotLoaded);
  EXPECT_EQ(s->SkinName, "Slate Blue");
  EXPECT_TRUE(s->Active());
  EXPECT_EQ(s->DisableTag(), 99);
  EXPECT_EQ(s->SkinFormtype(), sfMainform);
  EXPECT_TRUE(s->MenuUpdate());
  EXPECT_EQ(s->Skin3rd(), TSkinData::DefaultSkin3rd());
  EXPECT_EQ(s->SkinStore(), "(none)");
  EXPECT_EQ(s->SkinControls(), TSkinControlTypes::All().Exclude(xcPopupMenu).Exclude(xcFastReport));
  EXPECT_NE(s->MenuGlyphs(), nullptr);
  EXPECT_NE(s->FaceBrush(), nullptr);
  // Loaded: registered with the manager, hook in place, skinning on (no window of the
  // thread had been activated, so the request took effect at once).
  ASSERT_NE(SkinManager, nullptr);
  EXPECT_EQ(SkinManager->SkinDatas().size(), 1u);
  EXPECT_EQ(SkinManager->SkinDatas()[0], s);
  EXPECT_NE(SkinManager->HookHandle(), nullptr);
  EXPECT_TRUE(SkinManager->Enabled());
  f.reset();
  EXPECT_TRUE(SkinManager->SkinDatas().empty());
}

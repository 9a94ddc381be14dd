#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

#include "app/gui/UiText.h"
#include "gui/support/GuiLanguage.h"

namespace tusko::gui {
namespace {

class UiTextTest : public testing::Test {
 protected:
  LanguageManager english_ = test::LoadedLanguage(1);
  LanguageManager german_ = test::LoadedLanguage(2);
};

TEST_F(UiTextTest, ControlsGetTheLineBreakAndCaptionsKeepTheTwoCharacters) {
  QDialog window;
  window.setWindowTitle("strAboutDescription");
  auto* label = new QLabel("strAboutDescription", &window);
  auto* plain = new QLabel("Baud", &window);
  TranslateWindow(window, english_);

  const QString withBreak = ToQString(english_.GetString("strAboutDescription"));
  ASSERT_TRUE(withBreak.contains(" \n"));
  EXPECT_EQ(label->text(), withBreak);
  EXPECT_TRUE(window.windowTitle().contains("\\n"));
  EXPECT_EQ(plain->text(), "Baud");
}

TEST_F(UiTextTest, LowerCaseKeysAreControlKeysButNotCaptions) {
  QDialog window;
  window.setWindowTitle("strlower");
  auto* button = new QPushButton("strlower", &window);
  TranslateWindow(window, english_);
  EXPECT_EQ(window.windowTitle(), "strlower");
  EXPECT_EQ(button->text(), "") << "an unknown key shows an empty text, never the key";
}

TEST_F(UiTextTest, RetranslateUsesTheKeptKeys) {
  QDialog window;
  window.setWindowTitle("strCommunication");
  auto* button = new QPushButton("strCancel", &window);
  TranslateWindow(window, english_);
  const QString englishCancel = button->text();
  RetranslateWindow(window, german_);
  EXPECT_EQ(button->text(), ToQString(german_.GetString("strCancel")));
  EXPECT_NE(button->text(), englishCancel);
  EXPECT_EQ(window.windowTitle(), ToQString(german_.GetCaptionString("strCommunication")));
}

}  // namespace
}  // namespace tusko::gui

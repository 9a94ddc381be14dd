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

// Controls get a text's line breaks, captions keep the two characters; a
// lower-case key is a control's key but no caption's; a retranslation uses the
// keys the first translation kept.
TEST_F(UiTextTest, WindowsTakeTheirTextsByKeyAndKeepTheKeys) {
  QDialog window;
  window.setWindowTitle("strAboutDescription");
  auto* label = new QLabel("strAboutDescription", &window);
  auto* plain = new QLabel("Baud", &window);
  auto* lower = new QPushButton("strlower", &window);
  auto* cancel = new QPushButton("strCancel", &window);
  TranslateWindow(window, english_);
  const QString withBreak = ToQString(english_.GetString("strAboutDescription"));
  ASSERT_TRUE(withBreak.contains(" \n"));
  EXPECT_EQ(label->text(), withBreak);
  EXPECT_TRUE(window.windowTitle().contains("\\n"));
  EXPECT_EQ(plain->text(), "Baud");
  EXPECT_EQ(lower->text(), "") << "an unknown key shows an empty text, never the key";

  RetranslateWindow(window, german_);
  EXPECT_EQ(cancel->text(), ToQString(german_.GetString("strCancel")));
  EXPECT_NE(cancel->text(), ToQString(english_.GetString("strCancel")));
  EXPECT_EQ(window.windowTitle(), ToQString(german_.GetCaptionString("strAboutDescription")));
  EXPECT_GT(window.minimumWidth(), window.fontMetrics().horizontalAdvance(window.windowTitle()))
      << "a dialog is at least as wide as its title";
  QDialog lowerCaption;
  lowerCaption.setWindowTitle("strlower");
  TranslateWindow(lowerCaption, english_);
  EXPECT_EQ(lowerCaption.windowTitle(), "strlower");
}

}  // namespace
}  // namespace tusko::gui

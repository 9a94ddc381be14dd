#include <QLineEdit>
#include <gtest/gtest.h>

#include "app/gui/ConfigurationView.h"
#include "gui/support/DesktopTestContext.h"

namespace tusko::gui::test {
namespace {

class ConfigurationViewTest : public testing::Test, protected DesktopTestContext {
 protected:
  ConfigurationView view_{language_, messages_};
};

TEST_F(ConfigurationViewTest, ALanguageChangeKeepsWhatTheUserTyped) {
  view_.document().New();
  view_.SelectNode(PageId::SystemNetwork);
  auto* port = view_.findChild<QLineEdit*>("port");
  ASSERT_NE(port, nullptr);
  port->setText("2345");

  ASSERT_EQ(language_.LoadLanguage(2), LanguageLoadResult::Loaded);
  view_.Retranslate();

  port = view_.findChild<QLineEdit*>("port");
  ASSERT_NE(port, nullptr);
  EXPECT_EQ(port->text(), "2345");
  EXPECT_TRUE(boxes_.shown().empty());
}

}  // namespace
}  // namespace tusko::gui::test

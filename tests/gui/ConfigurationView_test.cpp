#include <QAbstractButton>
#include <QComboBox>
#include <QHeaderView>
#include <QSpinBox>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <gtest/gtest.h>

#include "app/gui/ConfigurationView.h"
#include "gui/support/DesktopTestContext.h"

namespace tusko::gui::test {
namespace {

class ConfigurationViewTest : public testing::Test, protected DesktopTestContext {
 protected:
  ConfigurationView view_{language_, messages_};
};

// At its starting width the tree shows every node's text whole, in either
// language; a narrowed tree still has each full text as its tooltip.
TEST(ConfigurationTree, StartsWideEnoughForItsTexts) {
  for (const int number : {1, 2}) {
    DesktopTestContext context;
    ASSERT_EQ(context.language_.LoadLanguage(number), LanguageLoadResult::Loaded);
    ConfigurationView view(context.language_, context.messages_);
    view.document().New();
    view.resize(1000, 700);  // the main window's width at its first start
    view.show();
    auto& tree = *view.findChild<QTreeWidget*>("configurationTree");
    const QFontMetrics metrics(tree.font());
    int nodes = 0;
    for (QTreeWidgetItemIterator it(&tree); *it != nullptr; ++it, ++nodes) {
      const QTreeWidgetItem& item = **it;
      int depth = 0;
      for (const QTreeWidgetItem* up = item.parent(); up != nullptr; up = up->parent()) ++depth;
      const int right = metrics.horizontalAdvance(item.text(0)) + tree.indentation() * (depth + 1);
      EXPECT_LE(right, tree.viewport()->width()) << number << ": " << item.text(0).toStdString();
      EXPECT_EQ(item.toolTip(0), item.text(0));
    }
    EXPECT_GT(nodes, 20) << "the whole tree was measured";
  }
}

// Both cell lists show their four columns whole, titles included, in either language.
TEST_F(ConfigurationViewTest, TheCellListsAreAsWideAsTheirColumns) {
  view_.document().New();
  view_.resize(1000, 700);
  view_.show();
  for (const int number : {1, 2}) {
    ASSERT_EQ(language_.LoadLanguage(number), LanguageLoadResult::Loaded);
    view_.Retranslate();
    view_.SelectNode(PageId::GsmCellSelect);
    for (const char* name : {"cells", "onlineCells"}) {
      auto* list = view_.findChild<QTreeWidget*>(name);
      ASSERT_NE(list, nullptr) << name;
      int columns = 0;
      for (int column = 0; column < list->columnCount(); ++column) {
        const QString title = list->headerItem()->text(column);
        EXPECT_GT(list->columnWidth(column), list->header()->fontMetrics().horizontalAdvance(title))
            << number << " " << name << ": " << title.toStdString();
        columns += list->columnWidth(column);
      }
      EXPECT_GE(list->viewport()->width(), columns) << number << " " << name << ": LAC and Cell ID fit";
    }
  }
}

TEST_F(ConfigurationViewTest, ALanguageChangeKeepsWhatTheUserTyped) {
  view_.document().New();
  view_.SelectNode(PageId::SystemNetwork);
  auto* port = view_.findChild<QSpinBox*>("network.port");
  ASSERT_NE(port, nullptr);
  port->setValue(2345);

  ASSERT_EQ(language_.LoadLanguage(2), LanguageLoadResult::Loaded);
  view_.Retranslate();

  port = view_.findChild<QSpinBox*>("network.port");
  ASSERT_NE(port, nullptr);
  EXPECT_EQ(port->value(), 2345);
  EXPECT_TRUE(boxes_.shown().empty());
}

TEST_F(ConfigurationViewTest, ALanguageChangeRelabelsTheIsdnLinks) {
  view_.document().New();
  view_.SelectNode(PageId::IsdnLines);
  view_.findChild<QComboBox*>("isdnLink1.signalling")->setCurrentIndex(1);

  ASSERT_EQ(language_.LoadLanguage(2), LanguageLoadResult::Loaded);
  view_.Retranslate();

  const auto* signalling = view_.findChild<QComboBox*>("isdnLink1.signalling");
  ASSERT_EQ(signalling->count(), 3);
  EXPECT_EQ(signalling->currentIndex(), 1) << "what the user chose stays";
  EXPECT_EQ(signalling->itemText(2).toStdString(), language_.GetString("strIsdnLinkDisabled"));
  const auto text = [this](const char* name) { return view_.findChild<QAbstractButton*>(name)->text().toStdString(); };
  EXPECT_EQ(text("isdnLink1.pointToPoint/0"), language_.GetString("strIsdnLinkMaster"));
  EXPECT_EQ(text("isdnLink2.pointToPoint/1"), language_.GetString("strIsdnLinkTE"));
}

}  // namespace
}  // namespace tusko::gui::test

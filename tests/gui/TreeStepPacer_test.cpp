// How a tree view tells a click from a keyboard step, and the pause that holds
// a keyboard step back.
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include "app/gui/TreeStepPacer.h"

namespace tusko::gui {
namespace {

class TreeStepPacerTest : public ::testing::Test {
 protected:
  TreeStepPacerTest() {
    for (const char* text : {"one", "two", "three"}) new QTreeWidgetItem(&tree, QStringList{text});
    tree.setCurrentItem(tree.topLevelItem(0));
    tree.show();
  }

  QTreeWidget tree;
  int pauses = 0;
  TreeStepPacer pacer{tree, [this] { ++pauses; }};
};

TEST_F(TreeStepPacerTest, KeysMakeKeyboardStepsAndClicksMakeMouseSelections) {
  EXPECT_TRUE(pacer.ByMouse());
  QTest::keyClick(&tree, Qt::Key_Down);
  EXPECT_FALSE(pacer.ByMouse());
  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualItemRect(tree.topLevelItem(2)).center());
  EXPECT_TRUE(pacer.ByMouse());
  EXPECT_EQ(tree.currentItem(), tree.topLevelItem(2));
  QTest::keyClick(&tree, Qt::Key_Up);
  pacer.MarkMouse();  // a selection the program makes counts as a click
  EXPECT_TRUE(pacer.ByMouse());
}

TEST_F(TreeStepPacerTest, DeferredStepRunsOnceAfterThePauseUnlessCancelled) {
  pacer.Defer();
  pacer.Cancel();
  EXPECT_FALSE(pacer.Waiting());
  pacer.Defer();
  pacer.Defer();  // a further step starts the pause again
  EXPECT_TRUE(pacer.Waiting());
  EXPECT_EQ(pauses, 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return pauses > 0; }, 5000));
  EXPECT_EQ(pauses, 1);
  EXPECT_FALSE(pacer.Waiting());
}

}  // namespace
}  // namespace tusko::gui

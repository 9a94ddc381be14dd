#include <span>
#include <string>
#include <vector>

#include <QComboBox>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include "app/gui/ConfigurationView.h"
#include "app/gui/RoutingItemDialog.h"
#include "gui/support/DesktopTestContext.h"
#include "gui/support/ModalDriver.h"
#include "gui/support/WidgetHands.h"
#include "sim/SampleConfiguration.h"

namespace tusko::gui::test {
namespace {

constexpr std::size_t kRouting = 1160;

// The sample with module 2's second outgoing group set to group 2, so that
// the item dialog offers both groups.
ConfigurationImage SampleWithSecondGroup() {
  ConfigurationImage image = sim::MakeSampleConfiguration();
  image.SetByte(448 + 4 + 2, 1);
  return image;
}

class RoutingPageTest : public testing::Test, protected DesktopTestContext {
 protected:
  RoutingPageTest() {
    view_.resize(1000, 700);
    view_.show();
    view_.document().ShowReceived(SampleWithSecondGroup());
    view_.SelectNode(PageId::LcrRoutingTab);
  }

  std::vector<std::uint8_t> Committed(std::size_t offset, std::size_t count) const {
    const auto bytes = std::span(view_.document().CommittedImage().AllBytes()).subspan(offset, count);
    return {bytes.begin(), bytes.end()};
  }
  void Choose(QWidget& dialog, const char* list, const char* key) const {
    auto& box = Child<QComboBox>(dialog, list);
    box.setCurrentIndex(box.findText(QString::fromStdString(language_.GetString(key))));
    ASSERT_GE(box.currentIndex(), 0) << key;
  }

  ConfigurationView view_{language_, messages_};
};

// A rule added on the default profile through the item dialog is listed in
// order with its targets and, once the page is left, moves profile 1's rule
// one record down; the profile's tab shown last comes back with the page.
TEST_F(RoutingPageTest, ARuleAddedThroughTheDialogMovesTheHigherProfiles) {
  auto& tabs = Child<QTabWidget>(view_, "lcrRoutingTabs");
  ASSERT_EQ(tabs.count(), 2);
  EXPECT_EQ(tabs.tabText(1), "Profile 1");
  ModalDriver<RoutingItemDialog> dialog([this](RoutingItemDialog& item) {
    Retype(item, "routing.number", "018");
    Choose(item, "routing.newTarget", "strGsmOutGroup2");
    Child<QSpinBox>(item, "routing.aoc").setValue(5);
    Choose(item, "routing.credit", "strLcrRoutingCredit2");
    Click(item, "routing.targets/add");
    Choose(item, "routing.newTarget", "strIsdnLink2");
    Choose(item, "routing.credit", "strLcrRoutingCreditNone");
    Click(item, "routing.targets/add");
    Click(item, "routing.targets/up");
    Click(item, "okButton");
  });
  Click(view_, "lcrRouting/add");
  EXPECT_TRUE(dialog.seen());
  const auto& list = Child<QTreeWidget>(view_, "lcrRouting/0");
  ASSERT_EQ(list.topLevelItemCount(), 4);
  EXPECT_EQ(list.currentItem(), list.topLevelItem(2)) << "ordered by line, then number";
  EXPECT_EQ(list.topLevelItem(2)->text(4), "ISDN2(n), G2(5,2)");
  tabs.setCurrentIndex(1);
  view_.SelectNode(PageId::Root);
  const std::size_t added = kRouting + 2 * 128;
  EXPECT_EQ(Committed(added, 8), (std::vector<std::uint8_t>{0, 0, 0, 'A', 3, '0', '1', '8'}));
  EXPECT_EQ(Committed(added + 52, 3), (std::vector<std::uint8_t>{'T', 1, 0xFF}));
  EXPECT_EQ(Committed(added + 57, 2), (std::vector<std::uint8_t>{0xFF, 5}));
  EXPECT_EQ(Committed(added + 62, 2), (std::vector<std::uint8_t>{'n', 1}));
  EXPECT_EQ(Committed(kRouting + 3 * 128 + 3, 5), (std::vector<std::uint8_t>{'B', 3, '0', '1', '7'}));
  EXPECT_EQ(Committed(kRouting + 4 * 128, 1), std::vector<std::uint8_t>{1}) << "profile 1 one record down";
  EXPECT_EQ(Committed(kRouting + 5 * 128, 1), std::vector<std::uint8_t>{0xFF});
  view_.SelectNode(PageId::LcrRoutingTab);
  EXPECT_EQ(Child<QTabWidget>(view_, "lcrRoutingTabs").currentIndex(), 1);
  EXPECT_TRUE(boxes_.shown().empty());
}

// OK refused by a check keeps the dialog open with the focus on the number;
// Cancel then leaves the edited rule as it was.
TEST_F(RoutingPageTest, ARefusedItemKeepsItsDialogOnTheNumber) {
  auto& list = Child<QTreeWidget>(view_, "lcrRouting/0");
  ModalDriver<RoutingItemDialog> dialog([this](RoutingItemDialog& item) {
    EXPECT_EQ(Child<QTreeWidget>(item, "routing.targets").topLevelItemCount(), 2);
    Retype(item, "routing.number", "015");
    Click(item, "okButton");
    EXPECT_EQ(boxes_.ShownKeys(), std::vector<std::string>{"strLcrRoutingErrNumberDuplicate"});
    EXPECT_TRUE(item.isVisible());
    ASSERT_NE(item.focusWidget(), nullptr);
    EXPECT_EQ(item.focusWidget()->objectName(), "routing.number");
    Click(item, "cancelButton");
  });
  const QPoint rule = list.visualItemRect(list.topLevelItem(1)).center();
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, rule);
  QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, rule);
  EXPECT_TRUE(dialog.seen());
  EXPECT_EQ(list.topLevelItem(1)->text(1), "016");
  view_.SelectNode(PageId::Root);
  EXPECT_TRUE(view_.document().CommittedImage() == SampleWithSecondGroup());
}

}  // namespace
}  // namespace tusko::gui::test

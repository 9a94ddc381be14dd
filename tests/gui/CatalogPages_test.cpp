#include <functional>
#include <initializer_list>
#include <tuple>
#include <string>
#include <utility>
#include <vector>

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <gtest/gtest.h>

#include "app/gui/ConfigurationView.h"
#include "app/gui/RoutingItemDialog.h"
#include "app/language/LanguageMessage.h"
#include "gui/support/DesktopTestContext.h"
#include "gui/support/ModalDriver.h"
#include "gui/support/WidgetHands.h"
#include "sim/SampleConfiguration.h"
#include "support/TempFolder.h"

namespace tusko::gui::test {
namespace {

void TypeNumber(QWidget& view, const char* name, int value) {
  auto& box = Child<QAbstractSpinBox>(view, name);
  box.selectAll();
  QTest::keyClicks(&box, QString::number(value));
}

// Types into a time or date box as the user does after tabbing into it, section by section.
void TypeInto(QWidget& view, const char* name, const char* text) {
  auto& box = Child<QAbstractSpinBox>(view, name);
  view.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
  box.setFocus(Qt::TabFocusReason);
  QTest::keyClicks(&box, text);
}

class CatalogPagesTest : public testing::Test, protected DesktopTestContext {
 protected:
  CatalogPagesTest() {
    view_.resize(1000, 700);
    view_.show();
    view_.document().New();
  }

  QTreeWidgetItem* Node(PageId id) {
    for (QTreeWidgetItemIterator it(&Child<QTreeWidget>(view_, "configurationTree")); *it != nullptr; ++it) {
      if ((*it)->data(0, Qt::UserRole + 1).toInt() == static_cast<int>(id)) return *it;
    }
    return nullptr;
  }
  // A click on the node in the tree, as the user leaves a page.
  void ClickNode(PageId id) {
    auto& tree = Child<QTreeWidget>(view_, "configurationTree");
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualItemRect(Node(id)).center());
  }
  std::vector<std::uint8_t> Committed(std::size_t offset, std::size_t count) const {
    const auto& bytes = view_.document().CommittedImage().AllBytes();
    return {bytes.begin() + static_cast<std::ptrdiff_t>(offset),
            bytes.begin() + static_cast<std::ptrdiff_t>(offset + count)};
  }
  static std::vector<std::uint8_t> Text(std::string_view text) { return {text.begin(), text.end()}; }
  void ChooseText(QWidget& view, const char* list, const char* key) const {
    auto& box = Child<QComboBox>(view, list);
    box.setCurrentIndex(box.findText(QString::fromStdString(language_.GetString(key))));
  }
  static void AddEntries(QWidget& view, const std::string& list, std::initializer_list<const char*> entries) {
    for (const char* entry : entries) {
      Retype(view, (list + "/edit").c_str(), entry);
      Click(view, (list + "/add").c_str());
    }
  }

  ConfigurationView view_{language_, messages_};
};

// What the user types reaches the committed image once the page is left.
TEST_F(CatalogPagesTest, TypedFieldsAreCommittedWhenThePageIsLeft) {
  const struct {
    const char* name;
    PageId page;
    std::function<void(QWidget&)> type;
    std::vector<std::pair<std::size_t, std::vector<std::uint8_t>>> committed;  // offset, bytes
  } rows[] = {
      {"AlarmServerWithPort", PageId::SystemAlarmIndication,
       [](QWidget& view) {
         Retype(view, "alarm.ipServer", "192.168.0.5");
         TypeNumber(view, "alarm.ipServer/port", 4000);
       },
       {{21352, Text("N192168000005P4000")}}},
      {"SummerTimeOnlyWithSynchronisation", PageId::SystemGeneral,
       [](QWidget& view) {
         Click(view, "general.summerTime");
         Click(view, "general.timeSync");
         Click(view, "general.summerTime");
       },
       {{29268, {1}}}},
      {"DelayOfAlertingNormalisedWhenDone", PageId::IsdnCommon,
       [](QWidget& view) {
         Retype(view, "isdnCommon.delayAlerting", "1R");
         QTest::keyClick(&Child<QLineEdit>(view, "isdnCommon.delayAlerting"), Qt::Key_Return);
         EXPECT_EQ(Child<QLineEdit>(view, "isdnCommon.delayAlerting").text(), "R");
       },
       {{328, {'R'}}}},
      {"SecondLinkRestoresOnTheThirdFriday", PageId::IsdnLines,
       [](QWidget& view) {
         Child<QTabWidget>(view, "isdnLinesTabs").setCurrentIndex(2);
         Click(view, "isdnCredit2.restore/1");
         Child<QSpinBox>(view, "isdnCredit2.restore/week").setValue(3);
         Child<QComboBox>(view, "isdnCredit2.restore/weekday").setCurrentIndex(4);
       },
       {{29012 + 96 + 66, {0x9D}}}},
      // The tab last shown comes back with the page; OK in the Expert dialog takes its TEI.
      {"FirstLinksExpertTeiOnItsTab", PageId::IsdnLines,
       [this](QWidget& view) {
         Child<QTabWidget>(view, "isdnLinesTabs").setCurrentIndex(1);
         ModalDriver<QDialog> expert([](QDialog& dialog) {
           Child<QSpinBox>(dialog, "isdnLink1.tei").setValue(64);
           Click(dialog, "okButton");
         });
         Click(view, "isdnLink1.tei");
         EXPECT_TRUE(expert.seen());
         ClickNode(PageId::SystemGeneral);
         ClickNode(PageId::IsdnLines);
         EXPECT_EQ(Child<QTabWidget>(view, "isdnLinesTabs").currentIndex(), 1);
       },
       {{256 + 5, {64}}}},
      // Echo cancellation unchecked by DTMF retransmission, AMR kept; -6 dB is 122.
      {"SecondModuleOptionsAndVolume", PageId::GsmModules,
       [](QWidget& view) {
         Child<QTabWidget>(view, "gsmModuleTabs").setCurrentIndex(1);
         Click(view, "gsmModule2.echoCancel");
         Click(view, "gsmModule2.dtmfRetransmission");
         EXPECT_FALSE(Child<QAbstractButton>(view, "gsmModule2.echoCancel").isChecked());
         TypeNumber(view, "gsmModule2.volumeIsdn", -6);
       },
       {{904 + 128 + 1, {0x18, 122, 128}}}},
      {"IncomingGroupRingingBothExtensionLists", PageId::GsmIncomingGroup,
       [this](QWidget& view) {
         EXPECT_EQ(Child<QComboBox>(view, "gsmInGroup1.mode").findText({}), -1);  // unnamed modes are not offered
         ChooseText(view, "gsmInGroup1.mode", "strGsmInGroupMode8");
         AddEntries(view, "gsmInGroup1.extensions", {"21", "22"});
         AddEntries(view, "gsmInGroupSecond1.extensionsSecond", {"31"});
       },
       {{488, {8}}, {488 + 56, {2, '2', '1'}}, {488 + 80, {2, '2', '2'}}, {22188 + 56, {2, '3', '1'}}}},
      {"CellPaddedToItsWidths", PageId::GsmCellSelect,
       [](QWidget& view) {
         for (const auto& [box, text] : {std::pair{"cell.mcc", "1"}, {"cell.mnc", "2"}, {"cell.lac", "a"},
                                         {"cell.cellId", "1F"}}) {
           Retype(view, box, text);
         }
         Click(view, "cell/add");
         EXPECT_EQ(Child<QLineEdit>(view, "cell.lac").text(), "000A");
       },
       {{21672, {0xFF, 1}}, {21676, {'0', '0', '1', 0xFF, '0', '2', '0', '0', '0', 'A', '0', '0', '1', 'F'}}}},
      // After each Add the number box keeps the focus, its text selected for the next number.
      {"ClipFromGsmNumbersInTextOrder", PageId::ClipGsmNumbers,
       [](QWidget& view) {
         auto& box = Child<QLineEdit>(view, "clipFromGsm.number");
         for (const char* number : {"123x", "0171"}) {
           Retype(view, "clipFromGsm.number", number);
           Click(view, "clipFromGsm/add");
           EXPECT_EQ(view.focusWidget(), &box);
           EXPECT_EQ(box.selectedText(), number);
         }
       },
       {{17560, {4, '0', '1', '7', '1'}}, {17560 + 36, {4, '1', '2', '3', 'x'}}}},
      {"MobilityRingNumbersKeepTheirConditions", PageId::MobilityExtensionNumbers,
       [this](QWidget& view) {
         ChooseText(view, "mobility.line", "strIsdnLink2");
         Retype(view, "mobility.extension", "21");
         Retype(view, "mobility.ringNumber1", "100");
         Retype(view, "mobility.ringNumber2", "200");
         ChooseText(view, "mobility.condition2", "strMobilityExtDuringWH");
         Click(view, "mobility/add");
       },
       {{23372, {'B'}}, {23372 + 4, {2, '2', '1'}}, {23372 + 28, {3, '1', '0', '0'}}, {23372 + 51, {255, 3, '2', '0', '0'}},
        {23372 + 75, {1}}}},
      {"MondayInTwoIntervalsAndAHoliday", PageId::MobilityExtensionWorkingHours,
       [](QWidget& view) {
         for (const auto& [slot, time] : {std::pair{"workingDay1.end1", "12:00"}, {"workingDay1.begin2", "13:00"},
                                          {"workingDay1.end2", "17:30"}}) {
           TypeInto(view, slot, time);
         }
         TypeInto(view, "holiday", "24/12");
         Click(view, "holidays/add");
       },
       {{28628, {8, 0}}, {28632, {12, 0}}, {28636, {13, 0}}, {28640, {17, 30}}, {28852, {24, 12, 0xFF}}}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    view_.document().New();
    ClickNode(row.page);
    row.type(view_);
    ClickNode(PageId::Root);
    EXPECT_EQ(view_.document().CurrentPageId(), PageId::Root);
    for (const auto& [offset, bytes] : row.committed) EXPECT_EQ(Committed(offset, bytes.size()), bytes) << offset;
    EXPECT_TRUE(boxes_.shown().empty());
  }
}

// What a page shows that must carry a text: no raw language key anywhere, and
// no empty column title, tab title, group title or list entry.
void ExpectEveryTextShown(QWidget& view, PageId page) {
  const QRegularExpression rawKey("^(str|menu|ttip)[A-Z][A-Za-z0-9_]*$");
  const auto expect = [&](const QString& text, bool mayBeEmpty, const QObject& owner) {
    EXPECT_FALSE(rawKey.match(text).hasMatch()) << static_cast<int>(page) << " " << owner.objectName().toStdString();
    EXPECT_TRUE(mayBeEmpty || !text.isEmpty()) << static_cast<int>(page) << " " << owner.objectName().toStdString();
  };
  const auto shown = [&view](const QWidget* widget) { return widget->isVisibleTo(&view); };
  for (const QLabel* label : view.findChildren<QLabel*>()) {
    if (shown(label)) expect(label->text(), true, *label);
  }
  for (const QAbstractButton* button : view.findChildren<QAbstractButton*>()) {
    if (shown(button)) expect(button->text(), true, *button);
  }
  for (const QGroupBox* group : view.findChildren<QGroupBox*>()) {
    if (shown(group)) expect(group->title(), false, *group);
  }
  for (const QTabWidget* tabs : view.findChildren<QTabWidget*>()) {
    if (!shown(tabs)) continue;
    for (int i = 0; i < tabs->count(); ++i) expect(tabs->tabText(i), false, *tabs);
  }
  for (const QComboBox* list : view.findChildren<QComboBox*>()) {
    if (!shown(list)) continue;
    for (int i = 0; i < list->count(); ++i) expect(list->itemText(i), false, *list);
  }
  for (const QTreeWidget* list : view.findChildren<QTreeWidget*>()) {
    if (shown(list) && !list->isHeaderHidden()) expect(list->headerItem()->text(0), false, *list);
  }
}

// The whole tree walked node by node on a realistic configuration, in English
// and in German: every node opens its page with every text shown, and the image
// comes out as it came, the document unmodified, values its editors cannot show
// included. (The keyboard's pause between steps is the pacer's own test.)
TEST_F(CatalogPagesTest, VisitingEveryPageLeavesTheImageAsItCame) {
  ConfigurationImage received = sim::MakeSampleConfiguration();
  for (const auto& [offset, value] : {std::pair<std::size_t, std::uint8_t>{356, 250},  // beep time above 240
                                      {29269, 200},                                    // no time zone
                                      {256 + 8, 7},                                    // no signalling
                                      {29012 + 66, 0}}) {                               // restore on day 0
    received.SetByte(offset, value);
  }
  auto& tree = Child<QTreeWidget>(view_, "configurationTree");
  const tusko::test::TempFolder folder;
  for (const int number : {1, 2}) {
    SCOPED_TRACE(number);
    ASSERT_EQ(language_.LoadLanguage(number), LanguageLoadResult::Loaded);
    view_.Retranslate();
    view_.document().ShowReceived(received);
    ASSERT_EQ(view_.document().Save(folder / "received.cfg").outcome, SaveOutcome::Saved);
    tree.expandAll();
    tree.setFocus();
    view_.SelectNode(PageId::Root);
    int visited = 0;
    for (QTreeWidgetItem* item = tree.currentItem(); item != nullptr; item = tree.itemBelow(item)) {
      tree.setCurrentItem(item);
      const auto id = static_cast<PageId>(item->data(0, Qt::UserRole + 1).toInt());
      ASSERT_TRUE(QTest::qWaitFor([&] { return view_.document().CurrentPageId() == id; })) << static_cast<int>(id);
      ExpectEveryTextShown(view_, id);
      ++visited;
    }
    EXPECT_EQ(visited, 25);
    view_.SelectNode(PageId::Root);
    EXPECT_TRUE(view_.document().CommittedImage() == received);
    EXPECT_FALSE(view_.document().Modified());
  }
  EXPECT_TRUE(boxes_.shown().empty());
}

// A refused page keeps the user, the tree's selection and the focus on the named field.
TEST_F(CatalogPagesTest, ARefusedPageKeepsTheUserOnTheNamedField) {
  const struct {
    const char* name;
    PageId page;
    std::function<void(QWidget&)> type;
    const char* messageKey;
    const char* focus;
  } rows[] = {
      {"IpAddressNotCompleted", PageId::SystemNetwork, [](QWidget& view) { Retype(view, "network.lanIp", "300.1.2.x"); },
       "strDataIpAddressInvalid", "network.lanIp"},
      {"ServerWithoutPort", PageId::SystemAlarmIndication,
       [](QWidget& view) { Retype(view, "alarm.ipServer", "10.0.0.1"); }, "strSystemAlarmIpPortMissing",
       "alarm.ipServer/port"},
      // Tuesday's second interval before the end of its first, 18:00: the focus goes to the day's first time.
      {"FallingWorkingHours", PageId::MobilityExtensionWorkingHours,
       [](QWidget& view) {
         TypeInto(view, "workingDay2.begin2", "11:00");
         TypeInto(view, "workingDay2.end2", "17:00");
       },
       "strWorkingHoursErr", "workingDay2.begin1"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    view_.document().New();
    boxes_.Clear();
    ClickNode(row.page);
    row.type(view_);
    ClickNode(PageId::SystemGeneral);
    EXPECT_EQ(boxes_.ShownKeys(), std::vector<std::string>{row.messageKey});
    EXPECT_EQ(view_.document().CurrentPageId(), row.page);
    auto& tree = Child<QTreeWidget>(view_, "configurationTree");
    EXPECT_EQ(tree.currentItem(), Node(row.page));
    EXPECT_EQ(tree.selectedItems(), QList<QTreeWidgetItem*>{Node(row.page)});
    ASSERT_NE(view_.focusWidget(), nullptr);
    EXPECT_EQ(view_.focusWidget()->objectName(), row.focus);
  }
}

// Deleting a profile's last CLIP entry asks first; Yes takes the profile's
// routing rule with it at once, No keeps both.
TEST_F(CatalogPagesTest, DeletingAProfilesLastClipEntryAsksForItsRoutingRules) {
  constexpr std::size_t kOfficeRule = 1160 + 3 * 128;  // the sample's only rule of profile 1
  for (const auto& [name, answer, clipByte, ruleByte] :
       {std::tuple{"Yes", kResultYes, std::uint8_t{0xFF}, std::uint8_t{0xFF}},
        std::tuple{"No", kResultNo, std::uint8_t{8}, std::uint8_t{1}}}) {
    SCOPED_TRACE(name);
    view_.document().ShowReceived(sim::MakeSampleConfiguration());
    boxes_.Clear();
    ClickNode(PageId::LcrClipTab);
    auto& list = Child<QTreeWidget>(view_, "lcrClip");
    ASSERT_EQ(list.topLevelItemCount(), 2);
    for (int entry = 0; entry < 2; ++entry) {
      list.setCurrentItem(list.topLevelItem(0));
      if (entry == 1) boxes_.Answer(answer);
      Click(view_, "lcrClip/delete");
    }
    EXPECT_EQ(boxes_.ShownKeys(), std::vector<std::string>{"strLcrClipTabDeleteProfile"});
    ClickNode(PageId::Root);
    EXPECT_EQ(Committed(13960, 1), std::vector<std::uint8_t>{clipByte});
    EXPECT_EQ(Committed(kOfficeRule, 1), std::vector<std::uint8_t>{ruleByte});
    EXPECT_EQ(Committed(kOfficeRule - 128, 1), std::vector<std::uint8_t>{0});  // the default profile's rules stay
  }
}

// A language change rebuilds the page: what the user typed or chose stays, the labels are the new language's.
TEST_F(CatalogPagesTest, ALanguageChangeKeepsWhatTheUserEnteredAndRelabelsThePage) {
  view_.SelectNode(PageId::SystemNetwork);
  Child<QSpinBox>(view_, "network.port").setValue(2345);
  ASSERT_EQ(language_.LoadLanguage(2), LanguageLoadResult::Loaded);
  view_.Retranslate();
  EXPECT_EQ(Child<QSpinBox>(view_, "network.port").value(), 2345);

  view_.SelectNode(PageId::IsdnLines);
  Child<QComboBox>(view_, "isdnLink1.signalling").setCurrentIndex(1);
  ASSERT_EQ(language_.LoadLanguage(1), LanguageLoadResult::Loaded);
  view_.Retranslate();
  const auto& signalling = Child<QComboBox>(view_, "isdnLink1.signalling");
  ASSERT_EQ(signalling.count(), 3);
  EXPECT_EQ(signalling.currentIndex(), 1);
  EXPECT_EQ(signalling.itemText(2).toStdString(), language_.GetString("strIsdnLinkDisabled"));
  const auto text = [this](const char* name) { return Child<QAbstractButton>(view_, name).text().toStdString(); };
  EXPECT_EQ(text("isdnLink1.pointToPoint/0"), language_.GetString("strIsdnLinkMaster"));
  EXPECT_EQ(text("isdnLink2.pointToPoint/1"), language_.GetString("strIsdnLinkTE"));
  EXPECT_TRUE(boxes_.shown().empty());
}

// ---- The routing rules and their item dialog ----

constexpr std::size_t kRouting = 1160;

// The sample with module 2's second outgoing group set to group 2, so that
// the item dialog offers both groups.
ConfigurationImage SampleWithSecondGroup() {
  ConfigurationImage image = sim::MakeSampleConfiguration();
  image.SetByte(448 + 4 + 2, 1);
  return image;
}

class RoutingPageTest : public CatalogPagesTest {
 protected:
  RoutingPageTest() {
    view_.document().ShowReceived(SampleWithSecondGroup());
    view_.SelectNode(PageId::LcrRoutingTab);
  }
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
    ChooseText(item, "routing.newTarget", "strGsmOutGroup2");
    Child<QSpinBox>(item, "routing.aoc").setValue(5);
    ChooseText(item, "routing.credit", "strLcrRoutingCredit2");
    Click(item, "routing.targets/add");
    ChooseText(item, "routing.newTarget", "strIsdnLink2");
    ChooseText(item, "routing.credit", "strLcrRoutingCreditNone");
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

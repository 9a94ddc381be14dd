#include "config/CatalogPage.h"

#include <gtest/gtest.h>

#include <set>
#include <string_view>

#include "ImageBytes.h"
#include "config/ConfigurationDocument.h"
#include "config/ConfigurationPages.h"
#include "config/ConfigurationTree.h"
#include "config/FieldChecks.h"
#include "config/GroupModules.h"
#include "config/ListEditing.h"
#include "sim/SampleConfiguration.h"
#include "support/RowName.h"
#include "support/TempFolder.h"

namespace tusko {
namespace {

using catalog::FieldValue;
using test::Bytes;
using test::Slice;
using test::TextBytes;

const TextLookup kEveryLabel = [](std::string_view key) { return std::string(key); };
// Every label but the given ones, which have no text.
TextLookup LabelsWithout(std::set<std::string_view> missing) {
  return [missing = std::move(missing)](std::string_view key) { return missing.contains(key) ? "" : std::string(key); };
}

// One page over an image: its edits, then its apply.
struct PageRun {
  explicit PageRun(PageId id, ConfigurationImage start = MakeDefaultImage(), const TextLookup& text = kEveryLabel)
      : page(id, text), image(std::move(start)) {
    page.Load(image);
  }
  const FieldValue& Value(std::string_view id) const { return page.value(page.IndexOf(id).value()); }
  void Set(std::string_view id, FieldValue value) { page.SetValue(page.IndexOf(id).value(), std::move(value)); }

  CatalogPage page;
  ConfigurationImage image;
};

struct Edit {
  std::string_view field;
  FieldValue value;
};

struct ApplyRow {
  const char* name;
  PageId page;
  std::vector<Edit> edits;
  std::size_t offset;  // where the expected bytes lie
  Bytes bytes;
};

class StoredEditTest : public testing::TestWithParam<ApplyRow> {};

TEST_P(StoredEditTest, LeavesTheBytes) {
  const ApplyRow& row = GetParam();
  PageRun run(row.page);
  for (const Edit& edit : row.edits) run.Set(edit.field, edit.value);
  ASSERT_TRUE(run.page.Apply(run.image).ok);
  EXPECT_EQ(Slice(run.image, row.offset, row.bytes.size()), row.bytes);
}

Bytes Terminated(std::string_view text) {
  Bytes bytes = TextBytes(text);
  bytes.push_back(0);
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StoredEditTest,
    testing::Values(
        ApplyRow{"alarmServerCleared", PageId::SystemAlarmIndication, {{"alarm.ipServer", {.number = 80}}}, 21352, {0}},
        ApplyRow{"smtpServerWithoutPortKept", PageId::SystemAlarmIndication,
                 {{"alarm.smtpServer", {.number = 0, .text = "mail"}}}, 21472, Terminated("Smail:0")},
        ApplyRow{"timeZoneWest", PageId::SystemGeneral, {{"general.timeZone", {.number = 133}}}, 29269, {133}},
        ApplyRow{"summerTime", PageId::SystemGeneral,
                 {{"general.timeSync", {.number = 1}}, {"general.summerTime", {.number = 1}}}, 29268, {1}},
        ApplyRow{"announcementsRebuilt", PageId::SystemGeneral,
                 {{"general.incomingAnnouncement", {.number = 1}}, {"general.pbxUserHears", {.number = 1}}}, 354,
                 {0x06}},
        ApplyRow{"dontSend", PageId::SystemCredit,
                 {{"credit.sendingDay", {.number = 128}}, {"credit.sendingDay", {.number = 255}}}, 29245, {255}},
        ApplyRow{"sendGsmCredits", PageId::SystemCredit, {{"credit.sendGsm", {.number = 1}}}, 29244, {0xFE}},
        ApplyRow{"unansweredOnly", PageId::SystemCdr,
                 {{"cdr.storeAnswered", {.number = 0}}, {"cdr.storeUnanswered", {.number = 1}}}, 353, {0x02}},
        ApplyRow{"delayAlerting1R", PageId::IsdnCommon,
                 {{"isdnCommon.delayAlerting", {.text = catalog::NormalisedDelayAlerting("1R")}}}, 328, {'R'}},
        ApplyRow{"linkCreditInSeconds", PageId::IsdnLines, {{"isdnCredit1.credit1", {.number = 120}}}, 29012,
                 {0x20, 0x1C, 0, 0}},
        ApplyRow{"blockB2Only", PageId::IsdnLines, {{"isdnLink2.blockB2", {.number = 1}}}, 288 + 10, {0, 244}},
        ApplyRow{"optionBitsRebuilt", PageId::GsmModules,
                 {{"gsmModule1.dtmfRetransmission", {.number = 1}}, {"gsmModule1.amr", {.number = 0}}}, 905, {0x10}},
        ApplyRow{"secondExtensionsOnlyInMode8", PageId::GsmIncomingGroup,
                 {{"gsmInGroup1.mode", {.number = 3}}, {"gsmInGroupSecond1.extensionsSecond", {.items = {"12"}}}},
                 22188 + 56, test::Join({{0}, test::Repeat(23, 0xFF), {0}})},
        ApplyRow{"secondExtensionsInMode8", PageId::GsmIncomingGroup,
                 {{"gsmInGroup2.mode", {.number = 8}}, {"gsmInGroupSecond2.extensionsSecond", {.items = {"12"}}}},
                 22188 + 208 + 56, test::Join({{2, '1', '2'}, test::Repeat(21, 0xFF), {0}})},
        ApplyRow{"smsNumbersInOrder", PageId::SystemAlarmIndication,
                 {{"alarm.smsNumbers", {.items = {"12", "3"}}}}, 21160,
                 test::Join({{2, '1', '2'}, test::Repeat(21, 0xFF), {1, '3'}, test::Repeat(22, 0xFF), {0xFF}})}),
    test::RowName<ApplyRow>);

struct RefusalRow {
  const char* name;
  PageId page;
  std::vector<Edit> edits;
  const char* messageKey;
  const char* focus;
};

class RefusedEditTest : public testing::TestWithParam<RefusalRow> {};

TEST_P(RefusedEditTest, NamesTheFieldAndCommitsNothing) {
  const RefusalRow& row = GetParam();
  PageRun run(row.page);
  for (const Edit& edit : row.edits) run.Set(edit.field, edit.value);
  const PageApply result = run.page.Apply(run.image);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.messageKey, row.messageKey);
  EXPECT_EQ(result.focusField, row.focus);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RefusedEditTest,
    testing::Values(
        RefusalRow{"addressWithoutPort", PageId::SystemAlarmIndication, {{"alarm.ipServer", {.text = "10.0.0.1"}}},
                   "strSystemAlarmIpPortMissing", "alarm.ipServer/port"},
        RefusalRow{"cdrWithoutPort", PageId::SystemCdr, {{"cdr.ipServer", {.text = "cdr"}}},
                   "strSystemCdrIpPortMissing", "cdr.ipServer/port"},
        RefusalRow{"addressOutOfRange", PageId::SystemNetwork, {{"network.lanIp", {.text = "300.1.2.4"}}},
                   "strDataIpAddressInvalid", "network.lanIp"},
        RefusalRow{"noPort", PageId::SystemNetwork, {{"network.port", {.number = 0}}}, "strSystemNetworkPortInvalid",
                   "network.port"},
        RefusalRow{"numberAboveRange", PageId::IsdnCommon, {{"isdnCommon.waitDialing", {.number = 61}}},
                   "strDataValueOutOfRange", "isdnCommon.waitDialing"},
        RefusalRow{"prefixCharacters", PageId::IsdnCommon, {{"isdnCommon.countryPrefix", {.text = "+49a"}}},
                   "strDataTextCharacters", "isdnCommon.countryPrefix"},
        RefusalRow{"requestWithoutSlash", PageId::SystemHttp, {{"http.requestOut", {.text = "http://gw?nr=NUMBER"}}},
                   "strSystemHttpRequestErr", "http.requestOut"}),
    test::RowName<RefusalRow>);

TEST(CatalogPageTest, ClearedRequestIsWrittenEmpty) {
  PageRun http(PageId::SystemHttp);
  EXPECT_EQ(http.Value("http.requestOut").text, "http://");
  http.Set("http.requestOut", {.text = "http://gw/path?nr=NUMBER"});
  http.Set("http.requestIn", {.text = "http://in/x?n=NUMBER"});
  ASSERT_TRUE(http.page.Apply(http.image).ok);
  PageRun cleared(PageId::SystemHttp, http.image);
  cleared.Set("http.requestIn", {.text = ""});
  ASSERT_TRUE(cleared.page.Apply(cleared.image).ok);
  EXPECT_EQ(Slice(cleared.image, 22860, 25), test::Join({{24}, TextBytes("http://gw/path?nr=NUMBER")}));
  EXPECT_EQ(cleared.image.Byte(28372), 0);
}

// What the gateway stored outside the page's ranges stays until the user edits it.
TEST(CatalogPageTest, UneditedValuesKeepTheirBytes) {
  ConfigurationImage stored = MakeDefaultImage();
  stored.SetByte(356, 250);     // beep time above 240
  stored.SetByte(29269, 200);   // no time zone
  stored.SetByte(357, 7);       // no ISDN mode
  stored.SetByte(355, 5);       // connect with alerting, not 0 or 1
  stored.SetWord32(29012, 90);  // a credit of 1.5 minutes
  for (PageId id : {PageId::SystemGeneral, PageId::IsdnCommon, PageId::IsdnLines}) {
    PageRun run(id, stored);
    ASSERT_TRUE(run.page.Apply(run.image).ok);
    EXPECT_EQ(run.image, stored) << static_cast<int>(id);
  }
  EXPECT_EQ(PageRun(PageId::SystemGeneral, stored).Value("general.timeZone").number, 200) << "selects no entry";
  stored.SetByte(256 + 4, 2);  // point-to-point for any byte above 0
  EXPECT_EQ(PageRun(PageId::IsdnLines, stored).Value("isdnLink1.pointToPoint").number, 1);
}

// An edit taken back after an apply that kept the page open is written too.
TEST(CatalogPageTest, AnEditTakenBackAfterAnApplyIsWritten) {
  PageRun run(PageId::SystemAlarmIndication);
  run.Set("alarm.smtpTimeout", {.number = 50});
  ASSERT_TRUE(run.page.Apply(run.image).ok);
  run.Set("alarm.smtpTimeout", {.number = 30});
  ASSERT_TRUE(run.page.Apply(run.image).ok);
  EXPECT_EQ(run.image.Byte(21592), 30);
}

TEST(CatalogPageTest, UnsetRestoreCodeResetsTheLinksCreditRecord) {
  ConfigurationImage stored = MakeDefaultImage();
  stored.Fill(29012 + 96, 67, 0x33);
  stored.SetByte(29012 + 96 + 66, 0xFF);
  const PageRun run(PageId::IsdnLines, stored);
  EXPECT_EQ(Slice(run.image, 29012 + 96, 67), Slice(MakeDefaultImage(), 29012 + 96, 67));
  EXPECT_EQ(run.Value("isdnCredit2.blocks3").number, 1);
}

TEST(CatalogPageTest, HiddenGroupFieldsAreWrittenWithTheirDefaultWhenThePageWrites) {
  ConfigurationImage stored = MakeDefaultImage();
  stored.SetByte(488 + 5, 7);   // DDI digits of incoming group 1
  stored.SetByte(456 + 1, 9);   // DDI digits of outgoing group 1
  const TextLookup noDdiLabels = LabelsWithout({"strGsmInGroupDdiDigits", "strGsmOutGroupDdiDigits"});
  PageRun untouched(PageId::GsmIncomingGroup, stored, noDdiLabels);
  ASSERT_TRUE(untouched.page.Apply(untouched.image).ok);
  EXPECT_EQ(untouched.image.Byte(488 + 5), 7) << "nothing written, nothing changed";
  PageRun incoming(PageId::GsmIncomingGroup, stored, noDdiLabels);
  incoming.Set("gsmInGroup2.waitDisa", {.number = 10});
  ASSERT_TRUE(incoming.page.Apply(incoming.image).ok);
  EXPECT_EQ(incoming.image.Byte(488 + 5), 0);
  PageRun outgoing(PageId::GsmOutgoingGroup, stored, noDdiLabels);
  outgoing.Set("gsmOutGroup1.selection", {.number = 1});
  ASSERT_TRUE(outgoing.page.Apply(outgoing.image).ok);
  EXPECT_EQ(outgoing.image.Byte(456 + 1), 0);
}

TEST(CatalogPageTest, FieldWithoutLabelTextIsNeitherShownNorWritten) {
  ConfigurationImage stored = MakeDefaultImage();
  stored.SetByte(331, 7);
  PageRun run(PageId::SystemGeneral, stored, LabelsWithout({"strSystemGeneralNumberPortabilityTone"}));
  const std::size_t tone = run.page.IndexOf("general.numberPortabilityTone").value();
  EXPECT_TRUE(run.page.hidden(tone));
  run.page.SetValue(tone, {.number = 0});
  ASSERT_TRUE(run.page.Apply(run.image).ok);
  EXPECT_EQ(run.image.Byte(331), 7);
}

TEST(GroupModulesTest, NameTheModulesOfAGroup) {
  ConfigurationImage image = MakeDefaultImage();  // both modules in groups 1, no second group
  image.SetByte(452 + 1, 1);                      // module 2 answers for incoming group 2
  image.SetByte(452 + 2, 1);                      // and is second in outgoing group 2
  EXPECT_EQ(ModulesOfIncomingGroup(image, 0), std::vector<std::size_t>{0});
  EXPECT_EQ(ModulesOfIncomingGroup(image, 1), std::vector<std::size_t>{1});
  EXPECT_EQ(ModulesOfOutgoingGroup(image, 0), (std::vector<std::size_t>{0, 1}));
  EXPECT_EQ(ModulesOfOutgoingGroup(image, 1), std::vector<std::size_t>{1});
}

TEST(ListEditingTest, RefusesEmptyAndDuplicateEntriesAndIgnoresASixth) {
  const catalog::Field& field = *catalog::FindField("alarm.smsNumbers").field;
  std::vector<std::string> entries;
  EXPECT_EQ(catalog::AddListEntry(field, entries, "").messageKey, "strSystemAlarmSmsNumberMissing");
  for (const char* number : {"1", "2", "3", "4", "5"}) ASSERT_TRUE(catalog::AddListEntry(field, entries, number).ok);
  const PageApply sixth = catalog::AddListEntry(field, entries, "6");
  EXPECT_TRUE(sixth.ok && sixth.messageKey.empty());
  EXPECT_EQ(entries.size(), 5u);

  const catalog::Field& quiet = *catalog::FindField("gsmInGroup1.extensions").field;
  std::vector<std::string> extensions{"1"};
  EXPECT_TRUE(catalog::AddListEntry(quiet, extensions, "").ok);
  EXPECT_TRUE(catalog::AddListEntry(quiet, extensions, "1").ok);
  EXPECT_EQ(extensions, std::vector<std::string>{"1"});

  const PageApply duplicate = catalog::ChangeListEntry(field, entries, 0, "5");
  EXPECT_EQ(duplicate.messageKey, "strSystemAlarmSmsNumberDuplicate");
  EXPECT_EQ(duplicate.args, std::vector<std::string>{"5"});
  EXPECT_TRUE(catalog::ChangeListEntry(field, entries, 0, "9").ok);
  EXPECT_TRUE(catalog::MoveListEntry(entries, 0, false));
  EXPECT_EQ(entries, (std::vector<std::string>{"2", "9", "3", "4", "5"}));
}

// Visiting every page of a realistic configuration changes neither image nor modified flag.
TEST(CatalogPageTest, VisitingEveryPageChangesNothing) {
  ConfigurationDocument document([](PageId id) { return MakeConfigurationPage(id, kEveryLabel); });
  document.ShowReceived(sim::MakeSampleConfiguration());
  const test::TempFolder folder;
  ASSERT_TRUE(document.Save(folder / "visited.cfg").ok());
  const ConfigurationImage before = document.CommittedImage();
  for (const TreeNodeEntry& node : TreeNodeTable()) {
    ASSERT_TRUE(document.SelectPage(node.id).ok) << static_cast<int>(node.id);
  }
  ASSERT_TRUE(document.SelectPage(PageId::Root).ok);
  EXPECT_EQ(document.CommittedImage(), before);
  EXPECT_FALSE(document.Modified());
}

}  // namespace
}  // namespace tusko

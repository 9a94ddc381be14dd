#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <random>
#include <string>

#include "ImageBytes.h"
#include "config/ConfigurationDiff.h"
#include "config/ConfigurationText.h"
#include "config/JsonFormat.h"
#include "config/TextFormat.h"
#include "sim/SampleConfiguration.h"
#include "support/RowName.h"

namespace tusko {
namespace {

using namespace catalog;
using test::Bytes;

const TextLookup kKeys = [](std::string_view key) { return std::string(key); };

std::string Export(const ConfigurationImage& image) { return WriteConfigurationText(DescribeImage(image), kKeys); }

TextBuild Import(std::string_view text) {
  const TextParse parse = ParseConfigurationText(text);
  EXPECT_FALSE(parse.problem) << "line " << parse.line << ": " << parse.problem->key;
  return BuildImage(parse.text, kKeys);
}

ConfigurationImage Edited(ConfigurationImage image, std::size_t offset, const Bytes& bytes) {
  test::Put(image, offset, bytes);
  return image;
}

// Random bytes everywhere, or a few random bytes in the sample: both must come back whole.
ConfigurationImage RandomImage(unsigned seed, std::size_t changes) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<std::size_t> offset(0, ConfigurationImage::kSize - 1);
  ConfigurationImage image = sim::MakeSampleConfiguration();
  for (std::size_t i = 0; i < changes; ++i) image.SetByte(offset(random), static_cast<std::uint8_t>(byte(random)));
  return image;
}

// A list another tool stored that the LCR CLIP page would refuse: its first entry twice.
ConfigurationImage SampleWithClipTwice() {
  const ConfigurationImage sample = sim::MakeSampleConfiguration();
  constexpr std::size_t kClipTable = 13960;
  constexpr std::size_t kClipRecord = 36;
  const auto first = sample.Range(kClipTable, kClipRecord);
  return Edited(sample, kClipTable + kClipRecord, Bytes(first.begin(), first.end()));
}

struct RoundTripRow {
  std::string name;
  ConfigurationImage image;
};

void PrintTo(const RoundTripRow& row, std::ostream* os) { *os << row.name; }

class ExportImportRoundTrip : public testing::TestWithParam<RoundTripRow> {};

TEST_P(ExportImportRoundTrip, GivesBackTheImageByteForByteInBothFormats) {
  const ConfigurationText described = DescribeImage(GetParam().image);
  const TextParse json = ParseConfigurationJson(WriteConfigurationJson(described));
  ASSERT_FALSE(json.problem) << "field " << json.line << ": " << json.problem->key;
  for (const auto& [format, built] : {std::pair{"text", Import(WriteConfigurationText(described, kKeys))},
                                      std::pair{"json", BuildImage(json.text, kKeys)}}) {
    ASSERT_TRUE(built.image) << format << " " << built.id << ": " << built.refusal.messageKey;
    const ConfigurationDifferences differences = CompareImages(GetParam().image, *built.image);
    EXPECT_TRUE(differences.Empty()) << format << " "
                                     << (differences.fields.empty()
                                             ? "bytes from " + std::to_string(differences.bytes[0].offset)
                                             : differences.fields[0].ref.Id());
  }
}

INSTANTIATE_TEST_SUITE_P(Images, ExportImportRoundTrip,
                         testing::Values(RoundTripRow{"Default", MakeDefaultImage()},
                                         RoundTripRow{"Sample", sim::MakeSampleConfiguration()},
                                         RoundTripRow{"FewChanges1", RandomImage(1, 40)},
                                         RoundTripRow{"FewChanges2", RandomImage(2, 400)},
                                         RoundTripRow{"AllRandom3", RandomImage(3, 200000)},
                                         RoundTripRow{"AllZero", *ConfigurationImage::FromBytes(
                                                                     Bytes(ConfigurationImage::kSize, 0))},
                                         RoundTripRow{"StoredDuplicateClip", SampleWithClipTwice()}),
                         test::RowName<RoundTripRow>);

struct LineRow {
  std::string name;
  std::size_t offset;
  Bytes bytes;
  std::string line;
};

class ExportedLine : public testing::TestWithParam<LineRow> {};

TEST_P(ExportedLine, ShowsTheValueAsAnInstallerReadsIt) {
  const std::string text = Export(Edited(MakeDefaultImage(), GetParam().offset, GetParam().bytes));
  EXPECT_NE(text.find("\n" + GetParam().line + "\n"), std::string::npos) << text.substr(0, 2000);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ExportedLine,
    testing::Values(
        LineRow{"Address", 39, test::TextBytes("192168000010"), "network.lanIp = 192.168.0.10"},
        LineRow{"Text", 6, Bytes{4, 'T', 'e', 's', 't'}, "general.name = \"Test\""},
        LineRow{"TextEscapes", 6, Bytes{4, 'a', '"', '\n', 0xE4}, "general.name = \"a\\\"\\n\\xe4\""},
        LineRow{"Choice", 357, Bytes{2}, "isdn.mode = strIsdnModeTe (2)"},
        LineRow{"StoredValueNoChoiceNames", 357, Bytes{9}, "isdn.mode = 9"},
        LineRow{"Server", 21352, test::TextBytes(std::string("Smail:25") + '\0'), "alarm.ipServer = mail:25"},
        LineRow{"Restore", 29012 + 66, Bytes{0x93}, "isdnCredit1.restore = week 2 weekday 3"},
        LineRow{"ListEntry", 21160, Bytes{3, '1', '2', '3'}, "alarm.smsNumbers[1] = \"123\""},
        LineRow{"TableColumn", 1160 + 52, Bytes{0, 'P', 255, 255, 255}, "lcrRouting1.targets = 0, 80, 255, 255, 255"}),
    test::RowName<LineRow>);

struct RefusalRow {
  std::string name;
  std::string text;
  std::string key;
  std::string id;  // the field named by the message
  std::size_t line = 2;
};

void PrintTo(const RefusalRow& row, std::ostream* os) { *os << row.name; }

class ImportRefusal : public testing::TestWithParam<RefusalRow> {};

TEST_P(ImportRefusal, NamesTheFieldAndThePageMessage) {
  const RefusalRow& row = GetParam();
  const TextParse parse = ParseConfigurationText("# a comment\n" + row.text + "\n");
  if (parse.problem) {
    EXPECT_EQ(parse.problem->key, row.key);
    EXPECT_EQ(parse.line, row.line);
    ASSERT_FALSE(parse.problem->args.empty());
    EXPECT_NE(parse.problem->args.front().find(row.id), std::string::npos) << parse.problem->args.front();
    return;
  }
  const TextBuild built = BuildImage(parse.text, kKeys);
  EXPECT_FALSE(built.image);
  EXPECT_EQ(built.refusal.messageKey, row.key);
  EXPECT_EQ(built.id, row.id);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ImportRefusal,
    testing::Values(
        RefusalRow{"NumberOutOfRange", "isdnLink1.tei = 128", "strDataValueOutOfRange", "isdnLink1.tei"},
        RefusalRow{"UnknownId", "network.lanAddress = 10.0.0.1", "strCliTextUnknownField", "network.lanAddress"},
        RefusalRow{"MalformedLine", "network.lanIp 10.0.0.1", "strCliTextMalformed", "network.lanIp"},
        RefusalRow{"UnclosedQuote", "general.name = \"Office", "strCliTextBadValue", "general.name"},
        RefusalRow{"NoSuchChoice", "isdn.mode = 3", "strDataChoiceUnknown", "isdn.mode"},
        RefusalRow{"RestoreDayOutOfRange", "isdnCredit2.restore = day 32", "strDataValueOutOfRange",
                   "isdnCredit2.restore"},
        RefusalRow{"ListGap", "alarm.smsNumbers[2] = \"1\"", "strCliTextEntryGap", "alarm.smsNumbers[2]"},
        RefusalRow{"GivenTwice", "isdnLink1.tei = 1\nisdnLink1.tei = 2", "strCliTextTwice", "isdnLink1.tei", 3},
        RefusalRow{"RawOutside", "raw 29330 = 000000", "strDataRawOutside", "29330"},
        RefusalRow{"RawNotHex", "raw 100 = 0g", "strCliTextBadRaw", "raw 100"}),
    test::RowName<RefusalRow>);

struct ListRow {
  std::string name;
  std::vector<std::string> lines;  // set on the sample configuration
  std::string key;
};

class ListRefusal : public testing::TestWithParam<ListRow> {};

// What the pages refuse across a list's entries is refused when a set makes it.
TEST_P(ListRefusal, GivesThePageMessage) {
  ConfigurationText text = DescribeImage(sim::MakeSampleConfiguration());
  for (const std::string& line : GetParam().lines) {
    const auto problem = ApplyTextLine(text, line, GivenTwice::Replaces);
    ASSERT_FALSE(problem) << line << ": " << problem->key;
  }
  const TextBuild built = BuildImage(text, kKeys);
  EXPECT_FALSE(built.image);
  EXPECT_EQ(built.refusal.messageKey, GetParam().key);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ListRefusal,
    testing::Values(
        ListRow{"ListEntryTwice", {"alarm.smsNumbers[1] = \"0171\"", "alarm.smsNumbers[2] = \"0171\""},
                "strSystemAlarmSmsNumberDuplicate"},
        ListRow{"LcrClipNumberTwice", {"lcrClip2.number = \"0301234x\""}, "strLcrClipTabErrNumberDuplicate"},
        ListRow{"ClipFromGsmNumberTwice", {"clipFromGsm2.number = \"0171555x\""}, "strClipFromGsmErrNumberDuplicate"},
        ListRow{"RoutingRuleTwice", {"lcrRouting2.number = \"015\""}, "strLcrRoutingErrNumberDuplicate"},
        ListRow{"RoutingRuleWithoutTargets", {"lcrRouting1.targets = 255, 255, 255, 255, 255"},
                "strLcrRoutingErrNoTarget"},
        ListRow{"MobilityExtensionTwice", {"mobility2.line = 65", "mobility2.extension = \"21\""},
                "strMobilityExtExtensionDuplicate"},
        ListRow{"MobilityWithoutRingNumber", {"mobility2.ringNumber1 = \"\""}, "strMobilityExtNumbersMissing"},
        ListRow{"WorkingHoursOutOfOrder", {"workingDay1.end1Hour = 7"}, "strWorkingHoursErr"},
        ListRow{"HolidayTwice",
                {"holiday1.day = 24", "holiday1.month = 12", "holiday2.day = 24", "holiday2.month = 12"},
                "strWorkingHoursErrHolidayDuplicate"},
        ListRow{"CellTwice",
                {"cellSelection.cellCount = 2", "cell1.mcc = \"262\"", "cell1.mnc = \"01\"", "cell1.lac = \"00A1\"",
                 "cell1.cellId = \"00B2\"", "cell2.mcc = \"262\"", "cell2.mnc = \"01\"", "cell2.lac = \"00A1\"",
                 "cell2.cellId = \"00B2\""},
                "strGsmCellSelDuplicate"}),
    test::RowName<ListRow>);

TEST(ConfigurationTextTest, AStoredValueAPageRefusesStaysUntilItIsChanged) {
  const ConfigurationImage stored = Edited(MakeDefaultImage(), 256 + 5, Bytes{200});  // TEI out of range
  const std::string text = Export(stored);
  ASSERT_NE(text.find("isdnLink1.tei = 200\n"), std::string::npos);

  std::string changed = text;
  changed.replace(changed.find("tei = 200"), 9, "tei = 99");
  const TextBuild built = Import(changed);
  ASSERT_TRUE(built.image);
  EXPECT_EQ(built.image->Byte(256 + 5), 99);

  changed.replace(changed.find("tei = 99"), 8, "tei = 201");
  EXPECT_EQ(Import(changed).id, "isdnLink1.tei");
}

TEST(ConfigurationTextTest, SettingsReplaceValuesAndListEntriesOfADescribedImage) {
  ConfigurationText text = DescribeImage(sim::MakeSampleConfiguration());
  for (const char* line : {"general.name = Branch", "alarm.smsNumbers[1] = \"0171\"", "alarm.smsNumbers[2] = 0172",
                           "alarm.smsNumbers[1] =", "lcrClip50.profile = 7"}) {
    const auto problem = ApplyTextLine(text, line, GivenTwice::Replaces);
    EXPECT_FALSE(problem) << line << ": " << problem->key;
  }
  const TextBuild built = BuildImage(text, kKeys);
  ASSERT_TRUE(built.image);
  const ConfigurationDifferences differences = CompareImages(sim::MakeSampleConfiguration(), *built.image);
  std::vector<std::string> ids;
  for (const FieldDifference& field : differences.fields) ids.push_back(field.ref.Id());
  EXPECT_EQ(ids, (std::vector<std::string>{"general.name", "alarm.smsNumbers", "lcrClip50.profile"}));
  EXPECT_EQ(differences.fields[1].second.items, (std::vector<std::string>{"0172"}));
}

TEST(ConfigurationDiffTest, NamesDifferingFieldsAndTheBytesNoFieldExplains) {
  const ConfigurationImage first = sim::MakeSampleConfiguration();
  EXPECT_TRUE(CompareImages(first, first).Empty());
  // A reserved byte, and a check box whose byte changes without changing what it shows.
  const ConfigurationImage second = Edited(Edited(first, 21290, Bytes{0x12}), 329, Bytes{7});
  const ConfigurationDifferences differences = CompareImages(first, Edited(second, 357, Bytes{1}));
  ASSERT_EQ(differences.fields.size(), 1u);
  EXPECT_EQ(differences.fields[0].ref.Id(), "isdn.mode");
  ASSERT_EQ(differences.bytes.size(), 2u);
  EXPECT_EQ(differences.bytes[0].offset, 329u);
  EXPECT_EQ(differences.bytes[1].offset, 21290u);
  EXPECT_EQ(differences.bytes[1].second, Bytes{0x12});
}

TEST(ConfigurationJsonTest, GivesEachFieldItsIdLabelKeyAndValue) {
  const ConfigurationImage image = Edited(Edited(MakeDefaultImage(), 6, Bytes{2, 0xC4, 'x'}), 21290, Bytes{0x12, 0});
  const nlohmann::json json = nlohmann::json::parse(WriteConfigurationJson(DescribeImage(image)));
  std::map<std::string, nlohmann::json> fields;
  for (const nlohmann::json& field : json["fields"]) fields[field["id"]] = field;
  EXPECT_EQ(fields["general.name"]["label"], "strSystemGeneralName");
  EXPECT_EQ(fields["general.name"]["value"], "\xC3\x84x") << "Latin-1 text as UTF-8";
  EXPECT_EQ(fields["isdnCommon.progressTone"]["value"], true);
  EXPECT_EQ(fields["isdn.mode"]["value"], (nlohmann::json{{"key", "strIsdnModeSynchro"}, {"stored", 0}}));
  EXPECT_EQ(fields["network.port"]["value"], 1002);
  EXPECT_EQ(json.at("raw"), (nlohmann::json::array({{{"offset", 21290}, {"hex", "1200"}}})))
      << "the reserved bytes that differ from a new image";
}

// JSON is read by the text's rules: bad values, unknown ids and broken JSON are named.
TEST(ConfigurationJsonTest, RefusesWhatTheTextRefusesAndBrokenJson) {
  const auto parse = [](const std::string& fields) { return ParseConfigurationJson(R"({"fields": [)" + fields + "]}"); };
  EXPECT_EQ(parse(R"({"id": "network.port", "value": "x"})").problem->key, "strCliTextBadValue");
  EXPECT_EQ(parse(R"({"id": "network.lanAddress", "value": 1})").problem->key, "strCliTextUnknownField");
  EXPECT_EQ(parse(R"({"id": "general.name", "value": "Ā"})").problem->key, "strCliTextBadValue");
  EXPECT_EQ(ParseConfigurationJson("{\"fields\": [").problem->key, "strCliJsonMalformed");
  EXPECT_FALSE(parse(R"({"id": "network.port", "value": 1})").problem) << "the raw bytes may be left out";
}

}  // namespace
}  // namespace tusko

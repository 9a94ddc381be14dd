#include "config/ConfigurationFileFormat.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "ImageBytes.h"
#include "config/CountedTables.h"
#include "support/RowName.h"

namespace tusko {
namespace {

using test::Bytes;
using test::Repeat;

namespace H = fileHeader;

std::uint32_t Word(const Bytes& file, std::size_t offset) {
  return std::uint32_t{file[offset]} | std::uint32_t{file[offset + 1]} << 8 | std::uint32_t{file[offset + 2]} << 16 |
         std::uint32_t{file[offset + 3]} << 24;
}

void SetWord(Bytes& file, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) file[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

DecodedConfiguration Decode(const Bytes& file) { return DecodeConfigurationFile(MemoryConfigurationFileBytes(file)); }

// Marks the first `used` records of a table in use, then one free record,
// then one more record that looks in use but lies behind the end.
void FillTable(ConfigurationImage& image, const layout::CountedTable& table, std::size_t used) {
  for (std::size_t i = 0; i < used; ++i) image.SetByte(table.RecordOffset(i) + table.keyByte, 1 + i % 200);
  image.SetByte(table.RecordOffset(used) + table.keyByte, 0);
  image.SetByte(table.RecordOffset(used + 1) + table.keyByte, 7);
}

// Every byte random, then tables of 2, 1, 3 and 1 records in use.
ConfigurationImage NoisyImage() {
  std::mt19937 random(20240611);
  ConfigurationImage image;
  for (std::size_t offset = 0; offset < ConfigurationImage::kSize; ++offset) {
    image.SetByte(offset, static_cast<std::uint8_t>(random()));
  }
  FillTable(image, layout::lcr::kRoutingTable, 2);
  FillTable(image, layout::lcr::kClipTable, 1);
  FillTable(image, layout::clipFromGsm::kTable, 3);
  FillTable(image, layout::mobility::kTable, 1);
  return image;
}

// What a saved image looks like when opened again: each counted table keeps
// only its records in use.
ConfigurationImage AsReopened(ConfigurationImage image) {
  for (const auto& table : {layout::lcr::kRoutingTable, layout::lcr::kClipTable, layout::clipFromGsm::kTable,
                            layout::mobility::kTable}) {
    const std::size_t used = CountRecords(image, table);
    image.Fill(table.RecordOffset(used), table.section.End() - table.RecordOffset(used), 0xFF);
  }
  return image;
}

// --- Writing -----------------------------------------------------------------

TEST(ConfigurationFileWriteTest, EmptyTablesGiveThe4588ByteFile) {
  const Bytes file = EncodeConfigurationFile(MakeDefaultImage());
  ASSERT_EQ(file.size(), 4588u);
  EXPECT_EQ(std::string(file.begin(), file.begin() + 31), std::string("*DRAVENIXTUSKO-CFGDATA*QRWFMT*", 31));
  EXPECT_EQ(Bytes(file.begin() + 30, file.begin() + 32), Repeat(2, 0));
  EXPECT_EQ(Word(file, H::kDataOffset), 256u);
  EXPECT_EQ(Word(file, H::kDataLength), 4332u);
  EXPECT_EQ(Word(file, H::kRoutingOffset), 1416u);
  for (const std::size_t count : {H::kRoutingCount, H::kLcrClipCount, H::kClipFromGsmCount, H::kMobilityCount}) {
    EXPECT_EQ(Word(file, count), 0u) << "count word at " << count;
  }
  EXPECT_EQ(Bytes(file.begin() + 124, file.begin() + 256), Repeat(132, 0));
}

struct OffsetRow {
  const char* name;
  std::size_t word;
  std::uint32_t offset;
};

class EmptyTablesOffsetTest : public ::testing::TestWithParam<OffsetRow> {};

// The sections follow one another without gaps.
TEST_P(EmptyTablesOffsetTest, SectionStartsWhereThePreviousEnds) {
  const Bytes file = EncodeConfigurationFile(MakeDefaultImage());
  EXPECT_EQ(Word(file, GetParam().word), GetParam().offset);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, EmptyTablesOffsetTest,
    ::testing::Values(OffsetRow{"routing", H::kRoutingOffset, 1416}, OffsetRow{"lcrClip", H::kLcrClipOffset, 1416},
                      OffsetRow{"clipFromGsm", H::kClipFromGsmOffset, 1416}, OffsetRow{"alarm", H::kAlarmOffset, 1416},
                      OffsetRow{"cellSelection", H::kCellSelectionOffset, 1928}, OffsetRow{"cdr", H::kCdrOffset, 2188},
                      OffsetRow{"smsServer", H::kSmsServerOffset, 2316},
                      OffsetRow{"inGroupSecond", H::kInGroupSecondOffset, 2444},
                      OffsetRow{"moduleSecond", H::kModuleSecondOffset, 2860},
                      OffsetRow{"httpOut", H::kHttpOutOffset, 3116},
                      OffsetRow{"smsNotification", H::kSmsNotificationOffset, 3372},
                      OffsetRow{"mobility", H::kMobilityOffset, 3628},
                      OffsetRow{"httpInAndWorkingHours", H::kHttpInAndWorkingHoursOffset, 3628},
                      OffsetRow{"isdnCredit", H::kIsdnCreditOffset, 4268},
                      OffsetRow{"creditReport", H::kCreditReportOffset, 4460},
                      OffsetRow{"timeSync", H::kTimeSyncOffset, 4524}),
    test::RowName<OffsetRow>);

TEST(ConfigurationFileWriteTest, StoresOnlyTheRecordsInUse) {
  const ConfigurationImage image = NoisyImage();
  const Bytes file = EncodeConfigurationFile(image);
  EXPECT_EQ(file.size(), 256u + 4332 + 2 * 128 + 1 * 36 + 3 * 36 + 1 * 100);
  EXPECT_EQ(Word(file, H::kRoutingCount), 2u);
  EXPECT_EQ(Word(file, H::kLcrClipCount), 1u);
  EXPECT_EQ(Word(file, H::kClipFromGsmCount), 3u);
  EXPECT_EQ(Word(file, H::kMobilityCount), 1u);
  EXPECT_EQ(Word(file, H::kLcrClipOffset), 1416u + 256);
  EXPECT_EQ(Word(file, H::kClipFromGsmOffset), 1416u + 256 + 36);
  EXPECT_EQ(Word(file, H::kAlarmOffset), 1416u + 256 + 36 + 108);
  EXPECT_EQ(Word(file, H::kTimeSyncOffset) + 64, file.size());
  // The mobility record sits where its offset says.
  const std::size_t mobility = Word(file, H::kMobilityOffset);
  EXPECT_EQ(Bytes(file.begin() + static_cast<long>(mobility), file.begin() + static_cast<long>(mobility) + 100),
            test::Slice(image, 23372, 100));
}

TEST(ConfigurationFileWriteTest, ChecksumIsTheByteSumOfTheData) {
  const Bytes file = EncodeConfigurationFile(NoisyImage());
  std::uint32_t sum = 0;
  for (std::size_t i = 256; i < file.size(); ++i) sum += file[i];
  EXPECT_EQ(Word(file, H::kChecksum), sum);
}

// --- Reading -----------------------------------------------------------------

TEST(ConfigurationFileReadTest, RoundTripKeepsEverythingButRecordsBehindTheTables) {
  const ConfigurationImage image = NoisyImage();
  const DecodedConfiguration decoded = Decode(EncodeConfigurationFile(image));
  ASSERT_EQ(decoded.fault, ConfigurationFileFault::None);
  ASSERT_TRUE(decoded.image.has_value());
  const ConfigurationImage expected = AsReopened(image);
  EXPECT_NE(expected, image);  // the records after the first free one are gone
  EXPECT_EQ(*decoded.image, expected);
}

TEST(ConfigurationFileReadTest, AnyChangedDataByteIsRefused) {
  const Bytes file = EncodeConfigurationFile(NoisyImage());
  for (std::size_t i = 256; i < file.size(); ++i) {
    Bytes changed = file;
    changed[i] ^= 0x01;
    const DecodedConfiguration decoded = Decode(changed);
    ASSERT_EQ(decoded.fault, ConfigurationFileFault::ChecksumMismatch) << "byte " << i;
    ASSERT_FALSE(decoded.image.has_value());
  }
}

TEST(ConfigurationFileReadTest, AppendedOrMissingByteIsRefused) {
  Bytes file = EncodeConfigurationFile(MakeDefaultImage());
  file.push_back(0);
  EXPECT_EQ(Decode(file).fault, ConfigurationFileFault::LengthMismatch);
  file.resize(file.size() - 2);
  EXPECT_EQ(Decode(file).fault, ConfigurationFileFault::LengthMismatch);
}

struct MagicRow {
  const char* name;
  std::string magicField;  // the first 32 header bytes
  ConfigurationFileFault fault;
};

class MagicTest : public ::testing::TestWithParam<MagicRow> {};

TEST_P(MagicTest, ComparesAsACaseSensitiveString) {
  Bytes file = EncodeConfigurationFile(MakeDefaultImage());
  std::copy(GetParam().magicField.begin(), GetParam().magicField.end(), file.begin());
  EXPECT_EQ(Decode(file).fault, GetParam().fault);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MagicTest,
    ::testing::Values(MagicRow{"exact", std::string("*DRAVENIXTUSKO-CFGDATA*QRWFMT*\0\0", 32), ConfigurationFileFault::None},
                      MagicRow{"bytesAfterTheEndIgnored", std::string("*DRAVENIXTUSKO-CFGDATA*QRWFMT*\0x", 32),
                               ConfigurationFileFault::None},
                      MagicRow{"lowerCase", std::string("*dravenixtusko-cfgdata*qrwfmt*\0\0", 32),
                               ConfigurationFileFault::WrongMagic},
                      MagicRow{"oneLetterCase", std::string("*DRAVENIXTUSKO-CFGDATA*QRWFMt*\0\0", 32),
                               ConfigurationFileFault::WrongMagic},
                      MagicRow{"longer", std::string("*DRAVENIXTUSKO-CFGDATA*QRWFMT**\0", 32),
                               ConfigurationFileFault::WrongMagic},
                      MagicRow{"shorter", std::string("*DRAVENIXTUSKO-CFGDATA*QRWFMT\0\0\0", 32),
                               ConfigurationFileFault::WrongMagic}),
    test::RowName<MagicRow>);

TEST(ConfigurationFileReadTest, DataOffsetBeyondTheFileIsRefused) {
  Bytes file = EncodeConfigurationFile(MakeDefaultImage());
  SetWord(file, H::kDataOffset, 0xFFFFFFFF);
  SetWord(file, H::kDataLength, static_cast<std::uint32_t>(file.size()) + 1);  // what wrapping would give
  EXPECT_EQ(Decode(file).fault, ConfigurationFileFault::LengthMismatch);
}

struct CountRow {
  const char* name;
  std::size_t countWord;
  std::uint32_t count;
};

class CountAboveCapacityTest : public ::testing::TestWithParam<CountRow> {};

TEST_P(CountAboveCapacityTest, IsAFormatError) {
  Bytes file = EncodeConfigurationFile(MakeDefaultImage());
  SetWord(file, GetParam().countWord, GetParam().count);
  const DecodedConfiguration decoded = Decode(file);
  EXPECT_EQ(decoded.fault, ConfigurationFileFault::CountAboveCapacity);
  EXPECT_FALSE(decoded.image.has_value());
}

INSTANTIATE_TEST_SUITE_P(Rows, CountAboveCapacityTest,
                         ::testing::Values(CountRow{"routing101", H::kRoutingCount, 101},
                                           CountRow{"lcrClip101", H::kLcrClipCount, 101},
                                           CountRow{"clipFromGsm101", H::kClipFromGsmCount, 101},
                                           CountRow{"mobility51", H::kMobilityCount, 51},
                                           CountRow{"huge", H::kRoutingCount, 0xFFFFFFFF}),
                         test::RowName<CountRow>);

// Tables filled to their capacity are still read.
TEST(ConfigurationFileReadTest, FullTablesAreRead) {
  ConfigurationImage image = MakeDefaultImage();
  for (const auto& table : {layout::lcr::kRoutingTable, layout::mobility::kTable}) {
    image.Fill(table.section, 0x31);
  }
  const Bytes file = EncodeConfigurationFile(image);
  EXPECT_EQ(Word(file, H::kRoutingCount), 100u);
  EXPECT_EQ(Word(file, H::kMobilityCount), 50u);
  const DecodedConfiguration decoded = Decode(file);
  ASSERT_TRUE(decoded.image.has_value());
  EXPECT_EQ(*decoded.image, image);
}

TEST(ConfigurationFileReadTest, RecordsPastTheEndOfTheFileAreRefused) {
  Bytes file = EncodeConfigurationFile(MakeDefaultImage());
  SetWord(file, H::kMobilityCount, 1);
  SetWord(file, H::kMobilityOffset, static_cast<std::uint32_t>(file.size()) - 99);
  EXPECT_EQ(Decode(file).fault, ConfigurationFileFault::ShortData);
}

// A section whose header offset says "not in this file" opens unset, as from
// a version that did not have it. The checksum is that of what is read.
struct SkipRow {
  const char* name;
  std::size_t offsetWord;
  layout::Section section;
  std::uint32_t skipOffset;
  bool skipped;  // false: the offset is taken as a place and reaches past the end
};

class SkippedSectionTest : public ::testing::TestWithParam<SkipRow> {};

TEST_P(SkippedSectionTest, StaysUnset) {
  const auto& row = GetParam();
  const ConfigurationImage image = NoisyImage();
  Bytes file = EncodeConfigurationFile(image);
  std::uint32_t sectionSum = 0;
  for (const std::uint8_t b : image.Range(row.section)) sectionSum += b;
  SetWord(file, row.offsetWord, row.skipOffset);
  SetWord(file, H::kChecksum, Word(file, H::kChecksum) - sectionSum);

  const DecodedConfiguration decoded = Decode(file);
  if (!row.skipped) {
    EXPECT_EQ(decoded.fault, ConfigurationFileFault::ShortData);
    return;
  }
  ASSERT_EQ(decoded.fault, ConfigurationFileFault::None);
  ConfigurationImage expected = AsReopened(image);
  expected.Fill(row.section, 0xFF);
  EXPECT_EQ(*decoded.image, expected);
}

constexpr layout::Section kHttpInAndWorkingHours{28372, 640};

INSTANTIATE_TEST_SUITE_P(
    Rows, SkippedSectionTest,
    ::testing::Values(
        SkipRow{"alarmZero", H::kAlarmOffset, layout::alarm::kSection, 0, true},
        SkipRow{"alarmAllOnes", H::kAlarmOffset, layout::alarm::kSection, 0xFFFFFFFF, true},
        SkipRow{"cdrAllOnes", H::kCdrOffset, layout::cdr::kSection, 0xFFFFFFFF, true},
        SkipRow{"moduleSecondAllOnes", H::kModuleSecondOffset, layout::gsmModule::kSecondSection, 0xFFFFFFFF, true},
        SkipRow{"httpInAndWorkingHoursZero", H::kHttpInAndWorkingHoursOffset, kHttpInAndWorkingHours, 0, true},
        SkipRow{"httpInAndWorkingHoursAllOnes", H::kHttpInAndWorkingHoursOffset, kHttpInAndWorkingHours, 0xFFFFFFFF,
                false},
        SkipRow{"isdnCreditZero", H::kIsdnCreditOffset, layout::isdnCredit::kSection, 0, true},
        SkipRow{"isdnCreditAllOnes", H::kIsdnCreditOffset, layout::isdnCredit::kSection, 0xFFFFFFFF, false},
        SkipRow{"timeSyncZero", H::kTimeSyncOffset, layout::timeSync::kSection, 0, true},
        SkipRow{"timeSyncAllOnes", H::kTimeSyncOffset, layout::timeSync::kSection, 0xFFFFFFFF, false}),
    test::RowName<SkipRow>);

TEST(ConfigurationFileReadTest, TableWithCountZeroIsNotRead) {
  Bytes file = EncodeConfigurationFile(MakeDefaultImage());
  SetWord(file, H::kRoutingOffset, 0xFFFFFFF0);  // never used while the count is 0
  const DecodedConfiguration decoded = Decode(file);
  ASSERT_TRUE(decoded.image.has_value());
  EXPECT_EQ(test::Slice(*decoded.image, 1160, 12800), Repeat(12800, 0xFF));
}

}  // namespace
}  // namespace tusko

// The configuration file: its format, byte by byte, and how it is read and saved.
#include "config/ConfigurationFile.h"
#include "config/ConfigurationFileFormat.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <random>
#include <set>
#include <string>

#include "ImageBytes.h"
#include "config/CountedTables.h"
#include "config/TextFields.h"
#include "support/FileText.h"
#include "support/TempFolder.h"

namespace tusko {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::ReadFileText;
using test::Repeat;
using test::WriteFileText;

ConfigurationImage NamedImage(std::string_view name) {
  ConfigurationImage image = MakeDefaultImage();
  WriteCountedText(image, layout::general::kDeviceName, name);
  image.Fill(layout::lcr::kRoutingTable.section.offset, 3 * 128, 0x42);
  return image;
}

class ConfigurationFileTest : public ::testing::Test {
 protected:
  std::set<std::string> FolderNames() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_.path())) names.insert(entry.path().filename().string());
    return names;
  }

  test::TempFolder folder_;
};

TEST_F(ConfigurationFileTest, ReadFailuresAreReportedWithTheirTextKeys) {
  const fs::path missing = folder_ / "missing.cfg";
  ConfigurationReadResult read = ReadConfigurationFile(missing);
  EXPECT_EQ(read.outcome, ConfigurationReadOutcome::DoesNotExist);
  EXPECT_EQ(read.systemError, ENOENT);
  EXPECT_FALSE(read.image.has_value());
  EXPECT_FALSE(fs::exists(missing));
  EXPECT_EQ(ConfigurationReadErrorKey(read.outcome), "strDataOpenErrorNoFile");

  read = ReadConfigurationFile(folder_.path());
  EXPECT_EQ(read.outcome, ConfigurationReadOutcome::CannotOpen);
  EXPECT_EQ(read.systemError, EISDIR);
  EXPECT_EQ(ConfigurationReadErrorKey(read.outcome), "strDataOpenErrorOpen");

  const fs::path notes = folder_ / "notes.cfg";
  WriteFileText(notes, "just some text");
  read = ReadConfigurationFile(notes);
  EXPECT_EQ(read.outcome, ConfigurationReadOutcome::FormatError);
  EXPECT_EQ(read.fault, ConfigurationFileFault::ShortHeader);
  EXPECT_FALSE(read.image.has_value());
  EXPECT_EQ(ConfigurationReadErrorKey(read.outcome), "strDataOpenErrorFormat");
  EXPECT_EQ(ConfigurationReadErrorKey(ConfigurationReadOutcome::Read), "");
  WriteFileText(notes, "");
  EXPECT_EQ(ReadConfigurationFile(notes).outcome, ConfigurationReadOutcome::FormatError);
}

TEST_F(ConfigurationFileTest, SaveFailingHalfWayKeepsThePreviousFile) {
  const fs::path path = folder_ / "gateway.cfg";
  ASSERT_TRUE(WriteConfigurationFile(path, NamedImage("previous")).saved);
  const std::string previous = ReadFileText(path);

  // The new file breaks off after 1000 bytes; a write past the limit then fails with EFBIG.
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit = saved;
  limit.rlim_cur = 1000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
  const ConfigurationWriteResult written = WriteConfigurationFile(path, NamedImage("next"));
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);
  EXPECT_FALSE(written.saved);
  EXPECT_EQ(written.systemError, EFBIG);
  EXPECT_EQ(ReadFileText(path), previous);
  EXPECT_EQ(FolderNames(), std::set<std::string>{"gateway.cfg"});
}

TEST_F(ConfigurationFileTest, SaveOverAFolderFailsAndLeavesIt) {
  const fs::path path = folder_ / "taken.cfg";
  fs::create_directory(path);
  WriteFileText(path / "inside", "\x07");
  EXPECT_FALSE(WriteConfigurationFile(path, MakeDefaultImage()).saved);
  EXPECT_TRUE(fs::is_directory(path));
  EXPECT_EQ(ReadFileText(path / "inside"), "\x07");
  EXPECT_EQ(FolderNames(), std::set<std::string>{"taken.cfg"});
}

TEST_F(ConfigurationFileTest, SaveThroughALinkReplacesTheLinkedFileKeepingItsPermissions) {
  const fs::path real = folder_ / "real.cfg";
  const fs::path link = folder_ / "link.cfg";
  ASSERT_TRUE(WriteConfigurationFile(real, MakeDefaultImage()).saved);
  ::chmod(real.c_str(), 0640);
  fs::create_symlink(real, link);
  const ConfigurationImage image = NamedImage("linked");
  const ConfigurationWriteResult written = WriteConfigurationFile(link, image);
  ASSERT_TRUE(written.saved) << written.systemError;
  EXPECT_TRUE(fs::is_symlink(link));
  struct stat info {};
  ASSERT_EQ(::stat(real.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  const ConfigurationReadResult read = ReadConfigurationFile(link);
  ASSERT_EQ(read.outcome, ConfigurationReadOutcome::Read);
  ASSERT_TRUE(read.image.has_value());
  EXPECT_EQ(*read.image, image);
  EXPECT_EQ(FolderNames(), (std::set<std::string>{"link.cfg", "real.cfg"}));  // no temporary file is left
}

namespace H = fileHeader;

std::uint32_t Word(const Bytes& file, std::size_t offset) {
  return std::uint32_t{file[offset]} | std::uint32_t{file[offset + 1]} << 8 | std::uint32_t{file[offset + 2]} << 16 |
         std::uint32_t{file[offset + 3]} << 24;
}

void SetWord(Bytes& file, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) file[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

DecodedConfiguration Decode(const Bytes& file) { return DecodeConfigurationFile(MemoryConfigurationFileBytes(file)); }

// Marks `used` records in use, one free, then one that looks in use behind the end.
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

// A saved image as opened again: each counted table keeps only its records in use.
ConfigurationImage AsReopened(ConfigurationImage image) {
  for (const auto& table : {layout::lcr::kRoutingTable, layout::lcr::kClipTable, layout::clipFromGsm::kTable,
                            layout::mobility::kTable}) {
    const std::size_t used = CountRecords(image, table);
    image.Fill(table.RecordOffset(used), table.section.End() - table.RecordOffset(used), 0xFF);
  }
  return image;
}

TEST(ConfigurationFileWriteTest, EmptyTablesGiveThe4588ByteFileWithSectionsWithoutGaps) {
  const Bytes file = EncodeConfigurationFile(MakeDefaultImage());
  ASSERT_EQ(file.size(), 4588u);
  EXPECT_EQ(std::string(file.begin(), file.begin() + 32), std::string("*DRAVENIXTUSKO-CFGDATA*QRWFMT*\0\0", 32));
  EXPECT_EQ(Word(file, H::kDataOffset), 256u);
  EXPECT_EQ(Word(file, H::kDataLength), 4332u);
  for (const std::size_t count : {H::kRoutingCount, H::kLcrClipCount, H::kClipFromGsmCount, H::kMobilityCount}) {
    EXPECT_EQ(Word(file, count), 0u) << "count word at " << count;
  }
  EXPECT_EQ(Bytes(file.begin() + 124, file.begin() + 256), Repeat(132, 0));
  const struct { std::size_t word; std::uint32_t offset; } offsets[] = {
      {H::kRoutingOffset, 1416},         {H::kLcrClipOffset, 1416},
      {H::kClipFromGsmOffset, 1416},     {H::kAlarmOffset, 1416},
      {H::kCellSelectionOffset, 1928},   {H::kCdrOffset, 2188},
      {H::kSmsServerOffset, 2316},       {H::kInGroupSecondOffset, 2444},
      {H::kModuleSecondOffset, 2860},    {H::kHttpOutOffset, 3116},
      {H::kSmsNotificationOffset, 3372}, {H::kMobilityOffset, 3628},
      {H::kHttpInAndWorkingHoursOffset, 3628}, {H::kIsdnCreditOffset, 4268},
      {H::kCreditReportOffset, 4460},    {H::kTimeSyncOffset, 4524}};
  for (const auto& row : offsets) EXPECT_EQ(Word(file, row.word), row.offset) << "offset word at " << row.word;
}

TEST(ConfigurationFileWriteTest, StoresOnlyTheRecordsInUseAndTheirChecksum) {
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
  std::uint32_t sum = 0;  // the checksum is the byte sum of the data
  for (std::size_t i = 256; i < file.size(); ++i) sum += file[i];
  EXPECT_EQ(Word(file, H::kChecksum), sum);
}

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

TEST(ConfigurationFileReadTest, HeaderFaultsAreRefused) {
  const Bytes good = EncodeConfigurationFile(MakeDefaultImage());
  Bytes file = good;
  file.push_back(0);
  EXPECT_EQ(Decode(file).fault, ConfigurationFileFault::LengthMismatch) << "appended byte";
  file.resize(file.size() - 2);
  EXPECT_EQ(Decode(file).fault, ConfigurationFileFault::LengthMismatch) << "missing byte";
  file = good;
  SetWord(file, H::kDataOffset, 0xFFFFFFFF);
  SetWord(file, H::kDataLength, static_cast<std::uint32_t>(file.size()) + 1);  // what wrapping would give
  EXPECT_EQ(Decode(file).fault, ConfigurationFileFault::LengthMismatch) << "data offset beyond the file";
  file = good;
  SetWord(file, H::kMobilityCount, 1);
  SetWord(file, H::kMobilityOffset, static_cast<std::uint32_t>(file.size()) - 99);
  EXPECT_EQ(Decode(file).fault, ConfigurationFileFault::ShortData) << "record past the end";
  // The magic is a case-sensitive string: bytes after its end do not count.
  const struct { const char* name; std::string magic; ConfigurationFileFault fault; } magics[] = {
      {"exact", std::string("*DRAVENIXTUSKO-CFGDATA*QRWFMT*\0\0", 32), ConfigurationFileFault::None},
      {"bytesAfterTheEnd", std::string("*DRAVENIXTUSKO-CFGDATA*QRWFMT*\0x", 32), ConfigurationFileFault::None},
      {"lowerCase", std::string("*dravenixtusko-cfgdata*qrwfmt*\0\0", 32), ConfigurationFileFault::WrongMagic},
      {"longer", std::string("*DRAVENIXTUSKO-CFGDATA*QRWFMT**\0", 32), ConfigurationFileFault::WrongMagic},
      {"shorter", std::string("*DRAVENIXTUSKO-CFGDATA*QRWFMT\0\0\0", 32), ConfigurationFileFault::WrongMagic}};
  for (const auto& row : magics) {
    file = good;
    std::copy(row.magic.begin(), row.magic.end(), file.begin());
    EXPECT_EQ(Decode(file).fault, row.fault) << row.name;
  }
  const struct { std::size_t word; std::uint32_t count; } counts[] = {
      {H::kRoutingCount, 101}, {H::kLcrClipCount, 101}, {H::kClipFromGsmCount, 101}, {H::kMobilityCount, 51},
      {H::kRoutingCount, 0xFFFFFFFF}};
  for (const auto& row : counts) {
    file = good;
    SetWord(file, row.word, row.count);
    const DecodedConfiguration decoded = Decode(file);
    EXPECT_EQ(decoded.fault, ConfigurationFileFault::CountAboveCapacity) << row.word << " " << row.count;
    EXPECT_FALSE(decoded.image.has_value());
  }
}

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

// A section whose offset says "not in this file" opens unset; all ones taken as a place reaches past the end.
TEST(ConfigurationFileReadTest, SkippedSectionStaysUnset) {
  constexpr layout::Section kHttpInAndWorkingHours{28372, 640};
  const struct { const char* name; std::size_t offsetWord; layout::Section section; std::uint32_t skipOffset; bool skipped; } rows[] = {
      {"alarmZero", H::kAlarmOffset, layout::alarm::kSection, 0, true},
      {"moduleSecondAllOnes", H::kModuleSecondOffset, layout::gsmModule::kSecondSection, 0xFFFFFFFF, true},
      {"httpInAndWorkingHoursZero", H::kHttpInAndWorkingHoursOffset, kHttpInAndWorkingHours, 0, true},
      {"httpInAndWorkingHoursAllOnes", H::kHttpInAndWorkingHoursOffset, kHttpInAndWorkingHours, 0xFFFFFFFF, false},
      {"isdnCreditZero", H::kIsdnCreditOffset, layout::isdnCredit::kSection, 0, true},
      {"isdnCreditAllOnes", H::kIsdnCreditOffset, layout::isdnCredit::kSection, 0xFFFFFFFF, false},
      {"timeSyncZero", H::kTimeSyncOffset, layout::timeSync::kSection, 0, true},
      {"timeSyncAllOnes", H::kTimeSyncOffset, layout::timeSync::kSection, 0xFFFFFFFF, false}};
  const ConfigurationImage image = NoisyImage();
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Bytes file = EncodeConfigurationFile(image);
    std::uint32_t sectionSum = 0;
    for (const std::uint8_t b : image.Range(row.section)) sectionSum += b;
    SetWord(file, row.offsetWord, row.skipOffset);
    SetWord(file, H::kChecksum, Word(file, H::kChecksum) - sectionSum);
    const DecodedConfiguration decoded = Decode(file);
    if (!row.skipped) {
      EXPECT_EQ(decoded.fault, ConfigurationFileFault::ShortData);
      continue;
    }
    ASSERT_EQ(decoded.fault, ConfigurationFileFault::None);
    ConfigurationImage expected = AsReopened(image);
    expected.Fill(row.section, 0xFF);
    EXPECT_EQ(*decoded.image, expected);
  }
}

TEST(ConfigurationFileReadTest, TableWithCountZeroIsNotRead) {
  Bytes file = EncodeConfigurationFile(MakeDefaultImage());
  SetWord(file, H::kRoutingOffset, 0xFFFFFFF0);  // never used while the count is 0
  const DecodedConfiguration decoded = Decode(file);
  ASSERT_TRUE(decoded.image.has_value());
  EXPECT_EQ(test::Slice(*decoded.image, 1160, 12800), Repeat(12800, 0xFF));
}

}  // namespace
}  // namespace tusko

// The CDR record store: record lines, chunks and the file name rule.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "monitor/CdrFile.h"
#include "monitor/CdrFileName.h"
#include "protocol/CdrRecord.h"
#include "support/FileText.h"
#include "support/TempFolder.h"

namespace tusko {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// Byte offsets the tests poke at.
constexpr std::size_t kCallTypeAt = 1;
constexpr std::size_t kCauseAt = 8;
constexpr std::size_t kInPortAt = 9;
constexpr std::size_t kCallerIdLengthAt = 15;

CdrRecord SampleRecord() {
  CdrRecord r;
  r.callType = 1;
  r.time = {2011, 3, 5, 9, 7, 3};
  r.cause = 16;
  r.inPort = {kCdrPortPbx, 1};
  r.outPort = {kCdrPortGsm, 0};
  r.lengthSeconds = 3725;
  r.callerId = "21";
  r.calledNumber = "01701234567";
  return r;
}

Bytes Encoded(const CdrRecord& record = SampleRecord()) {
  const auto bytes = EncodeCdrRecord(record);
  return {bytes.begin(), bytes.end()};
}

Bytes WithRecord(void (*change)(CdrRecord&)) {
  CdrRecord record = SampleRecord();
  change(record);
  return Encoded(record);
}

Bytes WithByte(std::size_t at, std::uint8_t value) {
  Bytes bytes = Encoded();
  bytes[at] = value;
  return bytes;
}

// Caller id and called number lengths as given, the texts' bytes left as they are.
Bytes WithTextLengths(std::uint8_t callerId, std::uint8_t called) {
  Bytes bytes = Encoded();
  bytes[kCallerIdLengthAt] = callerId;
  if (kCallerIdLengthAt + 1 + callerId < bytes.size()) bytes[kCallerIdLengthAt + 1 + callerId] = called;
  return bytes;
}

Bytes Chunk(std::initializer_list<Bytes> records) {
  Bytes chunk;
  for (const Bytes& r : records) chunk.insert(chunk.end(), r.begin(), r.end());
  return chunk;
}

constexpr char kSampleLine[] = "5.3.2011;9:07:03;Outgoing PBX->GSM;21;01701234567;1:02:05;PBX/1;GSM/0;16\r\n";
constexpr char kDefaultHeader[] =
    "Date;Time;Call Type;Caller Id;Called Number;Call Length;Input Port;Output Port;Cause\r\n";
constexpr char kTabHeader[] =
    "Date\tTime\tCall Type\tCaller Id\tCalled Number\tCall Length\tInput Port\tOutput Port\tCause\r\n";

// ---- Record lines ----

TEST(CdrRecordLine, PrintsEachFieldAsItsColumn) {
  const struct { const char* name; Bytes bytes; CdrColumn column; const char* text; } rows[] = {
      {"Port0x83IsGsm3", WithByte(kInPortAt, 0x83), CdrColumn::InPort, "GSM/3"},
      {"Port0x23IsPstn3", WithByte(kInPortAt, 0x23), CdrColumn::InPort, "PSTN/3"},
      {"Port0x43HasNoType", WithByte(kInPortAt, 0x43), CdrColumn::InPort, "/3"},
      {"Port0x1FIsPbx31", WithByte(kInPortAt, 0x1F), CdrColumn::InPort, "PBX/31"},
      {"CallType21", WithByte(kCallTypeAt, 21), CdrColumn::CallType, "Callback"},
      {"CallType6HasNoText", WithByte(kCallTypeAt, 6), CdrColumn::CallType, ""},
      {"CauseIsUnsigned", WithByte(kCauseAt, 0xFF), CdrColumn::Cause, "255"},
      {"CallerIdEndsAtItsFirstNul", WithRecord([](CdrRecord& r) { r.callerId = std::string("12\0" "34", 5); }),
       CdrColumn::CallerId, "12"},
      {"LengthHoursNotWrapped", WithRecord([](CdrRecord& r) { r.lengthSeconds = 90000; }), CdrColumn::CallLength,
       "25:00:00"},
      {"LengthLargest", WithRecord([](CdrRecord& r) { r.lengthSeconds = 0xFFFFFFFF; }), CdrColumn::CallLength,
       "1193046:28:15"}};
  for (const auto& row : rows) {
    CdrTextLayout onlyThis;
    onlyThis.positions.fill(kCdrColumnPositions);
    onlyThis.positions[static_cast<std::size_t>(row.column)] = 0;
    const CdrDecodeResult decoded = DecodeCdrRecord(row.bytes);
    ASSERT_EQ(decoded.error, CdrError::None) << row.name;
    EXPECT_EQ(CdrRecordLine(decoded.record, onlyThis, ';'), row.text + std::string("\r\n")) << row.name;
  }
}

TEST(CdrRecordLine, ColumnsFollowTheirPositions) {
  constexpr std::uint32_t kMinusOne = 0xFFFFFFFF;
  const struct { const char* name; std::array<std::uint32_t, kCdrColumnCount> positions; const char* header; } rows[] = {
      {"AllAtOnePositionKeepTableOrder", {4, 4, 4, 4, 4, 4, 4, 4, 4}, kTabHeader},
      {"Reversed", {8, 7, 6, 5, 4, 3, 2, 1, 0},
       "Cause\tOutput Port\tInput Port\tCall Length\tCalled Number\tCaller Id\tCall Type\tTime\tDate\r\n"},
      {"NineAndMinusOneDisappear", {9, 0, kMinusOne, 1, 1, 1, 1, 1, 1},
       "Time\tCaller Id\tCalled Number\tCall Length\tInput Port\tOutput Port\tCause\r\n"},
      {"NoneInRange", {9, 9, 9, 9, 9, 9, 9, 9, kMinusOne}, "\r\n"}};
  for (const auto& row : rows) EXPECT_EQ(CdrHeaderLine({row.positions, true}, '\t'), row.header) << row.name;
  const CdrTextLayout layout{{2, 2, 0, 9, 9, 9, 1, 9, 9}, true};
  EXPECT_EQ(CdrRecordLine(SampleRecord(), layout, ';'), "Outgoing PBX->GSM;PBX/1;5.3.2011;9:07:03\r\n");
}

// ---- The file ----

class CdrFileTest : public ::testing::Test {
 protected:
  void OpenAs(CdrFormat format, CdrTextLayout layout = {}) {
    file_.emplace(layout);
    ASSERT_TRUE(file_->Open(path_));
    file_->SetFormat(format);
    ASSERT_TRUE(file_->Start());
  }
  std::string Content() const { return test::ReadFileText(path_); }

  const test::TempFolder folder_;
  const fs::path path_ = folder_ / "records.out";
  std::optional<CdrFile> file_;
};

// Text formats turn each record into a line after the header; BIN keeps the chunks as they came, counted
// by chunk. A new download empties the file only with its first record.
TEST_F(CdrFileTest, EachFormatAppendsItsChunksAfterItsHeader) {
  const Bytes record = Encoded();
  // The call length travels most significant byte first.
  EXPECT_EQ((Bytes{record.begin() + 11, record.begin() + 15}), (Bytes{0x00, 0x00, 0x0E, 0x8D}));
  const Bytes notARecord{9, 8, 7};
  const Bytes binary = Chunk({record, record, notARecord});
  const struct { const char* name; CdrFormat format; bool header; std::vector<Bytes> chunks; std::string head, body;
                 std::uint32_t count; } rows[] = {
      {"Csv", CdrFormat::Csv, true, {Chunk({record, record, record}), record}, kDefaultHeader,
       std::string(kSampleLine) + kSampleLine + kSampleLine + kSampleLine, 4},
      {"Txt", CdrFormat::Txt, true, {record}, kTabHeader,
       "5.3.2011\t9:07:03\tOutgoing PBX->GSM\t21\t01701234567\t1:02:05\tPBX/1\tGSM/0\t16\r\n", 1},
      // Opened again over the longer file: nothing of the old file stays.
      {"CsvWithoutHeader", CdrFormat::Csv, false, {record}, "", kSampleLine, 1},
      // Not even a record is kept as it came; the empty chunk that ends the download is no chunk.
      {"Bin", CdrFormat::Bin, true, {Chunk({record, record}), notARecord, {}}, "", {binary.begin(), binary.end()}, 2}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    OpenAs(row.format, CdrTextLayout{.header = row.header});
    for (const Bytes& chunk : row.chunks) EXPECT_TRUE(file_->StoreChunk(chunk));
    EXPECT_EQ(file_->RecordCount(), row.count);
    EXPECT_EQ(Content(), row.head + row.body);
    EXPECT_TRUE(file_->Start());
    EXPECT_EQ(file_->RecordCount(), 0u);
    EXPECT_EQ(Content(), row.head + row.body);
  }
}

// The file may hold records the gateway has already deleted: a download that stores none, or whose
// first chunk is broken, leaves it as it was, and leaves no file of its own behind.
TEST_F(CdrFileTest, ADownloadWithoutRecordsEmptiesNoFile) {
  for (const bool existed : {true, false}) {
    SCOPED_TRACE(existed ? "existed" : "new");
    if (existed) test::WriteFileText(path_, "earlier;records\r\n");
    OpenAs(CdrFormat::Csv);
    EXPECT_FALSE(file_->StoreChunk(Bytes{1, 2, 3}));
    EXPECT_TRUE(file_->StoreChunk({}));
    file_.reset();
    EXPECT_EQ(fs::exists(path_), existed);
    EXPECT_EQ(Content(), existed ? "earlier;records\r\n" : "");
    fs::remove(path_);
  }
}

// A chunk that fails leaves nothing of itself in the file, so that asking the gateway for it again cannot
// double a line; the next good chunk clears the error and lands right after.
TEST_F(CdrFileTest, AChunkIsStoredWholeOrNotAtAll) {
  Bytes hundred = Chunk({Encoded(), Encoded()});
  hundred.resize(100);
  const struct { const char* name; Bytes chunk; CdrError error; } rows[] = {
      {"HundredBytes", hundred, CdrError::RecordSize},
      {"ShortRecord", Bytes{1, 2, 3}, CdrError::RecordSize},
      {"ThirdRecordVersion2", Chunk({Encoded(), Encoded(), WithByte(0, 2)}), CdrError::RecordVersion},
      {"Version0", WithByte(0, 0), CdrError::RecordVersion},
      {"TextsOf47Fit", WithTextLengths(23, 24), CdrError::None},
      {"SecondRecordTextsOf48", Chunk({Encoded(), WithTextLengths(24, 24)}), CdrError::RecordFormat},
      {"CallerIdOf255", WithTextLengths(255, 0), CdrError::RecordFormat},
      {"CalledOf255", WithTextLengths(0, 255), CdrError::RecordFormat}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    OpenAs(CdrFormat::Csv);
    ASSERT_TRUE(file_->StoreChunk(Encoded()));
    const std::string before = Content();
    EXPECT_EQ(file_->StoreChunk(row.chunk), row.error == CdrError::None);
    EXPECT_EQ(file_->error(), row.error);
    if (row.error == CdrError::None) continue;
    EXPECT_EQ(file_->RecordCount(), 1u);
    EXPECT_EQ(Content(), before);
    EXPECT_TRUE(file_->StoreChunk(Encoded()));
    EXPECT_EQ(file_->error(), CdrError::None);
    EXPECT_EQ(Content(), before + kSampleLine);
  }
}

// Closing twice must not close a descriptor that is no longer the file's.
TEST_F(CdrFileTest, AClosedFileAMissingFolderOrAFullDiskIsAWriteFailure) {
  OpenAs(CdrFormat::Csv);
  EXPECT_EQ(file_->path(), path_);
  file_->Close();
  file_->Close();
  EXPECT_TRUE(file_->path().empty());
  EXPECT_FALSE(file_->StoreChunk(Encoded()));
  EXPECT_EQ(file_->error(), CdrError::WriteFailed);

  CdrFile missing;
  EXPECT_FALSE(missing.Open("/nonexistent-folder-for-cdr/out.csv"));
  EXPECT_FALSE(missing.Start());
  EXPECT_EQ(missing.error(), CdrError::WriteFailed);

  // The disk fills up in the middle of a chunk's lines: what of them went out is taken back.
  OpenAs(CdrFormat::Csv);
  ASSERT_TRUE(file_->StoreChunk(Encoded()));
  const std::string stored = Content();
  rlimit unlimited{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &unlimited), 0);
  std::signal(SIGXFSZ, SIG_IGN);
  const rlimit small{stored.size() + 10, unlimited.rlim_max};
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  EXPECT_FALSE(file_->StoreChunk(Encoded()));
  ::setrlimit(RLIMIT_FSIZE, &unlimited);
  EXPECT_EQ(file_->error(), CdrError::WriteFailed);
  EXPECT_EQ(Content(), stored);

  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  CdrFile full;
  ASSERT_TRUE(full.Open("/dev/full"));
  ASSERT_TRUE(full.Start());
  EXPECT_FALSE(full.StoreChunk(Encoded()));
  EXPECT_EQ(full.error(), CdrError::WriteFailed);
  EXPECT_EQ(full.RecordCount(), 0u);
}

// ---- File name ----

// The day's files are found whatever case their extension was saved in; at most 100 names are tried.
TEST(CdrFileNameRule, ProposesTheFirstFreeName) {
  const struct { const char* name; const char* separator; int taken; const char* proposed; } rows[] = {
      // `taken`: names already there, the plain one, then _01, _02...
      {"Free", "", 0, "CDR110305"},          {"PlainTaken", "", 1, "CDR110305_01"},
      {"ThreeTaken", "", 3, "CDR110305_03"}, {"FolderGetsOneSeparator", "/", 3, "CDR110305_03"},
      {"UpTo98Taken", "", 99, "CDR110305_99"}, {"AllTakenGives100Untested", "", 100, "CDR110305_100"}};
  for (const auto& row : rows) {
    const test::TempFolder folder;
    for (int i = 0; i < row.taken; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, i == 0 ? "CDR110305.csv" : "CDR110305_%02d.Csv", i);
      std::ofstream(folder / name) << "saved by the dialog\n";
    }
    std::size_t tested = 0;
    const std::string proposed =
        ProposeCdrFileName({2011, 3, 5}, folder.path().string() + row.separator, "CSV", [&](const std::string& path) {
          ++tested;
          EXPECT_EQ(path.find("//"), std::string::npos) << path;
          return CdrNameTaken(path);
        });
    EXPECT_EQ(proposed, row.proposed) << row.name;
    EXPECT_LE(tested, 100u) << row.name;
    EXPECT_FALSE(CdrNameTaken((folder / "CDR110305.TXT").string())) << "another extension";
  }
}

TEST(CdrFileNameRule, ExtensionAndFormatFollowTheFilterIndexAndTheName) {
  const struct { std::uint32_t filter; std::string_view extension; CdrFormat format; const char* named; } rows[] = {
      {1, "CSV", CdrFormat::Csv, "csv"}, {2, "TXT", CdrFormat::Txt, "Txt"}, {3, "BIN", CdrFormat::Bin, "BIN"},
      {0, "CSV", CdrFormat::Csv, "cSV"}, {7, "CSV", CdrFormat::Csv, "CSV"}};
  for (const auto& row : rows) {
    EXPECT_EQ(CdrExtension(row.filter), row.extension) << row.filter;
    EXPECT_EQ(CdrFormatOfFilter(row.filter), row.format) << row.filter;
    EXPECT_EQ(CdrFormatNamed(row.named), row.format) << row.named;
  }
  EXPECT_EQ(CdrFormatNamed("cs"), std::nullopt);
  EXPECT_EQ(CdrFormatNamed(""), std::nullopt);
}

}  // namespace
}  // namespace tusko

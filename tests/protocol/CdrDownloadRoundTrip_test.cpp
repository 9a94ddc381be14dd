// The CDR download against the gateway model, into a real record file.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "monitor/CdrFile.h"
#include "protocol/engine/CdrTransfer.h"
#include "sim/GatewayFaults.h"
#include "support/GatewayHarness.h"
#include "support/RowName.h"
#include "support/TempFolder.h"

namespace tusko {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

constexpr std::uint32_t kWriteTimeoutMs = 3000;
constexpr milliseconds kEnoughTime{120000};

struct RoundTripRow {
  const char* name;
  int records;
  std::uint32_t start;
  std::vector<sim::Fault> faults;
  bool restartAfterTheFirstChunk = false;
};

class CdrRoundTrip : public ::testing::TestWithParam<RoundTripRow> {
 protected:
  CdrRoundTrip() {
    harness_.settings.communicationTimeoutDataWrite = kWriteTimeoutMs;
    OperationsOf(harness_.engine).SetState(EngineState::Idle);
    CdrTextLayout noHeader;
    noHeader.header = false;
    file_.emplace(noHeader);
  }

  void Download(bool restartAfterTheFirstChunk) {
    ASSERT_TRUE(file_->Open(path_));
    ASSERT_TRUE(file_->Start());
    ASSERT_TRUE(harness_.engine.StartCdrDownload(*file_));
    if (restartAfterTheFirstChunk) {
      ASSERT_TRUE(harness_.RunUntil([this] { return harness_.engine.cdrTransfer().chunks() > 0; }, kEnoughTime));
      harness_.gateway.CdrStore().RestartOnNextRequest();
    }
    ASSERT_TRUE(harness_.RunUntilEnded(kEnoughTime));
    EXPECT_EQ(harness_.host.CountOf(Notification::CdrResult, 1), 1);
    EXPECT_FALSE(file_->IsOpen());
  }
  // Every generated record once, in store order.
  std::string Expected() const {
    std::string lines;
    for (const CdrRecord& record : harness_.gateway.CdrStore().Generated()) lines += CdrRecordLine(record, {}, ';');
    return lines;
  }
  std::string Content() const {
    std::ifstream in(path_, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  const test::TempFolder folder_;
  const fs::path path_ = folder_ / "records.csv";
  test::GatewayHarness harness_;
  std::optional<CdrFile> file_;
};

TEST_P(CdrRoundTrip, EveryRecordLandsOnceInOrder) {
  const RoundTripRow& row = GetParam();
  harness_.gateway.CdrStore().Fill(row.records, row.start);
  for (const sim::Fault& fault : row.faults) harness_.gateway.InjectFault(fault);
  Download(row.restartAfterTheFirstChunk);
  EXPECT_EQ(Content(), Expected());
  EXPECT_EQ(harness_.gateway.CdrStore().Remaining(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CdrRoundTrip,
    ::testing::Values(RoundTripRow{"Default", 25, 0, {}}, RoundTripRow{"None", 0, 0, {}},
                      // Chunks end right at the wrap, then a short one follows at 0.
                      RoundTripRow{"ShortChunkAfterTheWrap", 7, 0x7FFE80, {}},
                      RoundTripRow{"RecordsAcrossTheWrap", 10, 0x7FFFF0, {}},
                      RoundTripRow{"LostRequest", 10, 0x7FFF00, {{sim::FaultKind::DropReply, ie::CdrData, 0, 1}}},
                      RoundTripRow{"LostReplyAfterTheGatewayActed", 10, 0, {{sim::FaultKind::CorruptChecksum, ie::CdrData, 0, 2}}},
                      // Loses and doubles nothing.
                      RoundTripRow{"RestartInTheMiddle", 12, 0, {}, true}),
    test::RowName<RoundTripRow>);

}  // namespace
}  // namespace tusko

// tuskoctl killed at random moments, as a pulled plug would end it, while it
// saves configuration files and downloads call detail records: every
// configuration file on disk opens and holds the value before or after, and
// every record the gateway deleted is in a file, on whole lines.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "config/ConfigurationFile.h"
#include "support/ProgramRun.h"

namespace tusko {
namespace {

namespace fs = std::filesystem;
using test::Process;
using test::Simulator;

constexpr unsigned kSeed = 20261207;
constexpr int kConfigKills = 200;
constexpr int kCdrKills = 40;
constexpr int kCdrRecords = 3000;
constexpr std::size_t kPortDigits = 63;

class CrashSafety : public test::TuskoctlTest {
 protected:
  // tuskoctl with `args`, killed after `delay` unless it ended before.
  void RunKilledAfter(std::vector<std::string> args, std::chrono::microseconds delay) {
    Process process(TuskoctlCommand(std::move(args)), Environment());
    std::this_thread::sleep_for(delay);
    process.Kill();
  }
  fs::path File(const std::string& name) const { return configHome_ / name; }

  std::mt19937 random_{kSeed};
};

std::string StoredPort(const fs::path& file) {
  const ConfigurationReadResult read = ReadConfigurationFile(file);
  return read.image ? read.image->Text(kPortDigits, 5) : "torn";
}

TEST_F(CrashSafety, AConfigurationFileIsNeverTorn) {
  ASSERT_EQ(Tuskoctl({"new-config", File("kept.cfg").string()}).exitCode, 0);
  std::uniform_int_distribution<int> delayUs(0, 30000);
  std::string before = StoredPort(File("kept.cfg"));
  int changed = 0;
  for (int kill = 0; kill < kConfigKills; ++kill) {
    const int port = 10000 + kill;
    RunKilledAfter({"set", File("kept.cfg").string(), "network.port=" + std::to_string(port)},
                   std::chrono::microseconds(delayUs(random_)));
    const std::string after = StoredPort(File("kept.cfg"));
    ASSERT_TRUE(after == before || after == std::to_string(port)) << "kill " << kill << " left " << after;
    changed += after != before;
    before = after;
  }
  std::cout << kConfigKills << " kills while saving, " << changed << " saves whole, the rest kept the file before\n";
}

// The data lines of a record file; a line without its end is torn.
std::vector<std::string> RecordLines(const fs::path& file, bool& torn) {
  std::ifstream in(file, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> lines;
  std::size_t start = text.find('\n');  // after the header
  if (start == std::string::npos) return lines;
  while (++start < text.size()) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      torn = true;
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end;
  }
  return lines;
}

TEST_F(CrashSafety, EveryRecordTheGatewayDeletedIsInAFile) {
  const std::vector<std::string> gateway = {"--tcp", "127.0.0.1:0", "--cdr-records", std::to_string(kCdrRecords)};
  std::set<std::string> all;
  {
    const Simulator reference(gateway, Environment());
    ASSERT_EQ(Tuskoctl({"--tcp", reference.endpoint(), "cdr", File("all.csv").string()}).exitCode, 0);
    bool torn = false;
    for (const std::string& line : RecordLines(File("all.csv"), torn)) all.insert(line);
    ASSERT_EQ(all.size(), static_cast<std::size_t>(kCdrRecords));
  }
  // Answers 3 ms late, so that a download of every record takes some five
  // seconds, about as long as the kills together: most land inside a download.
  std::vector<std::string> slowGateway = gateway;
  slowGateway.insert(slowGateway.end(), {"--delay", "3"});
  const Simulator simulator(slowGateway, Environment());
  std::uniform_int_distribution<int> delayUs(0, 250000);
  std::set<std::string> saved;
  int filesWithRecords = 0;
  for (int kill = 0; kill <= kCdrKills; ++kill) {
    const std::string file = File("cdr-" + std::to_string(kill) + ".csv").string();
    if (kill < kCdrKills) {
      RunKilledAfter({"--tcp", simulator.endpoint(), "cdr", file}, std::chrono::microseconds(delayUs(random_)));
    } else {
      ASSERT_EQ(Tuskoctl({"--tcp", simulator.endpoint(), "cdr", file}).exitCode, 0) << "the last download runs whole";
    }
    bool torn = false;
    const std::vector<std::string> lines = RecordLines(file, torn);
    saved.insert(lines.begin(), lines.end());
    filesWithRecords += !lines.empty();
    EXPECT_FALSE(torn) << file << ": a record line cut in two";
  }
  for (const std::string& record : all) EXPECT_TRUE(saved.contains(record)) << "lost: " << record;
  std::cout << kCdrKills << " kills while downloading " << kCdrRecords << " records: " << filesWithRecords
            << " files hold records, " << saved.size() << " distinct records saved\n";
}

}  // namespace
}  // namespace tusko

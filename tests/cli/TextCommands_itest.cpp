// tuskoctl's configuration text commands end to end: export, import, get,
// set and diff on files, and diff against the built-in simulator.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "config/ConfigurationFile.h"
#include "sim/SampleConfiguration.h"
#include "support/FileText.h"
#include "support/ProgramRun.h"

namespace tusko {
namespace {

namespace fs = std::filesystem;

constexpr int kExitDone = 0;
constexpr int kExitDiffers = 1;
constexpr int kExitBadText = 10;

class TextCommands : public test::TuskoctlTest {
 protected:
  void SetUp() override {
    TuskoctlTest::SetUp();
    ASSERT_TRUE(WriteConfigurationFile(Sample(), sim::MakeSampleConfiguration()).saved);
  }
  fs::path File(const char* name) const { return configHome_ / name; }
  fs::path Sample() const { return File("sample.cfg"); }
};

TEST_F(TextCommands, ExportAndImportGiveBackTheFileByteForByte) {
  const auto exported = Tuskoctl({"export", Sample().string(), "-o", File("sample.txt").string()});
  ASSERT_EQ(exported.exitCode, kExitDone) << exported.err;
  EXPECT_NE(test::ReadFileText(File("sample.txt")).find("\n# General\n"), std::string::npos);

  const auto imported = Tuskoctl({"import", File("sample.txt").string(), File("copy.cfg").string()});
  ASSERT_EQ(imported.exitCode, kExitDone) << imported.err;
  EXPECT_TRUE(ReadConfigurationFile(File("copy.cfg")).image == sim::MakeSampleConfiguration());

  const auto json = Tuskoctl({"export", Sample().string(), "--format", "json"});
  EXPECT_EQ(json.exitCode, kExitDone);
  EXPECT_NE(json.out.find("\"id\": \"network.lanIp\""), std::string::npos);
}

TEST_F(TextCommands, ImportRefusesAValueWithTheFieldAndThePageMessage) {
  test::WriteFileText(File("bad.txt"), "general.name = \"Branch\"\nisdnLink1.tei = 128\n");
  const auto result = Tuskoctl({"import", File("bad.txt").string(), File("bad.cfg").string()});
  EXPECT_EQ(result.exitCode, kExitBadText);
  EXPECT_EQ(result.err, "isdnLink1.tei: Enter a number from 0 to 127.\n");
  EXPECT_FALSE(fs::exists(File("bad.cfg")));
}

TEST_F(TextCommands, SetChangesFieldsThroughTheChecksAndGetPrintsThem) {
  const auto set = Tuskoctl({"set", Sample().string(), "general.name=Branch", "isdnLink2.tei = 12"});
  ASSERT_EQ(set.exitCode, kExitDone) << set.err;
  const auto get = Tuskoctl({"get", Sample().string(), "general.name", "isdnLink2.tei"});
  EXPECT_EQ(get.out, "general.name = \"Branch\"\nisdnLink2.tei = 12\n");

  const std::string before = test::ReadFileText(Sample());
  const auto refused = Tuskoctl({"set", Sample().string(), "general.name=Other", "network.lanIp=10.0.0"});
  EXPECT_EQ(refused.exitCode, kExitBadText);
  EXPECT_NE(refused.err.find("network.lanIp: \"10.0.0\" is not an IP address"), std::string::npos) << refused.err;
  const auto twice = Tuskoctl({"set", Sample().string(), "lcrClip2.number=\"0301234x\""});
  EXPECT_EQ(twice.err, "lcrClip.number: The caller number 0301234x is already in the list.\n");
  EXPECT_EQ(test::ReadFileText(Sample()), before) << "a refused set changes nothing";
}

TEST_F(TextCommands, DiffListsTheDifferingFieldsOfFilesAndOfTheGateway) {
  EXPECT_EQ(Tuskoctl({"diff", Sample().string(), Sample().string()}).exitCode, kExitDone);
  ASSERT_TRUE(WriteConfigurationFile(File("default.cfg"), MakeDefaultImage()).saved);
  const auto files = Tuskoctl({"diff", File("default.cfg").string(), Sample().string()});
  EXPECT_EQ(files.exitCode, kExitDiffers) << files.err;
  EXPECT_NE(files.out.find("general.name (Gateway name): \"\" | \""), std::string::npos) << files.out;

  const auto gateway = Tuskoctl({"diff", File("default.cfg").string(), "gateway"});
  EXPECT_EQ(gateway.exitCode, kExitDiffers) << gateway.err;
  EXPECT_NE(gateway.out.find("general.name ("), std::string::npos) << gateway.out;
}

}  // namespace
}  // namespace tusko

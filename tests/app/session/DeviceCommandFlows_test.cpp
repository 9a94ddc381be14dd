// The checks and questions of the device commands that both front ends share,
// answered by a script.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "app/session/ConfigTransferFlow.h"
#include "app/session/UpdateFileFlows.h"
#include "protocol/TransferConstants.h"
#include "support/FirmwareFiles.h"
#include "support/TempFolder.h"

namespace tusko {
namespace {

// Answers the questions in order and records every key asked or told.
class ScriptedPrompts final : public CommandPrompts {
 public:
  explicit ScriptedPrompts(std::deque<Answer> answers) : answers_(std::move(answers)) {}
  Answer Ask(const CommandMessage& question) override {
    keys.push_back(question.textKey);
    if (answers_.empty()) return Answer::No;
    const Answer answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  void Tell(const CommandMessage& message) override { keys.push_back(message.textKey); }
  std::vector<std::string> keys;

 private:
  std::deque<Answer> answers_;
};

constexpr const char* kConflict = "strDataVersionConflict";
constexpr const char* kConfirm = "strDataUploadConfirm";

TEST(ConfirmConfigTransfer, AsksInTheOrderOfTheVersionRule) {
  struct Row {
    const char* name;
    ConfigTransferKind kind;
    const char* firmware;
    std::deque<Answer> answers;
    bool started;
    std::vector<std::string> asked;
  };
  const Row rows[] = {
      {"read_agreeing", ConfigTransferKind::Read, "1.2.5", {}, true, {}},
      {"write_agreeing_confirmed", ConfigTransferKind::Write, "1.2.5", {Answer::Yes}, true, {kConfirm}},
      {"write_agreeing_refused", ConfigTransferKind::Write, "1.2.5", {Answer::No}, false, {kConfirm}},
      {"read_differing_refused", ConfigTransferKind::Read, "1.3.0", {Answer::No}, false, {kConflict}},
      {"read_differing_accepted_beforehand", ConfigTransferKind::Read, "1.3.0", {Answer::Assumed}, true, {kConflict}},
      {"write_differing_yes_stands_for_the_confirmation", ConfigTransferKind::Write, "2.0", {Answer::Yes}, true,
       {kConflict}},
      {"write_differing_accepted_beforehand_still_confirms", ConfigTransferKind::Write, "1.3.0",
       {Answer::Assumed, Answer::No}, false, {kConflict, kConfirm}},
      {"unreadable_version_differs", ConfigTransferKind::Read, "", {Answer::No}, false, {kConflict}},
  };
  for (const Row& row : rows) {
    ScriptedPrompts prompts(row.answers);
    EXPECT_EQ(ConfirmConfigTransfer(row.kind, row.firmware, prompts), row.started) << row.name;
    EXPECT_EQ(prompts.keys, row.asked) << row.name;
  }
}

TEST(PrepareFirmwareUpdate, ChecksInOrderAndClosesTheFileUnlessReady) {
  using test::FirmwareData;
  using test::FirmwareFileBytes;
  constexpr std::uint8_t kApplication = kSectionTypeApplication;
  const auto identified = FirmwareFileBytes({{kApplication, 0x10000, FirmwareData(40, "2.1.7")}});
  const auto unsigned_ = FirmwareFileBytes({{kApplication, 0x10000, FirmwareData(64)}});
  const auto outside = FirmwareFileBytes({{kApplication, 0xFF00, FirmwareData(0x200, "2.1.7")}});
  struct Row {
    const char* name;
    std::vector<std::uint8_t> bytes;
    FirmwareFileRules rules;
    std::deque<Answer> answers;
    FirmwareFileVerdict verdict;
    std::vector<std::string> keys;
  };
  const Row rows[] = {
      {"not_a_firmware_file", {1, 2, 3}, {}, {}, FirmwareFileVerdict::Refused, {"strFlashWriteFileError"}},
      {"outside_the_window", outside, {}, {}, FirmwareFileVerdict::Refused, {"strFlashWriteFileErrorAddrSpace"}},
      {"outside_the_window_unchecked", outside, {true, false}, {Answer::Yes}, FirmwareFileVerdict::Ready,
       {"strFlashWriteFileVersion"}},
      {"no_version", unsigned_, {}, {}, FirmwareFileVerdict::Refused, {"strFlashWriteFileErrorVersion"}},
      {"no_version_not_required", unsigned_, {false, true}, {}, FirmwareFileVerdict::Ready, {}},
      {"version_declined", identified, {}, {Answer::No}, FirmwareFileVerdict::Declined, {"strFlashWriteFileVersion"}},
      {"version_accepted_beforehand", identified, {}, {Answer::Assumed}, FirmwareFileVerdict::Ready,
       {"strFlashWriteFileVersion"}},
  };
  for (const Row& row : rows) {
    const test::TempFile path(row.bytes);
    FirmwareFile file;
    file.AddAllowedRange(kFirmwareFlashWindow);
    ScriptedPrompts prompts(row.answers);
    const auto text = [](std::string_view key) { return std::string(key); };
    EXPECT_EQ(PrepareFirmwareUpdate(file, path.path(), row.rules, text, prompts), row.verdict) << row.name;
    EXPECT_EQ(prompts.keys, row.keys) << row.name;
    EXPECT_EQ(file.IsOpen(), row.verdict == FirmwareFileVerdict::Ready) << row.name;
  }
}

}  // namespace
}  // namespace tusko

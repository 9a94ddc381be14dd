// Write configuration in the desktop program with backups on: the gateway's
// configuration is read and kept, the fields that change are listed with both
// values, and reading back after the write agrees or names what differs.
#include <cstdlib>
#include <string>

#include <QCheckBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>

#include "app/gui/ConfigurationView.h"
#include "app/gui/WriteChangesDialog.h"
#include "app/session/ConfigBackups.h"
#include "config/ConfigurationFile.h"
#include "gui/support/MainWindowFixture.h"
#include "gui/support/ModalDriver.h"
#include "support/FileText.h"
#include "support/RowName.h"
#include "support/TempFolder.h"

namespace tusko::gui::test {
namespace {

constexpr int kWriteLimitMs = 60000;
constexpr std::size_t kFirstPortDigit = 63;

struct SafeguardRow {
  const char* name;
  bool gatewayAltersAByte;
  const char* verdictKey;
  const char* verdictNames;  // in the verdict's text
};

class WriteSafeguards : public MainWindowFixture, public testing::WithParamInterface<SafeguardRow> {};

TEST_P(WriteSafeguards, BackUpListTheChangesWriteAndReadBack) {
  const tusko::test::TempFolder data;
  setenv("XDG_DATA_HOME", data.path().c_str(), 1);
  settings_.configBackup = 1;
  if (GetParam().gatewayAltersAByte) {
    simulator().Run([](sim::GatewayModel& gateway) { gateway.Configuration().AlterOnCommit(kFirstPortDigit); });
  }
  const auto before = simulator().Run([](sim::GatewayModel& gateway) { return gateway.Configuration().Stored(); });
  OpenWindow();
  window().Execute(static_cast<int>(Command::FileNew));
  window().configuration().SelectNode(PageId::SystemNetwork);
  window().findChild<QSpinBox*>("network.port")->setValue(2345);

  QStringList portRow;
  ModalDriver<WriteChangesDialog> question([&](WriteChangesDialog& dialog) {
    const auto found = dialog.findChild<QTreeWidget*>("changeList")->findItems("TCP port", Qt::MatchExactly);
    if (!found.empty()) portRow = {found.front()->text(1), found.front()->text(2)};
    dialog.findChild<QCheckBox*>("verifyBox")->setChecked(true);
    QTest::mouseClick(dialog.findChild<QPushButton*>("okButton"), Qt::LeftButton);
  });
  window().Execute(static_cast<int>(Command::WriteConfiguration));
  ASSERT_TRUE(QTest::qWaitFor([&] { return boxes_.ShownKeys().size() == 2; }, kWriteLimitMs));

  EXPECT_EQ(portRow, (QStringList{QString::number(std::stoi(before.Text(kFirstPortDigit, 5))), "2345"}));
  EXPECT_EQ(boxes_.ShownKeys(), (std::vector<std::string>{"strDataWrittenRunning", GetParam().verdictKey}));
  EXPECT_NE(boxes_.shown().back().message.text.find(GetParam().verdictNames), std::string::npos)
      << boxes_.shown().back().message.text;
  const std::vector<std::filesystem::path> backups = [&] {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(BackupRulesFrom(settings_, false)->folder)) {
      files.push_back(entry.path());
    }
    return files;
  }();
  ASSERT_EQ(backups.size(), 1u);
  const ConfigurationReadResult backup = ReadConfigurationFile(backups.front());
  ASSERT_TRUE(backup.image.has_value());
  EXPECT_TRUE(*backup.image == before) << "the backup holds what the gateway held before the write";
}

// A backup that cannot be saved is said, and No to writing without one writes nothing.
class WriteWithoutBackup : public MainWindowFixture {};

TEST_F(WriteWithoutBackup, IsAskedForAndNoWritesNothing) {
  const tusko::test::TempFolder data;
  tusko::test::WriteFileText(data / "Ombrel", "a file where the data folder should be");
  setenv("XDG_DATA_HOME", data.path().c_str(), 1);
  settings_.configBackup = 1;
  const auto before = simulator().Run([](sim::GatewayModel& gateway) { return gateway.Configuration().Stored(); });
  OpenWindow();
  window().Execute(static_cast<int>(Command::FileNew));
  boxes_.Answer(kResultOk);
  boxes_.Answer(kResultNo);
  window().Execute(static_cast<int>(Command::WriteConfiguration));
  ASSERT_TRUE(QTest::qWaitFor([&] { return boxes_.ShownKeys().size() == 2; }, kWriteLimitMs));
  EXPECT_EQ(boxes_.ShownKeys(), (std::vector<std::string>{"strBackupSaveError", "strBackupNotMadeGoOn"}));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window().busy(); }, kWriteLimitMs));
  EXPECT_TRUE(simulator().Run([](sim::GatewayModel& gateway) { return gateway.Configuration().Stored(); }) == before);
}

INSTANTIATE_TEST_SUITE_P(Rows, WriteSafeguards,
                         testing::Values(SafeguardRow{"agrees", false, "strDataWriteVerified", "agrees"},
                                         SafeguardRow{"altered", true, "strDataWriteVerifyFailed",
                                                      "network.port (TCP port)"}),
                         tusko::test::RowName<SafeguardRow>);

}  // namespace
}  // namespace tusko::gui::test

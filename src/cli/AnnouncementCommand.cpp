#include "cli/AnnouncementCommand.h"

#include <filesystem>
#include <optional>
#include <string>

#include "cli/ExitCodes.h"
#include "cli/OperationWait.h"
#include "protocol/AnnouncementFile.h"
#include "protocol/UpdateFileChecks.h"

namespace tusko::cli {

namespace {

std::optional<AnnouncementKind> KindArgument(const CommandContext& c) {
  const std::string& text = c.options.commandArguments.front();
  const bool digit = text.size() == 1 && text[0] >= '0' && text[0] <= '9';
  const auto kind = digit ? AnnouncementKindFromNumber(text[0] - '0') : AnnouncementKindFromName(text);
  if (!kind) {
    c.err << c.language.Format("strCliBadAnnouncementKind", {text}) << "\n"
          << c.language.Text("strCliUsageHint") << "\n";
  }
  return kind;
}

}  // namespace

int RunAnnouncement(const CommandContext& c) {
  const std::optional<AnnouncementKind> kind = KindArgument(c);
  if (!kind) return kExitUsage;
  OperationEngine& engine = c.session->engine();
  AnnouncementFile& file = engine.announcementFile();
  if (const auto problem = OpenAnnouncementFile(file, c.options.commandArguments.back())) {
    file.CloseFile();
    c.err << c.language.Format("strAnnouncementFileError", {c.language.Text(*problem)}) << "\n";
    return kExitBadFile;
  }

  const WaitOutcome outcome = RunWithProgress(
      *c.session, c.err, [&engine, &kind] { return engine.StartAnnouncementUpdate(*kind); },
      Notification::AnnouncementResult, Notification::AnnouncementProgress,
      [&engine] { engine.CancelAnnouncementUpdate(); });
  file.CloseFile();

  if (outcome.Done()) {
    c.out << c.language.Text("strAnnouncementUpdateOK") << "\n";
    return kExitDone;
  }
  if (outcome.end == WaitEnd::Result && outcome.result == static_cast<int>(OperationResult::Rejected)) {
    c.err << c.language.Format("strAnnouncementUpdateError", {engine.causeText()}) << "\n";
    return kExitRejected;
  }
  return ReportOutcome(outcome, "", engine, c.language, c.err);
}

}  // namespace tusko::cli

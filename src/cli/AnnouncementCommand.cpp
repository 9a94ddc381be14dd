#include "cli/AnnouncementCommand.h"

#include <filesystem>
#include <optional>
#include <string>

#include "app/session/UpdateFileFlows.h"
#include "cli/CliPrompts.h"
#include "cli/ExitCodes.h"
#include "cli/OperationWait.h"
#include "cli/PrintRows.h"
#include "protocol/AnnouncementFile.h"

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
  CliPrompts prompts(c.options, c.language, c.err);
  if (!PrepareAnnouncementUpdate(file, c.options.commandArguments.back(), CliText(c.language), prompts)) {
    return kExitBadFile;
  }
  const WaitOutcome outcome = RunWithProgress(
      *c.session, c.err, [&engine, &kind] { return engine.StartAnnouncementUpdate(*kind); },
      Notification::AnnouncementResult, Notification::AnnouncementProgress,
      [&engine] { engine.CancelAnnouncementUpdate(); });
  file.CloseFile();
  return ReportOutcome(DeviceCommand::UpdateAnnouncement, outcome, c);
}

}  // namespace tusko::cli

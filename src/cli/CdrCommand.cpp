#include "cli/CdrCommand.h"

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include <unistd.h>

#include "app/session/CommandEnding.h"
#include "app/session/LayerSettings.h"
#include "cli/CliPrompts.h"
#include "cli/DateTimeArgument.h"
#include "cli/ExitCodes.h"
#include "cli/OperationWait.h"
#include "monitor/CdrFile.h"
#include "monitor/CdrFileName.h"

namespace tusko::cli {

namespace {

namespace fs = std::filesystem;

constexpr int kYearBase = 1900;  // struct tm counts years from here
constexpr int kFirstMonth = 1;   // struct tm counts months from 0

struct CdrTarget {
  fs::path file;
  std::optional<CdrFormat> format;  // given on the command line
  std::string badFormat;            // a format name that is none
};

// FILE, and the format of --format when given.
CdrTarget ReadArguments(const CommandContext& c) {
  CdrTarget target{c.options.commandArguments.front(), std::nullopt, {}};
  if (c.options.format) {
    target.format = CdrFormatNamed(*c.options.format);
    if (!target.format) target.badFormat = *c.options.format;
  }
  return target;
}

CdrFileDate Today() {
  const std::tm local = LocalTimeNow();
  return {local.tm_year + kYearBase, local.tm_mon + kFirstMonth, local.tm_mday};
}

// A folder gets the proposed name; the format follows the extension when not given.
void ResolveTarget(CdrTarget& target) {
  std::error_code error;
  if (fs::is_directory(target.file, error)) {
    const auto filter = static_cast<std::uint32_t>(target.format.value_or(CdrFormat::Csv));
    const std::string_view extension = CdrExtension(filter);
    const std::string base = ProposeCdrFileName(Today(), target.file.string(), extension, CdrNameTaken);
    target.file /= base + "." + std::string(extension);
  }
  if (!target.format) {
    const std::string extension = target.file.extension().string();
    target.format = CdrFormatNamed(extension.empty() ? extension : extension.substr(1)).value_or(CdrFormat::Csv);
  }
}

// Passes the chunks on to the file and shows how far the download is.
class ProgressStore final : public CdrRecordStore {
 public:
  ProgressStore(CdrFile& file, const CommandContext& c) : file_(file), c_(c), terminal_(isatty(STDERR_FILENO) != 0) {}
  ~ProgressStore() override { EndLine(); }
  ProgressStore(const ProgressStore&) = delete;
  ProgressStore& operator=(const ProgressStore&) = delete;

  bool StoreChunk(std::span<const std::uint8_t> chunk) override {
    const bool stored = file_.StoreChunk(chunk);
    if (stored && !chunk.empty()) {
      ++chunks_;
      if (terminal_) {
        c_.err << "\r" << c_.language.Format("strCliCdrProgress", {chunks_, file_.RecordCount()}) << std::flush;
        shown_ = true;
      }
    }
    return stored;
  }
  std::uint32_t RecordCount() const override { return file_.RecordCount(); }
  void Close() override { file_.Close(); }
  void EndLine() {
    if (shown_) c_.err << "\n";
    shown_ = false;
  }

 private:
  CdrFile& file_;
  const CommandContext& c_;
  bool terminal_;
  bool shown_ = false;
  std::uint32_t chunks_ = 0;
};

// Why the download failed when the gateway gave no reason of its own: the file's error.
int ReportStoreError(const CommandContext& c, CdrError error) {
  c.err << c.language.Text(CdrErrorTextKey(error)) << "\n";
  return error == CdrError::WriteFailed ? kExitBadFile : kExitInvalidData;
}

}  // namespace

int RunCdr(const CommandContext& c) {
  CdrTarget target = ReadArguments(c);
  if (!target.badFormat.empty()) {
    c.err << c.language.Format("strCliBadCdrFormat", {target.badFormat}) << "\n";
    return kExitUsage;
  }
  ResolveTarget(target);
  std::error_code error;
  if (fs::exists(target.file, error) && !c.options.yes) {
    c.err << c.language.Format("strCliFileExists", {target.file.string()}) << "\n";
    return kExitBadFile;
  }

  OperationEngine& engine = c.session->engine();
  CdrFile file(CdrTextLayoutFrom(c.session->settings()));
  file.SetFormat(*target.format);
  if (!file.Open(target.file) || !file.Start()) {
    c.err << c.language.Text("strCdrSaveError") << "\n";
    return kExitBadFile;
  }
  ProgressStore store(file, c);
  const WaitOutcome outcome = RunOperation(
      *c.session, {.start = [&engine, &store] { return engine.StartCdrDownload(store); },
                   .results = {Notification::CdrResult}});
  store.EndLine();
  if (outcome.end == WaitEnd::Interrupted) engine.CancelCdr();
  const std::uint32_t records = file.RecordCount();
  const CdrError storeError = file.error();
  file.Close();
  if (outcome.Done()) {
    c.out << MessageText(CdrDownloadedMessage(records, target.file.string()), c.language) << "\n";
    return kExitDone;
  }
  // Only a refusal is the gateway's doing; a failed file keeps its own word.
  const bool gatewaySaid = ResultMessage(DeviceCommand::DownloadCdr, outcome.result, engine.causeText()).has_value();
  if (outcome.end == WaitEnd::Result && !gatewaySaid && CdrErrorTextKey(storeError)) return ReportStoreError(c, storeError);
  return ReportOutcome(DeviceCommand::DownloadCdr, outcome, c);
}

}  // namespace tusko::cli

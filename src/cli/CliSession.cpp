#include "cli/CliSession.h"

#include <cstdlib>
#include <iostream>

#include <unistd.h>

#include "app/session/PasswordRule.h"
#include "app/settings/FileSettingsStore.h"
#include "cli/ExitCodes.h"
#include "cli/PasswordPrompt.h"

namespace tusko::cli {

namespace {

// Where the gateway password may be given without showing it on the command line.
constexpr const char* kPasswordVariable = "TUSKO_PASSWORD";

ProgramSettings StoredSettings() {
  const auto file = FileSettingsStore::DefaultFilePath();
  if (!file) return ProgramSettings();
  FileSettingsStore store(*file);
  return LoadProgramSettings(store);
}

}  // namespace

CliSession::CliSession(const CliOptions& options, const CliLanguage& language, std::ostream& err)
    : options_(options),
      language_(language),
      err_(err),
      settings_(StoredSettings()),
      host_(loop_, settings_,
            LinkEngineHostHooks{
                .text = [this](std::string_view key) { return language_.Text(key); },
                .notified =
                    [this](Notification code, int value) {
                      if (onNotification_) onNotification_(code, value);
                    },
                .password = [this] { return AskLoginPassword(); },
                .message = [this](const std::string& caption, const std::string& text) { PrintMessage(caption, text); },
            }),
      engine_(host_, host_.engineSettings()) {
  host_.Attach(engine_);
}

CliSession::~CliSession() = default;

int CliSession::Prepare() {
  // Given up front, the password travels with every request that needs it;
  // the gateway asking for one then means that it was wrong.
  const char* fromEnvironment = std::getenv(kPasswordVariable);
  const std::optional<std::string> given = options_.password ? options_.password
                                           : fromEnvironment != nullptr ? std::optional<std::string>(fromEnvironment)
                                                                        : std::nullopt;
  if (given && !PasswordTaken(*given)) return kExitUsage;
  ApplyLinkOptions();
  if (const int opened = OpenCommLog(); opened != kExitDone) return opened;
  if (const int started = StartSimulator(); started != kExitDone) return started;
  // A gateway on USB that restarts comes back as a new device; without a
  // device watch (none in a container) the port is only opened on request.
  if (settings_.comMode == static_cast<std::uint32_t>(LinkType::Serial)) host_.FollowUsbDevices();
  if (given) engine_.SetLoginPassword(*given);
  passwordGiven_ = given.has_value();
  return kExitDone;
}

bool CliSession::PasswordTaken(std::string_view password) const {
  const std::string key = PasswordRefusalKey(password);
  if (!key.empty()) err_ << language_.Text(key) << "\n";
  return key.empty();
}

std::optional<std::string> CliSession::AskLoginPassword() const {
  // A password the gateway cannot take ends the login like a cancelled prompt.
  std::optional<std::string> password = PromptPassword(language_.Text("strLoginPassword"));
  if (password && !PasswordTaken(*password)) return std::nullopt;
  return password;
}

void CliSession::ApplyLinkOptions() {
  if (options_.tcpAddress) {
    settings_.comMode = static_cast<std::uint32_t>(LinkType::Tcp);
    settings_.tcpAddress = *options_.tcpAddress;
    if (options_.tcpPort) settings_.tcpPort = *options_.tcpPort;
  } else if (options_.serialPort) {
    settings_.comMode = static_cast<std::uint32_t>(LinkType::Serial);
    settings_.virtualComPort = *options_.serialPort;
  }
  if (options_.baudRate) settings_.baudrate = *options_.baudRate;
}

int CliSession::StartSimulator() {
  if (options_.tcpAddress || options_.serialPort || LinkSettingsComplete(settings_)) return kExitDone;
  simulator_ = std::make_unique<BuiltInSimulator>(loop_);
  std::string error;
  if (!simulator_->Start(error)) {
    err_ << language_.Format("strCliSimulatorFailed", {error}) << "\n";
    return kExitStartFailed;
  }
  settings_.comMode = static_cast<std::uint32_t>(LinkType::Tcp);
  settings_.tcpAddress = BuiltInSimulator::kAddress;
  settings_.tcpPort = simulator_->Port();
  err_ << language_.Format("strCliSimulatorStarted", {settings_.tcpAddress + ":" + std::to_string(settings_.tcpPort)})
       << "\n";
  return kExitDone;
}

int CliSession::OpenCommLog() {
  if (!options_.comlog && settings_.communicationLog == 0) return kExitDone;
  settings_.communicationLog = 1;
  if (options_.comlogFile) {
    comlogFile_.open(*options_.comlogFile, std::ios::app);
    if (!comlogFile_) {
      err_ << language_.Format("strCliComlogFailed", {options_.comlogFile->string()}) << "\n";
      return kExitStartFailed;
    }
    comlog_ = std::make_unique<StreamCommLog>(comlogFile_, false);
  } else {
    comlog_ = std::make_unique<StreamCommLog>(std::cerr, isatty(STDERR_FILENO) != 0);
  }
  host_.AttachLog(comlog_.get());
  return kExitDone;
}

void CliSession::PrintMessage(const std::string& caption, const std::string& text) const {
  if (!caption.empty()) err_ << caption << ": ";
  err_ << text << "\n";
}

}  // namespace tusko::cli

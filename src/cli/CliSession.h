#pragma once

#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "app/session/LinkEngineHost.h"
#include "app/settings/ProgramSettings.h"
#include "base/EventLoop.h"
#include "cli/BuiltInSimulator.h"
#include "cli/CliLanguage.h"
#include "cli/CliOptions.h"
#include "cli/StreamCommLog.h"
#include "protocol/engine/OperationEngine.h"

namespace tusko::cli {

// Everything a device command of tuskoctl runs on: the stored settings with
// the command line's link options over them, the event loop, the link and the
// engine, the communication log when asked for, and the built-in simulator
// when no gateway is named.
class CliSession {
 public:
  using NotificationHandler = std::function<void(Notification code, int value)>;

  // Messages for the user go to `err`.
  CliSession(const CliOptions& options, const CliLanguage& language, std::ostream& err);
  ~CliSession();
  CliSession(const CliSession&) = delete;
  CliSession& operator=(const CliSession&) = delete;

  // Applies the link options, opens the communication log and starts the
  // simulator where needed; kExitDone, or the exit code after the reason was told.
  int Prepare();

  void OnNotification(NotificationHandler handler) { onNotification_ = std::move(handler); }

  EventLoop& loop() { return loop_; }
  const LinkEngineHost& host() const { return host_; }
  OperationEngine& engine() { return engine_; }
  const ProgramSettings& settings() const { return settings_; }
  // Whether the gateway password came with the command line or the environment.
  bool passwordGiven() const { return passwordGiven_; }

 private:
  void ApplyLinkOptions();
  int StartSimulator();
  int OpenCommLog();
  void PrintMessage(const std::string& caption, const std::string& text) const;
  // False, after saying why, for a password the gateway cannot take.
  bool PasswordTaken(std::string_view password) const;
  std::optional<std::string> AskLoginPassword() const;

  const CliOptions& options_;
  const CliLanguage& language_;
  std::ostream& err_;
  ProgramSettings settings_;
  EventLoop loop_;
  std::unique_ptr<BuiltInSimulator> simulator_;
  std::ofstream comlogFile_;
  std::unique_ptr<StreamCommLog> comlog_;
  NotificationHandler onNotification_;
  bool passwordGiven_ = false;
  // Closed before the log and the simulator it talks to go away.
  LinkEngineHost host_;
  OperationEngine engine_;
};

}  // namespace tusko::cli

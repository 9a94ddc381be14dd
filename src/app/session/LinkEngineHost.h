#pragma once

#include <chrono>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/session/LayerSettings.h"
#include "app/settings/ProgramSettings.h"
#include "base/MainLoop.h"
#include "base/SafeFormat.h"
#include "base/TextLookup.h"
#include "link/CommLogSink.h"
#include "link/LinkControl.h"
#include "link/SerialDeviceFollower.h"
#include "link/UdevUsbWatch.h"
#include "protocol/engine/EngineHost.h"

namespace tusko {

class OperationEngine;

// queryLink waits this many steps of this length for the link to open.
inline constexpr int kLinkOpenWaitSteps = 20;
inline constexpr std::chrono::milliseconds kLinkOpenWaitStepMs{100};
// How often the wait looks at the link's state meanwhile.
inline constexpr std::chrono::milliseconds kLinkStatePollMs{10};

// What the program around the host supplies: the language's texts and the
// user's side of notifications, password prompts and message boxes. All are
// called on the loop's thread.
struct LinkEngineHostHooks {
  // The text of a language key.
  TextLookup text;
  // Every engine notification, and Notification::LinkClosed from the TCP link.
  std::function<void(Notification code, int value)> notified;
  // queryPassword: the password the user gave, or nothing when declined.
  std::function<std::optional<std::string>()> password;
  // A message box, its caption and text already looked up and formatted.
  std::function<void(const std::string& caption, const std::string& text)> message;
  // Optional: called first whenever queryLink or Connect wants the link open
  // (the desktop asks for the link settings there when they name no link).
  std::function<void()> linkWanted = nullptr;
  // Optional: called at every look at the link while queryLink waits for it
  // (the desktop refreshes its status bar there).
  std::function<void()> linkWaitStep = nullptr;
  // Optional: marks the program busy (true) and idle again around a wait
  // that asked for the wait cursor.
  std::function<void(bool busy)> busy = nullptr;
  // Optional: waits for a TCP connect still under way until `settled` holds
  // (the desktop's invisible modal wait); false when the user gave up the
  // wait. Without it the loop runs until the connect has settled.
  std::function<bool(const std::function<bool()>& settled)> waitWhileConnecting = nullptr;
};

// The operation engine's host on the link control and the core's event loop:
// the main thread's side of the link. Received messages and link-closed
// notices are posted to the loop and handled there; the engine's timer and the
// link timer are loop timers; queryLink opens the link and runs the loop while
// it waits. Free of any front end: the command line uses it as it is, and it
// is the model for the desktop program's host.
class LinkEngineHost final : public EngineHost, public LinkHost {
 public:
  LinkEngineHost(MainLoop& loop, const ProgramSettings& settings, LinkEngineHostHooks hooks);
  // Closes the link. An attached log must still be alive.
  ~LinkEngineHost() override;
  LinkEngineHost(const LinkEngineHost&) = delete;
  LinkEngineHost& operator=(const LinkEngineHost&) = delete;

  void Attach(OperationEngine& engine) { engine_ = &engine; }
  // The communication log for the link and the engine; only while the link is closed.
  void AttachLog(CommLogSink* sink);
  LinkControl& link() { return link_; }
  // The engine's time-outs, as the program settings held them when this host was made.
  const EngineSettings& engineSettings() const { return engineSettings_; }

  // Start-up: opens the link quietly when the settings name one.
  bool OpenQuietlyIfConfigured();
  // queryLink and the Connect command: opens the link with its message boxes
  // and waits, running the loop, until it is open; with `waitWhileConnecting`
  // a TCP connect still under way is waited for as well, and a wait the user
  // gives up ends the connect. A connect already under way is waited for, not
  // started again. On failure a TCP link shows its error.
  bool EnsureLinkOpen(bool waitWhileConnecting);
  // True when the link is a TCP connection that opened but has carried no
  // message from the gateway yet: a gateway serves one connection at a time,
  // and one that accepts and never answers is likely held by another program.
  bool SilentTcpConnection() const { return linkType() == LinkType::Tcp && !heardOnThisLink_; }
  // The box for the TCP link's last error; nothing when there is none.
  void ShowTcpError();

  // Follows the gateway's USB serial port on the loop; false when the system
  // offers no device watch.
  bool FollowUsbDevices();
  // Where device changes arrive; a pseudo-terminal announces none, so a test
  // announces them here by hand.
  UsbWatchListener& usbFollower() { return follower_; }

  // ---- EngineHost ----
  LinkState linkState() const override { return link_.GetLinkState(); }
  LinkType linkType() const override { return link_.CurrentLinkType(); }
  void sendToLink(DeviceMessage message, std::size_t length) override;
  // A serial port stays closed until its device comes back either way: that
  // is all the engine ever asks for.
  void closeLink() override;
  bool reopenLink() override { return OpenLink(true); }
  void requestConnect() override { EnsureLinkOpen(false); }
  void notify(Notification code, int value, bool sync) override;
  bool queryLink() override { return EnsureLinkOpen(true); }
  bool queryPassword() override;
  void armTimer(std::chrono::milliseconds delay) override;
  void stopTimer() override;
  void log(std::string_view line, LogColour colour) override;
  void dumpMessage(std::span<const std::uint8_t> bytes, bool incoming) override;
  std::string languageText(std::string_view key) const override;

  // ---- LinkHost ----
  void PostReceivedMessage(ReceivedFrame frame) override;
  void PostLinkClosed() override;
  TimerId StartLinkTimer(std::chrono::milliseconds period) override;
  void StopLinkTimer(TimerId id) override;
  void ShowComError(const std::string& portName, std::string_view detailKey) override;
  void ShowThreadError() override;

 private:
  // Runs `task` on the loop unless this host is gone by then.
  void PostIfAlive(std::function<void()> task);
  void ShowMessage(std::string_view textKey, std::initializer_list<FormatArg> args);
  // Every open goes through here: a TCP connect gets its time limit.
  bool OpenLink(bool quiet);
  void OnConnectTimeLimit();
  std::chrono::milliseconds ConnectTimeLimit() const;
  // Runs the loop until `done` holds or `limit` has passed on the loop's clock.
  bool WaitForLink(const std::function<bool()>& done, std::chrono::milliseconds limit);
  void SetBusy(bool busy);

  MainLoop& loop_;
  const ProgramSettings& settings_;
  EngineSettings engineSettings_;
  LinkEngineHostHooks hooks_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  CommLogSink* log_ = nullptr;
  OperationEngine* engine_ = nullptr;
  std::optional<MainLoop::TimerId> engineTimer_;
  std::optional<MainLoop::TimerId> connectTimer_;
  // The last connect ended at its time limit; the TCP error box says so.
  bool connectTimedOut_ = false;
  bool tcpErrorBoxOpen_ = false;
  // A message arrived since the link was last opened.
  bool heardOnThisLink_ = false;
  // Declared after everything the link's threads reach through this host.
  LinkControl link_;
  SerialDeviceFollower follower_;
  UdevUsbWatch usbWatch_;
};

}  // namespace tusko

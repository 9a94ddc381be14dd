#include "app/session/LinkEngineHost.h"

#include <utility>

#include "app/language/LanguageManager.h"
#include "base/SafeFormat.h"
#include "protocol/engine/OperationEngine.h"

namespace tusko {

namespace {

constexpr std::string_view kErrorCaptionKey = "strError";
constexpr std::string_view kLoginCaptionKey = "strLoginError";
constexpr std::string_view kLoginStopKey = "strLoginStop";
// "address:port" of the TCP error box, as long as a host name and a port can be.
constexpr std::size_t kMaxTcpPeerChars = 80;

}  // namespace

LinkEngineHost::LinkEngineHost(MainLoop& loop, const ProgramSettings& settings, LinkEngineHostHooks hooks)
    : loop_(loop),
      settings_(settings),
      engineSettings_(EngineSettingsFrom(settings)),
      hooks_(std::move(hooks)),
      link_(*this),
      follower_(link_.log(), link_) {}

LinkEngineHost::~LinkEngineHost() {
  if (usbWatch_.PollFd() >= 0) loop_.Unwatch(usbWatch_.PollFd());
  usbWatch_.Stop();
  link_.CloseCommunication();
  stopTimer();
  if (connectTimer_) loop_.CancelTimer(*connectTimer_);
}

void LinkEngineHost::AttachLog(CommLogSink* sink) {
  log_ = sink;
  link_.AttachLog(sink);
}

bool LinkEngineHost::OpenQuietlyIfConfigured() { return LinkSettingsComplete(settings_) && OpenLink(true); }

bool LinkEngineHost::OpenLink(bool quiet) {
  if (connectTimer_) loop_.CancelTimer(*connectTimer_);
  connectTimer_.reset();
  connectTimedOut_ = false;
  heardOnThisLink_ = false;
  if (!link_.InitCommunication(LinkSettingsFrom(settings_), quiet)) return false;
  // The system's own limit for an unanswered connect is minutes.
  if (link_.GetLinkState() == LinkState::Connecting) {
    connectTimer_ = loop_.StartTimer(ConnectTimeLimit(), [this] {
      connectTimer_.reset();
      OnConnectTimeLimit();
    });
  }
  return true;
}

void LinkEngineHost::OnConnectTimeLimit() {
  if (link_.GetLinkState() != LinkState::Connecting) return;
  log("Connect timeout", LogColour::Link);
  link_.CloseTransport();
  connectTimedOut_ = true;
}

bool LinkEngineHost::EnsureLinkOpen(bool waitWhileConnecting) {
  if (hooks_.linkWanted) hooks_.linkWanted();
  const LinkState state = link_.GetLinkState();
  if (state == LinkState::Open) return true;
  // A connect under way is joined: a second one would drop it and start its time anew.
  if (state == LinkState::Connecting || OpenLink(false)) {
    // A connect that has failed meanwhile ends the wait as well as one that succeeded.
    const auto settled = [this] { return link_.GetLinkState() != LinkState::Connecting; };
    if (waitWhileConnecting) SetBusy(true);
    const bool settledInTime = WaitForLink(settled, kLinkOpenWaitSteps * kLinkOpenWaitStepMs);
    if (!settledInTime && waitWhileConnecting) {
      const bool waited = hooks_.waitWhileConnecting ? hooks_.waitWhileConnecting(settled)
                                                     : WaitForLink(settled, ConnectTimeLimit());
      if (!waited && !settled()) {
        log("Connect cancelled", LogColour::Link);
        link_.CloseTransport();
      }
    }
    if (waitWhileConnecting) SetBusy(false);
  }
  const bool open = link_.GetLinkState() == LinkState::Open;
  // A connect that failed at once says why as well: without it the user
  // would learn nothing of a name that does not resolve.
  if (!open && link_.CurrentLinkType() == LinkType::Tcp) ShowTcpError();
  return open;
}

bool LinkEngineHost::WaitForLink(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  bool expired = false;
  const MainLoop::TimerId deadline = loop_.StartTimer(limit, [&expired] { expired = true; });
  // The reader thread completes a connect without telling the loop: look again every few milliseconds.
  while (!done() && !expired) {
    if (hooks_.linkWaitStep) hooks_.linkWaitStep();
    loop_.RunUntil([&] { return done() || expired; }, kLinkStatePollMs);
  }
  if (!expired) loop_.CancelTimer(deadline);
  return done();
}

std::chrono::milliseconds LinkEngineHost::ConnectTimeLimit() const {
  return std::chrono::milliseconds(settings_.communicationTimeoutConnect);
}

void LinkEngineHost::SetBusy(bool busy) {
  if (hooks_.busy) hooks_.busy(busy);
}

void LinkEngineHost::ShowTcpError() {
  TcpError error = link_.LastTcpError();
  // The close at the time limit leaves the link no error of its own: the gateway was not reached.
  if (error == TcpError::None && connectTimedOut_) error = TcpError::ConnectException;
  if (error == TcpError::None || tcpErrorBoxOpen_) return;
  const std::string peer = SafeFormat("%s:%d", {settings_.tcpAddress, settings_.tcpPort}, kMaxTcpPeerChars);
  tcpErrorBoxOpen_ = true;
  ShowMessage("strTcpError1", {peer, languageText(TcpErrorDetailKey(error))});
  tcpErrorBoxOpen_ = false;
}

bool LinkEngineHost::FollowUsbDevices() {
  if (!usbWatch_.Start(follower_)) return false;
  loop_.WatchReadable(usbWatch_.PollFd(), [this] { usbWatch_.DispatchPending(); });
  return true;
}

// ---- EngineHost ----

void LinkEngineHost::sendToLink(DeviceMessage message, std::size_t length) {
  link_.SendToDevice(std::move(message), length);
}

void LinkEngineHost::closeLink() { link_.CloseTransport(); }

void LinkEngineHost::notify(Notification code, int value, bool sync) {
  if (!hooks_.notified) return;
  if (sync) {
    hooks_.notified(code, value);
  } else {
    PostIfAlive([this, code, value] { hooks_.notified(code, value); });
  }
}

bool LinkEngineHost::queryPassword() {
  std::optional<std::string> given = hooks_.password ? hooks_.password() : std::nullopt;
  if (!given) {
    if (hooks_.message) hooks_.message(languageText(kLoginCaptionKey), languageText(kLoginStopKey));
    return false;
  }
  if (engine_ != nullptr) engine_->SetLoginPassword(*given);
  return true;
}

void LinkEngineHost::armTimer(std::chrono::milliseconds delay) {
  stopTimer();
  engineTimer_ = loop_.StartTimer(delay, [this] {
    engineTimer_.reset();
    if (engine_ != nullptr) engine_->OnTimer();
  });
}

void LinkEngineHost::stopTimer() {
  if (engineTimer_) loop_.CancelTimer(*engineTimer_);
  engineTimer_.reset();
}

void LinkEngineHost::log(std::string_view line, LogColour colour) {
  if (log_ != nullptr) log_->AddLine(line, colour);
}

void LinkEngineHost::dumpMessage(std::span<const std::uint8_t> bytes, bool incoming) {
  if (log_ != nullptr) log_->DumpMessage(bytes, incoming);
}

std::string LinkEngineHost::languageText(std::string_view key) const {
  return hooks_.text ? hooks_.text(key) : std::string();
}

// ---- LinkHost ----

void LinkEngineHost::PostReceivedMessage(ReceivedFrame frame) {
  PostIfAlive([this, frame = std::move(frame)] {
    heardOnThisLink_ = true;
    if (engine_ != nullptr) engine_->OnMessage(frame.message, frame.length);
  });
}

void LinkEngineHost::PostLinkClosed() {
  if (!hooks_.notified) return;
  PostIfAlive([this] { hooks_.notified(Notification::LinkClosed, 0); });
}

LinkHost::TimerId LinkEngineHost::StartLinkTimer(std::chrono::milliseconds period) {
  return loop_.StartTimer(period, [this] { link_.LinkTimerTick(); }, true);
}

void LinkEngineHost::StopLinkTimer(TimerId id) { loop_.CancelTimer(id); }

void LinkEngineHost::ShowComError(const std::string& portName, std::string_view detailKey) {
  ShowMessage("strComError1", {portName, languageText(detailKey)});
}

void LinkEngineHost::ShowThreadError() { ShowMessage("strComError6", {}); }

void LinkEngineHost::PostIfAlive(std::function<void()> task) {
  loop_.Post([alive = std::weak_ptr<bool>(alive_), task = std::move(task)] {
    if (alive.lock()) task();
  });
}

void LinkEngineHost::ShowMessage(std::string_view textKey, std::initializer_list<FormatArg> args) {
  if (!hooks_.message) return;
  hooks_.message(languageText(kErrorCaptionKey), SafeFormat(languageText(textKey), args, kMaxFormattedMessageChars));
}

}  // namespace tusko

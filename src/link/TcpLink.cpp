#include "link/TcpLink.h"

#include <utility>

namespace tusko {

// Declared before the lock in each entry point, so that it fires after the
// lock has been released.
struct TcpLink::ClosedNotice {
  LinkClosedListener* listener = nullptr;
  ~ClosedNotice() {
    if (listener != nullptr) listener->OnLinkClosed();
  }
};

struct TcpLink::SetUpResult {
  TcpSocket socket;  // kept only while a connect is under way or done
  bool connected = false;
  TcpError error = TcpError::None;
};

std::string_view TcpErrorDetailKey(TcpError error) {
  switch (error) {
    case TcpError::AddressNotResolved: return "strTcpError3";
    case TcpError::SocketFailed: return "strTcpError2";
    case TcpError::ConnectFailed:
    case TcpError::ConnectException: return "strTcpError4";
    case TcpError::None: break;
  }
  return {};
}

bool TcpLink::TcpConnect(const std::string& address, std::uint32_t port, LinkClosedListener* listener) {
  {
    std::unique_lock lock(mutex_);
    gate_.WaitWhileClosing(lock);
    if (state_ == LinkState::Open) return true;
    if (state_ == LinkState::Connecting) return false;
    log_.Format("TCP Connect - %s:%d", {address, port});
    listener_ = listener;
    lastError_ = TcpError::None;
    state_ = LinkState::Connecting;
  }
  // The name lookup may block; the other threads see Connecting without a socket meanwhile.
  SetUpResult setUp = SetUpSocket(address, port);

  std::unique_lock lock(mutex_);
  if (setUp.socket.IsOpen()) {
    socket_ = std::move(setUp.socket);
    state_ = setUp.connected ? LinkState::Open : LinkState::Connecting;
  } else {
    state_ = LinkState::Closed;
    lastError_ = setUp.error;
  }
  return state_ == LinkState::Open;
}

TcpLink::SetUpResult TcpLink::SetUpSocket(const std::string& address, std::uint32_t port) {
  SetUpResult result;
  if (const int error = result.socket.Create(); error != 0) {
    log_.Format("socket() error - %d", {error});
    result.error = TcpError::SocketFailed;
    return result;
  }
  log_.Line("Socket OK");

  const auto resolved = ResolveIpv4(address);
  if (!resolved) {
    log_.Line("Invalid address!");
    result.socket.Close();
    result.error = TcpError::AddressNotResolved;
    return result;
  }
  const Ipv4Endpoint peer{*resolved, static_cast<std::uint16_t>(port)};
  log_.Format("Connecting to %s:%d", {DottedAddress(peer.address), port});

  const ConnectResult connect = result.socket.Connect(peer);
  switch (connect.status) {
    case ConnectStatus::Connected:
      log_.Line("Connected");
      result.connected = true;
      break;
    case ConnectStatus::InProgress:
      break;
    case ConnectStatus::Failed:
      log_.Format("connect() error - %d", {connect.error});
      result.socket.Close();
      result.error = TcpError::ConnectFailed;
      break;
  }
  return result;
}

bool TcpLink::TcpWaitReady(std::chrono::milliseconds timeout) {
  ClosedNotice notice;
  std::unique_lock lock(mutex_);
  if (!socket_.IsOpen() || state_ == LinkState::Closed) {
    lock.unlock();
    gate_.Wake().Wait(kTcpNoSocketPauseMs);
    return false;
  }
  // While connecting the wait completes the connect; once open it looks for bytes.
  const bool connecting = state_ == LinkState::Connecting;
  const auto waited = gate_.RunAsUse(lock, [&] {
    return connecting ? socket_.WaitConnected(timeout, gate_.Wake()) : socket_.WaitReadable(timeout, gate_.Wake());
  });
  if (!waited) return false;
  switch (waited->status) {
    case WaitStatus::Ready:
      if (!connecting) return true;
      state_ = LinkState::Open;
      log_.Line("Connected");
      lastError_ = TcpError::None;
      return false;
    case WaitStatus::Failed: log_.Format("select() error - %d", {waited->error}); break;
    case WaitStatus::Exception: log_.Line("Connect exception"); break;
    case WaitStatus::Woken:
    case WaitStatus::TimedOut: return false;
  }
  // Only a failed connect leaves its error behind; the close clears it first.
  if (DisconnectLocked(lock, notice) && connecting) lastError_ = TcpError::ConnectException;
  return false;
}

std::size_t TcpLink::TcpReceive(std::span<std::uint8_t> buffer) {
  ClosedNotice notice;
  std::unique_lock lock(mutex_);
  if (!socket_.IsOpen() || state_ != LinkState::Open) return 0;
  const auto received = gate_.RunAsUse(lock, [&] { return socket_.Receive(buffer); });
  if (!received) return 0;
  switch (received->status) {
    case IoStatus::Done: return received->count;
    case IoStatus::WouldBlock: break;  // woken without data: nothing lost, nothing to close
    case IoStatus::PeerClosed:
      log_.Line("Connection closed");
      DisconnectLocked(lock, notice);
      break;
    case IoStatus::Failed:
      log_.Format("read() error - %d", {received->error});
      DisconnectLocked(lock, notice);
      break;
  }
  return 0;
}

std::size_t TcpLink::TcpSend(std::span<const std::uint8_t> bytes) {
  ClosedNotice notice;
  std::unique_lock lock(mutex_);
  if (!socket_.IsOpen() || state_ != LinkState::Open) return 0;
  const auto sent = gate_.RunAsUse(lock, [&] { return socket_.Send(bytes); });
  if (!sent) return 0;
  if (sent->status == IoStatus::Done) return sent->count;
  log_.Format("send() error - %d", {sent->error});
  DisconnectLocked(lock, notice);
  return 0;
}

void TcpLink::TcpDisconnect() {
  ClosedNotice notice;
  std::unique_lock lock(mutex_);
  DisconnectLocked(lock, notice);
}

bool TcpLink::DisconnectLocked(std::unique_lock<std::mutex>& lock, ClosedNotice& notice) {
  if (socket_.IsOpen()) {
    if (!gate_.BeginClose(lock)) return false;
    log_.Line("Disconnect");
    if (state_ == LinkState::Open) socket_.Shutdown();
    socket_.Close();
    notice.listener = listener_;
    gate_.EndClose();
  }
  state_ = LinkState::Closed;
  lastError_ = TcpError::None;
  return true;
}

LinkState TcpLink::GetTcpState() const {
  std::lock_guard lock(mutex_);
  return state_;
}

TcpError TcpLink::LastError() const {
  std::lock_guard lock(mutex_);
  return lastError_;
}

void TcpLink::StopWaits() {
  std::lock_guard lock(mutex_);
  gate_.StopWaits();
}

void TcpLink::ResumeWaits() {
  std::lock_guard lock(mutex_);
  gate_.ResumeWaits();
}

}  // namespace tusko

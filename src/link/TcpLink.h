#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <string_view>

#include "link/LinkHandleGate.h"
#include "link/LinkLog.h"
#include "link/LinkState.h"
#include "link/TcpSocket.h"

namespace tusko {

// The reader thread's wait for bytes, short enough to notice a stop request.
inline constexpr std::chrono::milliseconds kTcpReaderWaitMs{1000};
// The pause of a wait made while there is no socket at all.
inline constexpr std::chrono::milliseconds kTcpNoSocketPauseMs{1};

// Why the last connect attempt failed; cleared by every close.
enum class TcpError : int {
  None = 0,
  AddressNotResolved = 1,
  SocketFailed = 2,
  ConnectFailed = 3,      // the connect failed at once
  ConnectException = 4,   // the wait for the connect failed or reported an error
};

// The language key of the detail text that the TCP error box shows; empty for None.
std::string_view TcpErrorDetailKey(TcpError error);

// Told when the link's socket has been closed (NOTIFY_LINK_CLOSED). Called on
// the thread that closed it, with no lock of the link held.
class LinkClosedListener {
 public:
  virtual ~LinkClosedListener() = default;
  virtual void OnLinkClosed() = 0;
};

// The TCP client transport: at most one non-blocking IPv4 connection. Moves
// bytes only; framing and threads belong to the link control. TcpConnect and
// TcpDisconnect run on the main thread, TcpWaitReady and TcpReceive on the one
// reader thread, TcpSend on the writer thread; each may close the socket.
class TcpLink {
 public:
  explicit TcpLink(const LinkLog& log) : log_(log) {}
  TcpLink(const TcpLink&) = delete;
  TcpLink& operator=(const TcpLink&) = delete;

  // Connects to `address` (dotted IPv4 text or a host name) at the low 16 bits
  // of `port`; true when the link is Open on return. A connect that cannot
  // finish at once stays Connecting until TcpWaitReady completes it. `listener`
  // (may be null) hears of every later close.
  bool TcpConnect(const std::string& address, std::uint32_t port, LinkClosedListener* listener);
  // True when received bytes are waiting; completes a connect under way.
  bool TcpWaitReady(std::chrono::milliseconds timeout);
  // One receive of at most the buffer's size; 0 when nothing came or the link closed.
  std::size_t TcpReceive(std::span<std::uint8_t> buffer);
  // One send; the count sent (a partial send is not completed), 0 on failure.
  std::size_t TcpSend(std::span<const std::uint8_t> bytes);
  void TcpDisconnect();

  LinkState GetTcpState() const;
  TcpError LastError() const;

  // Makes TcpWaitReady return at once until ResumeWaits (the link control's stop).
  void StopWaits();
  void ResumeWaits();

 private:
  // Holds the listener to tell once the lock is released.
  struct ClosedNotice;

  // Each runs with mutex_ held through `lock`.
  // Closes the socket and resets state and last error. False when another
  // thread's close came first: the state is then that thread's (or a newer connect's).
  bool DisconnectLocked(std::unique_lock<std::mutex>& lock, ClosedNotice& notice);

  // Socket set-up without the lock: a fresh socket, its peer and the connect.
  struct SetUpResult;
  SetUpResult SetUpSocket(const std::string& address, std::uint32_t port);

  const LinkLog& log_;
  mutable std::mutex mutex_;
  LinkHandleGate gate_;
  TcpSocket socket_;
  LinkState state_ = LinkState::Closed;
  TcpError lastError_ = TcpError::None;
  LinkClosedListener* listener_ = nullptr;
};

}  // namespace tusko

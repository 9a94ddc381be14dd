#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include "support/RefusingPort.h"

namespace tusko::test {

// The far end of a link under test, played by the test itself: the accepted
// connection of a loopback listener, or the master of a pseudo-terminal.
class LinkPeer {
 public:
  using Bytes = std::vector<std::uint8_t>;
  // Bounds the waits for the link's bytes; it only ends a test that has failed.
  static constexpr int kWaitLimitMs = 10000;

  virtual ~LinkPeer() { Hangup(); }
  LinkPeer(const LinkPeer&) = delete;
  LinkPeer& operator=(const LinkPeer&) = delete;

  virtual bool Ready() const = 0;
  // Takes the link's connection, where there is one to take; false when none came.
  virtual bool Accept() { return end_ >= 0; }

  void Write(const Bytes& bytes) const {
    for (std::size_t done = 0; done < bytes.size();) {
      const ssize_t n = ::write(end_, bytes.data() + done, bytes.size() - done);
      if (n <= 0) return;
      done += static_cast<std::size_t>(n);
    }
  }
  // What the link sent, up to `count` bytes; fewer when it stopped sending.
  Bytes Read(std::size_t count) const {
    Bytes received;
    while (received.size() < count) {
      pollfd wait{end_, POLLIN, 0};
      if (::poll(&wait, 1, kWaitLimitMs) != 1) break;
      std::uint8_t buffer[256];
      const ssize_t n = ::read(end_, buffer, sizeof buffer);
      if (n <= 0) break;
      received.insert(received.end(), buffer, buffer + n);
    }
    return received;
  }
  // The far end goes away, as a gateway that drops its connection or an unplugged adapter.
  void Hangup() {
    if (end_ >= 0) ::close(end_);
    end_ = -1;
  }

 protected:
  LinkPeer() = default;
  int end_ = -1;
};

// A listener on 127.0.0.1 at an ephemeral port; `backlog` 0 lets a second
// connect wait in the queue.
class TcpPeer final : public LinkPeer {
 public:
  explicit TcpPeer(int backlog = 8) : listener_(BindLoopbackSocket(port_)) {
    if (::listen(listener_, backlog) != 0) port_ = 0;
  }
  ~TcpPeer() override {
    if (listener_ >= 0) ::close(listener_);
  }

  bool Ready() const override { return port_ != 0; }
  std::uint16_t port() const { return port_; }
  bool Accept() override {
    pollfd wait{listener_, POLLIN, 0};
    if (::poll(&wait, 1, kWaitLimitMs) != 1) return false;
    Hangup();
    end_ = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    return end_ >= 0;
  }

 private:
  std::uint16_t port_ = 0;
  int listener_ = -1;
};

// A pseudo-terminal: the link opens the slave path, the test plays the gateway on the master.
class PtyPeer final : public LinkPeer {
 public:
  PtyPeer() {
    end_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128] = {};
    if (end_ >= 0 && ::grantpt(end_) == 0 && ::unlockpt(end_) == 0 && ::ptsname_r(end_, name, sizeof name) == 0) {
      slavePath_ = name;
    }
  }

  bool Ready() const override { return !slavePath_.empty(); }
  const std::string& slavePath() const { return slavePath_; }

 private:
  std::string slavePath_;
};

}  // namespace tusko::test

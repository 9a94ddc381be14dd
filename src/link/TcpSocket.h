#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "link/LinkIo.h"
#include "link/LinkWakeEvent.h"

namespace tusko {

// An IPv4 address and port.
struct Ipv4Endpoint {
  std::uint32_t address = 0;  // network byte order
  std::uint16_t port = 0;     // host byte order
};

std::string DottedAddress(std::uint32_t networkOrderAddress);

// The first IPv4 address of `host`: dotted text is taken as it is, anything
// else is looked up by name.
std::optional<std::uint32_t> ResolveIpv4(const std::string& host);

enum class ConnectStatus { Connected, InProgress, Failed };

struct ConnectResult {
  ConnectStatus status = ConnectStatus::Failed;
  int error = 0;
};

// One non-blocking IPv4 stream socket. Not thread-safe by itself: TcpLink
// shares it between its threads.
class TcpSocket {
 public:
  TcpSocket() = default;
  ~TcpSocket();
  TcpSocket(TcpSocket&& other) noexcept;
  TcpSocket& operator=(TcpSocket&& other) noexcept;
  TcpSocket(const TcpSocket&) = delete;
  TcpSocket& operator=(const TcpSocket&) = delete;

  bool IsOpen() const;
  // Creates the socket; 0 or the system error.
  int Create();
  ConnectResult Connect(const Ipv4Endpoint& peer);

  // Ready when the connect under way has succeeded; Exception when it failed.
  WaitResult WaitConnected(std::chrono::milliseconds timeout, const LinkWakeEvent& wake);
  // Ready when bytes (or the peer's close) can be received.
  WaitResult WaitReadable(std::chrono::milliseconds timeout, const LinkWakeEvent& wake);

  // One send or receive call, never blocking.
  IoResult Send(std::span<const std::uint8_t> bytes);
  IoResult Receive(std::span<std::uint8_t> buffer);

  // Ends both directions of a connected socket.
  void Shutdown();
  void Close();

 private:
  int fd_ = -1;
};

}  // namespace tusko

#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/EventLoop.h"
#include "sim/GatewayModel.h"
#include "sim/LinePacer.h"
#include "sim/WireSession.h"

namespace tusko::sim {

// Puts the gateway model on a real byte stream, on the caller's event loop:
// either a TCP listener that serves one client after another, or the master
// side of a pseudo-terminal. While the model restarts its link end is gone:
// the listener is closed (connections are refused) and the line is deaf.
// With a bit rate, both directions cross as on a serial line of that rate:
// a request is taken once its last byte would have arrived, and an answer
// leaves no faster than the line would carry it.
class SimulatorServer {
 public:
  using LogLine = std::function<void(std::string_view)>;

  SimulatorServer(EventLoop& loop, GatewayModel& model, WireFaults faults, unsigned baud, LogLine log);
  ~SimulatorServer();
  SimulatorServer(const SimulatorServer&) = delete;
  SimulatorServer& operator=(const SimulatorServer&) = delete;

  // Port 0 picks a free port; see Port(). False with `error` set on failure.
  bool ListenTcp(const std::string& address, std::uint16_t port, std::string& error);
  // Opens a pseudo-terminal; its slave path is in SlavePath().
  bool OpenPty(std::string& error);

  std::uint16_t Port() const { return port_; }
  const std::string& SlavePath() const { return slavePath_; }
  bool ClientConnected() const { return streamFd_ >= 0 && !isPty_; }

 private:
  void Tick();
  void OpenListener();
  void CloseListener();
  void Accept();
  void ReadStream();
  void DropClient(std::string_view why);
  // Hands the request bytes that have arrived to the session, writes the
  // answer bytes that have crossed, and wakes for the next ones due.
  void Pump();
  void Flush();
  void ClearLine();
  std::chrono::microseconds Elapsed() const;

  EventLoop& loop_;
  GatewayModel& model_;
  LogLine log_;
  LinePacer inbound_;
  LinePacer outbound_;
  WireSession session_;
  EventLoop::TimerId tickTimer_ = 0;
  EventLoop::TimerId wakeTimer_ = 0;
  EventLoop::Clock::time_point started_;
  EventLoop::Clock::time_point lastTick_;

  std::string address_;
  std::uint16_t port_ = 0;
  int listenFd_ = -1;
  int streamFd_ = -1;   // the client socket, or the pseudo-terminal's master
  int ptySlaveFd_ = -1; // kept open so the master never sees a hang-up
  bool isPty_ = false;
  std::string slavePath_;
};

}  // namespace tusko::sim

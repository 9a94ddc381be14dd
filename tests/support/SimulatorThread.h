#pragma once

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <type_traits>
#include <utility>

#include "base/EventLoop.h"
#include "sim/GatewayModel.h"
#include "sim/SimulatorServer.h"
#include "support/ShortRestarts.h"

namespace tusko::test {

enum class Transport { Tcp, Pty };

// The gateway simulator on a loopback TCP port or a pseudo-terminal, served by
// an event loop of its own on a background thread, as a separate process would.
// The model belongs to that thread: the caller reaches it only through Run.
// Free of any test framework, so the benchmarks run on it too.
class SimulatorThread {
 public:
  // `baud` paces both directions as a serial line of that rate would; 0 does not pace.
  explicit SimulatorThread(Transport transport, sim::WireFaults faults = {}, unsigned baud = 0)
      : server_(loop_, model_, faults, baud, [](std::string_view) {}) {
    const bool ready = transport == Transport::Tcp ? server_.ListenTcp("127.0.0.1", 0, error_) : server_.OpenPty(error_);
    if (ready) thread_ = std::thread([this] { loop_.Run(); });
  }
  ~SimulatorThread() {
    if (!thread_.joinable()) return;
    loop_.Quit();
    thread_.join();
  }
  SimulatorThread(const SimulatorThread&) = delete;
  SimulatorThread& operator=(const SimulatorThread&) = delete;

  bool Ready() const { return thread_.joinable(); }
  const std::string& Error() const { return error_; }
  std::uint16_t Port() const { return server_.Port(); }
  const std::string& SlavePath() const { return server_.SlavePath(); }

  // Runs `call` with the model on the simulator's thread and returns its result.
  template <typename Call>
  auto Run(Call call) -> std::invoke_result_t<Call, sim::GatewayModel&> {
    using Result = std::invoke_result_t<Call, sim::GatewayModel&>;
    std::promise<Result> done;
    loop_.Post([&] {
      if constexpr (std::is_void_v<Result>) {
        call(model_);
        done.set_value();
      } else {
        done.set_value(call(model_));
      }
    });
    return done.get_future().get();
  }

  // Lets every restart keep the gateway's link end away for `time` only.
  void ShortenRestarts(std::chrono::milliseconds time) {
    Run([time](sim::GatewayModel& model) {
      model.Identity().restartToLoader = time;
      model.Identity().restartToFirmware = time;
    });
  }

  // Calls `onBack` on the simulator's thread each time the gateway's link end
  // comes back after a restart: the moment its USB device would arrive.
  void WatchLinkReturns(std::function<void()> onBack) {
    Run([this, onBack = std::move(onBack)](sim::GatewayModel& model) {
      // The loop runs a copy of the callback each time: the last state lives outside it.
      auto wasUp = std::make_shared<bool>(model.LinkAvailable());
      loop_.StartTimer(kWatchPeriod, [&model, onBack, wasUp] {
        const bool up = model.LinkAvailable();
        if (up && !*wasUp) onBack();
        *wasUp = up;
      }, true);
    });
  }

 private:
  static constexpr std::chrono::milliseconds kWatchPeriod{5};

  EventLoop loop_;
  sim::GatewayModel model_;
  sim::SimulatorServer server_;
  std::string error_;
  std::thread thread_;
};

}  // namespace tusko::test

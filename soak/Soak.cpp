// tusko_soak: long runs that look for what leaks. Connect, read the whole
// configuration and disconnect, many times over loopback TCP and over a
// pseudo-terminal, each time with a fresh link, host and engine; then restart
// the gateway many times on one serial link and follow each restart through.
// Prints the process's open descriptors, threads and resident memory after a
// warm-up and at the end, and fails when descriptors or threads grew or memory
// grew past a bound. Under AddressSanitizer its leak checker reports at exit.
//   tusko_soak [cycles per link, default 1000] [restarts, default 100]
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/session/CommandEnding.h"
#include "app/session/LinkEngineHost.h"
#include "app/settings/ProgramSettings.h"
#include "base/EventLoop.h"
#include "protocol/engine/ConfigTransfer.h"
#include "protocol/engine/OperationEngine.h"
#include "support/SimulatorLink.h"
#include "support/SimulatorThread.h"

namespace {

using namespace tusko;
using namespace std::chrono_literals;
using test::SimulatorThread;
using test::Transport;

constexpr auto kOperationLimit = 60s;
constexpr auto kRestartTime = 50ms;
constexpr int kWarmUpCycles = 10;
// Resident memory may grow by this much over a run (allocator pools, the
// communication buffers at their largest); a leak of one image per cycle is far more.
constexpr long kMemoryGrowthBoundKb = 8 * 1024;

struct ProcessCounts {
  long descriptors = 0;
  long threads = 0;
  long residentKb = 0;
};

long StatusField(const std::string& name) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(name + ":", 0) == 0) return std::atol(line.c_str() + name.size() + 1);
  }
  return -1;
}

ProcessCounts CountsNow() {
  ProcessCounts counts;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    (void)entry;
    ++counts.descriptors;
  }
  counts.threads = StatusField("Threads");
  counts.residentKb = StatusField("VmRSS");
  return counts;
}

// The counts once the simulator's thread has seen the last link close: its
// end of the connection is this process's descriptor too, for a moment.
ProcessCounts Counts(EventLoop& loop, const ProcessCounts* before = nullptr) {
  constexpr auto kSettleLimit = 2s;
  ProcessCounts counts = CountsNow();
  if (before != nullptr) {
    loop.RunUntil([&] { return (counts = CountsNow()).descriptors <= before->descriptors; }, kSettleLimit);
  }
  return counts;
}

// Under AddressSanitizer freed memory waits in its quarantine, so resident
// memory grows by design there; its leak checker judges memory instead.
bool NothingGrew(const ProcessCounts& start, const ProcessCounts& end) {
#if defined(__SANITIZE_ADDRESS__)
  constexpr bool kMemoryCounts = false;
#else
  constexpr bool kMemoryCounts = true;
#endif
  return end.descriptors <= start.descriptors && end.threads <= start.threads &&
         (!kMemoryCounts || end.residentKb - start.residentKb <= kMemoryGrowthBoundKb);
}

std::ostream& operator<<(std::ostream& out, const ProcessCounts& counts) {
  return out << counts.descriptors << " descriptors, " << counts.threads << " threads, " << counts.residentKb
             << " kB resident";
}

ProgramSettings LinkSettings(Transport transport, const SimulatorThread& simulator) {
  ProgramSettings settings;
  settings.dataReadWriteRequestDelay = 1;  // leaks, not pacing, are looked for here
  test::UseSimulator(settings, transport, simulator);
  return settings;
}

// A link, host and engine of their own: opens, runs `start` until `code`
// arrives, checks it says Done and closes everything again.
class Session {
 public:
  Session(EventLoop& loop, const ProgramSettings& settings)
      : loop_(loop),
        host_(loop, settings,
              LinkEngineHostHooks{
                  .text = [](std::string_view key) { return std::string(key); },
                  .notified = [this](Notification code, int value) { notified_.emplace_back(code, value); },
                  .password = [] { return std::optional<std::string>(); },
                  .message = [this](const std::string&, const std::string& text) { messages_ += text + " "; },
              }),
        engine_(host_, host_.engineSettings()) {
    host_.Attach(engine_);
  }

  bool Open() { return host_.EnsureLinkOpen(true); }
  LinkEngineHost& host() { return host_; }
  OperationEngine& engine() { return engine_; }

  // True when the operation `start` began ended with Done: `ending` gives an
  // operation's result from the notification that ends it, nothing from others.
  using Ending = std::function<std::optional<int>(Notification code, int value)>;
  bool Run(const std::function<bool()>& start, const Ending& ending) {
    notified_.clear();
    if (!start()) return false;
    std::optional<int> result;
    loop_.RunUntil(
        [&] {
          for (const auto& [code, value] : notified_) {
            if (!result) result = ending(code, value);
          }
          notified_.clear();
          return result.has_value();
        },
        kOperationLimit);
    return result == static_cast<int>(OperationResult::Done);
  }
  const std::string& messages() const { return messages_; }

 private:
  EventLoop& loop_;
  std::vector<std::pair<Notification, int>> notified_;
  std::string messages_;
  LinkEngineHost host_;
  OperationEngine engine_;
};

bool ReadCycle(EventLoop& loop, const ProgramSettings& settings) {
  Session session(loop, settings);
  if (!session.Open()) return false;
  OperationEngine& engine = session.engine();
  const auto downloaded = [](Notification code, int value) {
    return code == Notification::DownloadResult ? std::optional(value) : std::nullopt;
  };
  return session.Run([&engine] { return engine.StartDownload(); }, downloaded) &&
         HasSignature(engine.configTransfer().image());
}

bool ReadCycles(Transport transport, int cycles, const char* name) {
  EventLoop loop;
  SimulatorThread simulator(transport);
  if (!simulator.Ready()) {
    std::cerr << name << ": simulator: " << simulator.Error() << "\n";
    return false;
  }
  const ProgramSettings settings = LinkSettings(transport, simulator);
  for (int cycle = 0; cycle < kWarmUpCycles; ++cycle) {
    if (!ReadCycle(loop, settings)) return false;
  }
  const ProcessCounts start = Counts(loop);
  const auto began = std::chrono::steady_clock::now();
  for (int cycle = 0; cycle < cycles; ++cycle) {
    if (!ReadCycle(loop, settings)) {
      std::cerr << name << ": cycle " << cycle << " did not read the configuration\n";
      return false;
    }
  }
  const ProcessCounts end = Counts(loop, &start);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - began;
  std::cout << name << ": " << cycles << " connect-read-disconnect cycles in " << took.count() << " s\n"
            << "  start: " << start << "\n  end:   " << end << "\n";
  return NothingGrew(start, end);
}

// Restarts on one serial link that reopens when the gateway's end comes back,
// as the desktop's USB watch does.
bool Restarts(int restarts) {
  EventLoop loop;
  SimulatorThread simulator(Transport::Pty);
  if (!simulator.Ready()) return false;
  simulator.ShortenRestarts(kRestartTime);
  const ProgramSettings settings = LinkSettings(Transport::Pty, simulator);  // the host keeps a reference
  Session session(loop, settings);
  simulator.WatchLinkReturns([&] {
    loop.Post([&] {
      if (session.host().linkState() == LinkState::Closed) session.host().reopenLink();
    });
  });
  if (!session.Open()) {
    std::cerr << "restarts: the link did not open: " << session.messages() << "\n";
    return false;
  }
  OperationEngine& engine = session.engine();
  const auto restart = [&] {
    return session.Run([&engine] { return engine.ResetDevice(); }, RestartResult) &&
           loop.RunUntil([&] { return engine.state() == EngineState::Idle; }, kOperationLimit);
  };
  if (!restart()) {
    std::cerr << "restarts: the first was not followed through: " << session.messages() << "\n";
    return false;
  }
  const ProcessCounts start = Counts(loop);
  for (int count = 0; count < restarts; ++count) {
    if (!restart()) {
      std::cerr << "restart " << count << " was not followed through: " << session.messages() << "\n";
      return false;
    }
  }
  const ProcessCounts end = Counts(loop, &start);
  const int done = simulator.Run([](sim::GatewayModel& model) { return model.RestartCount(); });
  std::cout << "restarts: " << restarts << " followed through (" << done << " starts of the loader or firmware in all)\n"
            << "  start: " << start << "\n  end:   " << end << "\n";
  return NothingGrew(start, end);
}

}  // namespace

int main(int argc, char** argv) {
  const int cycles = argc > 1 ? std::atoi(argv[1]) : 1000;
  const int restarts = argc > 2 ? std::atoi(argv[2]) : 100;
  bool sound = ReadCycles(Transport::Tcp, cycles, "tcp");
  sound = ReadCycles(Transport::Pty, cycles, "pty") && sound;
  sound = Restarts(restarts) && sound;
  std::cout << (sound ? "soak: nothing grew\n" : "soak: FAILED\n");
  return sound ? 0 : 1;
}

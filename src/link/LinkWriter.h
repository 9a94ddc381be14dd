#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <span>

#include "link/LinkThread.h"
#include "protocol/DeviceMessage.h"

namespace tusko {

// The pause after each chunk and after each frame, so that a slow receiver
// (the gateway's USB serial port) is never flooded.
inline constexpr std::chrono::milliseconds kChunkPauseMs{1};

// The link's writer thread: takes messages from its first-in first-out queue
// in the order they were handed over, frames each one and sends it in chunks
// with a pause after each. The queue outlives the thread's start, so a message
// handed over while the thread is still starting is kept and sent first.
class LinkWriter {
 public:
  using SendChunk = std::function<void(std::span<const std::uint8_t>)>;

  // `send` runs on the writer thread; `stopRequested` ends the thread at its
  // next message (the link control's stop flag).
  LinkWriter(SendChunk send, const std::atomic<bool>& stopRequested);
  ~LinkWriter();
  LinkWriter(const LinkWriter&) = delete;
  LinkWriter& operator=(const LinkWriter&) = delete;

  // 0, or the system error when the thread could not be started.
  int Start();
  bool Exists() const { return thread_.Exists(); }

  // Queues one message of `length` wire bytes; false (and the message is
  // dropped) when no writer thread exists.
  bool Post(DeviceMessage message, std::size_t length);

  // Asks the thread to end after the messages queued before this call.
  void RequestStop();
  // Waits for the thread to end, then drops whatever it left in the queue.
  void Join();

 private:
  struct Outgoing {
    DeviceMessage message;
    std::size_t length;
  };

  void Run();
  // The next item, waiting as long as needed; empty for the stop item.
  std::optional<Outgoing> Take();

  SendChunk send_;
  const std::atomic<bool>& stopRequested_;
  std::mutex mutex_;
  std::condition_variable queued_;
  // An empty item is the stop request.
  std::deque<std::optional<Outgoing>> queue_;
  LinkThread thread_;
};

}  // namespace tusko

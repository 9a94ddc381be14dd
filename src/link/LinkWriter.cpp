#include "link/LinkWriter.h"

#include <algorithm>
#include <thread>
#include <utility>

#include "link/FrameEncoder.h"

namespace tusko {

LinkWriter::LinkWriter(SendChunk send, const std::atomic<bool>& stopRequested)
    : send_(std::move(send)), stopRequested_(stopRequested) {}

LinkWriter::~LinkWriter() {
  if (!thread_.Exists()) return;
  RequestStop();
  Join();
}

int LinkWriter::Start() {
  if (thread_.Exists()) return 0;
  return thread_.Start([this] { Run(); });
}

bool LinkWriter::Post(DeviceMessage message, std::size_t length) {
  if (!thread_.Exists()) return false;
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(Outgoing{std::move(message), std::min(length, kMessageBufferSize)});
  }
  queued_.notify_one();
  return true;
}

void LinkWriter::RequestStop() {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::nullopt);
  }
  queued_.notify_one();
}

void LinkWriter::Join() {
  thread_.Join();
  // Messages behind the stop request belong to no link any more.
  std::lock_guard lock(mutex_);
  queue_.clear();
}

std::optional<LinkWriter::Outgoing> LinkWriter::Take() {
  std::unique_lock lock(mutex_);
  queued_.wait(lock, [this] { return !queue_.empty(); });
  std::optional<Outgoing> item = std::move(queue_.front());
  queue_.pop_front();
  return item;
}

void LinkWriter::Run() {
  for (;;) {
    std::optional<Outgoing> item = Take();
    if (!item || stopRequested_.load()) return;
    const std::span<const std::uint8_t> bytes(item->message.buffer().data(), item->length);
    // A short or failed send loses the rest of this frame; the transport has logged why.
    EncodeFrameChunks(bytes, [this](std::span<const std::uint8_t> chunk) {
      send_(chunk);
      std::this_thread::sleep_for(kChunkPauseMs);
    });
  }
}

}  // namespace tusko

#include "link/LinkHandleGate.h"

namespace tusko {

void LinkHandleGate::WaitWhileClosing(std::unique_lock<std::mutex>& lock) {
  changed_.wait(lock, [this] { return !closing_; });
}

bool LinkHandleGate::BeginClose(std::unique_lock<std::mutex>& lock) {
  if (closing_) {
    WaitWhileClosing(lock);
    return false;
  }
  closing_ = true;
  wake_.Set();
  changed_.wait(lock, [this] { return users_ == 0; });
  return true;
}

void LinkHandleGate::EndClose() {
  closing_ = false;
  if (!waitsStopped_) wake_.Reset();
  changed_.notify_all();
}

void LinkHandleGate::StopWaits() {
  waitsStopped_ = true;
  wake_.Set();
}

void LinkHandleGate::ResumeWaits() {
  waitsStopped_ = false;
  if (!closing_) wake_.Reset();
}

void LinkHandleGate::Leave() {
  if (--users_ == 0) changed_.notify_all();
}

}  // namespace tusko

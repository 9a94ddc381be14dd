#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string_view>

namespace tusko {

// The name other programs look for to learn that the desktop program runs.
inline constexpr std::string_view kInstanceMarkName = "34C4E643-D99A-4ce6-ACAA-3339FAE95437";

// A system-wide mark held while the desktop program runs: a file of that name
// in the user's runtime folder on which every instance holds a shared lock.
// Another program tests for it by trying an exclusive lock (IsInstanceRunning).
// A second instance takes a shared lock as well and starts normally.
class InstanceMark {
 public:
  // Empty when the mark cannot be made; the program runs without it.
  static std::optional<InstanceMark> Take(const std::filesystem::path& folder = DefaultFolder());
  // $XDG_RUNTIME_DIR when set, else the system's temporary folder.
  static std::filesystem::path DefaultFolder();

  InstanceMark(InstanceMark&& other) noexcept;
  InstanceMark& operator=(InstanceMark&&) = delete;
  InstanceMark(const InstanceMark&) = delete;
  InstanceMark& operator=(const InstanceMark&) = delete;
  ~InstanceMark();

 private:
  explicit InstanceMark(int fd) : fd_(fd) {}
  int fd_ = -1;
};

// True while any process holds the mark in `folder`.
bool IsInstanceRunning(const std::filesystem::path& folder = InstanceMark::DefaultFolder());

// The start-up switch "-comlog": found as a case-sensitive substring anywhere
// in the command line, even inside a longer word.
bool CommandLineAsksForCommLog(std::span<char* const> args);

}  // namespace tusko

#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "app/settings/SettingsStore.h"

namespace tusko {

// Capacity limits of the File menu's recent-files list, in entries.
inline constexpr std::size_t kMinRecentFiles = 2;
inline constexpr std::size_t kMaxRecentFiles = 16;
inline constexpr std::size_t kDefaultRecentFiles = 4;

// The File menu's recent-files list, most recent first.
class RecentFiles {
 public:
  explicit RecentFiles(std::size_t capacity = kDefaultRecentFiles);

  std::size_t capacity() const { return capacity_; }
  // Limited to kMinRecentFiles..kMaxRecentFiles; shrinking drops the oldest entries.
  void setCapacity(std::size_t capacity);

  const std::vector<std::string>& entries() const { return entries_; }

  // Puts `path` first, moving it there when it is already listed; the oldest
  // entry beyond the capacity drops out. An empty path, or one over
  // kPathTextChars bytes that would not read back, is ignored.
  void add(std::string_view path);
  // False when `path` is not listed.
  bool remove(std::string_view path);

 private:
  std::size_t capacity_;
  std::vector<std::string> entries_;
};

// Always yields a list: entries that cannot be read are left out.
RecentFiles LoadRecentFiles(SettingsStore& store);
// Writes the capacity and the entries, and deletes the stored entries past them.
bool SaveRecentFiles(SettingsStore& store, const RecentFiles& files);

}  // namespace tusko

#include "app/settings/RecentFiles.h"

#include <algorithm>

#include "app/settings/SettingValue.h"

namespace tusko {
namespace {

constexpr std::string_view kDocumentCountName = "DocumentCount";

std::string DocumentName(std::size_t number) { return "Document" + std::to_string(number); }

}  // namespace

RecentFiles::RecentFiles(std::size_t capacity) { setCapacity(capacity); }

void RecentFiles::setCapacity(std::size_t capacity) {
  capacity_ = std::clamp(capacity, kMinRecentFiles, kMaxRecentFiles);
  if (entries_.size() > capacity_) entries_.resize(capacity_);
}

void RecentFiles::add(std::string_view path) {
  // A path that would not read back at the next start is not listed at all.
  if (path.empty() || !TextFits(path, kPathTextChars)) return;
  remove(path);
  entries_.insert(entries_.begin(), std::string(path));
  if (entries_.size() > capacity_) entries_.pop_back();
}

bool RecentFiles::remove(std::string_view path) {
  return std::erase(entries_, path) > 0;
}

RecentFiles LoadRecentFiles(SettingsStore& store) {
  RecentFiles files;
  if (!store.openSection(kRecentDocumentSection)) return files;
  if (const auto count = store.readNumber(kRecentDocumentSection, kDocumentCountName)) files.setCapacity(*count);
  // Read oldest first so that adding each in turn leaves Document1 first.
  for (std::size_t number = files.capacity(); number >= 1; --number) {
    const auto path = store.readText(kRecentDocumentSection, DocumentName(number));
    if (path) files.add(*path);
  }
  return files;
}

bool SaveRecentFiles(SettingsStore& store, const RecentFiles& files) {
  if (!store.openSection(kRecentDocumentSection)) return false;
  bool written = store.writeNumber(kRecentDocumentSection, kDocumentCountName,
                                   static_cast<std::uint32_t>(files.capacity()));
  const auto& entries = files.entries();
  for (std::size_t index = 0; index < entries.size(); ++index) {
    written = store.writeText(kRecentDocumentSection, DocumentName(index + 1), entries[index]) && written;
  }
  // Up to the largest capacity, so that no entry of a longer list comes back.
  for (std::size_t number = entries.size() + 1; number <= kMaxRecentFiles; ++number) {
    written = store.deleteValue(kRecentDocumentSection, DocumentName(number)) && written;
  }
  return store.commit() && written;
}

}  // namespace tusko

#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/settings/SettingsDocument.h"
#include "app/settings/SettingsStore.h"

namespace tusko {

// Larger files are not taken for settings: they are left alone and read as unopenable.
inline constexpr std::size_t kMaxSettingsFileBytes = 1024 * 1024;

// The settings in a text file of "[Section]" and "Name=value" lines. Every
// section opened reads the file anew; a commit reads it once more, applies the
// values written since the last commit and replaces the file in one rename.
// So lines that this program never writes (values set by hand, comments,
// unknown names) survive, and a failed write leaves the old file whole.
//
// A missing file reads as empty. A file that exists but cannot be read cannot
// be opened either, so it is never overwritten with defaults.
class FileSettingsStore final : public SettingsStore {
 public:
  explicit FileSettingsStore(std::filesystem::path file);

  // $XDG_CONFIG_HOME/Ombrel/DravenixIsdnTusko.conf, by default under
  // ~/.config; empty when no home folder is known.
  static std::optional<std::filesystem::path> DefaultFilePath();

  const std::filesystem::path& filePath() const { return file_; }

  bool openSection(std::string_view section) override;
  std::optional<std::uint32_t> readNumber(std::string_view section, std::string_view name) const override;
  std::optional<std::string> readText(std::string_view section, std::string_view name) const override;
  bool writeNumber(std::string_view section, std::string_view name, std::uint32_t value) override;
  bool writeText(std::string_view section, std::string_view name, std::string_view value) override;
  bool deleteValue(std::string_view section, std::string_view name) override;
  bool commit() override;

 private:
  // A write (with a value) or a deletion not yet committed.
  struct Edit {
    std::string section;
    std::string name;
    std::optional<std::string> raw;
  };

  static bool Apply(SettingsDocument& document, const Edit& edit);
  bool record(Edit edit);
  // Reads the file and applies the edits not yet committed; false when it cannot be read.
  bool refresh();

  std::filesystem::path file_;
  SettingsDocument document_;
  std::vector<Edit> pending_;
};

}  // namespace tusko

#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

class QWidget;

namespace tusko {
class LanguageManager;
}

namespace tusko::gui {

// One file question as the program asks it: keys for the title and the
// filter list, where to start, and the filter chosen last (1-based).
struct FileQuestion {
  enum class Kind { Open, Save };
  Kind kind = Kind::Open;
  std::string titleKey;
  std::string filterKey;
  std::string defaultSuffix;            // for Save, without the dot
  std::filesystem::path folder;         // where the dialog starts
  std::string proposedName;             // for Save: the name offered, also a full path
  std::uint32_t filterIndex = 1;
};

struct FileAnswer {
  std::filesystem::path path;
  std::uint32_t filterIndex = 1;  // the filter the user chose, 1-based
};

// Asks the user for a file; empty when cancelled. Tests put a presenter that
// answers from a script in place of the dialogs.
class FileDialogPresenter {
 public:
  virtual ~FileDialogPresenter() = default;
  virtual std::optional<FileAnswer> Ask(QWidget* owner, const FileQuestion& question) = 0;
};

// The real dialogs: QFileDialog with the language's title and filters; Save
// asks before it overwrites a file, Open takes only files that exist.
class QtFileDialogPresenter final : public FileDialogPresenter {
 public:
  explicit QtFileDialogPresenter(const LanguageManager& language) : language_(language) {}
  std::optional<FileAnswer> Ask(QWidget* owner, const FileQuestion& question) override;

 private:
  const LanguageManager& language_;
};

}  // namespace tusko::gui

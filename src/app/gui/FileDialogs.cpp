#include "app/gui/FileDialogs.h"

#include <QFileDialog>

#include "app/gui/FileDialogFilter.h"
#include "app/gui/UiText.h"
#include "app/language/LanguageManager.h"

namespace tusko::gui {

std::optional<FileAnswer> QtFileDialogPresenter::Ask(QWidget* owner, const FileQuestion& question) {
  QFileDialog dialog(owner, ToQString(language_.GetString(question.titleKey)),
                     QString::fromStdString(question.folder.string()));
  const bool save = question.kind == FileQuestion::Kind::Save;
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (!question.defaultSuffix.empty()) dialog.setDefaultSuffix(QString::fromStdString(question.defaultSuffix));
  const QStringList filters = FileDialogFilters(language_.GetString(question.filterKey));
  dialog.setNameFilters(filters);
  if (question.filterIndex >= 1 && question.filterIndex <= static_cast<std::uint32_t>(filters.size())) {
    dialog.selectNameFilter(filters[static_cast<int>(question.filterIndex) - 1]);
  }
  if (!question.proposedName.empty()) dialog.selectFile(QString::fromStdString(question.proposedName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const auto chosen = filters.indexOf(dialog.selectedNameFilter());
  return FileAnswer{dialog.selectedFiles().first().toStdString(), static_cast<std::uint32_t>(chosen < 0 ? 1 : chosen + 1)};
}

}  // namespace tusko::gui

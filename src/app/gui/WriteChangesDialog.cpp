#include "app/gui/WriteChangesDialog.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/gui/DialogParts.h"
#include "app/gui/UiText.h"
#include "app/language/LanguageManager.h"

namespace tusko::gui {

namespace {

constexpr int kListWidthChars = 80;
constexpr int kMaxShownRows = 16;

QTreeWidget* ChangeList(const LanguageManager& language, const std::vector<WriteChange>& changes, QWidget* parent) {
  auto* list = new QTreeWidget(parent);
  list->setObjectName("changeList");
  list->setRootIsDecorated(false);
  list->setSelectionMode(QAbstractItemView::NoSelection);
  list->setHeaderLabels({ToQString(language.GetString("strDataUploadField")),
                         ToQString(language.GetString("strDataUploadOnGateway")),
                         ToQString(language.GetString("strDataUploadWritten"))});
  for (const WriteChange& change : changes) {
    list->addTopLevelItem(
        new QTreeWidgetItem({ToQString(change.field), ToQString(change.before), ToQString(change.after)}));
  }
  for (int column = 0; column < list->columnCount(); ++column) list->resizeColumnToContents(column);
  const QFontMetrics metrics = list->fontMetrics();
  const int rows = std::min(static_cast<int>(changes.size()), kMaxShownRows) + 2;
  list->setMinimumSize(metrics.averageCharWidth() * kListWidthChars, metrics.height() * rows);
  return list;
}

}  // namespace

WriteChangesDialog::WriteChangesDialog(const LanguageManager& language, const std::vector<WriteChange>& changes,
                                       bool verify, QWidget* parent)
    : QDialog(parent), verify_(new QCheckBox("strDataUploadVerify", this)) {
  setWindowTitle("strDataUpload");
  auto* layout = new QVBoxLayout(this);
  auto* lead = new QLabel(changes.empty() ? "strDataUploadNoChanges" : "strDataUploadChanges", this);
  lead->setObjectName("leadText");
  lead->setWordWrap(true);
  layout->addWidget(lead);
  if (!changes.empty()) layout->addWidget(ChangeList(language, changes, this));
  verify_->setObjectName("verifyBox");
  verify_->setChecked(verify);
  layout->addWidget(verify_);
  AddOkCancel(*this, *layout);
  TranslateWindow(*this, language);
}

bool WriteChangesDialog::verify() const { return verify_->isChecked(); }

}  // namespace tusko::gui

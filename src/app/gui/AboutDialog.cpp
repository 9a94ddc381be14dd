#include "app/gui/AboutDialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "Version.h"
#include "app/gui/UiText.h"

namespace tusko::gui {

namespace {

constexpr int kIconSize = 48;

}  // namespace

AboutDialog::AboutDialog(const LanguageManager& language, QWidget* parent) : QDialog(parent) {
  setWindowTitle("strAbout");
  auto* layout = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  auto* icon = new QLabel(this);
  icon->setPixmap(QApplication::windowIcon().isNull()
                      ? QApplication::style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(kIconSize)
                      : QApplication::windowIcon().pixmap(kIconSize));
  row->addWidget(icon, 0, Qt::AlignTop);
  auto* texts = new QVBoxLayout;
  auto* name = new QLabel("strAppName", this);
  QFont bold = name->font();
  bold.setBold(true);
  name->setFont(bold);
  texts->addWidget(name);
  auto* version = new QLabel(QStringLiteral("v%1").arg(kProgramVersion), this);
  version->setObjectName("versionText");
  texts->addWidget(version);
  auto* description = new QLabel("strAboutDescription", this);
  description->setWordWrap(true);
  texts->addWidget(description);
  row->addLayout(texts, 1);
  layout->addLayout(row);
  auto* ok = new QPushButton("strOK", this);
  ok->setObjectName("okButton");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  layout->addWidget(ok, 0, Qt::AlignRight);
  TranslateWindow(*this, language);
}

}  // namespace tusko::gui

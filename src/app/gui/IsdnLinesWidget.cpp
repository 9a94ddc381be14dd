#include "app/gui/IsdnLinesWidget.h"

#include <array>
#include <string>

#include <QAbstractButton>
#include <QComboBox>
#include <QFormLayout>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/gui/CreditBlock.h"
#include "app/gui/UiText.h"
#include "app/language/LanguageManager.h"
#include "config/ConfigurationDocument.h"
#include "config/IsdnFields.h"

namespace tusko::gui {
namespace {

constexpr std::size_t kLinks = 2;
constexpr std::array<const char*, kLinks + 1> kTabKeys{"strIsdnMode", "strIsdnLink1", "strIsdnLink2"};
constexpr int kQsig = 1;

std::string LinkGroup(std::size_t link) { return "isdnLink" + std::to_string(link + 1); }

}  // namespace

IsdnLinesWidget::IsdnLinesWidget(const PageContext& context, QWidget* parent) : CatalogPageWidget(context, parent) {}

void IsdnLinesWidget::Build(const CatalogPage& page) {
  tabs_ = new QTabWidget(body().parentWidget());
  tabs_->setObjectName("isdnLinesTabs");
  body().addWidget(tabs_);
  auto* mode = new QWidget(tabs_);
  auto* modeForm = new QFormLayout(mode);
  AddRows(*modeForm, page, [](const catalog::FieldRef& ref) { return ref.group->name == "isdn"; });
  tabs_->addTab(mode, {});
  for (std::size_t link = 0; link < kLinks; ++link) {
    auto* tab = new QWidget(tabs_);
    auto* column = new QVBoxLayout(tab);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    column->addLayout(form);
    AddRows(*form, page, [link](const catalog::FieldRef& ref) {
      return ref.group->name == "isdnLink" && ref.instance == link;
    });
    column->addWidget(NewCreditBlock(*this, page, "isdnCredit" + std::to_string(link + 1), tab));
    column->addStretch();
    tabs_->addTab(tab, {});
    if (auto* signalling = tab->findChild<QComboBox*>(ToQString(LinkGroup(link) + ".signalling"))) {
      connect(signalling, &QComboBox::currentIndexChanged, this, &IsdnLinesWidget::NamePointToPoint);
    }
  }
  body().addStretch();
  NameTabs();
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int tab) {
    context().document.RememberTab(TabbedPage::IsdnLines, static_cast<std::uint16_t>(tab));
  });
}

void IsdnLinesWidget::AfterShow() {
  if (tabs_ != nullptr) tabs_->setCurrentIndex(context().document.RememberedTab(TabbedPage::IsdnLines));
}

void IsdnLinesWidget::Relabel() {
  if (tabs_ == nullptr) return;
  relabelled_ = true;
  for (std::size_t link = 0; link < kLinks; ++link) {
    if (auto* signalling = dynamic_cast<ChoiceEditor*>(EditorOf(LinkGroup(link) + ".signalling"))) {
      signalling->SetChoices(catalog::isdn::kSignallingRelabelled, context().language);
    }
  }
  CatalogPageWidget::Relabel();
  NameTabs();
  NamePointToPoint();
}

void IsdnLinesWidget::NameTabs() {
  for (std::size_t tab = 0; tab < kTabKeys.size(); ++tab) {
    tabs_->setTabText(static_cast<int>(tab), ToQString(context().language.GetString(kTabKeys[tab])));
  }
}

void IsdnLinesWidget::NamePointToPoint() {
  if (!relabelled_) return;
  for (std::size_t link = 0; link < kLinks; ++link) {
    const std::string id = LinkGroup(link);
    auto* signalling = findChild<QComboBox*>(ToQString(id + ".signalling"));
    const bool qsig = signalling != nullptr && signalling->currentIndex() == kQsig;
    const std::array<const char*, 2> keys = qsig ? std::array{"strIsdnLinkMaster", "strIsdnLinkSlave"}
                                                 : std::array{"strIsdnLinkNT", "strIsdnLinkTE"};
    for (std::size_t choice = 0; choice < keys.size(); ++choice) {
      const QString name = ToQString(id + ".pointToPoint/" + std::to_string(choice));
      if (auto* button = findChild<QAbstractButton*>(name)) SetKeyedText(*button, keys[choice], context().language);
    }
  }
}

}  // namespace tusko::gui

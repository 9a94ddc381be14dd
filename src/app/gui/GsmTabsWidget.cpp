#include "app/gui/GsmTabsWidget.h"

#include <initializer_list>
#include <string>
#include <string_view>

#include <QFormLayout>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/gui/CreditBlock.h"
#include "app/gui/UiText.h"
#include "app/language/LanguageManager.h"
#include "config/GroupModules.h"

namespace tusko::gui {
namespace {

constexpr std::array<const char*, 2> kModuleKeys{"strGsmModule1", "strGsmModule2"};

struct TabbedKind {
  TabbedPage tabbed;
  std::array<const char*, 2> tabKeys;
  const char* tabsName;
};

TabbedKind KindOf(PageId id) {
  switch (id) {
    case PageId::GsmIncomingGroup:
      return {TabbedPage::IncomingGroups, {"strGsmInGroup1", "strGsmInGroup2"}, "gsmInGroupTabs"};
    case PageId::GsmOutgoingGroup:
      return {TabbedPage::OutgoingGroups, {"strGsmOutGroup1", "strGsmOutGroup2"}, "gsmOutGroupTabs"};
    default: return {TabbedPage::GsmModules, kModuleKeys, "gsmModuleTabs"};
  }
}

// A form of the named fields of one record, in the order named.
void AddNamedRows(CatalogPageWidget& host, QFormLayout& form, const CatalogPage& page, std::string_view group,
                  std::size_t instance, std::initializer_list<std::string_view> names) {
  for (std::string_view name : names) {
    host.AddRows(form, page, [&](const catalog::FieldRef& ref) {
      return ref.group->name == group && ref.instance == instance && ref.field->name == name;
    });
  }
}

QFormLayout* NewForm() {
  auto* form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
  return form;
}

}  // namespace

GsmTabsWidget::GsmTabsWidget(PageId id, const PageContext& context, QWidget* parent)
    : CatalogPageWidget(context, parent), id_(id), tabbed_(KindOf(id).tabbed), tabKeys_(KindOf(id).tabKeys) {}

void GsmTabsWidget::Build(const CatalogPage&) {
  tabs_ = new QTabWidget(body().parentWidget());
  tabs_->setObjectName(KindOf(id_).tabsName);
  body().addWidget(tabs_);
  for (std::size_t tab = 0; tab < kTabs; ++tab) {
    auto* page = new QWidget(tabs_);
    new QVBoxLayout(page);
    tabs_->addTab(page, {});
  }
  body().addStretch();
  NameTabs();
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int tab) {
    BuildTab(tab);
    context().document.RememberTab(tabbed_, static_cast<std::uint16_t>(tab));
  });
}

void GsmTabsWidget::BuildTab(int tab) {
  const auto index = static_cast<std::size_t>(tab);
  const auto* page = dynamic_cast<const CatalogPage*>(context().document.CurrentPage());
  if (index >= kTabs || built_[index] || page == nullptr) return;
  built_[index] = true;
  QWidget* host = tabs_->widget(tab);
  auto& column = *static_cast<QVBoxLayout*>(host->layout());
  QFormLayout* form = NewForm();
  column.addLayout(form);
  const std::size_t first = boundCount();
  switch (id_) {
    case PageId::GsmIncomingGroup:
      AddNamedRows(*this, *form, *page, "gsmInGroup", index,
                   {"mode", "waitDisa", "minExtension", "maxExtension", "prefix", "callbackPrefix", "callbackCut",
                    "ddiDigits", "outputLine"});
      AddNamedRows(*this, *form, *page, "gsmInGroupSecond", index, {"fraudProtectedCall"});
      AddNamedRows(*this, *form, *page, "gsmInGroup", index, {"extensions"});
      AddNamedRows(*this, *form, *page, "gsmInGroupSecond", index, {"extensionsSecond"});
      break;
    case PageId::GsmOutgoingGroup:
      AddNamedRows(*this, *form, *page, "gsmOutGroup", index, {"selection", "ddiDigits"});
      break;
    default:
      AddNamedRows(*this, *form, *page, "gsmModule", index,
                   {"disabled", "echoCancel", "roaming", "clir", "amr", "dtmfRetransmission", "volumeIsdn",
                    "volumeGsm"});
      AddNamedRows(*this, *form, *page, "gsmAssignment", index, {"inGroup", "outGroup", "secondOutGroup"});
      AddNamedRows(*this, *form, *page, "gsmModule", index, {"pin"});
      column.addWidget(NewCreditBlock(*this, *page, "gsmCredit" + std::to_string(index + 1), host));
      break;
  }
  if (id_ != PageId::GsmModules) {
    modules_[index] = new QLabel(host);
    modules_[index]->setObjectName(ToQString(std::string(KindOf(id_).tabsName) + "/modules" + std::to_string(index + 1)));
    form->addRow(new QLabel("strGsmGroupModules", host), modules_[index]);
  }
  column.addStretch();
  ShowAdded(*host, first);
  NameModules();
}

void GsmTabsWidget::AfterShow() {
  if (tabs_ == nullptr) return;
  const int remembered = context().document.RememberedTab(tabbed_);
  tabs_->setCurrentIndex(remembered < static_cast<int>(kTabs) ? remembered : 0);
  BuildTab(tabs_->currentIndex());
  NameModules();
}

void GsmTabsWidget::Relabel() {
  if (tabs_ == nullptr) return;
  CatalogPageWidget::Relabel();
  NameTabs();
  NameModules();
}

void GsmTabsWidget::NameTabs() {
  for (std::size_t tab = 0; tab < kTabs; ++tab) {
    tabs_->setTabText(static_cast<int>(tab), ToQString(context().language.GetString(tabKeys_[tab])));
  }
}

void GsmTabsWidget::NameModules() {
  const ConfigurationImage& image = context().document.WorkingImage();
  for (std::size_t group = 0; group < kTabs; ++group) {
    if (modules_[group] == nullptr) continue;
    const std::vector<std::size_t> modules = id_ == PageId::GsmIncomingGroup ? ModulesOfIncomingGroup(image, group)
                                                                              : ModulesOfOutgoingGroup(image, group);
    std::string names;
    for (std::size_t module : modules) names += context().language.GetString(kModuleKeys.at(module)) + "  ";
    modules_[group]->setText(ToQString(names));
  }
}

}  // namespace tusko::gui

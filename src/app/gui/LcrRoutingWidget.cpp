#include "app/gui/LcrRoutingWidget.h"

#include <algorithm>
#include <string>
#include <tuple>

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/gui/FieldEditor.h"
#include "app/gui/RoutingItemDialog.h"
#include "app/gui/UiText.h"
#include "app/language/LanguageManager.h"
#include "config/ConfigurationDocument.h"

namespace tusko::gui {
namespace {

constexpr int kColumns = 6;
constexpr std::size_t kTabTextMaxChars = 64;

QString Decimal(int value) { return QString::number(value); }

}  // namespace

LcrRoutingWidget::LcrRoutingWidget(const PageContext& context, QWidget* parent)
    : PageWidget(parent), context_(context), tabs_(new QTabWidget(this)) {
  tabs_->setObjectName("lcrRoutingTabs");
  auto* row = new QHBoxLayout(this);
  row->addWidget(tabs_, 1);
  auto* buttons = new QVBoxLayout;
  for (const auto& [key, name, action] : {std::tuple{"strListAdd", "lcrRouting/add", &LcrRoutingWidget::Add},
                                          std::tuple{"strListChange", "lcrRouting/edit", &LcrRoutingWidget::Edit},
                                          std::tuple{"strListDelete", "lcrRouting/delete", &LcrRoutingWidget::Delete}}) {
    auto* button = new QPushButton(key, this);
    button->setObjectName(name);
    connect(button, &QPushButton::clicked, this, action);
    buttons->addWidget(button);
  }
  buttons->addStretch();
  row->addLayout(buttons);
  connect(tabs_, &QTabWidget::currentChanged, this, &LcrRoutingWidget::ShowTab);
  TranslateWindow(*this, context_.language);
}

LcrRoutingPage* LcrRoutingWidget::Page() const { return dynamic_cast<LcrRoutingPage*>(context_.document.CurrentPage()); }

int LcrRoutingWidget::Profile() const {
  const int tab = tabs_->currentIndex();
  return tab >= 0 && tab < static_cast<int>(profiles_.size()) ? profiles_[static_cast<std::size_t>(tab)] : 0;
}

QTreeWidget* LcrRoutingWidget::List(int tab) const {
  QWidget* host = tabs_->widget(tab);
  return host == nullptr ? nullptr : host->findChild<QTreeWidget*>();
}

int LcrRoutingWidget::Selected() const {
  const QTreeWidget* list = List(tabs_->currentIndex());
  return list == nullptr ? -1 : list->indexOfTopLevelItem(list->currentItem());
}

// One empty tab per profile; a tab's list is made when the tab is first shown.
void LcrRoutingWidget::Show(const ConfigurationPage& model) {
  const auto* page = dynamic_cast<const LcrRoutingPage*>(&model);
  if (page == nullptr) return;
  {
    const QSignalBlocker quiet(tabs_);
    while (tabs_->count() > 0) delete tabs_->widget(0);
    profiles_ = page->Profiles();
    for (std::size_t tab = 0; tab < profiles_.size(); ++tab) {
      auto* host = new QWidget(tabs_);
      new QVBoxLayout(host);
      tabs_->addTab(host, {});
    }
    NameTabs();
    const auto remembered = std::ranges::find(profiles_, context_.document.RememberedTab(TabbedPage::LcrRouting));
    tabs_->setCurrentIndex(remembered == profiles_.end() ? 0 : static_cast<int>(remembered - profiles_.begin()));
  }
  ShowTab(tabs_->currentIndex());
}

void LcrRoutingWidget::ShowTab(int tab) {
  if (tab < 0 || tab >= static_cast<int>(profiles_.size())) return;
  context_.document.RememberTab(TabbedPage::LcrRouting, static_cast<std::uint16_t>(Profile()));
  if (List(tab) != nullptr) return;
  QWidget* host = tabs_->widget(tab);
  auto* list = new QTreeWidget(host);
  list->setObjectName(ToQString("lcrRouting/" + std::to_string(profiles_[static_cast<std::size_t>(tab)])));
  list->setColumnCount(kColumns);
  list->setRootIsDecorated(false);
  list->setUniformRowHeights(true);
  list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  connect(list, &QTreeWidget::itemDoubleClicked, this, &LcrRoutingWidget::Edit);
  host->layout()->addWidget(list);
  Fill(tab, -1);
}

void LcrRoutingWidget::FocusField(std::string_view field) { FocusNamed(*this, field); }

void LcrRoutingWidget::Relabel() {
  NameTabs();
  for (int tab = 0; tab < tabs_->count(); ++tab) {
    if (const QTreeWidget* list = List(tab)) Fill(tab, list->indexOfTopLevelItem(list->currentItem()));
  }
}

void LcrRoutingWidget::NameTabs() {
  const LanguageManager& language = context_.language;
  for (std::size_t tab = 0; tab < profiles_.size(); ++tab) {
    const int profile = profiles_[tab];
    const std::string name = profile == 0 ? language.GetString("strLcrRoutingDefaultProfile")
                                          : language.FormatString("strLcrRoutingProfile", {profile}, kTabTextMaxChars);
    tabs_->setTabText(static_cast<int>(tab), ToQString(name));
  }
}

// The six columns' titles are one text, split at '|'.
void LcrRoutingWidget::Fill(int tab, int selected) {
  QTreeWidget* list = List(tab);
  const LcrRoutingPage* page = Page();
  if (list == nullptr || page == nullptr) return;
  const LanguageManager& language = context_.language;
  const QSignalBlocker quiet(list);
  list->clear();
  list->setHeaderLabels(ToQString(language.GetString("strLcrRoutingHeader")).split('|').mid(0, kColumns));
  const TextLookup text = [&language](std::string_view key) { return language.GetString(key); };
  for (const RoutingRecord& record : page->Rules(profiles_[static_cast<std::size_t>(tab)])) {
    const RoutingItem item = ItemOf(record);
    new QTreeWidgetItem(list, {ToQString(text(item.line == 0 ? "strIsdnLink1" : "strIsdnLink2")),
                               ToQString(item.number), Decimal(item.cutDigits), ToQString(item.insertDigits),
                               ToQString(TargetsText(record, text)), Decimal(item.dialDigits)});
  }
  if (selected >= 0) list->setCurrentItem(list->topLevelItem(selected));
}

// A full table says so before the dialog opens, not after it was filled in.
void LcrRoutingWidget::Add() {
  const LcrRoutingPage* page = Page();
  if (page == nullptr) return;
  if (const PageApply room = page->CanAdd(); !room.ok) {
    ShowRefusal(*this, context_.messages, room);
    return;
  }
  OpenItem(NewRoutingRecord(Profile()), std::nullopt);
}

void LcrRoutingWidget::Edit() {
  const LcrRoutingPage* page = Page();
  const int selected = Selected();
  if (page == nullptr || selected < 0) return;
  const auto index = static_cast<std::size_t>(selected);
  OpenItem(page->Rules(Profile()).at(index), index);
}

void LcrRoutingWidget::Delete() {
  LcrRoutingPage* page = Page();
  const int selected = Selected();
  if (page == nullptr || selected < 0) return;
  page->Delete(Profile(), static_cast<std::size_t>(selected));
  Fill(tabs_->currentIndex(), -1);
}

// OK puts the rule into the page, which refuses it when the table is full.
void LcrRoutingWidget::OpenItem(const RoutingRecord& record, std::optional<std::size_t> edited) {
  LcrRoutingPage* page = Page();
  if (page == nullptr || tabs_->currentIndex() < 0) return;
  const int profile = Profile();
  RoutingItemDialog dialog(context_, record, page->Others(profile, edited),
                           [page, edited](const RoutingRecord& stored) { return page->Put(stored, edited); }, this);
  if (dialog.exec() != QDialog::Accepted) return;
  const std::vector<RoutingRecord>& rules = page->Rules(profile);
  const auto stored = std::ranges::find_if(rules, [&dialog](const RoutingRecord& rule) {
    return RecordLine(rule) == RecordLine(dialog.record()) && RecordNumber(rule) == RecordNumber(dialog.record());
  });
  Fill(tabs_->currentIndex(), stored == rules.end() ? -1 : static_cast<int>(stored - rules.begin()));
}

}  // namespace tusko::gui

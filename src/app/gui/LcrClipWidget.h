#pragma once

#include "app/gui/PageWidget.h"
#include "config/LcrClipPage.h"

class QLineEdit;
class QTreeWidget;

namespace tusko::gui {

// The LCR CLIP table: caller numbers with the routing profile each selects,
// ordered by profile and number, with Add, Change and Delete. Deleting a
// profile's last entry asks first when the profile has routing rules, which
// the page then removes at once.
class LcrClipWidget final : public PageWidget {
  Q_OBJECT

 public:
  explicit LcrClipWidget(const PageContext& context, QWidget* parent = nullptr);

  void Show(const ConfigurationPage& page) override;
  void Store(ConfigurationPage&) const override {}
  void FocusField(std::string_view field) override;
  void Relabel() override;

 private:
  LcrClipPage* Page() const;
  ClipEntry Typed() const;
  int Selected() const;
  void Add();
  void Change();
  void Delete();
  void Fill(int selected);
  void Took(const std::variant<std::size_t, PageApply>& result);

  PageContext context_;
  QLineEdit* number_;
  QLineEdit* profile_;
  QTreeWidget* list_;
};

}  // namespace tusko::gui

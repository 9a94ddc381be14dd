#pragma once

#include "app/gui/PageWidget.h"
#include "config/LcrClipPage.h"

class QLineEdit;

namespace tusko::gui {

class EntryList;

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
  void Add();
  void Change(std::size_t row);
  void Delete(std::size_t row);
  void Fill(int selected);

  PageContext context_;
  QLineEdit* number_;
  QLineEdit* profile_;
  EntryList* list_;
};

}  // namespace tusko::gui

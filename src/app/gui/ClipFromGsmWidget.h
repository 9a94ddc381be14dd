#pragma once

#include "app/gui/PageWidget.h"
#include "config/ClipFromGsmPage.h"

class QLineEdit;

namespace tusko::gui {

class EntryList;

// The CLIP from GSM numbers in text order with Add, Change and Delete; after
// each Add or Change the number box keeps the focus with its text selected,
// ready for the next number.
class ClipFromGsmWidget final : public PageWidget {
  Q_OBJECT

 public:
  explicit ClipFromGsmWidget(const PageContext& context, QWidget* parent = nullptr);

  void Show(const ConfigurationPage& page) override;
  void Store(ConfigurationPage&) const override {}
  void FocusField(std::string_view field) override;

 private:
  ClipFromGsmPage* Page() const;
  void Add();
  void Change(std::size_t row);
  void Delete(std::size_t row);
  void Took(const std::variant<std::size_t, PageApply>& result);
  void Fill(int selected);

  PageContext context_;
  QLineEdit* number_;
  EntryList* list_;
};

}  // namespace tusko::gui

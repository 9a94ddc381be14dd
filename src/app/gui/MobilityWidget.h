#pragma once

#include <array>

#include "app/gui/PageWidget.h"
#include "config/MobilityPage.h"

class QComboBox;
class QLineEdit;

namespace tusko::gui {

class EntryList;

// The mobility extensions: line, extension and up to three ring numbers, each
// with the time it rings, listed by line and extension with Add, Change and
// Delete.
class MobilityWidget final : public PageWidget {
  Q_OBJECT

 public:
  explicit MobilityWidget(const PageContext& context, QWidget* parent = nullptr);

  void Show(const ConfigurationPage& page) override;
  void Store(ConfigurationPage&) const override {}
  void FocusField(std::string_view field) override;
  void Relabel() override;

 private:
  MobilityPage* Page() const;
  std::array<RingNumber, MobilityPage::kRingCount> TypedRings() const;
  void ShowInBoxes(const MobilityEntry& entry);
  void Add();
  void Change(std::size_t row);
  void Delete(std::size_t row);
  void Fill(int selected);

  PageContext context_;
  QComboBox* line_;
  QLineEdit* extension_;
  std::array<QLineEdit*, MobilityPage::kRingCount> rings_{};
  std::array<QComboBox*, MobilityPage::kRingCount> conditions_{};
  EntryList* list_;
};

}  // namespace tusko::gui

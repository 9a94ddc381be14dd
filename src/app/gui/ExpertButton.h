#pragma once

#include "app/gui/FieldEditor.h"

class QPushButton;

namespace tusko::gui {

// A field edited in a small dialog of its own behind an "Expert" button: the
// dialog edits a copy, which OK takes and Cancel discards. The button carries
// the field's id, the dialog's editor too.
class ExpertButton final : public FieldEditor {
 public:
  ExpertButton(const catalog::FieldRef& ref, const EditorContext& context, QWidget* parent);

  QWidget* widget() const override;
  void Show(const catalog::FieldValue& value) override { value_ = value; }
  void Read(catalog::FieldValue& value) const override { value = value_; }

 private:
  void OpenDialog();

  EditorContext context_;
  QPushButton* button_;
  catalog::FieldValue value_;
};

}  // namespace tusko::gui

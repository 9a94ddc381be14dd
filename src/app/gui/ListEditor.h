#pragma once

#include <string>
#include <vector>

#include "app/gui/FieldEditor.h"
#include "config/ConfigurationPage.h"

class QLineEdit;
class QListWidget;
class QPushButton;

namespace tusko::gui {

// The buttons a list offers besides Add and Delete: Change, or Up and Down
// for a list whose order counts.
struct ListButtons {
  bool change = true;
  bool moves = false;  // Up and Down
};

// A list field's entries with an edit box and its buttons. Selecting an entry
// copies it into the box; a refused entry is shown under "strError" and the
// box gets the focus. The buttons are named after the list: "<id>/add" ...
class ListEditor final : public FieldEditor {
 public:
  ListEditor(const catalog::FieldRef& ref, const EditorContext& context, ListButtons buttons, QWidget* parent);

  QWidget* widget() const override { return box_; }
  void Show(const catalog::FieldValue& value) override;
  void Read(catalog::FieldValue& value) const override { value.items = entries_; }

 private:
  QPushButton* AddButton(const char* key, const char* name, void (ListEditor::*action)());
  void Add();
  void Change();
  void Delete();
  void Up() { Move(true); }
  void Down() { Move(false); }
  void Move(bool up);
  void Refuse(const PageApply& refusal);
  void Fill(int selected);
  int Selected() const;

  MessageService& messages_;
  std::vector<std::string> entries_;
  QWidget* box_;
  QListWidget* list_;
  QLineEdit* edit_;
};

}  // namespace tusko::gui

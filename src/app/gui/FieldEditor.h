#pragma once

#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include <QString>

#include "config/FieldCatalog.h"
#include "config/FieldValues.h"

class QComboBox;
class QLineEdit;
class QWidget;

namespace tusko {
class LanguageManager;
}

namespace tusko::gui {

class MessageService;

// What every editor of a catalog page is made with.
struct EditorContext {
  const LanguageManager& language;
  MessageService& messages;
};

// The editor of one catalog field: its widgets carry the field's id as their
// object name. Show puts a model value in; Read copies the editor's part of
// the value back onto `value`, leaving the parts it does not edit.
class FieldEditor {
 public:
  explicit FieldEditor(const catalog::FieldRef& ref) : ref_(ref) {}
  virtual ~FieldEditor() = default;
  FieldEditor(const FieldEditor&) = delete;
  FieldEditor& operator=(const FieldEditor&) = delete;

  const catalog::FieldRef& ref() const { return ref_; }
  // What a form lays out; owned by its parent widget.
  virtual QWidget* widget() const = 0;
  // True when the editor shows its own label (a check box, a group of buttons).
  virtual bool labelsItself() const { return false; }
  virtual void Show(const catalog::FieldValue& value) = 0;
  virtual void Read(catalog::FieldValue& value) const = 0;
  // Texts made from the language rather than kept keys, made again.
  virtual void Relabel(const LanguageManager&) {}

 private:
  catalog::FieldRef ref_;
};

// The editor of a field's kind, or null for kinds a page lays out itself
// (none, restore).
std::unique_ptr<FieldEditor> MakeFieldEditor(const catalog::FieldRef& ref, const EditorContext& context,
                                             QWidget* parent);

// A drop-down list of choices; a value that is no choice selects nothing. A
// field whose choices need their text offers only those the language names.
class ChoiceEditor final : public FieldEditor {
 public:
  ChoiceEditor(const catalog::FieldRef& ref, const LanguageManager& language, QWidget* parent);
  QWidget* widget() const override;
  void Show(const catalog::FieldValue& value) override;
  void Read(catalog::FieldValue& value) const override;
  void Relabel(const LanguageManager& language) override;
  // Other choices for the same field, keeping the selected index.
  void SetChoices(std::span<const catalog::Choice> choices, const LanguageManager& language);

 private:
  std::span<const catalog::Choice> all_;
  std::vector<catalog::Choice> choices_;
  QComboBox* list_;
};

// The text a choice shows.
QString ChoiceText(const catalog::Choice& choice, const LanguageManager& language);

// The field's range or characters, for its tooltip.
QString FieldHint(const catalog::Field& field, const LanguageManager& language);

// A text box held to the field's length and characters, its width to its length.
void FitToField(QLineEdit& edit, const catalog::Field& field, const LanguageManager& language);
// Wide enough for `chars` characters (up to a limit), no wider.
void FitToChars(QWidget& edit, int chars);

// Focuses the named widget below `parent`, showing the tab it lies on, and
// selects its text. False when there is none.
bool FocusNamed(QWidget& parent, std::string_view name);

}  // namespace tusko::gui

#include "app/gui/FieldEditor.h"

#include <algorithm>

#include <QAbstractSpinBox>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStackedWidget>
#include <QTabWidget>

#include "app/gui/ListEditor.h"
#include "app/gui/PortBox.h"
#include "app/gui/UiText.h"
#include "app/language/LanguageManager.h"
#include "config/CatalogPage.h"
#include "config/FieldChecks.h"

namespace tusko::gui {
namespace {

using catalog::Editor;
using catalog::FieldRef;
using catalog::FieldValue;

constexpr int kIpAddressChars = 15;
constexpr int kWidestTextChars = 48;
constexpr int kMultiLineRows = 4;
constexpr int kEditFrameWidth = 16;
constexpr std::size_t kHintMaxChars = 200;

QString IdOf(const FieldRef& ref) { return ToQString(ref.Id()); }

QLineEdit* NewLineEdit(const FieldRef& ref, const LanguageManager& language, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(IdOf(ref));
  FitToField(*edit, *ref.field, language);
  return edit;
}

class TextEditor final : public FieldEditor {
 public:
  TextEditor(const FieldRef& ref, const LanguageManager& language, QWidget* parent)
      : FieldEditor(ref), edit_(NewLineEdit(ref, language, parent)) {
    if (ref.field->editor == Editor::Password) edit_->setEchoMode(QLineEdit::Password);
    // An address is kept as typed: the page's apply refuses a wrong one by name.
    if (ref.field->editor == Editor::IpAddress) FitToChars(*edit_, kIpAddressChars);
    if (ref.field->encoding == catalog::Encoding::DelayAlerting) {
      QObject::connect(edit_, &QLineEdit::editingFinished, edit_, [edit = edit_] {
        edit->setText(ToQString(catalog::NormalisedDelayAlerting(ToStdString(edit->text()))));
      });
    }
  }
  QWidget* widget() const override { return edit_; }
  void Show(const FieldValue& value) override { edit_->setText(ToQString(value.text)); }
  void Read(FieldValue& value) const override { value.text = ToStdString(edit_->text()); }

 private:
  QLineEdit* edit_;
};

class MultiLineEditor final : public FieldEditor {
 public:
  MultiLineEditor(const FieldRef& ref, const LanguageManager& language, QWidget* parent)
      : FieldEditor(ref), edit_(new QPlainTextEdit(parent)) {
    edit_->setObjectName(IdOf(ref));
    edit_->setToolTip(FieldHint(*ref.field, language));
    FitToChars(*edit_, kWidestTextChars);
    edit_->setFixedHeight(edit_->fontMetrics().lineSpacing() * kMultiLineRows + kEditFrameWidth);
    const auto maxChars = static_cast<qsizetype>(ref.field->maxChars);
    QObject::connect(edit_, &QPlainTextEdit::textChanged, edit_, [edit = edit_, maxChars] {
      const QString text = edit->toPlainText();
      if (text.size() <= maxChars) return;
      edit->setPlainText(text.left(maxChars));
      edit->moveCursor(QTextCursor::End);
    });
  }
  QWidget* widget() const override { return edit_; }
  void Show(const FieldValue& value) override { edit_->setPlainText(ToQString(value.text)); }
  void Read(FieldValue& value) const override { value.text = ToStdString(edit_->toPlainText()); }

 private:
  QPlainTextEdit* edit_;
};

class NumberEditor final : public FieldEditor {
 public:
  NumberEditor(const FieldRef& ref, const LanguageManager& language, QWidget* parent)
      : FieldEditor(ref), box_(NewNumberBox(*ref.field, parent)) {
    box_->setObjectName(IdOf(ref));
    box_->setToolTip(FieldHint(*ref.field, language));
  }
  QWidget* widget() const override { return box_; }
  void Show(const FieldValue& value) override { box_->setValue(static_cast<int>(value.number)); }
  void Read(FieldValue& value) const override { value.number = box_->value(); }

 private:
  // A port's box may be left empty, which the page's apply refuses by name.
  static QSpinBox* NewNumberBox(const catalog::Field& field, QWidget* parent) {
    if (field.encoding == catalog::Encoding::PortDigits) return new PortBox(parent);
    auto* box = new QSpinBox(parent);
    box->setRange(static_cast<int>(field.min), static_cast<int>(field.max));
    return box;
  }

  QSpinBox* box_;
};

class CheckEditor final : public FieldEditor {
 public:
  CheckEditor(const FieldRef& ref, QWidget* parent)
      : FieldEditor(ref), box_(new QCheckBox(ToQString(ref.field->labelKey), parent)) {
    box_->setObjectName(IdOf(ref));
  }
  QWidget* widget() const override { return box_; }
  bool labelsItself() const override { return true; }
  void Show(const FieldValue& value) override { box_->setChecked(value.number != 0); }
  void Read(FieldValue& value) const override { value.number = box_->isChecked() ? 1 : 0; }

 private:
  QCheckBox* box_;
};

// A row of buttons; a value that is no choice selects the first.
class RadioEditor final : public FieldEditor {
 public:
  RadioEditor(const FieldRef& ref, QWidget* parent) : FieldEditor(ref), box_(new QWidget(parent)), buttons_(box_) {
    box_->setObjectName(IdOf(ref));
    auto* row = new QHBoxLayout(box_);
    row->setContentsMargins(0, 0, 0, 0);
    const auto& choices = ref.field->choices;
    for (std::size_t i = 0; i < choices.size(); ++i) {
      auto* button = new QRadioButton(ToQString(choices[i].labelKey), box_);
      button->setObjectName(IdOf(ref) + "/" + QString::number(i));
      buttons_.addButton(button, static_cast<int>(i));
      row->addWidget(button);
    }
    row->addStretch();
  }
  QWidget* widget() const override { return box_; }
  void Show(const FieldValue& value) override {
    const auto& choices = ref().field->choices;
    const auto found = std::ranges::find(choices, value.number, &catalog::Choice::stored);
    buttons_.button(found == choices.end() ? 0 : static_cast<int>(found - choices.begin()))->setChecked(true);
  }
  void Read(FieldValue& value) const override {
    if (const int checked = buttons_.checkedId(); checked >= 0) {
      value.number = ref().field->choices[static_cast<std::size_t>(checked)].stored;
    }
  }

 private:
  QWidget* box_;
  QButtonGroup buttons_;
};

class ServerEditor final : public FieldEditor {
 public:
  ServerEditor(const FieldRef& ref, const LanguageManager& language, QWidget* parent)
      : FieldEditor(ref), box_(new QWidget(parent)) {
    auto* row = new QHBoxLayout(box_);
    row->setContentsMargins(0, 0, 0, 0);
    address_ = NewLineEdit(ref, language, box_);
    port_ = new PortBox(box_);
    port_->setObjectName(ToQString(PortBoxFocus(ref)));
    port_->setToolTip(FieldHint({.editor = Editor::Number, .min = 1, .max = port_->maximum()}, language));
    row->addWidget(address_);
    row->addWidget(new QLabel("strServerPort", box_));
    row->addWidget(port_);
    row->addStretch();
  }
  QWidget* widget() const override { return box_; }
  void Show(const FieldValue& value) override {
    address_->setText(ToQString(value.text));
    port_->setValue(static_cast<int>(value.number));
  }
  void Read(FieldValue& value) const override {
    value.text = ToStdString(address_->text());
    value.number = port_->value();
  }

 private:
  QWidget* box_;
  QLineEdit* address_ = nullptr;
  QSpinBox* port_ = nullptr;
};

}  // namespace

void FitToChars(QWidget& edit, int chars) {
  const int shown = std::clamp(chars, 2, kWidestTextChars);
  edit.setFixedWidth(edit.fontMetrics().averageCharWidth() * shown + kEditFrameWidth);
}

void FitToField(QLineEdit& edit, const catalog::Field& field, const LanguageManager& language) {
  if (field.maxChars > 0) edit.setMaxLength(static_cast<int>(field.maxChars));
  if (!field.charset.empty()) {
    const QString allowed = QRegularExpression::escape(ToQString(field.charset));
    edit.setValidator(new QRegularExpressionValidator(QRegularExpression("[" + allowed + "]*"), &edit));
  }
  edit.setToolTip(FieldHint(field, language));
  FitToChars(edit, static_cast<int>(field.maxChars));
}

QString ChoiceText(const catalog::Choice& choice, const LanguageManager& language) {
  return ToQString(choice.literal ? std::string(choice.labelKey) : language.GetString(choice.labelKey));
}

QString FieldHint(const catalog::Field& field, const LanguageManager& language) {
  if (field.editor == Editor::Number) {
    return ToQString(language.FormatString("strDataValueOutOfRange",
                                           {std::to_string(field.min), std::to_string(field.max)}, kHintMaxChars));
  }
  QString hint;
  if (field.maxChars > 0) {
    hint = ToQString(language.FormatString("strDataTextTooLong", {std::to_string(field.maxChars)}, kHintMaxChars));
  }
  if (!field.charset.empty()) {
    if (!hint.isEmpty()) hint += '\n';
    hint += ToQString(language.FormatString("strDataTextCharacters", {std::string(field.charset)}, kHintMaxChars));
  }
  return hint;
}

ChoiceEditor::ChoiceEditor(const FieldRef& ref, const LanguageManager& language, QWidget* parent)
    : FieldEditor(ref), list_(new QComboBox(parent)) {
  list_->setObjectName(IdOf(ref));
  list_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  SetChoices(ref.field->choices, language);
}

QWidget* ChoiceEditor::widget() const { return list_; }

void ChoiceEditor::Show(const FieldValue& value) {
  const auto found = std::ranges::find(choices_, value.number, &catalog::Choice::stored);
  list_->setCurrentIndex(found == choices_.end() ? -1 : static_cast<int>(found - choices_.begin()));
}

void ChoiceEditor::Read(FieldValue& value) const {
  if (const int index = list_->currentIndex(); index >= 0) value.number = choices_[static_cast<std::size_t>(index)].stored;
}

void ChoiceEditor::Relabel(const LanguageManager& language) { SetChoices(all_, language); }

void ChoiceEditor::SetChoices(std::span<const catalog::Choice> choices, const LanguageManager& language) {
  const int selected = list_->currentIndex();
  all_ = choices;
  choices_.clear();
  list_->clear();
  for (const catalog::Choice& choice : all_) {
    const QString text = ChoiceText(choice, language);
    if (ref().field->choicesNeedText && text.isEmpty()) continue;
    choices_.push_back(choice);
    list_->addItem(text);
  }
  list_->setCurrentIndex(selected < list_->count() ? selected : -1);
}

std::unique_ptr<FieldEditor> MakeFieldEditor(const FieldRef& ref, const EditorContext& context, QWidget* parent) {
  switch (ref.field->editor) {
    case Editor::Text:
    case Editor::Password:
    case Editor::IpAddress: return std::make_unique<TextEditor>(ref, context.language, parent);
    case Editor::MultiLine: return std::make_unique<MultiLineEditor>(ref, context.language, parent);
    case Editor::Number: return std::make_unique<NumberEditor>(ref, context.language, parent);
    case Editor::Check: return std::make_unique<CheckEditor>(ref, parent);
    case Editor::Choice: return std::make_unique<ChoiceEditor>(ref, context.language, parent);
    case Editor::Radio: return std::make_unique<RadioEditor>(ref, parent);
    case Editor::Server: return std::make_unique<ServerEditor>(ref, context.language, parent);
    case Editor::List: {
      const bool moves = ref.field->movableEntries;
      return std::make_unique<ListEditor>(ref, context, ListButtons{.change = !moves, .moves = moves}, parent);
    }
    case Editor::None:
    case Editor::Restore: return nullptr;
  }
  return nullptr;
}

bool FocusNamed(QWidget& parent, std::string_view name) {
  auto* target = parent.findChild<QWidget*>(ToQString(name));
  if (target == nullptr) return false;
  // A tab page lies in the tab widget's stack.
  for (QWidget* page = target; page != nullptr && page != &parent; page = page->parentWidget()) {
    auto* stack = qobject_cast<QStackedWidget*>(page->parentWidget());
    if (auto* tabs = stack == nullptr ? nullptr : qobject_cast<QTabWidget*>(stack->parentWidget())) {
      tabs->setCurrentWidget(page);
    }
  }
  for (auto* button : target->findChildren<QRadioButton*>()) {
    if (button->isChecked()) target = button;
  }
  target->setFocus(Qt::OtherFocusReason);
  if (auto* edit = qobject_cast<QLineEdit*>(target)) edit->selectAll();
  if (auto* box = qobject_cast<QAbstractSpinBox*>(target)) box->selectAll();
  return true;
}

}  // namespace tusko::gui

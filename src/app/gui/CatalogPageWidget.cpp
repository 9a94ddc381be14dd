#include "app/gui/CatalogPageWidget.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/gui/ExpertButton.h"
#include "app/gui/UiText.h"
#include "config/ConfigurationDocument.h"

namespace tusko::gui {

CatalogPageWidget::CatalogPageWidget(const PageContext& context, QWidget* parent)
    : PageWidget(parent), context_(context) {
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  auto* scroll = new QScrollArea(this);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  auto* inner = new QWidget(scroll);
  body_ = new QVBoxLayout(inner);
  scroll->setWidget(inner);
  outer->addWidget(scroll);
}

CatalogPageWidget::~CatalogPageWidget() = default;

FieldEditor* CatalogPageWidget::Bind(std::size_t index, std::unique_ptr<FieldEditor> editor) {
  if (!editor) return nullptr;
  bound_.push_back({.index = index, .editor = std::move(editor), .shown = {}, .label = nullptr});
  return bound_.back().editor.get();
}

FieldEditor* CatalogPageWidget::AddEditor(const CatalogPage& page, std::size_t index, QWidget* parent) {
  return Bind(index, MakeFieldEditor(page.fields()[index], {context_.language, context_.messages}, parent));
}

void CatalogPageWidget::AddRows(QFormLayout& form, const CatalogPage& page,
                                const std::function<bool(const catalog::FieldRef&)>& take) {
  QWidget* parent = form.parentWidget();
  for (std::size_t i = 0; i < page.fields().size(); ++i) {
    const catalog::FieldRef& ref = page.fields()[i];
    if (page.hidden(i) || !take(ref)) continue;
    FieldEditor* editor = ref.field->expert
                              ? Bind(i, std::make_unique<ExpertButton>(ref, EditorContext{context_.language,
                                                                                          context_.messages},
                                                                       parent))
                              : AddEditor(page, i, parent);
    if (editor == nullptr) continue;
    // A row is as high as its editor: the page's spare height stays below the form.
    QSizePolicy policy = editor->widget()->sizePolicy();
    policy.setVerticalPolicy(QSizePolicy::Fixed);
    editor->widget()->setSizePolicy(policy);
    if (editor->labelsItself() || ref.field->expert || ref.field->labelKey.empty()) {
      form.addRow(editor->widget());
      continue;
    }
    auto* label = new QLabel(ToQString(ref.field->labelKey), parent);
    label->setBuddy(editor->widget());
    form.addRow(label, editor->widget());
    bound_.back().label = label;
  }
}

void CatalogPageWidget::Build(const CatalogPage& page) {
  auto* form = new QFormLayout;
  body_->addLayout(form);
  form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
  AddRows(*form, page, [](const catalog::FieldRef&) { return true; });
  body_->addStretch();
}

FieldEditor* CatalogPageWidget::EditorOf(std::string_view id) const {
  for (const Bound& bound : bound_) {
    if (bound.editor->ref().Id() == id) return bound.editor.get();
  }
  return nullptr;
}

std::optional<std::size_t> CatalogPageWidget::BoundOf(std::size_t instance, std::string_view name,
                                                     const catalog::Group* group) const {
  std::optional<std::size_t> found;
  for (std::size_t i = 0; i < bound_.size(); ++i) {
    const catalog::FieldRef& ref = bound_[i].editor->ref();
    if (ref.instance != instance || ref.field->name != name) continue;
    if (ref.group == group) return i;
    if (!found) found = i;
  }
  return found;
}

// The enabling and excluding fields of the editors bound from `firstBound`
// on; a field of the same group comes first, else one of the same record
// number in another group (the incoming group's second record).
void CatalogPageWidget::Link(std::size_t firstBound) {
  for (std::size_t i = firstBound; i < bound_.size(); ++i) {
    const catalog::FieldRef& ref = bound_[i].editor->ref();
    if (!ref.field->enabledBy.empty()) {
      if (const auto controller = BoundOf(ref.instance, ref.field->enabledBy, ref.group)) {
        enabling_.push_back({*controller, i});
        QWidget* widget = bound_[*controller].editor->widget();
        if (auto* check = qobject_cast<QAbstractButton*>(widget)) {
          connect(check, &QAbstractButton::toggled, this, &CatalogPageWidget::UpdateEnabled);
        } else if (auto* list = qobject_cast<QComboBox*>(widget)) {
          connect(list, &QComboBox::currentIndexChanged, this, &CatalogPageWidget::UpdateEnabled);
        }
      }
    }
    if (!ref.field->excludes.empty()) {
      const auto other = BoundOf(ref.instance, ref.field->excludes, ref.group);
      auto* check = qobject_cast<QAbstractButton*>(bound_[i].editor->widget());
      auto* excluded = other ? qobject_cast<QAbstractButton*>(bound_[*other].editor->widget()) : nullptr;
      if (check != nullptr && excluded != nullptr) {
        connect(check, &QAbstractButton::toggled, excluded, [excluded](bool on) {
          if (on) excluded->setChecked(false);
        });
      }
    }
  }
}

void CatalogPageWidget::UpdateEnabled() {
  for (const Enabling& link : enabling_) {
    const Bound& controller = bound_[link.controller];
    catalog::FieldValue value = controller.shown;
    controller.editor->Read(value);
    const bool enabled = value.number == bound_[link.bound].editor->ref().field->enabledValue;
    const Bound& bound = bound_[link.bound];
    bound.editor->widget()->setEnabled(enabled);
    if (bound.label != nullptr) bound.label->setEnabled(enabled);
  }
}

void CatalogPageWidget::ShowBound(Bound& bound, const CatalogPage& page) {
  {
    // Showing two excluding bits both set keeps them: only the user's click unchecks the other.
    auto* check = qobject_cast<QAbstractButton*>(bound.editor->widget());
    const QSignalBlocker quiet(check != nullptr && !bound.editor->ref().field->excludes.empty() ? check : nullptr);
    bound.editor->Show(page.value(bound.index));
  }
  // What the editor holds now, which may differ from the model where the
  // editor cannot show the value: only a change from this is stored.
  bound.shown = page.value(bound.index);
  bound.editor->Read(bound.shown);
}

void CatalogPageWidget::Show(const ConfigurationPage& model) {
  const auto* page = dynamic_cast<const CatalogPage*>(&model);
  if (page == nullptr) return;
  if (!built_) {
    built_ = true;
    Build(*page);
    Link(0);
    TranslateWindow(*this, context_.language);
  }
  for (Bound& bound : bound_) ShowBound(bound, *page);
  UpdateEnabled();
  AfterShow();
}

void CatalogPageWidget::ShowAdded(QWidget& built, std::size_t firstBound) {
  TranslateWindow(built, context_.language);
  Link(firstBound);
  if (const auto* page = dynamic_cast<const CatalogPage*>(context_.document.CurrentPage())) {
    for (std::size_t i = firstBound; i < bound_.size(); ++i) ShowBound(bound_[i], *page);
  }
  UpdateEnabled();
}

void CatalogPageWidget::Store(ConfigurationPage& model) const {
  auto* page = dynamic_cast<CatalogPage*>(&model);
  if (page == nullptr) return;
  for (const Bound& bound : bound_) {
    catalog::FieldValue value = bound.shown;
    bound.editor->Read(value);
    if (value != bound.shown) page->SetValue(bound.index, std::move(value));
  }
}

void CatalogPageWidget::FocusField(std::string_view field) { FocusNamed(*this, field); }

void CatalogPageWidget::Relabel() {
  for (Bound& bound : bound_) bound.editor->Relabel(context_.language);
}

}  // namespace tusko::gui

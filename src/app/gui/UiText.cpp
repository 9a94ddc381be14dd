#include "app/gui/UiText.h"

#include <algorithm>

#include <QAbstractButton>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

#include "app/language/LanguageManager.h"

namespace tusko::gui {

namespace {

// Where a widget keeps the key its text came from.
constexpr const char* kKeyProperty = "tuskoLanguageKey";
constexpr const char* kCaptionKeyProperty = "tuskoCaptionKey";
const QString kKeyPrefix = QStringLiteral("str");

// The text a widget shows, for the kinds of widget that show one.
QString WidgetText(const QWidget& widget) {
  if (const auto* label = qobject_cast<const QLabel*>(&widget)) return label->text();
  if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) return button->text();
  if (const auto* group = qobject_cast<const QGroupBox*>(&widget)) return group->title();
  return {};
}

void SetWidgetText(QWidget& widget, const QString& text) {
  if (auto* label = qobject_cast<QLabel*>(&widget)) {
    label->setText(text);
  } else if (auto* button = qobject_cast<QAbstractButton*>(&widget)) {
    button->setText(text);
  } else if (auto* group = qobject_cast<QGroupBox*>(&widget)) {
    group->setTitle(text);
  }
}

QString KeptKey(const QWidget& widget, const char* property) { return widget.property(property).toString(); }

// Window captions keep the two characters "\n"; control texts get the line break.
// What a title bar takes besides its text: the window icon and the close,
// minimise and maximise buttons.
constexpr int kTitleBarButtonsWidth = 120;

void ApplyCaption(QWidget& window, const QString& key, const LanguageManager& language) {
  const QString title = ToQString(language.GetCaptionString(ToStdString(key)));
  window.setWindowTitle(title);
  // A dialog is at least as wide as its title, beside the title bar's icon and buttons.
  if (qobject_cast<QDialog*>(&window) != nullptr) {
    window.setMinimumWidth(
        std::max(window.minimumWidth(), window.fontMetrics().horizontalAdvance(title) + kTitleBarButtonsWidth));
  }
}

void ApplyText(QWidget& widget, const QString& key, const LanguageManager& language) {
  SetWidgetText(widget, ToQString(language.GetString(ToStdString(key))));
}

}  // namespace

QString ToQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

std::string ToStdString(const QString& text) { return text.toStdString(); }

bool IsTextKey(const QString& text) { return text.startsWith(kKeyPrefix); }

bool IsCaptionKey(const QString& text) {
  return IsTextKey(text) && text.size() > kKeyPrefix.size() && text.at(kKeyPrefix.size()).isUpper();
}

void TranslateWindow(QWidget& window, const LanguageManager& language) {
  if (language.IsDisabled()) return;
  const QString title = window.windowTitle();
  if (IsCaptionKey(title)) {
    window.setProperty(kCaptionKeyProperty, title);
    ApplyCaption(window, title, language);
  }
  for (QWidget* child : window.findChildren<QWidget*>()) {
    const QString text = WidgetText(*child);
    if (!IsTextKey(text)) continue;
    child->setProperty(kKeyProperty, text);
    ApplyText(*child, text, language);
  }
}

void RetranslateWindow(QWidget& window, const LanguageManager& language) {
  if (language.IsDisabled()) return;
  if (const QString key = KeptKey(window, kCaptionKeyProperty); !key.isEmpty()) ApplyCaption(window, key, language);
  for (QWidget* child : window.findChildren<QWidget*>()) {
    if (const QString key = KeptKey(*child, kKeyProperty); !key.isEmpty()) ApplyText(*child, key, language);
  }
}

void SetKeyedText(QWidget& widget, std::string_view key, const LanguageManager& language) {
  widget.setProperty(kKeyProperty, ToQString(key));
  ApplyText(widget, ToQString(key), language);
}

}  // namespace tusko::gui

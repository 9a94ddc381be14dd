#pragma once

#include <memory>
#include <string_view>

#include <QWidget>

#include "config/ConfigurationPage.h"

namespace tusko {
class ConfigurationDocument;
class LanguageManager;
}

namespace tusko::gui {

class MessageService;
class OnlineCellSource;

// The window side of one configuration page: it shows the page model's fields
// and copies what the user typed back into them. The model checks and writes
// the image; the widget holds no rule of its own.
class PageWidget : public QWidget {
  Q_OBJECT

 public:
  using QWidget::QWidget;

  virtual void Show(const ConfigurationPage& page) = 0;
  virtual void Store(ConfigurationPage& page) const = 0;
  // Puts the focus on the field a failed apply names.
  virtual void FocusField(std::string_view field) = 0;
  // After a language change, the texts a page makes from the language itself.
  virtual void Relabel() {}
};

// What page widgets are made with; the document keeps a tabbed page's last tab.
struct PageContext {
  const LanguageManager& language;
  MessageService& messages;
  ConfigurationDocument& document;
  // The gateway's online cells; null where no gateway can be asked.
  OnlineCellSource* cells = nullptr;
};

// Shows a page's refusal of an edit under "strError" (or "strWarning") and
// puts the focus on the field it names below `page`, its text selected.
void ShowRefusal(QWidget& page, MessageService& messages, const PageApply& refusal);

// The widget of a page, or null for a node without one.
std::unique_ptr<PageWidget> MakePageWidget(PageId id, const PageContext& context);

}  // namespace tusko::gui

#include "app/gui/MessageService.h"

#include <QMessageBox>
#include <QPushButton>

#include <vector>

#include "app/gui/UiText.h"
#include "app/language/LanguageManager.h"

namespace tusko::gui {

namespace {

constexpr unsigned kButtonsMask = 0x0F;
constexpr unsigned kIconMask = 0xF0;

QMessageBox::Icon IconOf(unsigned style) {
  switch (style & kIconMask) {
    case kStyleError: return QMessageBox::Critical;
    case kStyleQuestionIcon: return QMessageBox::Question;
    case kStyleWarning: return QMessageBox::Warning;
    case kStyleInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

struct BoxButton {
  QMessageBox::ButtonRole role;
  int result;
  const char* fixedText;  // for the fixed English boxes, when no language is loaded
};

std::vector<BoxButton> ButtonsOf(unsigned style) {
  switch (style & kButtonsMask) {
    case kStyleYesNoCancel:
      return {{QMessageBox::YesRole, kResultYes, "Yes"},
              {QMessageBox::NoRole, kResultNo, "No"},
              {QMessageBox::RejectRole, kResultCancel, "Cancel"}};
    case kStyleYesNo: return {{QMessageBox::YesRole, kResultYes, "Yes"}, {QMessageBox::NoRole, kResultNo, "No"}};
    default: return {{QMessageBox::AcceptRole, kResultOk, "OK"}};
  }
}

}  // namespace

int MessageService::Show(std::string_view textKey, std::optional<std::string_view> captionKey, unsigned style,
                         std::initializer_list<FormatArg> args) {
  return Show(textKey, captionKey, style, std::span<const FormatArg>(args.begin(), args.size()));
}

int MessageService::Show(std::string_view textKey, std::optional<std::string_view> captionKey, unsigned style,
                         std::span<const FormatArg> args) {
  const auto message = language_.FormattedMessage(textKey, captionKey, style, args);
  if (!message) return kResultNoBox;
  return presenter_->Present(owner_, MessageRequest{std::string(textKey), std::string(captionKey.value_or("")), *message});
}

int MessageService::ShowReady(const std::string& caption, const std::string& text, unsigned style) {
  if (language_.IsDisabled()) return kResultNoBox;
  return presenter_->Present(owner_, MessageRequest{{}, {}, LanguageMessage{text, caption, style | kStyleSetForeground}});
}

int MessageService::ShowFixed(const std::string& caption, const std::string& text, unsigned style) {
  return presenter_->Present(owner_, MessageRequest{{}, {}, LanguageMessage{text, caption, style | kStyleSetForeground}});
}

int QtMessagePresenter::Present(QWidget* owner, const MessageRequest& request) {
  const LanguageMessage& message = request.message;
  QMessageBox box(IconOf(message.style), ToQString(message.caption), ToQString(message.text), QMessageBox::NoButton, owner);
  const std::vector<BoxButton> buttons = ButtonsOf(message.style);
  std::vector<QPushButton*> made;
  for (const BoxButton& button : buttons) {
    const std::string text = language_.GetButtonText(button.result);
    made.push_back(box.addButton(text.empty() ? QString(button.fixedText) : ToQString(text), button.role));
  }
  const std::size_t defaultIndex = (message.style & kStyleDefaultSecondButton) != 0 && made.size() > 1 ? 1 : 0;
  box.setDefaultButton(made[defaultIndex]);
  box.setEscapeButton(made.back());
  box.exec();
  for (std::size_t i = 0; i < made.size(); ++i) {
    if (box.clickedButton() == made[i]) return buttons[i].result;
  }
  return buttons.back().result;
}

}  // namespace tusko::gui

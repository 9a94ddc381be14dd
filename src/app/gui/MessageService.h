#pragma once

#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "app/language/LanguageMessage.h"
#include "base/SafeFormat.h"

class QWidget;

namespace tusko {
class LanguageManager;
}

namespace tusko::gui {

// One message box as the program asks for it: the keys it named and the texts
// the language gave them.
struct MessageRequest {
  std::string textKey;     // empty for a box whose text came ready-made (the link's errors)
  std::string captionKey;  // empty when the caption is the program's name
  LanguageMessage message;
};

// Puts a message box on the screen and returns the button the user chose
// (kResultOk, kResultCancel, kResultYes, kResultNo). Tests put a presenter
// that records the box and answers from a script in its place.
class MessagePresenter {
 public:
  virtual ~MessagePresenter() = default;
  virtual int Present(QWidget* owner, const MessageRequest& request) = 0;
};

// The program's only way to a message box: by language keys, so that every
// text comes from the language file and tests can answer each box by its key.
class MessageService {
 public:
  MessageService(const LanguageManager& language, MessagePresenter& presenter)
      : language_(language), presenter_(&presenter) {}

  // The owner of every box from now on (the main window once it exists).
  void SetOwner(QWidget* owner) { owner_ = owner; }

  // kResultNoBox while the language is disabled.
  int Show(std::string_view textKey, std::optional<std::string_view> captionKey, unsigned style,
           std::initializer_list<FormatArg> args = {});
  int Show(std::string_view textKey, std::optional<std::string_view> captionKey, unsigned style,
           std::span<const FormatArg> args);
  // A box whose texts were looked up and formatted by the core already.
  int ShowReady(const std::string& caption, const std::string& text, unsigned style);
  // The fixed English boxes of a language that fails to load: shown even
  // while the language is disabled.
  int ShowFixed(const std::string& caption, const std::string& text, unsigned style);

 private:
  const LanguageManager& language_;
  MessagePresenter* presenter_;
  QWidget* owner_ = nullptr;
};

// The real boxes: QMessageBox with the language's button texts.
class QtMessagePresenter final : public MessagePresenter {
 public:
  explicit QtMessagePresenter(const LanguageManager& language) : language_(language) {}
  int Present(QWidget* owner, const MessageRequest& request) override;

 private:
  const LanguageManager& language_;
};

}  // namespace tusko::gui

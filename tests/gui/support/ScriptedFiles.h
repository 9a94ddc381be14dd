#pragma once

#include <deque>
#include <optional>
#include <vector>

#include "app/gui/FileDialogs.h"

namespace tusko::gui::test {

// Stands in for the file dialogs: records every question and answers from a
// script; with nothing scripted the user cancels.
class ScriptedFiles final : public FileDialogPresenter {
 public:
  std::optional<FileAnswer> Ask(QWidget*, const FileQuestion& question) override {
    asked_.push_back(question);
    if (answers_.empty()) return std::nullopt;
    auto answer = answers_.front();
    answers_.pop_front();
    return answer;
  }

  void Answer(FileAnswer answer) { answers_.push_back(std::move(answer)); }
  const std::vector<FileQuestion>& asked() const { return asked_; }

 private:
  std::deque<std::optional<FileAnswer>> answers_;
  std::vector<FileQuestion> asked_;
};

}  // namespace tusko::gui::test

#pragma once

#include <ostream>
#include <string>

#include "app/session/CommandPrompts.h"
#include "cli/CliLanguage.h"
#include "cli/CliOptions.h"

namespace tusko::cli {

// A device command's message in the language, its arguments filled in.
std::string MessageText(const CommandMessage& message, const CliLanguage& language);

// The device commands' questions at the terminal: --yes answers the
// confirmations and --force the version question beforehand; everything told
// goes to the error stream.
class CliPrompts final : public CommandPrompts {
 public:
  CliPrompts(const CliOptions& options, const CliLanguage& language, std::ostream& err)
      : options_(options), language_(language), err_(err) {}

  Answer Ask(const CommandMessage& question) override;
  void Tell(const CommandMessage& message) override;

 private:
  const CliOptions& options_;
  const CliLanguage& language_;
  std::ostream& err_;
};

}  // namespace tusko::cli

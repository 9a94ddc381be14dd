#pragma once

#include <optional>
#include <string_view>

#include "app/session/CommandPrompts.h"

namespace tusko {

enum class ConfigTransferKind { Read, Write };

// The version question when the gateway's firmware version and the program's
// do not agree (a text that names no version agrees with nothing); none when
// they agree.
std::optional<Answer> AskVersionQuestion(std::string_view firmwareVersion, CommandPrompts& prompts);

// The questions of Read and Write configuration once the gateway's firmware
// version is known. Versions that differ ask the version question, whose yes
// from the user stands for a write's confirmation too; agreeing versions, or a
// differing one accepted beforehand, ask a write's confirmation and let a read
// go on. True to start the transfer.
bool ConfirmConfigTransfer(ConfigTransferKind transfer, std::string_view firmwareVersion, CommandPrompts& prompts);

}  // namespace tusko

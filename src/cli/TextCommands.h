#pragma once

#include "cli/CliCommand.h"

namespace tusko::cli {

// `export CONFIG [--format text|json] [-o FILE]`: every field of a
// configuration file as text, to the terminal or into FILE.
int RunExport(const CommandContext& context);
// `import TEXT CONFIG`: a configuration file built from a configuration text.
int RunImport(const CommandContext& context);
// `get CONFIG ID...`: the fields' lines.
int RunGet(const CommandContext& context);
// `set CONFIG ID=VALUE...`: changes fields through the pages' checks and saves.
int RunSet(const CommandContext& context);
// `diff A B`: the fields that differ; A and B are files or the word "gateway".
int RunDiff(const CommandContext& context);

}  // namespace tusko::cli

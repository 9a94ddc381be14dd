#pragma once

#include <filesystem>
#include <optional>
#include <string_view>
#include <variant>

#include "cli/CliCommand.h"
#include "config/ConfigurationImage.h"

namespace tusko::cli {

// The gateway's configuration as read-config reads it: system information,
// the version rule, the download; the image, which carries its signature, or
// the exit code after the reason was told.
std::variant<ConfigurationImage, int> ReadGatewayConfiguration(const CommandContext& context);
// A configuration file read whole and carrying its signature; nothing after the reason was told.
std::optional<ConfigurationImage> ReadConfigurationArgument(const CommandContext& context,
                                                            const std::filesystem::path& path);
// Saves `image` in `path` and tells it with `doneKey`; kExitDone or kExitBadFile.
int SaveConfiguration(const CommandContext& context, const std::filesystem::path& path,
                      const ConfigurationImage& image, std::string_view doneKey);

// `read-config FILE`: reads the gateway's configuration into a file.
int RunReadConfig(const CommandContext& context);
// `write-config FILE`: writes a configuration file to the gateway, after the
// file was read whole and the user agreed (or --yes / --force).
int RunWriteConfig(const CommandContext& context);
// `new-config FILE`: a new default configuration; an existing file only with --yes.
int RunNewConfig(const CommandContext& context);
// `check-config FILE`: reads a configuration file and says whether it is sound.
int RunCheckConfig(const CommandContext& context);

}  // namespace tusko::cli

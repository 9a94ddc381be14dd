#include "cli/TextCommands.h"

#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "app/session/WriteVerification.h"
#include "cli/ConfigCommands.h"
#include "cli/ExitCodes.h"
#include "cli/Interrupt.h"
#include "config/ConfigurationDiff.h"
#include "config/FieldText.h"
#include "config/JsonFormat.h"
#include "config/TextFormat.h"

namespace tusko::cli {
namespace {

using catalog::ConfigurationText;
using catalog::FieldRef;

constexpr std::string_view kTextFormat = "text";
constexpr std::string_view kJsonFormat = "json";
constexpr std::string_view kGateway = "gateway";

const std::string& Argument(const CommandContext& c, std::size_t index) { return c.options.commandArguments.at(index); }

TextLookup Lookup(const CommandContext& c) {
  return [&language = c.language](std::string_view key) { return language.Text(key); };
}

// A message whose arguments are all texts.
std::string Message(const CommandContext& c, std::string_view key, const std::vector<std::string>& args) {
  const std::vector<FormatArg> formatArgs(args.begin(), args.end());
  return c.language.Format(key, formatArgs);
}

int Refused(const CommandContext& c, const catalog::TextBuild& built) {
  const std::string message = Message(c, built.refusal.messageKey, built.refusal.args);
  c.err << Message(c, "strCliTextRefused", {built.id, message}) << "\n";
  return kExitBadText;
}

int Problem(const CommandContext& c, const catalog::TextProblem& problem) {
  c.err << Message(c, problem.key, problem.args) << "\n";
  return kExitBadText;
}

std::optional<std::string> ReadText(const CommandContext& c, const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  if (!file) {
    c.err << Message(c, "strCliTextOpenError", {path}) << "\n";
    return std::nullopt;
  }
  return text.str();
}

// Builds the changed configuration and saves it in `path`.
int Save(const CommandContext& c, const ConfigurationText& text, const std::string& path) {
  const catalog::TextBuild built = catalog::BuildImage(text, Lookup(c));
  if (!built.image) return Refused(c, built);
  return SaveConfiguration(c, path, *built.image, "strCliConfigSaved");
}

void PrintDifferences(const CommandContext& c, const catalog::ConfigurationDifferences& differences) {
  for (const catalog::FieldDifference& field : differences.fields) {
    c.out << Message(c, "strCliDiffField",
                     {field.ref.Id(), DifferenceLabel(field.ref, Lookup(c)), catalog::FormatValue(field.ref, field.first),
                      catalog::FormatValue(field.ref, field.second)})
          << "\n";
  }
  for (const catalog::ByteDifference& bytes : differences.bytes) {
    c.out << Message(c, "strCliDiffBytes",
                     {std::to_string(bytes.offset), catalog::HexBytes(bytes.first), catalog::HexBytes(bytes.second)})
          << "\n";
  }
}

// An export in JSON starts with its opening brace; a configuration text never does.
bool LooksLikeJson(std::string_view input) {
  const std::size_t first = input.find_first_not_of(" \t\r\n");
  return first != std::string_view::npos && input[first] == '{';
}

}  // namespace

int RunExport(const CommandContext& c) {
  const std::string format = c.options.format.value_or(std::string(kTextFormat));
  if (format != kTextFormat && format != kJsonFormat) {
    c.err << Message(c, "strCliBadTextFormat", {format}) << "\n";
    return kExitUsage;
  }
  const std::optional<ConfigurationImage> image = ReadConfigurationArgument(c, Argument(c, 0));
  if (!image) return kExitBadFile;
  const ConfigurationText text = catalog::DescribeImage(*image);
  const std::string written =
      format == kJsonFormat ? catalog::WriteConfigurationJson(text) : catalog::WriteConfigurationText(text, Lookup(c));
  if (!c.options.output) {
    c.out << written;
    return kExitDone;
  }
  const std::string path = c.options.output->string();
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << written;
  file.close();
  if (!file) {
    c.err << Message(c, "strCliTextSaveError", {path}) << "\n";
    return kExitBadFile;
  }
  c.out << Message(c, "strCliTextSaved", {path}) << "\n";
  return kExitDone;
}

int RunImport(const CommandContext& c) {
  const std::optional<std::string> input = ReadText(c, Argument(c, 0));
  if (!input) return kExitBadFile;
  const std::string format = c.options.format.value_or(std::string(LooksLikeJson(*input) ? kJsonFormat : kTextFormat));
  if (format != kTextFormat && format != kJsonFormat) {
    c.err << Message(c, "strCliBadTextFormat", {format}) << "\n";
    return kExitUsage;
  }
  const catalog::TextParse parse =
      format == kJsonFormat ? catalog::ParseConfigurationJson(*input) : catalog::ParseConfigurationText(*input);
  if (parse.problem) {
    const std::string message = Message(c, parse.problem->key, parse.problem->args);
    // A JSON problem is placed by the field it is in, a text's by its line.
    const char* placeKey = format == kJsonFormat ? "strCliJsonField" : "strCliTextLine";
    c.err << (parse.line == 0 ? message : Message(c, placeKey, {std::to_string(parse.line), message})) << "\n";
    return kExitBadText;
  }
  return Save(c, parse.text, Argument(c, 1));
}

int RunGet(const CommandContext& c) {
  const std::optional<ConfigurationImage> image = ReadConfigurationArgument(c, Argument(c, 0));
  if (!image) return kExitBadFile;
  std::vector<FieldRef> refs;
  for (std::size_t i = 1; i < c.options.commandArguments.size(); ++i) {
    const std::optional<std::size_t> index = catalog::NamedFieldIndex(Argument(c, i));
    if (!index) return Problem(c, {"strCliTextUnknownField", {Argument(c, i)}});
    refs.push_back(catalog::NamedFields()[*index]);
  }
  for (const FieldRef& ref : refs) {
    for (const std::string& line : catalog::FieldLines(ref, catalog::ReadValue(*image, ref))) c.out << line << "\n";
  }
  return kExitDone;
}

int RunSet(const CommandContext& c) {
  const std::optional<ConfigurationImage> image = ReadConfigurationArgument(c, Argument(c, 0));
  if (!image) return kExitBadFile;
  ConfigurationText text = catalog::DescribeImage(*image);
  for (std::size_t i = 1; i < c.options.commandArguments.size(); ++i) {
    if (const auto problem = catalog::ApplyTextLine(text, Argument(c, i), catalog::GivenTwice::Replaces)) {
      return Problem(c, *problem);
    }
  }
  return Save(c, text, Argument(c, 0));
}

int RunDiff(const CommandContext& c) {
  // The gateway is reached only when a side names it, and then once.
  std::optional<CliSession> session;
  const auto load = [&](const std::string& argument) -> std::variant<ConfigurationImage, int> {
    if (argument != kGateway) {
      std::optional<ConfigurationImage> image = ReadConfigurationArgument(c, argument);
      if (!image) return kExitBadFile;
      return std::move(*image);
    }
    if (!session) {
      session.emplace(c.options, c.language, c.err);
      if (const int prepared = session->Prepare(); prepared != kExitDone) return prepared;
      InstallInterruptHandler();
    }
    return ReadGatewayConfiguration({&*session, c.options, c.language, c.out, c.err});
  };
  std::variant<ConfigurationImage, int> first = load(Argument(c, 0));
  if (const int* failed = std::get_if<int>(&first)) return *failed;
  std::variant<ConfigurationImage, int> second = load(Argument(c, 1));
  if (const int* failed = std::get_if<int>(&second)) return *failed;

  const catalog::ConfigurationDifferences differences =
      catalog::CompareImages(std::get<ConfigurationImage>(first), std::get<ConfigurationImage>(second));
  if (differences.Empty()) {
    c.out << c.language.Text("strCliDiffNone") << "\n";
    return kExitDone;
  }
  PrintDifferences(c, differences);
  return kExitDiffers;
}

}  // namespace tusko::cli

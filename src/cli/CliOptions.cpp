#include "cli/CliOptions.h"

#include <charconv>
#include <limits>

namespace tusko::cli {

namespace {

constexpr std::string_view kMissingValueKey = "strCliMissingValue";
constexpr std::string_view kBadNumberKey = "strCliBadNumber";
constexpr std::string_view kBadAddressKey = "strCliBadAddress";
constexpr std::string_view kTwoLinksKey = "strCliTwoLinks";
constexpr std::string_view kUnknownKey = "strCliUnknownArgument";
constexpr std::string_view kMissingArgumentKey = "strCliMissingArgument";

constexpr std::uint32_t kMinTcpPort = 1;
constexpr std::uint32_t kMaxTcpPort = std::numeric_limits<std::uint16_t>::max();
constexpr std::uint32_t kMinBaudRate = 1;

std::optional<std::uint32_t> ParseDecimal(std::string_view text, std::uint32_t min, std::uint32_t max) {
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < min || value > max) {
    return std::nullopt;
  }
  return value;
}

const CommandArity* FindCommand(std::string_view arg) {
  for (const CommandArity& command : kCommandArities) {
    if (command.name == arg) return &command;
  }
  return nullptr;
}

bool IsCommand(std::string_view arg) { return FindCommand(arg) != nullptr; }

class Parser {
 public:
  explicit Parser(const std::vector<std::string>& args) : args_(args) {}

  CliOptionsParse Run() {
    while (i_ < args_.size() && !result_.error) Step(args_[i_++]);
    if (!result_.error && result_.options.tcpAddress && result_.options.serialPort) Fail(kTwoLinksKey, {});
    const CliOptions& o = result_.options;
    if (const CommandArity* command = FindCommand(o.command);
        command != nullptr && o.commandArguments.size() < command->minArguments) {
      Fail(kMissingArgumentKey, {o.command});
    }
    return std::move(result_);
  }

 private:
  void Step(const std::string& arg) {
    CliOptions& o = result_.options;
    if (arg == "--help" || arg == "-h") {
      o.help = true;
    } else if (arg == "--version") {
      o.version = true;
    } else if (arg == "--tcp") {
      if (const auto value = Value(arg)) SetTcp(*value);
    } else if (arg == "--serial") {
      if (const auto value = Value(arg)) o.serialPort = *value;
    } else if (arg == "--baud") {
      if (const auto value = Value(arg)) o.baudRate = Number(arg, *value, kMinBaudRate, std::numeric_limits<std::uint32_t>::max());
    } else if (arg == "--password") {
      if (const auto value = Value(arg)) o.password = *value;
    } else if (arg == "--comlog") {
      o.comlog = true;
      // The file is optional: a following option or command is not taken for it.
      if (i_ < args_.size() && !args_[i_].starts_with("-") && !IsCommand(args_[i_])) o.comlogFile = args_[i_++];
    } else if (arg == "--format") {
      if (const auto value = Value(arg)) o.format = *value;
    } else if (arg == "--output" || arg == "-o") {
      if (const auto value = Value(arg)) o.output = *value;
    } else if (arg == "--yes" || arg == "-y") {
      o.yes = true;
    } else if (arg == "--force") {
      o.force = true;
    } else if (arg == "--no-backup") {
      o.noBackup = true;
    } else if (arg == "--verify") {
      o.verify = true;
    } else if (IsCommand(arg) && o.command.empty()) {
      o.command = arg;
    } else if (TakesMoreArguments(arg)) {
      o.commandArguments.push_back(arg);
    } else {
      Fail(kUnknownKey, {arg});
    }
  }

  // A word that is no option, after a command that still takes one.
  bool TakesMoreArguments(const std::string& arg) const {
    const CommandArity* command = FindCommand(result_.options.command);
    return command != nullptr && !arg.starts_with("--") &&
           result_.options.commandArguments.size() < command->maxArguments;
  }

  std::optional<std::string> Value(const std::string& option) {
    if (i_ >= args_.size()) {
      Fail(kMissingValueKey, {option});
      return std::nullopt;
    }
    return args_[i_++];
  }

  std::optional<std::uint32_t> Number(const std::string& option, const std::string& text, std::uint32_t min,
                                      std::uint32_t max) {
    const auto value = ParseDecimal(text, min, max);
    if (!value) Fail(kBadNumberKey, {text, option});
    return value;
  }

  // HOST or HOST:PORT; the host is a name or dotted IPv4 text, so the last colon starts the port.
  void SetTcp(const std::string& text) {
    const std::size_t colon = text.rfind(':');
    const std::string host = text.substr(0, colon);
    if (host.empty()) {
      Fail(kBadAddressKey, {text});
      return;
    }
    result_.options.tcpAddress = host;
    if (colon == std::string::npos) return;
    if (const auto port = Number("--tcp", text.substr(colon + 1), kMinTcpPort, kMaxTcpPort)) {
      result_.options.tcpPort = static_cast<std::uint16_t>(*port);
    }
  }

  void Fail(std::string_view key, std::vector<std::string> arguments) {
    if (!result_.error) result_.error = CliOptionError{key, std::move(arguments)};
  }

  const std::vector<std::string>& args_;
  std::size_t i_ = 0;
  CliOptionsParse result_;
};

}  // namespace

CliOptionsParse ParseCliOptions(const std::vector<std::string>& args) { return Parser(args).Run(); }

}  // namespace tusko::cli

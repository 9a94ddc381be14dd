#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tusko::cli {

inline constexpr std::string_view kInfoCommand = "info";

inline constexpr std::size_t kManyArguments = 1000;

// A command and how many arguments it takes after its name.
struct CommandArity {
  std::string_view name;
  std::size_t minArguments;
  std::size_t maxArguments;
};

// Every command tuskoctl knows.
inline constexpr CommandArity kCommandArities[] = {
    {"info", 0, 0},        {"read-config", 1, 1},  {"write-config", 1, 1},   {"new-config", 1, 1},
    {"check-config", 1, 1}, {"lan", 0, 0},         {"time", 0, 2},           {"restart", 0, 0},
    {"module-info", 1, 1}, {"module-restart", 1, 1}, {"cells", 1, 1},        {"password", 0, 0},
    {"diag", 0, 0},        {"ports", 0, 0},        {"write-firmware", 1, 1}, {"announcement", 2, 2},
    {"cdr", 1, 1},         {"export", 1, 1},       {"import", 2, 2},         {"get", 2, kManyArguments},
    {"set", 2, kManyArguments}, {"diff", 2, 2},
};

// The command line of tuskoctl after the language options are taken out.
struct CliOptions {
  bool help = false;
  bool version = false;
  std::optional<std::string> tcpAddress;     // --tcp HOST[:PORT]
  std::optional<std::uint16_t> tcpPort;
  std::optional<std::string> serialPort;     // --serial DEVICE
  std::optional<std::uint32_t> baudRate;     // --baud N
  bool comlog = false;                       // --comlog [FILE]
  std::optional<std::filesystem::path> comlogFile;
  std::optional<std::string> password;       // --password PW
  bool yes = false;                          // --yes: no confirmation questions
  bool force = false;                        // --force: a differing firmware version is no question
  bool noBackup = false;                     // --no-backup: no backup of the gateway's configuration before a write
  bool verify = false;                       // --verify: write-config reads the configuration back and compares
  std::optional<std::string> format;         // --format NAME: of a call detail record file or an export
  std::optional<std::filesystem::path> output;  // -o FILE: where export writes
  std::string command;                       // empty: none given
  std::vector<std::string> commandArguments; // what follows the command's name
};

// A command line that cannot be used: the key of its message and the message's arguments.
struct CliOptionError {
  std::string_view key;
  std::vector<std::string> arguments;
};

struct CliOptionsParse {
  CliOptions options;
  std::optional<CliOptionError> error;  // the first one found
};

CliOptionsParse ParseCliOptions(const std::vector<std::string>& args);

}  // namespace tusko::cli

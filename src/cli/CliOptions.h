#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tusko::cli {

inline constexpr std::string_view kInfoCommand = "info";

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
  std::string command;                       // empty: none given
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

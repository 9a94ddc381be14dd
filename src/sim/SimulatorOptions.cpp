#include "sim/SimulatorOptions.h"

#include <charconv>
#include <optional>
#include <string_view>

#include "config/ConfigurationImage.h"
#include "protocol/TransferConstants.h"

namespace tusko::sim {

namespace {

// As many records as the gateway's record store holds.
constexpr unsigned long kMaxCdrRecords = kCdrPositionWindow / kCdrRecordBytes;

// A number in decimal or with a 0x prefix, within [0, max].
std::optional<unsigned long> ParseNumber(std::string_view text, unsigned long max) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  unsigned long value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value > max) return std::nullopt;
  return value;
}

std::vector<std::string_view> SplitColons(std::string_view text) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t colon = text.find(':', start);
    parts.push_back(text.substr(start, colon - start));
    if (colon == std::string_view::npos) return parts;
    start = colon + 1;
  }
}

// IE[:COUNT] for drop/corrupt/bad-type/silent/wrong-*, IE:CAUSE[:COUNT] for reject; IE may be "any".
std::optional<Fault> ParseFault(FaultKind kind, std::string_view text) {
  const auto parts = SplitColons(text);
  const bool withCause = kind == FaultKind::Reject;
  const std::size_t required = withCause ? 2 : 1;
  if (parts.size() < required || parts.size() > required + 1) return std::nullopt;
  Fault fault{kind};
  if (parts[0] != "any") {
    const auto ie = ParseNumber(parts[0], 0xFF);
    if (!ie || *ie == kAnyRequest) return std::nullopt;
    fault.requestIe = static_cast<std::uint8_t>(*ie);
  }
  if (withCause) {
    const auto cause = ParseNumber(parts[1], 0xFF);
    if (!cause) return std::nullopt;
    fault.cause = static_cast<std::uint8_t>(*cause);
  }
  if (parts.size() == required + 1) {
    const auto count = ParseNumber(parts[required], 1000000);
    if (!count || *count == 0) return std::nullopt;
    fault.count = static_cast<int>(*count);
  }
  return fault;
}

bool ParseEndpoint(std::string_view text, SimulatorOptions& options) {
  const std::size_t colon = text.rfind(':');
  std::string_view portText = text;
  if (colon != std::string_view::npos) {
    options.address = std::string(text.substr(0, colon));
    portText = text.substr(colon + 1);
  }
  const auto port = ParseNumber(portText, 0xFFFF);
  if (!port) return false;
  options.port = static_cast<std::uint16_t>(*port);
  return true;
}

}  // namespace

ParsedSimulatorOptions ParseSimulatorOptions(const std::vector<std::string>& args) {
  ParsedSimulatorOptions result;
  auto& o = result.options;
  bool tcpAsked = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    const bool hasValue = i + 1 < args.size();
    const auto fail = [&](std::string_view why) {
      result.error = std::string(why) + ": " + std::string(arg);
      return result;
    };
    auto valueFor = [&]() -> std::string_view { return hasValue ? std::string_view(args[++i]) : std::string_view(); };
    if (arg == "--help" || arg == "-h") {
      o.showHelp = true;
    } else if (arg == "--pty") {
      o.usePty = true;
    } else if (arg == "--quiet") {
      o.quiet = true;
    } else if (arg == "--no-firmware") {
      o.noFirmware = true;
    } else if (arg == "--write-via-loader") {
      o.writeViaLoader = true;
    } else if (!hasValue) {
      return fail("unknown option or missing value");
    } else if (arg == "--tcp") {
      tcpAsked = true;
      if (!ParseEndpoint(valueFor(), o)) return fail("expected [ADDRESS:]PORT after");
    } else if (arg == "--password") {
      o.password = std::string(valueFor());
    } else if (arg == "--config") {
      o.configFile = std::string(valueFor());
      if (o.configFile.empty()) return fail("expected a file name after");
    } else if (arg == "--announcement-dir") {
      o.announcementDir = std::string(valueFor());
      if (o.announcementDir.empty()) return fail("expected a folder after");
    } else if (arg == "--cdr-records") {
      const auto count = ParseNumber(valueFor(), kMaxCdrRecords);
      if (!count) return fail("expected a record count after");
      o.cdrRecords = static_cast<int>(*count);
    } else if (arg == "--cdr-start") {
      const auto start = ParseNumber(valueFor(), kCdrPositionWindow - 1);
      if (!start) return fail("expected a position below 0x800000 after");
      o.cdrStart = static_cast<std::uint32_t>(*start);
    } else if (arg == "--monitor-rate") {
      const auto rate = ParseNumber(valueFor(), kMaxTraceLinesPerSecond);
      if (!rate) return fail("expected lines per second up to 100000 after");
      o.monitorRate = static_cast<unsigned>(*rate);
    } else if (arg == "--baud") {
      const auto baud = ParseNumber(valueFor(), 4000000);
      if (!baud) return fail("expected a bit rate after");
      o.baud = static_cast<unsigned>(*baud);
    } else if (arg == "--restart-ms") {
      const auto ms = ParseNumber(valueFor(), 600000);
      if (!ms) return fail("expected milliseconds after");
      o.restartTime = std::chrono::milliseconds(*ms);
    } else if (arg == "--alter-stored") {
      const auto offset = ParseNumber(valueFor(), ConfigurationImage::kSize - 1);
      if (!offset) return fail("expected a configuration offset below 29332 after");
      o.alterStored = static_cast<std::size_t>(*offset);
    } else if (arg == "--delay") {
      const auto ms = ParseNumber(valueFor(), 600000);
      if (!ms) return fail("expected milliseconds after");
      o.wire.replyDelay = std::chrono::milliseconds(*ms);
    } else if (arg == "--drop-rate") {
      const auto percent = ParseNumber(valueFor(), 100);
      if (!percent) return fail("expected a percentage from 0 to 100 after");
      o.wire.dropPercent = static_cast<int>(*percent);
    } else if (arg == "--close-after") {
      const auto n = ParseNumber(valueFor(), 1000000);
      if (!n) return fail("expected a count after");
      o.wire.closeAfterAnswers = static_cast<int>(*n);
    } else if (arg == "--stall-answer") {
      const auto n = ParseNumber(valueFor(), 1000000);
      if (!n || *n == 0) return fail("expected a count from 1 after");
      o.wire.stallAnswer = static_cast<int>(*n);
    } else if (arg == "--restart-after") {
      const auto n = ParseNumber(valueFor(), 1000000);
      if (!n || *n == 0) return fail("expected a count from 1 after");
      o.wire.restartAfterAnswers = static_cast<int>(*n);
    } else if (arg == "--slow-answer") {
      const auto parts = SplitColons(valueFor());
      const auto n = ParseNumber(parts[0], 1000000);
      const auto ms = parts.size() == 2 ? ParseNumber(parts[1], 600000) : std::nullopt;
      if (!n || *n == 0 || !ms) return fail("expected N:MS after");
      o.wire.slowAnswer = static_cast<int>(*n);
      o.wire.slowAnswerDelay = std::chrono::milliseconds(*ms);
    } else {
      static constexpr std::pair<std::string_view, FaultKind> kFaultOptions[] = {
          {"--drop", FaultKind::DropReply},
          {"--corrupt", FaultKind::CorruptChecksum},
          {"--bad-type", FaultKind::BadType},
          {"--reject", FaultKind::Reject},
          {"--silent", FaultKind::Silent},
          {"--wrong-address", FaultKind::WrongAddress},
          {"--wrong-length", FaultKind::WrongLength},
      };
      bool known = false;
      for (const auto& [name, kind] : kFaultOptions) {
        if (arg != name) continue;
        known = true;
        const auto fault = ParseFault(kind, valueFor());
        if (!fault) return fail("malformed fault after");
        o.faults.push_back(*fault);
      }
      if (!known) return fail("unknown option");
    }
  }
  o.useTcp = tcpAsked || !o.usePty;
  return result;
}

const char* SimulatorUsage() {
  return "Usage: tusko-gatewaysim [options]\n"
         "\n"
         "Simulates a DravenixIsdnTusko gateway (firmware and loader) for the utility.\n"
         "\n"
         "  --tcp [ADDRESS:]PORT   serve TCP (default 127.0.0.1:1002; the default when --pty is not given)\n"
         "  --pty                  serve a pseudo-terminal and print its path\n"
         "  --baud N               pace both directions like a serial line of N bit/s (11 bits per byte)\n"
         "  --password TEXT        the gateway password (default: none)\n"
         "  --no-firmware          start in the loader without valid firmware\n"
         "  --config FILE          start with the configuration image in FILE (raw, 29332 bytes;\n"
         "                         default: a built-in sample)\n"
         "  --write-via-loader     restart into the loader to write the configuration\n"
         "  --alter-stored OFFSET  store each written configuration with that byte altered\n"
         "  --announcement-dir DIR write each updated announcement as DIR/<kind>.wav\n"
         "  --cdr-records N        call detail records waiting for download (default 25)\n"
         "  --cdr-start POS        store position of the first of them, below 0x800000 (default 0)\n"
         "  --drop IE[:N]          lose the next N requests with main element IE (hex 0x.. or decimal, or any)\n"
         "  --corrupt IE[:N]       answer with a wrong checksum\n"
         "  --bad-type IE[:N]      answer with an unknown message type\n"
         "  --reject IE:CAUSE[:N]  answer with a Reject carrying CAUSE\n"
         "  --wrong-address IE[:N] answer naming an address one block off\n"
         "  --wrong-length IE[:N]  answer with its first element one byte short\n"
         "  --silent IE[:N]        lose the next N requests with main element IE and send no\n"
         "                         monitoring output meanwhile (--silent 0x34:2 leaves two keep-alives\n"
         "                         unanswered: the utility marks the contact lost, then regained)\n"
         "  --monitor-rate N       monitoring output lines per second (default 2; up to 100000)\n"
         "  --restart-ms MS        let every restart keep the link end away MS milliseconds\n"
         "                         (default 1500 into the loader, 2500 into the firmware)\n"
         "  --delay MS             send every answer MS milliseconds late\n"
         "  --drop-rate PERCENT    lose about PERCENT % of the replies (the same ones every run)\n"
         "  --close-after N        drop the connection after N answers\n"
         "  --stall-answer N       send only half of the N-th answer's frame\n"
         "  --slow-answer N:MS     send the N-th answer MS milliseconds late\n"
         "  --restart-after N      restart the gateway right after its N-th answer\n"
         "  --quiet                do not log the traffic\n"
         "  --help                 show this text\n";
}

}  // namespace tusko::sim

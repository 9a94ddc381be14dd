#include "cli/DiagCommand.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <span>
#include <string>

#include "cli/ExitCodes.h"
#include "cli/Interrupt.h"
#include "cli/PrintRows.h"
#include "monitor/DiagnosticsTexts.h"

namespace tusko::cli {

namespace {

struct DiagStep {
  DiagnosticsKind kind;
  int module;
  Notification data;
};

// The GSM status request names one module; the credit request covers both.
constexpr std::array kSteps{
    DiagStep{DiagnosticsKind::IsdnStatus, 0, Notification::IsdnStatusData},
    DiagStep{DiagnosticsKind::IsdnCredit, 0, Notification::IsdnCreditData},
    DiagStep{DiagnosticsKind::GsmStatus, 0, Notification::GsmStatusData},
    DiagStep{DiagnosticsKind::GsmStatus, 1, Notification::GsmStatusData},
    DiagStep{DiagnosticsKind::GsmCredit, 0, Notification::GsmCreditData},
};

enum class PollEnd { Data, Invalid, NoAnswer, NoLink, Interrupted };

// A diagnostics request has no time-out of its own (the window polls again
// anyway): wait one communication time-out per try.
PollEnd Poll(CliSession& session, const DiagStep& step) {
  OperationEngine& engine = session.engine();
  std::optional<PollEnd> end;
  session.OnNotification([&end, &step](Notification code, int) {
    if (code == step.data) end = PollEnd::Data;
    if (code == Notification::InvalidData) end = PollEnd::Invalid;
  });
  const auto timeout = std::chrono::milliseconds(session.settings().communicationTimeout);
  for (int attempt = 0; attempt < kMaxTries && !end; ++attempt) {
    if (!engine.RequestDiagnostics(step.kind, step.module)) {
      end = PollEnd::NoLink;
      break;
    }
    session.loop().RunUntil([&end] { return end.has_value() || InterruptRequested(); }, timeout);
    if (InterruptRequested()) end = PollEnd::Interrupted;
  }
  session.OnNotification(nullptr);
  return end.value_or(PollEnd::NoAnswer);
}

void PrintRaw(std::span<const std::uint8_t> bytes, std::ostream& out) {
  out << "  raw:";
  for (const std::uint8_t byte : bytes) {
    std::array<char, 4> hex{};
    std::snprintf(hex.data(), hex.size(), " %02X", byte);
    out << hex.data();
  }
  out << "\n";
}

std::string_view Indicator(bool set) { return set ? "[x] " : "[ ] "; }

void PrintIsdnStatus(const CommandContext& c, const DiagnosticsData& data) {
  c.out << c.language.Text("strDiagIsdnLines") << "\n";
  PrintRaw(data.isdnStatus, c.out);
  for (std::size_t line = 0; line < kIsdnLineCount; ++line) {
    const IsdnLineIndicators state = DecodeIsdnLine(StoredWord(data.isdnStatus, line * 2));
    c.out << "  " << c.language.Text(line == 0 ? "strIsdnLink1" : "strIsdnLink2") << ": "
          << Indicator(state.lossOfSignal) << c.language.Text("strDiagIsdnLos") << "  "
          << Indicator(state.layer2Active) << c.language.Text("strDiagIsdnL2") << "  "
          << Indicator(state.synchronised) << c.language.Text("strDiagIsdnSDI") << "\n";
  }
}

void PrintCredits(const CommandContext& c, std::string_view titleKey, std::span<const std::uint8_t> block,
                  std::array<std::string_view, 2> groupKeys) {
  c.out << c.language.Text(titleKey) << "\n";
  PrintRaw(block, c.out);
  for (std::size_t group = 0; group < groupKeys.size(); ++group) {
    const auto record = block.subspan(group * kCreditRecordSize, kCreditRecordSize);
    c.out << "  " << c.language.Text(groupKeys[group]) << ":";
    for (std::size_t pair = 0; pair < kCreditCounterCount / 2; ++pair) {
      c.out << "  " << CreditPairText(StoredCounter(record, pair * 8), StoredCounter(record, pair * 8 + 4));
    }
    c.out << "\n";
  }
}

void PrintGsmStatus(const CommandContext& c, const DiagnosticsData& data) {
  c.out << c.language.Text("strDiagGsmModules") << "\n";
  PrintRaw(data.gsmStatus, c.out);
  const TextLookup text = CliText(c.language);
  for (std::size_t module = 0; module < kGsmModuleCount; ++module) {
    const GsmModuleStatus status = ReadGsmModuleStatus(data, module);
    c.out << "  " << c.language.Text(module == 0 ? "strGsmModule1" : "strGsmModule2") << ": "
          << c.language.Text("strDiagGsmStatus") << " "
          << DescribeGsmStatus(status.code, status.information, text).text << "  "
          << c.language.Text("strDiagGsmLevel") << " " << GsmSignalText(status.signal, text)
          << "\n";
  }
}

int ReportPollFailure(const CommandContext& c, PollEnd end) {
  switch (end) {
    case PollEnd::Invalid:
      c.err << c.language.Format("strDiagErrorInvalidData", {c.session->engine().causeText()}) << "\n";
      return kExitRejected;
    case PollEnd::NoLink:
      c.err << c.language.Text("strCliNoLink") << "\n";
      return kExitNoLink;
    case PollEnd::Interrupted:
      c.err << c.language.Text("strCliCancelled") << "\n";
      return kExitCancelled;
    default:
      c.err << c.language.Text("strDiagErrorNoResponse") << "\n";
      return kExitNoAnswer;
  }
}

}  // namespace

int RunDiag(const CommandContext& c) {
  for (const DiagStep& step : kSteps) {
    if (const PollEnd end = Poll(*c.session, step); end != PollEnd::Data) return ReportPollFailure(c, end);
  }
  const DiagnosticsData& data = c.session->engine().diagnostics();
  PrintIsdnStatus(c, data);
  PrintCredits(c, "strDiagIsdnCredit", data.isdnCredit, {"strIsdnLink1", "strIsdnLink2"});
  PrintGsmStatus(c, data);
  PrintCredits(c, "strDiagGsmCredits", data.gsmCredit, {"strGsmModule1", "strGsmModule2"});
  return kExitDone;
}

}  // namespace tusko::cli

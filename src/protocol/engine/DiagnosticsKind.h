#pragma once

namespace tusko {

// What a diagnostics page asks the gateway for; the numbers are the ones the
// diagnostics view passes.
enum class DiagnosticsKind : int {
  IsdnStatus = 1,
  IsdnCredit = 2,
  GsmStatus = 12,
  GsmCredit = 13,
};

}  // namespace tusko

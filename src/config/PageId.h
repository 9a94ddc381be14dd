#pragma once

namespace tusko {

// The nodes of the configuration tree: the root, the sections (shown as
// description pages) and the pages. The values are the gateway tool's own
// node numbers; None stands for "no node selected".
enum class PageId : int {
  None = -1,
  Root = 0,
  System = 1,
  Isdn = 2,
  Gsm = 3,
  Lcr = 4,
  ClipGsm = 5,
  MobilityExtension = 8,
  SystemGeneral = 11,
  SystemNetwork = 12,
  SystemAlarmIndication = 13,
  SystemCdr = 14,
  SystemSms = 15,
  SystemHttp = 16,
  SystemCredit = 17,
  IsdnCommon = 21,
  IsdnLines = 22,
  GsmModules = 31,
  GsmOutgoingGroup = 32,
  GsmIncomingGroup = 33,
  GsmCellSelect = 34,
  LcrClipTab = 41,
  LcrRoutingTab = 42,
  ClipGsmNumbers = 51,
  MobilityExtensionNumbers = 81,
  MobilityExtensionWorkingHours = 82,
};

}  // namespace tusko

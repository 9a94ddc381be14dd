#include "cli/InfoRows.h"

#include <algorithm>

#include "app/core/SafeFormat.h"

namespace tusko::cli {

namespace {

constexpr std::size_t kMaxValueChars = 80;

}  // namespace

std::vector<Row> SystemRows(const SystemInformation& system, const CliLanguage& language) {
  const std::string dataVersion = SafeFormat("%#08x", {system.dataVersion}, kMaxValueChars);
  return {{language.Text("strSysInfoVersionFirmware"), system.firmwareVersion},
          {language.Text("strSysInfoVersionLoader"), system.loaderVersion},
          {language.Text("strSysInfoName"), system.deviceName},
          {language.Text("strSysInfoVersionData"), dataVersion}};
}

std::vector<Row> LanRows(const LanInformation& lan, const CliLanguage& language) {
  std::string dhcp;
  if (lan.dhcp == kDhcpOn) dhcp = language.Text("strSysInfoDhcpYes");
  if (lan.dhcp == kDhcpOff) dhcp = language.Text("strSysInfoDhcpNo");
  return {{language.Text("strSysInfoDhcp"), dhcp},
          {language.Text("strSysInfoIpAddr"), lan.ipAddress},
          {language.Text("strSysInfoNetMask"), lan.subnetMask},
          {language.Text("strSysInfoNetGateway"), lan.defaultGateway},
          {language.Text("strSysInfoPort"), lan.tcpPort != 0 ? std::to_string(lan.tcpPort) : std::string()}};
}

void PrintRows(const std::vector<Row>& rows, const CliLanguage& language, std::ostream& out) {
  std::size_t width = 0;
  for (const Row& row : rows) width = std::max(width, CountCharacters(row.first));
  const std::string unknown = language.Text("strSysInfoNA");
  for (const auto& [label, value] : rows) {
    out << "  " << label << std::string(width - CountCharacters(label) + 1, ' ') << (value.empty() ? unknown : value)
        << "\n";
  }
}

}  // namespace tusko::cli

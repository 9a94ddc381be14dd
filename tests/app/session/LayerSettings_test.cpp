#include "app/session/LayerSettings.h"

#include <cstddef>
#include <cstdint>

#include <gtest/gtest.h>

namespace tusko {
namespace {

// Every number of the record gets a value of its own, so that a value handed
// to the wrong field of a layer's record shows.
ProgramSettings DistinctSettings() {
  ProgramSettings s;
  std::uint32_t next = 100;
  for (const auto& value : ProgramSettingValues()) {
    if (value.number != nullptr) s.*value.number = next++;
  }
  s.comMode = 1;
  s.virtualComPort = "/dev/ttyACM3";
  s.tcpAddress = "gateway.example";
  s.communicationLogRawInput = 1;
  s.monitorLogClearAtStart = 0;
  s.monitorLogSaveAtEnd = 1;
  s.cdrHeader = 0;
  return s;
}

TEST(LayerSettings, EachLayerGetsItsOwnValues) {
  const ProgramSettings s = DistinctSettings();

  const LinkSettings link = LinkSettingsFrom(s);
  EXPECT_EQ(link.type, LinkType::Tcp);
  EXPECT_EQ(link.portName, s.virtualComPort);
  EXPECT_EQ(link.baudrate, s.baudrate);
  EXPECT_EQ(link.tcpAddress, s.tcpAddress);
  EXPECT_EQ(link.tcpPort, s.tcpPort);
  EXPECT_TRUE(link.logRawInput);

  const EngineSettings engine = EngineSettingsFrom(s);
  const std::pair<std::uint32_t, std::uint32_t> engineRows[] = {
      {engine.communicationTimeout, s.communicationTimeout},
      {engine.communicationTimeoutReset, s.communicationTimeoutReset},
      {engine.communicationTimeoutFlashLoad, s.communicationTimeoutFlashLoad},
      {engine.communicationTimeoutFlashLoadStart, s.communicationTimeoutFlashLoadStart},
      {engine.communicationTimeoutDataRead, s.communicationTimeoutDataRead},
      {engine.communicationTimeoutDataWrite, s.communicationTimeoutDataWrite},
      {engine.communicationTimeoutDataWriteStart, s.communicationTimeoutDataWriteStart},
      {engine.communicationTimeoutReadCells, s.communicationTimeoutReadCells},
      {engine.communicationTimeoutSwitchToLoader, s.communicationTimeoutSwitchToLoader},
      {engine.communicationTimeoutSwitchToFirmware, s.communicationTimeoutSwitchToFirmware},
      {engine.dataReadWriteRequestDelay, s.dataReadWriteRequestDelay},
      {engine.dataReadWriteMaxPendingRequests, s.dataReadWriteMaxPendingRequests}};
  for (std::size_t i = 0; i < std::size(engineRows); ++i) EXPECT_EQ(engineRows[i].first, engineRows[i].second) << i;

  const MonitorLogSettings monitor = MonitorLogSettingsFrom(s);
  EXPECT_EQ(monitor.maxLines, s.monitorLogMaxLines);
  EXPECT_FALSE(monitor.clearAtStart);
  EXPECT_TRUE(monitor.saveAtEnd);

  const CdrTextLayout layout = CdrTextLayoutFrom(s);
  EXPECT_FALSE(layout.header);
  EXPECT_EQ(layout.positions[static_cast<std::size_t>(CdrColumn::Date)], s.cdrFieldDate);
  EXPECT_EQ(layout.positions[static_cast<std::size_t>(CdrColumn::Cause)], s.cdrFieldCause);
  EXPECT_EQ(layout.positions[static_cast<std::size_t>(CdrColumn::OutPort)], s.cdrFieldOutPort);
}

// A record made without the program settings holds the program's defaults.
TEST(LayerSettings, DefaultRecordsMatchTheProgramDefaults) {
  const ProgramSettings defaults;
  EXPECT_TRUE(LinkSettingsFrom(defaults) == LinkSettings{});
  EXPECT_TRUE(EngineSettingsFrom(defaults) == EngineSettings{});
  EXPECT_TRUE(MonitorLogSettingsFrom(defaults) == MonitorLogSettings{});
}

}  // namespace
}  // namespace tusko

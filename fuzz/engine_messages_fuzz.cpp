// Drives the operation engine with arbitrary received messages, delivered
// lengths, timer ticks, starters and link changes, from every engine state, and
// checks that its stored texts and flags stay within their bounds.
//
// Input: byte 0 picks the starting state, byte 1 the pending flags (scaled to
// the flag bits), then commands until the input ends; each command is one byte
// whose low nibble selects it (see RunCommand), followed by its operands.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "protocol/engine/CauseText.h"
#include "protocol/engine/EngineSettings.h"
#include "protocol/engine/OperationEngine.h"

namespace {

using namespace tusko;

void Check(bool condition) {
  if (!condition) std::abort();
}

constexpr std::array kStates{
    EngineState::Initial,       EngineState::ResetSent,        EngineState::WaitLoader,
    EngineState::InLoader,      EngineState::WaitFirmwareInfo, EngineState::WaitFirmware,
    EngineState::Idle,          EngineState::FlashStarting,    EngineState::FlashWaitLoader,
    EngineState::Flashing,      EngineState::Reading,          EngineState::WriteStarting,
    EngineState::Writing,       EngineState::WriteWaitLoader,  EngineState::WriteWaitFirmware,
    EngineState::Failed,        EngineState::CdrReading,       EngineState::AnnouncementStarting,
    EngineState::AnnouncementSending,
};

// Elements the engine looks for, so that built messages reach its handlers.
constexpr std::array<std::uint8_t, 31> kElements{
    ie::LoaderStarted, ie::FirmwareStarted, ie::LoaderVersion, ie::FirmwareVersion, ie::RunMode,
    ie::DeviceName,    ie::QuietEvent,      ie::SwitchToFirmware, ie::PowerDown,    ie::Reset,
    ie::LanInfo,       ie::IsdnStatus,      ie::IsdnCredit,    ie::GsmStatus,       ie::GsmCredit,
    ie::Cause,         ie::MonitorStart,    ie::MonitorStop,   ie::DateTime,        ie::ModuleType,
    ie::ModuleCells,   ie::NewPassword,     ie::RestartAck,    ie::Address,         ie::MonitorCommand,
    ie::MonitorPoll,   ie::ModuleReset,     ie::LastTimeSync,  ie::ModuleImei,      ie::ModuleImsi,
    ie::ModuleNetwork,
};

constexpr std::array<std::uint8_t, 7> kCauses{cause::InvalidData, cause::PasswordRequired, cause::NotAllowed,
                                              cause::CdrStoreFailed, cause::CdrRestart, cause::RetryLater,
                                              cause::NoFirmware};

constexpr std::uint32_t kAllPendingBits = 0x7FFF;

class Input {
 public:
  explicit Input(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  bool Empty() const { return at_ >= bytes_.size(); }
  std::uint8_t Byte() { return Empty() ? 0 : bytes_[at_++]; }
  std::span<const std::uint8_t> Take(std::size_t count) {
    const std::size_t n = std::min(count, bytes_.size() - std::min(at_, bytes_.size()));
    const auto taken = bytes_.subspan(at_, n);
    at_ += n;
    return taken;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
};

// A host that answers from the input and remembers only whether a timer runs.
class FuzzHost : public EngineHost {
 public:
  OperationEngine* engine = nullptr;
  LinkState link = LinkState::Open;
  LinkType type = LinkType::Serial;
  bool timerArmed = false;
  bool givesPassword = true;
  bool opensLink = true;
  bool declinesFollowUp = false;

  LinkState linkState() const override { return link; }
  LinkType linkType() const override { return type; }
  void sendToLink(DeviceMessage message, std::size_t length) override {
    Check(length == message.wireSize() && length <= kMessageBufferSize);
  }
  void closeLink() override { link = LinkState::Closed; }
  bool reopenLink() override { return OpenIfAllowed(); }
  void requestConnect() override {}
  void notify(Notification code, int, bool sync) override {
    // The window may decline the LAN follow-up while it handles the result.
    if (sync && code == Notification::SystemInfoResult && declinesFollowUp) {
      engine->ClearPendingFlag(SystemInfoPending);
    }
  }
  bool queryLink() override { return OpenIfAllowed(); }
  bool queryPassword() override {
    if (givesPassword) engine->SetLoginPassword("pass1234extra");
    return givesPassword;
  }
  void armTimer(std::chrono::milliseconds) override { timerArmed = true; }
  void stopTimer() override { timerArmed = false; }
  void log(std::string_view line, LogColour) override { Check(!line.empty()); }
  void dumpMessage(std::span<const std::uint8_t> bytes, bool) override { Check(bytes.size() <= kMessageBufferSize); }
  std::string languageText(std::string_view key) const override { return std::string(key) + std::string(80, '*'); }

 private:
  bool OpenIfAllowed() {
    if (opensLink) link = LinkState::Open;
    return link == LinkState::Open;
  }
};

// A message that passes the type and checksum checks: type, elements and data from the input.
DeviceMessage BuiltMessage(Input& input) {
  static constexpr std::array<MessageType, 3> kTypes{MessageType::Request, MessageType::Reply, MessageType::Reject};
  DeviceMessage message = CreateMessage(kTypes[input.Byte() % kTypes.size()]);
  const int elements = input.Byte() % 5;
  for (int i = 0; i < elements; ++i) {
    const std::uint8_t choice = input.Byte();
    const std::uint8_t id = kElements[choice % kElements.size()];
    if (id == ie::Cause && (choice & 0x80) != 0) {
      AddElementBytes(message, id, {kCauses[input.Byte() % kCauses.size()], input.Byte()});
    } else {
      AddElement(message, id, input.Take(input.Byte() % 64));
    }
  }
  SealMessage(message);
  return message;
}

void Deliver(OperationEngine& engine, const DeviceMessage& message, Input& input) {
  // The delivered length is the link's byte count: anything, unrelated to the message.
  const std::size_t length = static_cast<std::size_t>(input.Byte()) * 3;
  engine.OnMessage(message, length);
}

// A module index around the gateway's two, kLastModule included.
int ModuleArgument(Input& input) { return static_cast<int>(input.Byte() % 5) - 2; }

std::string TextArgument(Input& input) {
  const auto bytes = input.Take(input.Byte());
  return {bytes.begin(), bytes.end()};
}

void RunStarter(OperationEngine& engine, unsigned starter, Input& input) {
  switch (starter) {
    case 0:
      engine.ResetDevice();
      break;
    case 1:
      engine.GetSystemInfo();
      break;
    case 2:
      engine.CheckSystemInfo();
      break;
    case 3:
      engine.GetLanInfo();
      break;
    case 4:
      engine.GetDateTime();
      break;
    case 5: {
      DateTimeRecord time;
      for (std::uint16_t* field : {&time.year, &time.month, &time.day, &time.hour, &time.minute, &time.second}) {
        *field = static_cast<std::uint16_t>(input.Byte() | (input.Byte() << 8));
      }
      engine.SetDateTime(time);
      break;
    }
    case 6:
      engine.GetModuleInfo(ModuleArgument(input));
      break;
    case 7:
      engine.ResetModule(ModuleArgument(input));
      break;
    case 8:
      engine.GetCells(ModuleArgument(input));
      break;
    case 9: {
      const std::string newPassword = TextArgument(input);
      engine.ChangePassword(newPassword, TextArgument(input));
      break;
    }
    case 10:
      engine.StartMonitoring();
      break;
    case 11:
      engine.StopMonitoring();
      break;
    case 12:
      engine.SendMonitorCommand(TextArgument(input));
      break;
    case 13:
      engine.PollMonitoring();
      break;
    default:
      engine.RequestDiagnostics(static_cast<DiagnosticsKind>(input.Byte() % 16), ModuleArgument(input));
      break;
  }
}

void RunCommand(OperationEngine& engine, FuzzHost& host, Input& input) {
  const std::uint8_t command = input.Byte();
  switch (command & 0x0F) {
    case 0:
    case 1:
    case 2:
    case 3:
      Deliver(engine, BuiltMessage(input), input);
      break;
    case 4:
      Deliver(engine, DeviceMessage::FromBytes(input.Take(input.Byte() + (command >> 4))), input);
      break;
    case 5:
    case 6:
      if (host.timerArmed) {
        host.timerArmed = false;
        engine.OnTimer();
      }
      break;
    case 7:
      engine.OnTimer();  // a late tick of a timer that was already replaced
      break;
    case 8:
      host.link = static_cast<LinkState>(input.Byte() % 3);
      host.type = (command & 0x10) != 0 ? LinkType::Tcp : LinkType::Serial;
      host.opensLink = (command & 0x20) != 0;
      break;
    case 9:
      host.givesPassword = (command & 0x10) != 0;
      host.declinesFollowUp = (command & 0x20) != 0;
      break;
    case 10:
      RunStarter(engine, command >> 4, input);
      break;
    case 11:
      OperationsOf(engine).SetState(kStates[input.Byte() % kStates.size()]);
      break;
    case 12:
      OperationsOf(engine).SetRetries(input.Byte() % (kMaxTries + 1));
      break;
    default: {
      const unsigned high = input.Byte();
      const unsigned low = input.Byte();
      OperationsOf(engine).SetPending(static_cast<PendingRequest>(((high << 8) | low) & kAllPendingBits));
      break;
    }
  }
}

void CheckBounds(const OperationEngine& engine) {
  Check((engine.pending() & ~kAllPendingBits) == 0);
  Check(engine.causeText().size() <= kCauseTextCapacity);
  Check(engine.loginPassword().size() <= kLoginPasswordCapacity);
  const DeviceInformation& info = engine.deviceInformation();
  Check(info.system.loaderVersion.size() <= kVersionTextCapacity);
  Check(info.system.firmwareVersion.size() <= kVersionTextCapacity);
  Check(info.system.deviceName.size() <= kDeviceNameCapacity);
  Check(info.lan.ipAddress.size() <= kLanTextCapacity);
  Check(info.lan.subnetMask.size() <= kLanTextCapacity);
  Check(info.lan.defaultGateway.size() <= kLanTextCapacity);
  Check(info.module.type.size() <= kModuleTypeCapacity);
  Check(info.module.imei.size() <= kModuleIdCapacity);
  Check(info.module.imsi.size() <= kModuleIdCapacity);
  Check(info.module.network.size() <= kModuleNetworkCapacity);
  Check(info.module.index >= 0 && info.module.index < static_cast<int>(kGsmModuleCount));
  const auto runMode = static_cast<int>(info.system.runMode);
  Check(runMode >= 0 && runMode <= static_cast<int>(RunMode::Firmware));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input input({data, size});
  EngineSettings settings;
  FuzzHost host;
  OperationEngine engine(host, settings);
  host.engine = &engine;

  OperationsOf(engine).SetState(kStates[input.Byte() % kStates.size()]);
  OperationsOf(engine).SetPending(static_cast<PendingRequest>((input.Byte() * 0x81u) & kAllPendingBits));
  while (!input.Empty()) {
    RunCommand(engine, host, input);
    CheckBounds(engine);
  }
  return 0;
}

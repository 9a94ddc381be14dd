#pragma once

#include <cstdint>

namespace tusko {

// Message type byte (offset 0 of every message).
enum class MessageType : std::uint8_t {
  Request = 0xA1,
  Reply = 0xA2,
  Reject = 0xA3,
};

// Information element identifiers.
namespace ie {
inline constexpr std::uint8_t LoaderStarted = 0x11;
inline constexpr std::uint8_t RestartAck = 0x12;
inline constexpr std::uint8_t FirmwareStarted = 0x13;
inline constexpr std::uint8_t LoaderVersion = 0x15;
inline constexpr std::uint8_t FirmwareVersion = 0x16;
inline constexpr std::uint8_t RunMode = 0x17;
inline constexpr std::uint8_t DeviceName = 0x18;
inline constexpr std::uint8_t FlashStart = 0x21;
inline constexpr std::uint8_t FlashData = 0x22;
inline constexpr std::uint8_t FlashAddress = 0x26;
inline constexpr std::uint8_t FlashCancel = 0x27;
inline constexpr std::uint8_t NewPassword = 0x28;
inline constexpr std::uint8_t FlashStop = 0x29;
inline constexpr std::uint8_t MonitorStart = 0x31;
inline constexpr std::uint8_t MonitorStop = 0x32;
inline constexpr std::uint8_t MonitorCommand = 0x33;
inline constexpr std::uint8_t MonitorPoll = 0x34;
inline constexpr std::uint8_t ConfigWriteStart = 0x40;
inline constexpr std::uint8_t ConfigWriteData = 0x41;
inline constexpr std::uint8_t ConfigReadData = 0x42;
inline constexpr std::uint8_t AnnouncementStart = 0x43;
inline constexpr std::uint8_t AnnouncementData = 0x44;
inline constexpr std::uint8_t FlashErasing = 0x45;
inline constexpr std::uint8_t Address = 0x46;
inline constexpr std::uint8_t AnnouncementStop = 0x48;
inline constexpr std::uint8_t ConfigWriteStop = 0x49;
inline constexpr std::uint8_t CdrData = 0x4A;
inline constexpr std::uint8_t CdrAddress = 0x4B;
inline constexpr std::uint8_t QuietEvent = 0x51;
inline constexpr std::uint8_t SwitchToFirmware = 0x52;
inline constexpr std::uint8_t DateTime = 0x61;
inline constexpr std::uint8_t IsdnStatus = 0x62;
inline constexpr std::uint8_t GsmStatus = 0x63;
inline constexpr std::uint8_t GsmCredit = 0x64;
inline constexpr std::uint8_t LanInfo = 0x66;
inline constexpr std::uint8_t ModuleType = 0x67;
inline constexpr std::uint8_t ModuleImei = 0x68;
inline constexpr std::uint8_t ModuleImsi = 0x69;
inline constexpr std::uint8_t ModuleNetwork = 0x6A;
inline constexpr std::uint8_t ModuleCells = 0x6C;
inline constexpr std::uint8_t IsdnCredit = 0x6D;
inline constexpr std::uint8_t Cause = 0x71;
inline constexpr std::uint8_t Reset = 0x81;
inline constexpr std::uint8_t ModuleReset = 0x82;
inline constexpr std::uint8_t PowerDown = 0x83;
inline constexpr std::uint8_t LastTimeSync = 0x88;
inline constexpr std::uint8_t Password = 0xD1;
}  // namespace ie

// Cause codes: byte 0 of a Cause element.
namespace cause {
inline constexpr std::uint8_t InvalidData = 0x83;
inline constexpr std::uint8_t PasswordRequired = 0x92;
inline constexpr std::uint8_t NotAllowed = 0x94;
inline constexpr std::uint8_t CdrStoreFailed = 0x99;
inline constexpr std::uint8_t CdrRestart = 0x9A;
inline constexpr std::uint8_t RetryLater = 0x9C;
inline constexpr std::uint8_t NoFirmware = 0x9F;
}  // namespace cause

}  // namespace tusko

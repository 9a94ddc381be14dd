#include "sim/GatewayFlashRequests.h"

#include "protocol/ElementNumbers.h"
#include "protocol/TransferConstants.h"
#include "sim/GatewayFlashPages.h"
#include "sim/GatewayReplies.h"
#include "sim/GatewayRestarts.h"

namespace tusko::sim {

namespace {

bool IsInFlashWindow(std::uint32_t address, std::size_t length) {
  const std::uint64_t end = std::uint64_t{address} + length;
  return address >= kFirmwareFlashWindow.start &&
         end <= std::uint64_t{kFirmwareFlashWindow.start} + kFirmwareFlashWindow.length;
}

bool IsWritableBlock(std::uint32_t address, std::size_t length) {
  return length >= kFlashBlockGranuleBytes && length <= kFlashBlockMaxBytes && length % kFlashBlockGranuleBytes == 0 &&
         IsInFlashWindow(address, length) && !SpansFlashPages(address, length);
}

}  // namespace

DeviceMessage HandleFlashStart(GatewayState& state, const DeviceMessage&) {
  if (state.phase == GatewayPhase::Firmware) {
    BeginRestart(state, GatewayPhase::Loader, state.identity.restartToLoader);
    return MakeReply(ie::Reset);
  }
  state.flash.Begin();
  return MakeReply(ie::FlashStart);
}

DeviceMessage HandleFlashData(GatewayState& state, const DeviceMessage& request) {
  const auto addressElement = FindElement(request, ie::FlashAddress);
  const auto address = addressElement ? ReadNumber32(*addressElement) : std::nullopt;
  const auto block = FindElement(request, ie::FlashData)->data;
  if (!address || !IsWritableBlock(*address, block.size()) || !state.flash.Write(*address, block)) {
    return MakeReject(cause::NotAllowed);
  }
  DeviceMessage reply = CreateMessage(MessageType::Reply);
  AddElement(reply, ie::FlashAddress, EncodeNumber32(*address));
  return reply;
}

DeviceMessage HandleFlashStop(GatewayState& state, const DeviceMessage&) {
  if (!state.flash.Commit()) return MakeReject(cause::NotAllowed);
  state.identity.hasValidFirmware = true;
  if (auto identification = state.flash.Identification()) state.identity.firmwareVersion = std::move(*identification);
  BeginRestart(state, GatewayPhase::Firmware, state.identity.restartToFirmware);
  return MakeReply(ie::FlashStop);
}

DeviceMessage HandleFlashCancel(GatewayState& state, const DeviceMessage&) {
  state.flash.Abort();
  return MakeReply(ie::FlashCancel);
}

}  // namespace tusko::sim

#include "sim/GatewayConfigRequests.h"

#include <algorithm>
#include <optional>

#include "config/ImageLayout.h"
#include "protocol/ElementNumbers.h"
#include "protocol/TransferConstants.h"
#include "sim/GatewayFlashPages.h"
#include "sim/GatewayReplies.h"
#include "sim/GatewayRestarts.h"

namespace tusko::sim {

namespace {

constexpr std::size_t kImageBytes = layout::kImageSize;
constexpr std::size_t kMinWriteBlockBytes = kWriteGranuleBytes;
// The last block may carry padding up to the next 8-byte group past the image.
constexpr std::size_t kWritableEnd =
    (kImageBytes + kWriteGranuleBytes - 1) / kWriteGranuleBytes * kWriteGranuleBytes;

struct Place {
  std::uint32_t address;
  std::size_t offset;
};

// The request's Address as a place in the image.
std::optional<Place> AddressedPlace(const DeviceMessage& request) {
  const auto element = FindElement(request, ie::Address);
  if (!element) return std::nullopt;
  const auto address = ReadNumber32(*element);
  if (!address) return std::nullopt;
  // The image lies at kConfigBaseAddress; an address outside it names nothing.
  if (*address < kConfigBaseAddress || *address - kConfigBaseAddress >= kImageBytes) return std::nullopt;
  return Place{*address, *address - kConfigBaseAddress};
}

bool IsWritableBlock(const Place& place, std::size_t length) {
  return length >= kMinWriteBlockBytes && length <= kMaxWriteBlockBytes && length % kWriteGranuleBytes == 0 &&
         place.offset % kWriteGranuleBytes == 0 && place.offset + length <= kWritableEnd &&
         !SpansFlashPages(place.address, length);
}

DeviceMessage AddressReply(std::uint32_t address) {
  DeviceMessage reply = CreateMessage(MessageType::Reply);
  AddElement(reply, ie::Address, EncodeNumber32(address));
  return reply;
}

}  // namespace

DeviceMessage HandleConfigReadData(GatewayState& state, const DeviceMessage& request) {
  const auto place = AddressedPlace(request);
  if (!place) return MakeReject(cause::NotAllowed);
  const std::size_t length = std::min(kReadBlockBytes, kImageBytes - place->offset);
  DeviceMessage reply = AddressReply(place->address);
  AddElement(reply, ie::ConfigReadData, state.config.Stored().Range(place->offset, length));
  return reply;
}

DeviceMessage HandleConfigWriteStart(GatewayState& state, const DeviceMessage& request) {
  const auto size = ReadNumber32(*FindElement(request, ie::ConfigWriteStart));
  const auto place = AddressedPlace(request);
  if (size != kImageBytes || !place || place->offset != 0) return MakeReject(cause::NotAllowed);
  if (state.phase == GatewayPhase::Firmware && state.identity.restartForWrite) {
    BeginRestart(state, GatewayPhase::Loader, state.identity.restartToLoader);
    return MakeReply(ie::Reset);
  }
  state.config.BeginWrite();
  return MakeReply(ie::ConfigWriteStart);
}

DeviceMessage HandleConfigWriteData(GatewayState& state, const DeviceMessage& request) {
  const auto place = AddressedPlace(request);
  const auto block = FindElement(request, ie::ConfigWriteData)->data;
  if (!state.config.Writing() || !place || !IsWritableBlock(*place, block.size())) {
    return MakeReject(cause::NotAllowed);
  }
  state.config.Write(place->offset, block);
  return AddressReply(place->address);
}

DeviceMessage HandleConfigWriteStop(GatewayState& state, const DeviceMessage& request) {
  const auto value = FindElement(request, ie::ConfigWriteStop)->data;
  if (value.size() != 1 || value[0] != kConfigWriteStopValue || !state.config.CommitWrite()) {
    return MakeReject(cause::NotAllowed);
  }
  // The new configuration takes effect with a fresh start of the firmware.
  BeginRestart(state, state.identity.hasValidFirmware ? GatewayPhase::Firmware : GatewayPhase::Loader,
               state.identity.restartToFirmware);
  return MakeReply(ie::ConfigWriteStop);
}

}  // namespace tusko::sim

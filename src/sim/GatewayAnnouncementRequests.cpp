#include "sim/GatewayAnnouncementRequests.h"

#include "protocol/ElementNumbers.h"
#include "sim/GatewayReplies.h"

namespace tusko::sim {

DeviceMessage HandleAnnouncementStart(GatewayState& state, const DeviceMessage& request) {
  const auto value = FindElement(request, ie::AnnouncementStart)->data;
  const auto kind = value.size() == 1 ? AnnouncementKindFromNumber(value[0]) : std::nullopt;
  if (!kind) return MakeReject(cause::NotAllowed);
  state.announcements.Begin(*kind);
  return MakeReply(ie::AnnouncementStart);
}

DeviceMessage HandleAnnouncementData(GatewayState& state, const DeviceMessage& request) {
  const auto addressElement = FindElement(request, ie::Address);
  const auto address = addressElement ? ReadNumber32(*addressElement) : std::nullopt;
  if (!address) return MakeReject(cause::NotAllowed);
  const auto answer = state.announcements.Block(*address, FindElement(request, ie::AnnouncementData)->data);
  switch (answer.kind) {
    case GatewayAnnouncements::BlockAnswer::Kind::Acknowledged: {
      DeviceMessage reply = MakeReply(ie::AnnouncementData);
      AddElement(reply, ie::Address, EncodeNumber32(answer.address));
      return reply;
    }
    case GatewayAnnouncements::BlockAnswer::Kind::Erasing:
      return MakeReply(ie::FlashErasing);
    case GatewayAnnouncements::BlockAnswer::Kind::Refused:
      break;
  }
  return MakeReject(cause::NotAllowed);
}

DeviceMessage HandleAnnouncementStop(GatewayState& state, const DeviceMessage& request) {
  const auto value = FindElement(request, ie::AnnouncementStop)->data;
  if (value.size() != 1 || value[0] != kAnnouncementStopValue || !state.announcements.Commit()) {
    return MakeReject(cause::NotAllowed);
  }
  return MakeReply(ie::AnnouncementStop);
}

}  // namespace tusko::sim

#pragma once

#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "protocol/engine/EngineTypes.h"
#include "protocol/engine/OperationHandler.h"

namespace tusko {

class CdrTransfer;
class AnnouncementUpdate;
class ConfigTransfer;
class FirmwareFile;
class IdleRequests;

// Which handler runs each engine state. An operation plugs in with its own
// source file: a Register… function that adds its handlers here (and its rows
// to the idle-state tables), listed once in RegisterOperations.
class OperationRegistry {
 public:
  OperationRegistry();
  ~OperationRegistry();
  OperationRegistry(const OperationRegistry&) = delete;
  OperationRegistry& operator=(const OperationRegistry&) = delete;

  // The handler runs every state in `states`; a state has at most one handler.
  void Add(std::initializer_list<EngineState> states, std::unique_ptr<OperationHandler> handler);
  // The handler of `state`, or null for a state that ignores messages and time-outs.
  OperationHandler* For(EngineState state) const;

  // The Idle state's handler, whose tables the idle-state requests fill.
  IdleRequests& Idle() { return *idle_; }

  // The configuration transfer's image and counters, shared by its download
  // and upload states.
  ConfigTransfer& Transfer() { return *transfer_; }
  const ConfigTransfer& Transfer() const { return *transfer_; }

  // The announcement update's file, kind and erase counter.
  AnnouncementUpdate& Announcement() { return *announcement_; }

  // The CDR download's position, length, error count and record store.
  CdrTransfer& Cdr() { return *cdr_; }
  const CdrTransfer& Cdr() const { return *cdr_; }

  // The firmware file the update reads; the engine owns it for the program's life.
  FirmwareFile& Firmware() { return *firmware_; }

  // What the engine starts when the loader reports that it holds no valid
  // firmware; the firmware update registers its starter here. Without one the
  // engine only reports the fact.
  using NoFirmwareRecovery = std::function<void(EngineOperations&)>;
  void SetNoFirmwareRecovery(NoFirmwareRecovery start) { noFirmwareRecovery_ = std::move(start); }
  const NoFirmwareRecovery& noFirmwareRecovery() const { return noFirmwareRecovery_; }

 private:
  std::vector<std::unique_ptr<OperationHandler>> handlers_;
  std::map<EngineState, OperationHandler*> byState_;
  IdleRequests* idle_ = nullptr;
  std::unique_ptr<ConfigTransfer> transfer_;
  std::unique_ptr<AnnouncementUpdate> announcement_;
  std::unique_ptr<CdrTransfer> cdr_;
  std::unique_ptr<FirmwareFile> firmware_;
  NoFirmwareRecovery noFirmwareRecovery_;
};

// The operations' registrations, each in its operation's file.
void RegisterRestartFollowUp(OperationRegistry& registry);
void RegisterDeviceInfoRequests(OperationRegistry& registry);
void RegisterDeviceMaintenance(OperationRegistry& registry);
void RegisterConfigDownload(OperationRegistry& registry);
void RegisterConfigUpload(OperationRegistry& registry);
void RegisterAnnouncementUpdate(OperationRegistry& registry);
void RegisterCdrDownload(OperationRegistry& registry);
void RegisterFirmwareUpdate(OperationRegistry& registry);

// Every operation the engine knows.
void RegisterOperations(OperationRegistry& registry);

}  // namespace tusko

// The gateway password change. The request carries the old password where
// other requests carry the login password, so a PasswordRequired refusal
// means the old password is wrong: it ends the change without a login prompt.
//
// The change is sent again, on a refusal or a time-out, for as long as it is
// pending. A window whose password dialog closes without waiting for the
// result clears PasswordChangePending, and nothing is sent again after that.
#include <string>

#include "protocol/engine/DeviceMaintenance.h"
#include "protocol/engine/IdleRequests.h"
#include "protocol/engine/OperationEngine.h"

namespace tusko {

namespace {

// The old password goes in the Password element, added here, not the login password.
constexpr IdleRequestStart kPasswordChangeStart{PasswordChangePending, nullptr, Notification::PasswordChangeRequested,
                                                false};

void OnNewPassword(EngineOperations& engine, const DeviceMessage&, const ElementView&) {
  // The login password stays as it is: the window decides whether to use the new one.
  if (!engine.HasPending(PasswordChangePending)) return;
  engine.StopTimer();
  engine.NotifyResult(Notification::PasswordChangeResult, OperationResult::Done);
  engine.ClearPendingFlag(PasswordChangePending);
}

}  // namespace

bool OperationEngine::ChangePassword(std::string_view newPassword, std::string_view oldPassword) {
  if (newPassword.size() > kLoginPasswordCapacity) return false;
  const bool repeat = HasPending(PasswordChangePending);
  if (!BeginRequest(repeat)) return false;
  // Copies first: a repeat passes the kept texts themselves.
  repeatRecords_.newPassword = std::string(newPassword);
  repeatRecords_.oldPassword = std::string(oldPassword);
  DeviceMessage request = CreateMessage(MessageType::Request);
  AddTextElement(request, ie::NewPassword, repeatRecords_.newPassword, true);
  AddTextElement(request, ie::Password, repeatRecords_.oldPassword, true);
  return SendIdleRequest(*this, kPasswordChangeStart, request, repeat);
}

void RegisterPasswordChange(OperationRegistry& registry) {
  registry.Idle().AddRequest(PasswordChangePending,
                             {.result = Notification::PasswordChangeResult,
                              .repeat =
                                  [](EngineOperations& e) {
                                    const RepeatRecords& kept = e.repeatRecords();
                                    e.front().ChangePassword(kept.newPassword, kept.oldPassword);
                                  },
                              .onPasswordRequired = PasswordRule::OldPasswordWrong});
  registry.Idle().AddReply(ie::NewPassword, OnNewPassword);
}

}  // namespace tusko

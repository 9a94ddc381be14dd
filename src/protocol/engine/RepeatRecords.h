#pragma once

#include <string>

namespace tusko {

// The texts an idle-state request carries, kept so that a repeat sends the
// same request again.
struct RepeatRecords {
  std::string monitorCommand;
  std::string newPassword;
  std::string oldPassword;
};

}  // namespace tusko

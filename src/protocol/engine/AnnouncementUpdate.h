#pragma once

#include "protocol/AnnouncementFile.h"

namespace tusko {

// What the announcement update keeps between its states: the file being
// sent, the kind it replaces (for repeats of the start) and how often the
// gateway has reported erasing since the last acknowledged block.
class AnnouncementUpdate {
 public:
  AnnouncementFile file;
  AnnouncementKind kind = AnnouncementKind::MusicOnHold;
  int eraseCount = 0;
};

}  // namespace tusko

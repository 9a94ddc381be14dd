#pragma once

namespace tusko {

enum class LinkState : int {
  Closed = 0,
  Connecting = 1,  // TCP only
  Open = 2,
};

// The setting ComMode: which transport the link uses.
enum class LinkType : int {
  Serial = 0,
  Tcp = 1,
};

}  // namespace tusko
